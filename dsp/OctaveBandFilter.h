// Octave band-pass or band-stop filter, eight bands 63 Hz to 8 kHz, from a table per sample rate
// (32000, 44100, 48000, 56000, 88200, 96000 and 192000 Hz); any other rate leaves the block unchanged.
#pragma once

#include "dsp/TableFilter.h"

class COctaveBandFilter : public CBandTableFilter
{
public:
    COctaveBandFilter();
    ~COctaveBandFilter() override;
};
