#include "app/AboutDlg.h"

#include "filtercoeffs/Brevik.h"
#include "texts/TextTable.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace
{
constexpr int kSplashLeftOffset = 90;
constexpr int kSplashTop = 40;
constexpr int kTextAbout = 1000233;
}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(GetTextCapitalized(kTextAbout)), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(BREVIK_SplashPng, BREVIK_SplashPngSize);
    const wxImage image(stream, wxBITMAP_TYPE_PNG);
    if (image.IsOk())
        m_splash = wxBitmap(image);
    const int splashHeight = m_splash.IsOk() ? m_splash.GetHeight() : 0;

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    // Room for the picture, painted by OnPaint.
    sizer->AddSpacer(kSplashTop + splashHeight + 12);
    auto* name = new wxStaticText(this, wxID_ANY, "Tessarin");
    name->SetFont(name->GetFont().Bold().Scaled(1.4f));
    sizer->Add(name, 0, wxALIGN_CENTER | wxLEFT | wxRIGHT, 20);
    sizer->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(GetVersionText())), 0,
               wxALIGN_CENTER | wxALL, 6);
    sizer->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_CENTER | wxALL, 10);
    SetSizerAndFit(sizer);
    const wxSize minimum = ConvertDialogToPixels(wxSize(452, 280));
    SetClientSize(wxSize(std::max(GetClientSize().x, minimum.x), std::max(GetClientSize().y, minimum.y)));
    Layout();
    CentreOnParent();
    Bind(wxEVT_PAINT, &CAboutDlg::OnPaint, this);
}

std::string CAboutDlg::GetVersionText()
{
    return std::string("Version ") + kVersion;
}

void CAboutDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (!m_splash.IsOk())
        return;
    // Centred, less 90 pixels, 40 pixels from the top, at its own size.
    const int x = (GetClientSize().x - m_splash.GetWidth()) / 2 - kSplashLeftOffset;
    dc.DrawBitmap(m_splash, std::max(0, x), kSplashTop);
}
