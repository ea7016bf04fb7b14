#include "dsp/OctaveBandFilter.h"

#include "dsp/BandFilterTables.h"

COctaveBandFilter::COctaveBandFilter() : CBandTableFilter(g_octaveTable) {}

COctaveBandFilter::~COctaveBandFilter() = default;
