// What the selection of the level logger's stored results needs: the logger's stored run as an
// interface (the level logger implements it), the result types, and the checks before a type is
// taken. Plain logic, no windows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// A level logger's stored run as the result selection reads it.
class CSplLoggerData
{
public:
    virtual ~CSplLoggerData() = default;
    virtual std::int64_t GetBlockCount() const = 0;
    // Length of one block in seconds.
    virtual double GetTimeResolution() const = 0;
    virtual std::time_t GetStartTime() const = 0;
    // Frequency weighting codes of the stored wideband channels.
    virtual std::vector<int> GetWeightings() const = 0;
    virtual std::vector<double> GetBandCentres() const = 0;
};

// The logger's result types in list order.
inline constexpr int kSplResultTypes = 8;
inline constexpr const char* kSplResultTypeNames[kSplResultTypes] = {
    "SPL(Fast)", "SPL(Slow)", "Peak", "Taktmaximalpegel LAFT(t)", "C Peak", "LEQ(A)", "LEQ(C)", "LEQ(Z)",
};
inline constexpr int kSplTypeTaktmax = 3;

// The messages that refuse a type for the stored run (empty: it may be taken): the clock-pulse
// maximum level needs at least 12 s of data and blocks of at most 5 s.
std::vector<std::string> CheckSplResultType(int type, std::int64_t blocks, double resolution);

// The entry of the centre-frequency list to select: 0 "full span" when the current centre is not
// above 0, else 1 + the band whose relative deviation |centre - current| / centre is smallest (the
// first of equal ones); 0 without bands.
int SelectSplBandEntry(const std::vector<double>& centres, double current);
