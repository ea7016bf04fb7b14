// The workspace document: the measurement windows' display settings, the placement of the main
// window and of the generator windows, and the engine block, stored together as one "*.wst" file.
// Plain C++: the shell moves its windows to the loaded placements after a load. The measurement
// windows' settings slots are those of the view document it derives from.
#pragma once

#include "common/settings/WindowSettings.h"
#include "display/settings/ViewSettings.h"
#include "view/ViewDocument.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class CArchive;
class CSndView;
class CSoundIn;

class CSndDoc : public CViewDocument
{
public:
    static constexpr std::int32_t kSignature = 121929;
    static constexpr int kGeneratorWindows = 10;
    static constexpr const char* kUnsupportedMessage =
        "This setting file (*.wst) is not supported. Please delete all old *.wst files";
    // Where the shell saves the workspace on close (relative: the working folder).
    static constexpr const char* kSavedWorkspace = "saved.wst";
    // The largest workspace file read: far above what 256 windows with full overlays store.
    static constexpr std::uintmax_t kMaxWorkspaceBytes = 256u * 1024 * 1024;

    explicit CSndDoc(CSoundIn& engine);
    CSndDoc(const CSndDoc&) = delete;
    CSndDoc& operator=(const CSndDoc&) = delete;

    // Stores or loads the whole workspace. Loading reads everything into new records first and
    // takes them over only when the whole file was read; on failure (platform::ArchiveError; BadIndex
    // for a file that is not a workspace) the document and the engine keep what they held.
    void Serialize(CArchive& ar);

    // Writes the workspace to a new file and renames it over `path` once complete, so a failed
    // save leaves the previous file whole. False (m_strLastError says why) on failure.
    bool SaveWorkspace(const std::filesystem::path& path);
    // Reads the whole file and loads it; false (m_strLastError says why) leaves everything as it was.
    bool LoadWorkspace(const std::filesystem::path& path);

    // The number of settings slots in use (the measurement windows of the workspace).
    int CountViewSettings() const;
    // Takes over everything a loaded workspace holds (settings slots, placements, window count);
    // the windows of this document must be gone, the other document is left empty.
    void TakeWorkspace(CSndDoc& loaded);

    // Makes sure at least `count` measurement windows exist (a count above 256 counts as 256): each
    // missing one is made through m_newWindow, at once when `send`, else once the events waiting
    // are processed. Returns 0.
    int EnsureViewCount(int count, bool send);
    // The measurement window whose index is `index`, in the order the windows came; null when none.
    CSndView* FindView(int index) const;
    // The shell's "New Window": makes one more measurement window (now when its argument is true,
    // else after the events waiting). Unset without a shell.
    std::function<void(bool send)> m_newWindow;

    WindowRect m_mainWindowRect{};
    std::array<CWindow_settings, kGeneratorWindows> m_generatorWindows;
    // The window count read from the last loaded file: the windows the shell opens for it.
    int m_nLoadedWindowCount = 0;
    std::string m_strLastError;

private:
    void Store(CArchive& ar);
    void Load(CArchive& ar);

    CSoundIn& m_engine;
};
