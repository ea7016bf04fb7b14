// A saved window placement: where a window is and whether it is shown, so that a workspace file can
// put it back. The stored form is a fixed 84-byte block (the placement, the rectangle, four reserved
// words, the style and the hidden flag); the style keeps the old framework's bits so that files from
// either program read alike, and it maps to and from the state of our own child frames.
#pragma once

#include "common/WindowGeometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

class CArchive;
class CIniFile;

// Style bits of the stored style word.
inline constexpr std::uint32_t kStyleMinimize = 0x20000000;
inline constexpr std::uint32_t kStyleVisible = 0x10000000;
inline constexpr std::uint32_t kStyleMaximize = 0x01000000;

// Show commands of the stored placement.
inline constexpr std::int32_t kShowHide = 0;
inline constexpr std::int32_t kShowNormal = 1;
inline constexpr std::int32_t kShowMinimized = 2;
inline constexpr std::int32_t kShowMaximized = 3;

// Stored rectangles come from files a user can edit: they are used only where their corners and
// their size fit a screen's coordinates, and the differences are taken in 64 bits so that hostile
// values cannot overflow.
inline constexpr std::int64_t kMaxWindowCoordinate = 100000;
bool IsUsableWindowRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
// The rectangle with its corners held to +/-kMaxWindowCoordinate and right/bottom not before
// left/top, so that its width and height are never negative and never overflow.
WindowRect ClampWindowRect(const WindowRect& rect);

// What a child frame of our own multiple-document container reports and accepts: its show state and
// where it is (in the container's client coordinates).
struct ChildFrameState
{
    bool visible = false;
    bool minimised = false;
    bool maximised = false;
    WindowRect normal;   // rectangle in the normal (restored) state
    WindowRect current;  // rectangle as it stands now
    friend bool operator==(const ChildFrameState&, const ChildFrameState&) = default;
};

// A window whose placement can be captured and restored. The container's child frames implement it;
// a placement record holds it weakly, so a window that is gone reads as "no window".
class CPlacedWindow
{
public:
    virtual ~CPlacedWindow() = default;
    virtual ChildFrameState GetFrameState() const = 0;
    virtual void SetFrameState(const ChildFrameState& state) = 0;
};

class CWindow_settings
{
public:
    static constexpr std::size_t kStoredBytes = 84;
    static constexpr std::int32_t kPlacementBytes = 44;

    CWindow_settings();
    virtual ~CWindow_settings() = default;

    // Empty rectangle, hidden 1, reserved words and style 0, not loaded, no window, not valid; the
    // placement keeps its bytes.
    void Reset();
    // Remembers the window; when it still exists takes its placement, rectangle and style.
    void Capture(const std::weak_ptr<CPlacedWindow>& window);
    // Remembers the window; only a record loaded from a file is applied. Returns 1 when the window
    // was visible before, else 0 (also when nothing was applied).
    int Restore(const std::weak_ptr<CPlacedWindow>& window);
    // Storing captures the remembered window again first; loading marks the record as loaded.
    void Serialize(CArchive& ar);
    // The INI form in one section: "WINDOWPLACEMENT" (composite), "Rectangle" (composite), "Style",
    // "Hidden" and "Valid". Writing captures the remembered window first (a window that is gone is
    // written reset, not valid); reading marks the record as loaded, and a "Valid" of 0 as not to
    // be restored. False when the file cannot be written.
    bool WriteProfile(const CIniFile& file, std::string_view section);
    void ReadProfile(const CIniFile& file, std::string_view section);

    // The stored style word and placement for a frame state, and the frame state that restoring a
    // style and placement gives.
    static std::uint32_t StyleFromState(const ChildFrameState& state);
    static WindowPlacement PlacementFromState(const ChildFrameState& state);
    static ChildFrameState StateFromStored(const WindowPlacement& placement, const WindowRect& rect,
                                           std::uint32_t style);

    WindowPlacement m_placement;
    WindowRect m_rect;
    std::array<std::int32_t, 4> m_reserved{};
    std::int32_t m_nStyle = 0;
    std::int32_t m_bHidden = 1;
    int m_bLoaded = 0;
    int m_bValid = 0;
    std::weak_ptr<CPlacedWindow> m_window;
};
