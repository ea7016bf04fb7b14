#include "common/RegistryValues.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "tests/support/TempHome.h"

namespace
{

using platform::RegistryKey;
using platform::RegistryType;

class RegistryValuesTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_key = RegistryKey::Open("Software\\HLV\\Tessarin", true);
        ASSERT_TRUE(m_key);
    }

    RegistryKey m_key;
};

TEST_F(RegistryValuesTest, FailureCodeIsTheSystemsGenericFailure)
{
    EXPECT_EQ(static_cast<unsigned>(E_FAIL), 0x80004005u);
}

TEST_F(RegistryValuesTest, DoublesFallBackToTheDefaultAndConvertStoredText)
{
    const struct
    {
        const char* stored;  // null: no value
        double defaultValue;
        double expected;
    } cases[] = {
        {nullptr, 0.5, 0.5},        {nullptr, -2.25e-7, -2.25e-7},
        {"1.5e3", 0.5, 1500.0},     {"1.000000e-01", 7.0, 0.1},
        {"-4.5E+002", 0.0, -450.0}, {"  12.5 dB", 0.0, 12.5},
        {"no number", 3.0, 0.0},    {"", 3.0, 0.0},
    };
    int index = 0;
    for (const auto& c : cases)
    {
        const std::string name = "v" + std::to_string(index++);
        if (c.stored)
        {
            ASSERT_EQ(WriteRegString(m_key, name, c.stored), 0);
        }
        double value = -99.0;
        EXPECT_EQ(ReadRegDouble(m_key, name, &value, c.defaultValue), 0);
        EXPECT_DOUBLE_EQ(value, c.expected) << (c.stored ? c.stored : "(missing)");
    }
}

TEST_F(RegistryValuesTest, DoublesAreStoredAsExponentText)
{
    ASSERT_EQ(WriteRegDouble(m_key, "Gain", -1234.5678), 0);
    const auto stored = m_key.ReadValue("Gain");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, RegistryType::String);
    EXPECT_EQ(stored->data, "-1.234568e+03");
    double value = 0;
    ReadRegDouble(m_key, "gain", &value, 0.0);
    EXPECT_DOUBLE_EQ(value, -1234.568);
}

TEST_F(RegistryValuesTest, DwordsRoundTripWithTheirSignAndFallBack)
{
    for (const int written : {0, 1, -7, 2147483647, -2147483647 - 1})
    {
        ASSERT_EQ(WriteRegDword(m_key, "Count", written), 0);
        int value = 5;
        EXPECT_EQ(ReadRegDword(m_key, "COUNT", &value, 5), 0);
        EXPECT_EQ(value, written);
    }
    EXPECT_EQ(m_key.ReadValue("Count")->data, std::string("\x00\x00\x00\x80", 4));

    int value = 0;
    ReadRegDword(m_key, "Missing", &value, 42);
    EXPECT_EQ(value, 42);
    // A value of another type is not a dword.
    ASSERT_EQ(WriteRegString(m_key, "Text", "1234"), 0);
    ReadRegDword(m_key, "Text", &value, 43);
    EXPECT_EQ(value, 43);
    ASSERT_TRUE(m_key.WriteValue("Blob", RegistryType::Binary, "abcd"));
    ReadRegDword(m_key, "Blob", &value, 44);
    EXPECT_EQ(value, 44);
}

TEST_F(RegistryValuesTest, StringsThatDoNotFitWithTheirTerminatorGiveTheDefault)
{
    ASSERT_EQ(WriteRegString(m_key, "Seven", "1234567"), 0);
    ASSERT_EQ(WriteRegString(m_key, "Eight", "12345678"), 0);
    ASSERT_TRUE(m_key.WriteValue("Number", RegistryType::Dword, std::string(4, '\x01')));

    const struct
    {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Seven", "1234567"},  // seven characters and the terminator fill the buffer exactly
        {"Eight", "dflt"},     // one byte too long
        {"Missing", "dflt"},
        {"Number", "dflt"},
    };
    for (const auto& c : cases)
    {
        std::array<char, 10> storage;
        storage.fill('#');
        EXPECT_EQ(ReadRegString(m_key, c.name, std::span(storage).first(8), "dflt"), 0);
        EXPECT_STREQ(storage.data(), c.expected) << c.name;
        EXPECT_EQ(storage[8], '#') << "wrote past the buffer";
        EXPECT_EQ(storage[9], '#') << "wrote past the buffer";
    }
}

TEST_F(RegistryValuesTest, ADefaultLongerThanTheBufferIsCutWithoutSplittingACharacter)
{
    std::array<char, 8> storage;
    storage.fill('#');
    // "aaaaé" is 6 bytes; a 6-byte buffer holds 5 bytes and the terminator, and é must not be halved.
    ReadRegString(m_key, "Missing", std::span(storage).first(6), "aaaaébbbb");
    EXPECT_STREQ(storage.data(), "aaaa");
    EXPECT_EQ(storage[6], '#');
    ReadRegString(m_key, "Missing", std::span(storage).first(0), "x");
    EXPECT_EQ(storage[0], 'a');
}

TEST_F(RegistryValuesTest, AClosedKeyReadsDefaultsAndRefusesWrites)
{
    RegistryKey closed;
    EXPECT_EQ(WriteRegString(closed, "a", "x"), E_FAIL);
    EXPECT_EQ(WriteRegDword(closed, "a", 1), E_FAIL);
    EXPECT_EQ(WriteRegDouble(closed, "a", 1.0), E_FAIL);
    int number = 0;
    double real = 0;
    char text[8];
    EXPECT_EQ(ReadRegDword(closed, "a", &number, 9), 0);
    EXPECT_EQ(ReadRegDouble(closed, "a", &real, 2.5), 0);
    EXPECT_EQ(ReadRegString(closed, "a", text, "d"), 0);
    EXPECT_EQ(number, 9);
    EXPECT_EQ(real, 2.5);
    EXPECT_STREQ(text, "d");
}

}  // namespace
