// The plot's palette and marker symbols in the form the generic colour and marker combos take.
#pragma once

#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"

// The 20 palette colours with their names in the current language and the nearest-colour search.
ColorComboPalette PlotPaletteForCombo();
// The 11 marker symbols with their names and outlines.
MarkerComboSymbols MarkerSymbolsForCombo();
