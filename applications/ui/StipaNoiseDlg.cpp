#include "applications/ui/StipaNoiseDlg.h"

#include <wx/button.h>

#include <algorithm>

#include "common/controls/FilePrompts.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextTitle = 1000365;
constexpr int kTextCancel = 1000112;
constexpr int kTextLoad = 1000150;
constexpr int kTextSave = 1000151;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

CStipaNoiseDlg::CStipaNoiseDlg(wxWindow* parent, const StiSnrTexts& texts)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextTitle)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX),
      m_texts(texts)
{
    new wxButton(this, kIdLoad, Wx(GetText(kTextLoad)), wxPoint(5, 8), wxSize(80, 26));
    new wxButton(this, kIdSave, Wx(GetText(kTextSave)), wxPoint(90, 8), wxSize(80, 26));

    m_titles.push_back("  ");
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        m_titles.push_back(StiSnrBandTitle(band));
    m_columns[0] = {"SNR [dB]"};
    for (int band = 1; band <= CStiBandValues::kFileBands; ++band)
        m_columns[band].assign(1, std::string());
    m_pGrid = new CBandTableGrid(true);
    m_pGrid->Create(this, wxID_ANY, wxRect(5, 40, 405, 90), m_titles, m_columns.data(), 1, 55, 50);

    // OK and Cancel below the table, at its right.
    const wxRect table = m_pGrid->GetRect();
    const int width = std::max(415, table.GetRight() + 6);
    const int top = table.GetBottom() + 10;
    new wxButton(this, wxID_OK, "OK", wxPoint(width - 170, top), wxSize(80, 28));
    new wxButton(this, wxID_CANCEL, Wx(GetText(kTextCancel)), wxPoint(width - 85, top), wxSize(80, 28));
    SetClientSize(width, top + 35);
    SetAffirmativeId(wxID_OK);
    Bind(wxEVT_BUTTON, &CStipaNoiseDlg::OnLoad, this, kIdLoad);
    Bind(wxEVT_BUTTON, &CStipaNoiseDlg::OnSave, this, kIdSave);
    CopyTextsToCells();
    CentreOnParent();
}

std::string CStipaNoiseDlg::GetCellText(int band) const
{
    if (band < 0 || band >= CStiBandValues::kFileBands)
        return {};
    return m_columns[band + 1][0];
}

void CStipaNoiseDlg::CopyCellsToTexts()
{
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        m_texts[band] = m_columns[band + 1][0];
}

void CStipaNoiseDlg::CopyTextsToCells()
{
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        m_columns[band + 1][0] = m_texts[band];
    m_pGrid->ForceRefresh();
}

bool CStipaNoiseDlg::CheckCells()
{
    // A cell still being edited counts with what was typed into it.
    if (m_pGrid->IsCellEditControlEnabled())
        m_pGrid->DisableCellEditControl();
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
    {
        double value = 0.0;
        if (!ParseStiSnr(m_columns[band + 1][0], 0.0, value))
        {
            platform::ui::ShowMessageBox(StiSnrRefusal(band, m_columns[band + 1][0]), "Tessarin",
                                         wxOK | wxICON_EXCLAMATION, this);
            return false;
        }
    }
    return true;
}

bool CStipaNoiseDlg::TransferDataFromWindow()
{
    if (!CheckCells())
        return false;
    CopyCellsToTexts();
    return true;
}

void CStipaNoiseDlg::OnLoad(wxCommandEvent&)
{
    const std::string path = AskOpenFileName(kStiSnrFileDescription, kStiSnrFileExtension);
    if (path.empty())
        return;
    CopyCellsToTexts();
    LoadStiSnrTexts(path, m_texts);
    CopyTextsToCells();
}

void CStipaNoiseDlg::OnSave(wxCommandEvent&)
{
    // A cell that is no number would read back as 0 dB: it is named before anything is written.
    if (!CheckCells())
        return;
    const std::string path = AskSaveFileName(kStiSnrFileDescription, kStiSnrFileExtension);
    if (path.empty())
        return;
    CopyCellsToTexts();
    if (!SaveStiSnrTexts(path, m_texts))
        platform::ui::ShowMessageBox("The file " + path + " could not be written.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, this);
}
