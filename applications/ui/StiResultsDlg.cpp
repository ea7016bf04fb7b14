#include "applications/ui/StiResultsDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include <algorithm>

#include "applications/StiSnrTexts.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextTitle = 1000236;
constexpr int kTextRating = 1000175;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

std::string Index(double value)
{
    return platform::FormatC("%1.3f", value);
}

}  // namespace

CStiResultsDlg::CStiResultsDlg(wxWindow* parent, const CStiEvaluator& evaluator)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextTitle)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX)
{
    m_titles.push_back("Mod. freq.");
    for (int band = 0; band < CStiEvaluator::kBands; ++band)
        m_titles.push_back(StiSnrBandTitle(band));
    for (int f = 0; f < CStiEvaluator::kModulationFrequencies; ++f)
    {
        m_columns[0].push_back(platform::FormatC("%2.2fHz", CStiEvaluator::GetModulationFrequency(f)));
        for (int band = 0; band < CStiEvaluator::kBands; ++band)
            m_columns[band + 1].push_back(platform::FormatC("%1.3f", evaluator.m_mtf[f][band]));
    }

    m_pGrid = new CBandTableGrid(false);
    m_pGrid->Create(this, kIdGrid, wxRect(5, 20, 425, 240), m_titles, m_columns.data(),
                    CStiEvaluator::kModulationFrequencies, 67, 51);

    const std::string rating = GetText(kTextRating);
    struct Line
    {
        const char* label;
        int id;
        std::string value;
        int ratingId;
        std::string ratingText;
    };
    const Line lines[] = {
        {"STI:", kIdSti, Index(evaluator.m_sti), kIdStiRating, rating + ": " + GetStiRating(evaluator.m_sti)},
        {"RASTI:", kIdRasti, Index(evaluator.m_rasti), kIdRastiRating,
         rating + ": " + GetStiRating(evaluator.m_rasti)},
        {"STIr male", kIdStiMale, Index(evaluator.m_stiMale), 0, {}},
        {"STIr female", kIdStiFemale, Index(evaluator.m_stiFemale), 0, {}},
    };
    const wxRect table = m_pGrid->GetRect();
    const int width = std::max(435, table.GetRight() + 6);
    int y = table.GetBottom() + 10;
    for (const Line& line : lines)
    {
        new wxStaticText(this, wxID_ANY, line.label, wxPoint(10, y), wxSize(80, -1));
        new wxStaticText(this, line.id, line.value, wxPoint(95, y), wxSize(60, -1), wxALIGN_RIGHT);
        if (line.ratingId != 0)
            new wxStaticText(this, line.ratingId, Wx(line.ratingText), wxPoint(175, y), wxSize(200, -1));
        y += 22;
    }
    new wxButton(this, wxID_OK, "OK", wxPoint(width - 85, y - 10), wxSize(80, 28));
    SetClientSize(width, y + 25);
    SetAffirmativeId(wxID_OK);
    SetEscapeId(wxID_OK);
    CentreOnParent();
}

wxString CStiResultsDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}
