// The one table of the program's commands: each row gives a command's id, its place in the menu
// bar, the text id of its caption, the toolbars that carry it, its icon and its handler. The main
// frame builds its menu bar (in the current language) and its toolbars from it; a row without a
// handler stays out of sight.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <span>

class CMainFrame;
class wxUpdateUIEvent;

// The toolbars a command sits on (a set of bits). The main toolbar of GUI mode 0 and the large
// main toolbar of GUI mode 1 are told apart; the logger toolbar has large buttons in GUI mode 1.
namespace toolbar_bit
{
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kMain = 1u << 0;
inline constexpr std::uint32_t kImpulse = 1u << 1;
inline constexpr std::uint32_t kOverlay = 1u << 2;
inline constexpr std::uint32_t kChannel = 1u << 3;
inline constexpr std::uint32_t kStipa = 1u << 4;
inline constexpr std::uint32_t kOptions = 1u << 5;
inline constexpr std::uint32_t kLogger = 1u << 6;
inline constexpr std::uint32_t kMainLarge = 1u << 7;
// The main toolbar of GUI mode 0 in German only.
inline constexpr std::uint32_t kMainGerman = 1u << 8;
// Not a toolbar: a gap (separator) goes before the button on each of its toolbars.
inline constexpr std::uint32_t kGapBefore = 1u << 31;
}  // namespace toolbar_bit

// A command's handler: the frame it runs in and the command id (one handler may serve several).
using CommandHandler = void (*)(CMainFrame& frame, int id);
// Optional: sets a menu item's or tool's enabled and check state.
using CommandUpdater = void (*)(CMainFrame& frame, int id, wxUpdateUIEvent& event);

enum class CommandKind
{
    kNormal,
    kCheck,  // a check-mark menu item or a toggle button
};

struct CommandEntry
{
    int id;
    // "Menu/Item\tAccelerator" with "&" markers, English; "|" before the item puts a separator
    // above it. nullptr: no menu item.
    const char* menuPath;
    // The text-table id of the item's caption (it keeps the path's accelerator); 0: the path's
    // caption, translated where the text table has it.
    int textId;
    // toolbar_bit:: values, or kNone.
    std::uint32_t toolbars;
    // Base name of the button's picture, resources/icons/<icon>.svg; nullptr without a button.
    const char* icon;
    // nullptr until the command has its handler: then neither menu item nor button shows (on the
    // large main toolbar of GUI mode 1 the button shows disabled, so the bar keeps its layout).
    CommandHandler handler;
    CommandUpdater update;
    CommandKind kind;
};

// A menu item placed apart from its command's row: the menu path ("Menu/Item" as in CommandEntry)
// in one language, or in every language without a placement of its own (language -1).
struct MenuPlacement
{
    int id;
    int language;
    const char* path;
};

// The placements in their menu order.
std::span<const MenuPlacement> GetMenuPlacements();
// The menu path of a command's item in a language (nullptr: no item in that language).
const char* GetMenuPath(const CommandEntry& entry, int language);

// The top-level menus in their order, English (translated like the items).
std::span<const char* const> GetMenuOrder();

// Every command, in menu and toolbar order.
std::span<const CommandEntry> GetCommandTable();

// The row of a command id, or nullptr.
const CommandEntry* FindCommand(int id);
