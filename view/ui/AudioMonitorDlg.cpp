#include "view/ui/AudioMonitorDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CAudioMonitorDlg::CAudioMonitorDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Audio Monitor")
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* texts = new wxFlexGridSizer(2, 4, 12);
    const char* const rows[][2] = {{"Ort", "Messpunkt 1"}, {"LAeq", "-- dB"},    {"LAFmax", "-- dB"},
                                   {"LCpeak", "-- dB"},    {"Zeit", "--:--:--"}, {"Pfad", "--"},
                                   {"Messpunkte", "0"}};
    for (const auto& row : rows)
    {
        texts->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(row[0])));
        texts->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(row[1])));
    }
    sizer->Add(texts, 0, wxALL, 10);
    sizer->Add(new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(240, -1)), 0,
               wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(240, -1)), 0,
               wxLEFT | wxRIGHT | wxBOTTOM, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    for (const char* label : {"Kalibrieren", "Start", "Stop", "Speichern", "Neues Foto"})
    {
        // Nothing happens on these buttons yet: they show disabled.
        auto* button = new wxButton(this, wxID_ANY, wxString::FromUTF8(label));
        button->Disable();
        buttons->Add(button, 0, wxRIGHT, 4);
    }
    sizer->Add(buttons, 0, wxALL, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
    CentreOnParent();
}
