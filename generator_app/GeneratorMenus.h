// The generator program's menus (English 128, German 129) and the command strings ("prompt\ntooltip")
// of its string tables, as data: the window side builds its menu bar from them.
#pragma once

#include "texts/LanguageChoice.h"

#include <span>
#include <string>
#include <vector>

struct GeneratorMenuEntry
{
    std::string caption;  // empty with id 0: a separator
    unsigned id = 0;      // 0: a popup holding `items`
    std::vector<GeneratorMenuEntry> items;
};

// The popups of menu 128 (English; File, Edit, DSP, View, Help) or 129 (German; no Edit popup).
std::vector<GeneratorMenuEntry> GeneratorMenu(unsigned resource);
// The menu for a language code: 1 German, otherwise English (codes 2..4 are translated afterwards
// by the window side).
unsigned GeneratorMenuResource(int language);

// Command strings of the program (English in LANGID_ENGLISH_US, German in LANGID_GERMAN).
std::span<const StringTableEntry> GeneratorStringTable(std::uint16_t langId);
// Installs both tables (SetStringTable).
void InstallGeneratorStrings();
