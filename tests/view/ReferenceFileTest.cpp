// The reference spectrum file: what is written reads back to the same count, rate and values, and
// a damaged file is refused whole, leaving the reference that was loaded before.
#include "view/ReferenceFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using reference_file::Result;

std::filesystem::path TempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() /
           ("tessarin-ref-" + std::to_string(::getpid()) + "-" + name);
}

TEST(ReferenceFileTest, WrittenFileReadsBack)
{
    std::vector<float> values(2048);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = 1e-6f * static_cast<float>(i * i + 1);
    const auto path = TempPath("roundtrip.ref");
    ASSERT_TRUE(reference_file::Write(path, values, 48000));
    std::ifstream in(path);
    std::string first, second, third;
    in >> first >> second >> third;
    EXPECT_EQ(first, "1457934343");
    EXPECT_EQ(second, "2048") << "N is the number of values written";
    EXPECT_EQ(third, "48000");
    CReferenceSpectrum spectrum;
    ASSERT_EQ(reference_file::Read(path, spectrum), Result::Loaded);
    EXPECT_EQ(spectrum.m_nSampleRate, 48000);
    ASSERT_EQ(spectrum.m_values.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_NEAR(spectrum.m_values[i], values[i], values[i] * 1e-6) << i;
    std::filesystem::remove(path);
}

TEST(ReferenceFileTest, DamagedFilesChangeNothing)
{
    struct Case
    {
        const char* text;
        Result expected;
    };
    const Case cases[] = {
        {"1457934344\n2\n48000\n1\n2\n", Result::WrongMagic},  // a calibration file
        {"", Result::WrongMagic},
        {"1457934343\n", Result::BadCount},
        {"1457934343\n0\n48000\n", Result::BadCount},
        {"1457934343\n-5\n48000\n1\n", Result::BadCount},
        {"1457934343\n99999999999\n48000\n1\n", Result::BadCount},
        {"1457934343\n3\n0\n1\n2\n3\n", Result::BadCount},
        {"1457934343\n3\n48000\n1\n2\n", Result::BadValue},  // N larger than the values
        {"1457934343\n3\n48000\n1\nnan\n3\n", Result::BadValue},
        {"1457934343\n3\n48000\n1\ninf\n3\n", Result::BadValue},
        {"1457934343\n3\n48000\n1\n1e300\n3\n", Result::BadValue},
        {"1457934343\n3\n48000\n1\nx\n3\n", Result::BadValue},
        {"1457934343\n2.5\n48000\n1\n2\n", Result::BadCount},
    };
    for (const Case& c : cases)
    {
        CReferenceSpectrum spectrum;
        spectrum.m_nSampleRate = 44100;
        spectrum.m_values = {5.0f};
        EXPECT_EQ(reference_file::Parse(c.text, spectrum), c.expected) << c.text;
        EXPECT_EQ(spectrum.m_nSampleRate, 44100) << c.text;
        ASSERT_EQ(spectrum.m_values.size(), 1u) << c.text;
        EXPECT_EQ(spectrum.m_values[0], 5.0f);
    }
    CReferenceSpectrum spectrum;
    EXPECT_EQ(reference_file::Read(TempPath("missing.ref"), spectrum), Result::CannotOpen);
}

TEST(ReferenceFileTest, AnyWhiteSpaceSeparatesTheNumbers)
{
    CReferenceSpectrum spectrum;
    ASSERT_EQ(reference_file::Parse("1457934343 3\t44100 1.0e+00 2.5e-01\r\n\r\n4e0", spectrum),
              Result::Loaded);
    EXPECT_EQ(spectrum.m_nSampleRate, 44100);
    EXPECT_EQ(spectrum.m_values, (std::vector<float>{1.0f, 0.25f, 4.0f}));
}

}  // namespace
