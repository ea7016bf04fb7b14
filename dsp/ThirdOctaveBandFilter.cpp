#include "dsp/ThirdOctaveBandFilter.h"

#include "dsp/BandFilterTables.h"

CThirdOctaveBandFilter::CThirdOctaveBandFilter() : CBandTableFilter(g_thirdOctaveTable) {}

CThirdOctaveBandFilter::~CThirdOctaveBandFilter() = default;
