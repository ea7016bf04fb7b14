// The 1 kHz notch: one fourth-order set per rate (32000, 44100, 48000, 96000, 192000 Hz), run twice.
#pragma once

#include "dsp/TableFilter.h"

class CNotch1kHzFilter : public CSeriesTableFilter
{
public:
    CNotch1kHzFilter();
    ~CNotch1kHzFilter() override;
};
