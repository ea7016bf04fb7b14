// The level record of one wideband signal or one band in one logger interval, as the sound level
// logger stores it: linear values in the calibrated full-scale unit of the input, never dB. Its raw
// form is 56 bytes, little-endian: six doubles (energy total, energy of the block, RMS fast, RMS slow,
// smallest and largest sample) and eight reserved bytes.
#pragma once

#include <cstddef>

class CLevelMeter;

class CLevelRecord
{
public:
    static constexpr std::size_t kRawSize = 56;

    // Ends the meter's logger interval: takes the energy since the meter's reset at the input rate
    // (decimation factor times the sum of squares), the Fast and Slow RMS and the interval's sample
    // extremes, then restarts the meter's interval values. The block-energy field stays as it is.
    // Allocates nothing.
    void TakeFromMeter(CLevelMeter& meter);

    // The larger of |minimum| and |maximum|.
    double GetPeak() const;

    // Writes the 56 raw bytes (the reserved ones zero).
    void ToRaw(unsigned char* bytes) const;
    // Reads the fields that lie wholly within the first `length` bytes (at most 56); the others keep
    // their values.
    void FromRaw(const unsigned char* bytes, std::size_t length);

    double m_energyTotal = 0.0;
    double m_energyBlock = 0.0;
    double m_rmsFast = 0.0;
    double m_rmsSlow = 0.0;
    double m_splMin = 1e99;
    double m_splMax = -1e99;
};
