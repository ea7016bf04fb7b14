#include "view/ui/ResultsDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>

#include "common/controls/Clipboard.h"
#include "common/controls/ResultsGrid.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextAxis = 1000108;
constexpr int kTextCopy = 1000109;
constexpr int kTextTranspose = 1000110;
constexpr int kTextResults = 1000111;
constexpr int kTextCancel = 1000112;

// The grid's place in the window.
const wxRect kGridRect(wxPoint(5, 20), wxPoint(424, 239));

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

CResultsDlg::CResultsDlg(wxWindow* parent, const ResultsTable& table, bool decimalComma)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextResults)), wxDefaultPosition, wxSize(440, 310),
               wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU),
      m_table(table),
      m_bDecimalComma(decimalComma)
{
    m_table.curveCount = std::clamp(m_table.curveCount, 0, kMaxResultCurves);
    if (m_table.headers.empty())
        m_table.headers.push_back("");
    m_table.headers[0] = "x-" + GetText(kTextAxis);

    m_pGrid = new CResultsGrid;
    m_pGrid->m_nColumns = m_table.curveCount + 1;
    m_pGrid->m_nRows = std::max(0, m_table.pointCount);
    m_pGrid->m_pTitles = &m_table.headers;
    m_pGrid->m_pfnValue = &CResultsDlg::CellValue;
    m_pGrid->m_pValueContext = &m_table;
    m_pGrid->Create(kGridRect, this, kIdGrid);
    m_pGrid->SetupColumns();

    auto* copy = new wxButton(this, kIdCopy, Wx(GetText(kTextCopy)), wxPoint(5, 246), wxSize(150, 28));
    m_pTranspose = new wxCheckBox(this, kIdTranspose, Wx(GetText(kTextTranspose)), wxPoint(165, 250));
    new wxButton(this, wxID_CANCEL, Wx(GetText(kTextCancel)), wxPoint(335, 246), wxSize(90, 28));
    copy->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCopy(); });
    SetClientSize(430, 282);
    CentreOnParent();
}

CResultsDlg::~CResultsDlg() = default;

double CResultsDlg::CellValue(void* context, int column, int row)
{
    const auto* table = static_cast<const ResultsTable*>(context);
    return table->value ? table->value(column, row) : 0.0;
}

std::string CResultsDlg::CopyText() const
{
    return BuildResultsText(m_table, m_pTranspose->IsChecked(), m_bDecimalComma);
}

bool CResultsDlg::OnCopy()
{
    const std::string text = CopyText();
    return CopyBufferToClipboard(text.c_str());
}
