// CFolderBrowser: asks for one folder in a dialog of our own (a tree of folders only and a status
// line with the current choice, shortened). It opens on an initial folder and gives back the chosen
// folder.
// User-interface thread only.
#pragma once

#include <string>

#include <wx/window.h>

class wxDialog;
class wxGenericDirCtrl;
class wxStaticText;

class CFolderBrowser
{
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr std::size_t kStatusChars = 35;

    explicit CFolderBrowser(const std::string& initialFolder = std::string(), unsigned flags = 0,
                            wxWindow* owner = nullptr);
    virtual ~CFolderBrowser();

    // Shows the dialog: kIdOk with the chosen folder in m_strFolder, kIdCancel when the user
    // cancelled or the choice is no folder.
    virtual int DoModal();
    std::string GetFolder() const { return m_strFolder; }

    // While the dialog is shown: selects a folder; sets the status line.
    void SetSelection(const std::string& folder);
    void SetStatusText(const std::string& text);
    // The status line's text (empty while no dialog is shown).
    std::string GetStatusText() const;
    // The dialog while it is shown, else null.
    wxDialog* GetDialog() const { return m_pDialog; }

    // Texts longer than 35 characters: their first 35 characters and "...".
    static std::string ShortenPath(const std::string& path);

    std::string m_strTitle = "Current Selection";
    unsigned m_nFlags = 0;
    std::string m_strInitialFolder;
    std::string m_strFolder;

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(const std::string& path);

private:
    wxWindow* m_pOwner = nullptr;
    wxDialog* m_pDialog = nullptr;
    wxGenericDirCtrl* m_pTree = nullptr;
    wxStaticText* m_pStatus = nullptr;
};
