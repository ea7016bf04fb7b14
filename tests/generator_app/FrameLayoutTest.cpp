// The generator program's frame sizes, panel scale, command strings and menus as data.
#include "generator_app/FrameLayout.h"
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorMenus.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace
{

using generator_layout::FrameSize;

TEST(GeneratorFrameLayout, TheFrameSizeFollowsTheQuantisedResolution)
{
    struct Case
    {
        int dpi;
        int scale;
        FrameSize size;
    };
    for (const Case& c : {Case{72, 96, {240, 460}}, Case{96, 96, {240, 460}}, Case{100, 96, {240, 460}},
                          Case{109, 96, {240, 460}}, Case{110, 126, {315, 603}}, Case{120, 126, {315, 603}},
                          Case{134, 126, {315, 603}}, Case{135, 144, {360, 690}}, Case{144, 144, {360, 690}},
                          Case{179, 144, {360, 690}}, Case{180, 180, {450, 862}}, Case{200, 200, {500, 958}}})
    {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(generator_layout::ScaleFromDpi(c.dpi), c.scale);
        EXPECT_EQ(generator_layout::FrameSizeForScale(c.scale), c.size);
    }
}

TEST(GeneratorFrameLayout, ThePanelScaleFollowsTheWidthOnly)
{
    EXPECT_DOUBLE_EQ(generator_layout::ScaleFromWidth(480), 192.0);
    EXPECT_DOUBLE_EQ(generator_layout::ScaleFromWidth(240), 96.0);
    EXPECT_DOUBLE_EQ(generator_layout::ScaleFromWidth(300), 120.0);
}

TEST(GeneratorFrameLayout, ACommandStringSplitsIntoPromptAndTooltip)
{
    struct Case
    {
        const char* text;
        const char* prompt;
        const char* tooltip;
    };
    for (const Case& c :
         {Case{"Start the signal generator\nStart", "Start the signal generator", "Start"},
          Case{"Select the audio device", "Select the audio device", ""}, Case{"Prompt\n", "Prompt", ""},
          Case{"Prompt\nTip\nMore", "Prompt", "Tip"}, Case{"", "", ""}, Case{"\nTip only", "", "Tip only"}})
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(generator_layout::PromptPart(c.text), c.prompt);
        EXPECT_EQ(generator_layout::TooltipPart(c.text), c.tooltip);
    }
}

// Every command id of a menu, depth first.
std::vector<unsigned> Ids(const std::vector<GeneratorMenuEntry>& entries)
{
    std::vector<unsigned> ids;
    std::function<void(const std::vector<GeneratorMenuEntry>&)> walk = [&](const auto& list)
    {
        for (const GeneratorMenuEntry& e : list)
        {
            if (e.id != 0)
                ids.push_back(e.id);
            walk(e.items);
        }
    };
    walk(entries);
    return ids;
}

TEST(GeneratorMenus, TheGermanMenuHasTheEnglishCommandsWithoutTheEditPopup)
{
    using namespace generator_ids;
    const std::vector<GeneratorMenuEntry> english = GeneratorMenu(kMenuEnglish);
    const std::vector<GeneratorMenuEntry> german = GeneratorMenu(kMenuGerman);
    std::vector<std::string> englishTitles, germanTitles;
    for (const auto& p : english)
        englishTitles.push_back(p.caption);
    for (const auto& p : german)
        germanTitles.push_back(p.caption);
    EXPECT_EQ(englishTitles, (std::vector<std::string>{"&File", "&Edit", "DS&P", "&View", "&Help"}));
    EXPECT_EQ(germanTitles, (std::vector<std::string>{"&Datei", "DS&P", "&Ansicht", "&Hilfe"}));

    const std::vector<unsigned> englishList = Ids(english);
    std::multiset<unsigned> englishIds(englishList.begin(), englishList.end());
    for (unsigned id : {kEditUndo, kEditCut, kEditCopy, kEditPaste})
        englishIds.erase(id);
    const std::vector<unsigned> germanList = Ids(german);
    EXPECT_EQ(englishIds, std::multiset<unsigned>(germanList.begin(), germanList.end()));
    EXPECT_EQ(GeneratorMenuResource(1), kMenuGerman);
    for (int language : {0, 2, 3, 4})
        EXPECT_EQ(GeneratorMenuResource(language), kMenuEnglish);
}

TEST(GeneratorMenus, EveryCommandHasAPromptInBothLanguagesAndItsFoldedIdComesBack)
{
    using namespace generator_ids;
    for (unsigned id : Ids(GeneratorMenu(kMenuEnglish)))
    {
        SCOPED_TRACE(id);
        EXPECT_LT(WxId(id), 0x8000);
        EXPECT_EQ(FromWxId(WxId(id)), id);
    }
    for (std::uint16_t lang : {LANGID_ENGLISH_US, LANGID_GERMAN})
    {
        std::set<unsigned> ids;
        for (const StringTableEntry& e : GeneratorStringTable(lang))
            ids.insert(e.id);
        for (unsigned id :
             {kStart, kStop, kDefaultSettings, kLoadSettings, kSaveSettings, kSaveConfig, kLoadConfig})
            EXPECT_TRUE(ids.count(id)) << lang << " " << id;
    }
}

}  // namespace
