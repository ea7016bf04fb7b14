// Feeds arbitrary bytes to the loaders of the settings model and of the records stored beside it.
// The first byte picks the record: 0 the view settings of a measurement window, 1 an annotation
// list, 2 a distortion result table, 3 a curve, 4 a calibration curve's stored switches and path.
// Only the archive's own exception may come out, and a record that loads must store and load again
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "common/CalibrationCurve.h"
#include "display/AnnotationList.h"
#include "display/settings/CurveData.h"
#include "display/settings/ViewSettings.h"
#include "dsp/ThdResults.h"
#include "platform/Archive.h"

namespace
{

template <class Record>
void LoadAndRestore(std::span<const std::uint8_t> bytes)
{
    auto record = std::make_unique<Record>();
    try
    {
        CArchive in(bytes);
        record->Serialize(in);
    }
    catch (const platform::ArchiveError&)
    {
        return;
    }
    CArchive first;
    record->Serialize(first);
    auto again = std::make_unique<Record>();
    CArchive reload(first.Buffer());
    again->Serialize(reload);  // must not throw: what was stored loads
    CArchive second;
    again->Serialize(second);
    if (first.Buffer() != second.Buffer())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> body(data + 1, size - 1);
    switch (data[0] % 5)
    {
        case 0:
            LoadAndRestore<CViewSettings>(body);
            break;
        case 1:
            LoadAndRestore<CAnnotationList>(body);
            break;
        case 2:
            LoadAndRestore<CThdResults>(body);
            break;
        case 3:
            LoadAndRestore<Ccurve_data>(body);
            break;
        default:
            LoadAndRestore<CCalibrationCurve>(body);
            break;
    }
    return 0;
}
