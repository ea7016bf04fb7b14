#include "view/ui/ReferenceMeasurementDlg.h"

#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "view/ReferenceFile.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

using namespace dialog_fields;

namespace
{

constexpr const char* kWildcard = "Reference files (*.ref)|*.ref";

std::string LoadedStatus(const std::string& path, int count, int rate)
{
    char text[512];
    std::snprintf(text, sizeof text, "%s %s %s: %i @%iHz.", path.c_str(), Text("loaded").c_str(),
                  Text("size").c_str(), count, rate);
    return text;
}

const char* Problem(reference_file::Result result)
{
    switch (result)
    {
        case reference_file::Result::CannotOpen:
            return "The file cannot be opened.";
        case reference_file::Result::WrongMagic:
            return "The file is no reference file.";
        case reference_file::Result::BadCount:
            return "The file's number of values or sample rate is damaged.";
        case reference_file::Result::BadValue:
            return "The file holds fewer values than it says, or a damaged value.";
        case reference_file::Result::Loaded:
            break;
    }
    return "";
}

}  // namespace

CReferenceMeasurementDlg::CReferenceMeasurementDlg(wxWindow* parent, CSoundIn& engine)
    : wxDialog(parent, wxID_ANY, WxText("reference measurement")), m_engine(engine)
{
    m_pApply = new wxCheckBox(this, kIdApply, WxText("apply reference"));
    m_pStatus = new wxStaticText(this, kIdStatus, wxEmptyString, wxDefaultPosition, wxSize(420, -1));
    auto* load = new wxButton(this, kIdLoad, WxText("load"));
    auto* save = new wxButton(this, kIdSave, WxText("save"));
    auto* reset = new wxButton(this, kIdReset, WxText("reset"));
    load->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnLoad(); });
    save->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSave(); });
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnReset(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(load, 0, wxRIGHT, 6);
    buttons->Add(save, 0, wxRIGHT, 6);
    buttons->Add(reset);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pStatus, 0, wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(m_pApply, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

void CReferenceMeasurementDlg::SetStatus(const std::string& text)
{
    m_pStatus->SetLabel(wxString::FromUTF8(text));
}

bool CReferenceMeasurementDlg::TransferDataToWindow()
{
    m_pApply->SetValue(m_bApply != 0);
    int count = 0, rate = 0;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        count = static_cast<int>(m_engine.m_referenceCurve.size());
        rate = m_engine.m_nReferenceSpan;
    }
    if (count < 1)
        SetStatus(Text("No file loaded"));
    else
        SetStatus(LoadedStatus(m_strPath, count, rate));
    return true;
}

bool CReferenceMeasurementDlg::TransferDataFromWindow()
{
    m_bApply = m_pApply->GetValue() ? 1 : 0;
    return true;
}

int CReferenceMeasurementDlg::ShowModal()
{
    // The stored file is read again, so that the reference is the file's present content.
    if (!m_strPath.empty())
        OnLoad();
    return wxDialog::ShowModal();
}

bool CReferenceMeasurementDlg::OnLoad()
{
    if (m_strPath.empty())
    {
        platform::ui::FileDialogRequest request;
        request.wildcard = kWildcard;
        m_strPath = platform::ui::ShowFileDialog(request, this);
        if (m_strPath.empty())
            return false;
    }
    CReferenceSpectrum spectrum;
    const reference_file::Result result = reference_file::Read(m_strPath, spectrum);
    if (result != reference_file::Result::Loaded)
    {
        platform::ui::ShowMessageBox(m_strPath + "\n" + Text(Problem(result)), Text("reference measurement"),
                                     wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    m_engine.SetReferenceCurve(spectrum.m_values, spectrum.m_nSampleRate);
    SetStatus(LoadedStatus(m_strPath, static_cast<int>(spectrum.m_values.size()), spectrum.m_nSampleRate));
    return true;
}

bool CReferenceMeasurementDlg::OnSave()
{
    // The first channel's current spectrum: half the FFT size of bins.
    std::vector<float> values;
    int rate = 0;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        const std::size_t count = std::min(static_cast<std::size_t>(std::max(m_engine.m_nFftSize / 2, 0)),
                                           m_engine.m_spectrumDisplay.size());
        values.assign(m_engine.m_spectrumDisplay.begin(),
                      m_engine.m_spectrumDisplay.begin() + static_cast<std::ptrdiff_t>(count));
        rate = m_engine.m_nSampleRate;
    }
    if (values.empty())
    {
        platform::ui::ShowMessageBox(Text("There is no spectrum to save yet."), Text("reference measurement"),
                                     wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    platform::ui::FileDialogRequest request;
    request.save = true;
    request.wildcard = kWildcard;
    std::string path = platform::ui::ShowFileDialog(request, this);
    if (path.empty())
        return false;
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".ref") != 0)
        path += ".ref";
    if (!reference_file::Write(path, values, rate))
    {
        platform::ui::ShowMessageBox(path + "\n" + Text("The file cannot be written."),
                                     Text("reference measurement"), wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    SetStatus(path + " " + Text("saved") + ".");
    return true;
}

void CReferenceMeasurementDlg::OnReset()
{
    if (m_strPath.empty())
        return;
    m_strPath.clear();
    m_engine.SetReferenceCurve({}, 0);
    SetStatus(Text("No file loaded"));
}

bool CReferenceMeasurementDlg::EditEngine(wxWindow* parent, CSoundIn& engine, std::string& path)
{
    CReferenceMeasurementDlg dialog(parent, engine);
    dialog.m_bApply = engine.m_bRelativeDisplay;
    dialog.m_strPath = path;
    const bool ok = dialog.ShowModal() == wxID_OK;
    // A reset or a newly loaded file has already changed the reference: the path follows it.
    path = dialog.m_strPath;
    if (ok)
        engine.m_bRelativeDisplay = dialog.m_bApply;
    return ok;
}
