#include "display/DisplayUnits.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/display/ScopedLanguage.h"
#include "tests/support/TempHome.h"

namespace
{

using displaytest::ScopedLanguage;

class DisplayUnitsTest : public testsupport::TempHomeTest
{
};

TEST_F(DisplayUnitsTest, FourUnitsByIndex)
{
    const CDisplayUnitList units;
    EXPECT_EQ(units.GetCount(), 4);
    const struct
    {
        int index;
        int code;
    } rows[] = {{0, -1},
                {1, 0},
                {2, 1},
                {3, 2},
                {-1, CDisplayUnitList::kNoUnit},
                {4, CDisplayUnitList::kNoUnit},
                {INT_MIN, CDisplayUnitList::kNoUnit}};
    for (const auto& row : rows)
        EXPECT_EQ(units.GetUnitCode(row.index), row.code) << row.index;
}

TEST_F(DisplayUnitsTest, LabelsByCodeAndLanguage)
{
    CDisplayUnitList units;
    EXPECT_TRUE(units.m_strUnit.empty());
    EXPECT_TRUE(units.m_strSecond.empty());
    units.m_strUnit = "V";
    const struct
    {
        int language;
        int code;
        const char* label;
    } rows[] = {
        {LANGUAGE_ENGLISH, -1, "default"},
        {LANGUAGE_ENGLISH, 0, "linearV"},  // nothing between the word and the unit
        {LANGUAGE_ENGLISH, 1, "dB"},
        {LANGUAGE_ENGLISH, 2, "%"},
        {LANGUAGE_ENGLISH, 3, ""},
        {LANGUAGE_ENGLISH, -2, ""},
        {LANGUAGE_ENGLISH, INT_MAX, ""},
        {LANGUAGE_GERMAN, -1, "Standard"},
        {LANGUAGE_GERMAN, 0, "linearV"},
        {LANGUAGE_GERMAN, 1, "dB"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.language << " " << row.code);
        ScopedLanguage language(row.language);
        EXPECT_EQ(units.GetLabel(row.code), row.label);
    }
}

TEST_F(DisplayUnitsTest, EveryIndexHasALabel)
{
    ScopedLanguage english(LANGUAGE_ENGLISH);
    CDisplayUnitList units;
    for (int index = 0; index < units.GetCount(); ++index)
        EXPECT_FALSE(units.GetLabel(units.GetUnitCode(index)).empty()) << index;
    EXPECT_EQ(units.GetLabel(0), "linear");  // an empty unit adds nothing
}

}  // namespace
