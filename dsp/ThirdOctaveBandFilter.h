// Third-octave band-pass or band-stop filter, 40 bands 10 Hz to 80 kHz, from a table per sample rate
// (8000 to 192000 Hz, 88200 Hz included); bands whose upper edge reaches half the rate are absent and
// pass the block.
#pragma once

#include "dsp/TableFilter.h"

class CThirdOctaveBandFilter : public CBandTableFilter
{
public:
    CThirdOctaveBandFilter();
    ~CThirdOctaveBandFilter() override;
};
