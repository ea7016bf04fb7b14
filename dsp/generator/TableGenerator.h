// Writes the coefficient tables that no established set covers, as C++ source: the octave and
// third-octave band tables (dsp/BandFilterTables.cpp) and the rate-table filter tables
// (dsp/FixedFilterTables.cpp). Designed with the signal-processing library's filter designer; the
// rules are stated next to each design below. The output is committed; a test regenerates it and
// compares.
#pragma once

#include <string>

namespace brevikgen
{

std::string GenerateBandFilterTables();
std::string GenerateFixedFilterTables();

// Response of a section list or a polynomial set, for the tests of the rules.
// Designs the band-pass (type 2) or band-stop (type 4) entry of one band as kBandSections
// second-order sections into entry; false when the band's upper edge reaches half the rate.
bool DesignBandEntry(int type, double rate, double centre, double bandsPerOctave, double* entry);

// The rule-designed sets of the rate-table filters (order 2, 4 or 8 by name) at a rate, nB = nA =
// perSide coefficients each, padded with zeros.
void DesignRateTableSet(int filter, double rate, double* b, double* a);

}  // namespace brevikgen
