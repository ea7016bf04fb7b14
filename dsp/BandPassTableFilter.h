// The 200 Hz to 4 kHz band-pass: one tenth-order Butterworth set per rate (32000, 44100, 48000,
// 96000 Hz), run twice.
#pragma once

#include "dsp/TableFilter.h"

class CBandPassTableFilter : public CSeriesTableFilter
{
public:
    CBandPassTableFilter();
    ~CBandPassTableFilter() override;
};
