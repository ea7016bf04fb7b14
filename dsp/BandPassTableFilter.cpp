#include "dsp/BandPassTableFilter.h"

namespace
{

constexpr double kBandPassRates[] = {32000, 44100, 48000, 96000};

// The numerator of every rate is k (1 - z^-2)^5.
constexpr double B(double k, int i)
{
    constexpr double kPattern[11] = {1, 0, -5, 0, 10, 0, -10, 0, 5, 0, -1};
    return k * kPattern[i];
}

#define BANDPASS_B(k) \
    B(k, 0), B(k, 1), B(k, 2), B(k, 3), B(k, 4), B(k, 5), B(k, 6), B(k, 7), B(k, 8), B(k, 9), B(k, 10)

constexpr double kBandPassSets[] = {
    BANDPASS_B(0.00264859843055),
    1,
    -7.47679916732,
    25.2876316003,
    -51.0777360767,
    68.3766618666,
    -63.4750486251,
    41.4060506353,
    -18.7414407842,
    5.63215595318,
    -1.01462708547,
    0.0831516935724,
    BANDPASS_B(0.000676253853623),
    1,
    -8.18508291766,
    30.2593167037,
    -66.5847308465,
    96.6368490737,
    -96.6993829644,
    67.5811264429,
    -32.5767198022,
    10.3659628574,
    -1.9661230862,
    0.168784539785,
    BANDPASS_B(0.00046752875450063),
    1,
    -8.3361324468637,
    31.3729493325024,
    -70.2345283518458,
    103.622307142988,
    -105.311505385473,
    74.6795889461177,
    -36.4909151534471,
    11.758942505148,
    -2.2565154113341,
    0.1958088224445,
    BANDPASS_B(2.03810528427e-05),
    1,
    -9.17991946875,
    37.9591937094,
    -93.1101854176,
    150.040685989,
    -165.974035013,
    127.642707998,
    -67.3893236103,
    23.3753539266,
    -4.81048641612,
    0.446008303088,
};

#undef BANDPASS_B

}  // namespace

CBandPassTableFilter::CBandPassTableFilter() : CSeriesTableFilter(kBandPassRates, 11, kBandPassSets) {}

CBandPassTableFilter::~CBandPassTableFilter() = default;
