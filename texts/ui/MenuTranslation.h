// Run-time translation of menus that exist only in English: each caption is looked up among the
// English texts of the text table and replaced by the same entry in the wanted language.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

class wxMenu;
class wxMenuBar;

// The caption without "&" markers, without its "Ctrl+" accelerator (the "Ctrl+" and one key
// character) and without trailing tabs and blanks: "&Open...\tCtrl+O" gives "Open...".
std::string NormalizeMenuCaption(std::string caption);

// Replaces, recursively through the submenus, every caption that has an English table text by
// that text in the language. The accelerator after a label's tab stays, so the shortcut keeps
// working and showing; command ids and submenus stay; captions without a table text stay as
// they are.
void TranslateMenu(wxMenu* menu, int language);
// The same for a menu bar: its menu titles and every menu below them.
void TranslateMenu(wxMenuBar* menuBar, int language);
