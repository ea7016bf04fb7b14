// Feeds arbitrary bytes to the microphone calibration reader as a file. A loaded curve has as many
// points as it says, never more than the reader's limit; the bin table built from it has the size
// asked for.
#include "common/CalibrationCurve.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tessarin-cal-fuzz-" + std::to_string(::getpid()) + ".cal";
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CCalibrationCurve curve;
    const int count = curve.LoadFromFile(path);
    if (count < 0 || curve.m_nPoints != count)
        std::abort();
    if (count == 0)
        return 0;
    if (curve.m_pValue.size() < static_cast<std::size_t>(count))
        std::abort();
    if (curve.m_bPairs &&
        (count > CCalibrationCurve::kMaxPairs || curve.m_pFrequency.size() < static_cast<std::size_t>(count)))
        std::abort();
    if (curve.PrepareBinTable(512, 48000.0) && curve.m_pBinTable.size() != 512)
        std::abort();
    std::vector<float> spectrum(512, 1.0f);
    curve.Apply(spectrum, 48000.0);
    return 0;
}
