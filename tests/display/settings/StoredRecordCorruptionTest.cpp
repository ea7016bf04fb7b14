// Every truncated or damaged form of a stored record either loads or raises the archive
// exception: no crash, no hang, no allocation beyond what the bytes can hold.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/CalibrationCurve.h"
#include "display/settings/CurveData.h"
#include "display/settings/ViewSettings.h"
#include "platform/Archive.h"
#include "tests/display/settings/ViewSettingsFixture.h"
#include "tests/support/ArchiveBytes.h"

using testsupport::StoreBytes;

namespace
{

using Loader = std::function<void(std::span<const std::uint8_t>)>;

// Loads the bytes; anything but success or the archive exception fails the test.
void LoadOrRefuse(const Loader& load, std::span<const std::uint8_t> bytes, const std::string& what)
{
    try
    {
        load(bytes);
    }
    catch (const platform::ArchiveError&)
    {
    }
    catch (const std::exception& e)
    {
        ADD_FAILURE() << what << ": unexpected exception " << e.what();
    }
}

// Cuts at every position in the dense ranges and at every `stride`-th elsewhere; the whole
// record must load, every cut must be refused.
void WalkCuts(const Loader& load, const std::vector<std::uint8_t>& bytes, std::size_t dense,
              std::size_t stride)
{
    ASSERT_NO_THROW(load(bytes));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    {
        const bool inDense = cut < dense || cut + dense >= bytes.size();
        if (!inDense && cut % stride != 0)
            continue;
        EXPECT_THROW(load(std::span(bytes.data(), cut)), platform::ArchiveError) << "cut at " << cut;
    }
}

// Sets each byte (every `stride`-th) to values that make counts and lengths lie.
void WalkFlips(const Loader& load, const std::vector<std::uint8_t>& bytes, std::size_t stride)
{
    auto damaged = bytes;
    for (std::size_t pos = 0; pos < bytes.size(); pos += stride)
    {
        for (std::uint8_t value : {std::uint8_t(bytes[pos] ^ 0xFF), std::uint8_t(0x7F), std::uint8_t(0x80)})
        {
            damaged[pos] = value;
            LoadOrRefuse(load, damaged, "byte " + std::to_string(pos));
        }
        damaged[pos] = bytes[pos];
    }
}

}  // namespace

TEST(StoredRecordCorruption, ViewSettings)
{
    CViewSettings full;
    settingstest::FillViewSettings(full);
    const auto bytes = StoreBytes(full);
    const Loader load = [](std::span<const std::uint8_t> data)
    {
        auto record = std::make_unique<CViewSettings>();
        CArchive ar(data);
        record->Serialize(ar);
    };
    WalkCuts(load, bytes, 3000, 29);
    WalkFlips(load, bytes, 11);
}

TEST(StoredRecordCorruption, AnnotationList)
{
    CAnnotationList list;
    auto text = std::make_unique<CTextAnnotation>();
    text->m_strText = "label";
    list.Append(std::move(text));
    list.Append(std::make_unique<CArrowAnnotation>());
    auto rect = std::make_unique<CRectAnnotation>();
    list.Append(std::move(rect));
    auto carrier = std::make_unique<CStringAnnotation>();
    carrier->m_strText = "carried";
    list.Append(std::move(carrier));
    const auto bytes = StoreBytes(list);
    const Loader load = [](std::span<const std::uint8_t> data)
    {
        CAnnotationList loaded;
        CArchive ar(data);
        loaded.Serialize(ar);
    };
    WalkCuts(load, bytes, bytes.size(), 1);
    WalkFlips(load, bytes, 1);
}

TEST(StoredRecordCorruption, CurveAndCalibrationRecords)
{
    Ccurve_data curve;
    curve.m_nCount = 4;
    curve.m_pY = {1, 2, 3, 4};
    curve.m_pX = {5, 6, 7, 8};
    const auto curveBytes = StoreBytes(curve);
    const Loader loadCurve = [](std::span<const std::uint8_t> data)
    {
        Ccurve_data loaded;
        CArchive ar(data);
        loaded.Serialize(ar);
    };
    WalkCuts(loadCurve, curveBytes, curveBytes.size(), 1);
    WalkFlips(loadCurve, curveBytes, 1);

    CCalibrationCurve calibration;
    calibration.m_strPath = "/home/user/mic.cal";
    const auto calibrationBytes = StoreBytes(calibration);
    const Loader loadCalibration = [](std::span<const std::uint8_t> data)
    {
        CCalibrationCurve loaded;
        CArchive ar(data);
        loaded.Serialize(ar);
    };
    WalkCuts(loadCalibration, calibrationBytes, calibrationBytes.size(), 1);
    WalkFlips(loadCalibration, calibrationBytes, 1);
}
