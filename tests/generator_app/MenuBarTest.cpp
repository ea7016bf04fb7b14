// The generator program's menu bar as the toolkit shows it: German for language 1, English with
// translated captions for the languages that have no menu of their own, prompts on every item.
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorMenus.h"
#include "generator_app/ui/MainFrame.h"
#include "tests/support/WxEnvironment.h"
#include "texts/TextTable.h"
#include "texts/ui/MenuTranslation.h"

#include <gtest/gtest.h>
#include <wx/menu.h>

#include <memory>

namespace
{

std::vector<std::string> Titles(wxMenuBar& bar)
{
    std::vector<std::string> titles;
    for (size_t i = 0; i < bar.GetMenuCount(); ++i)
        titles.push_back(bar.GetMenuLabelText(i).utf8_string());
    return titles;
}

TEST(GeneratorMenuBar, EachLanguageGetsItsMenu)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display";
    EnsureTextTable();
    InstallGeneratorStrings();
    std::unique_ptr<wxMenuBar> english(BuildGeneratorMenuBar(generator_ids::kMenuEnglish));
    EXPECT_EQ(Titles(*english), (std::vector<std::string>{"File", "Edit", "DSP", "View", "Help"}));
    wxMenuItem* start = english->FindItem(generator_ids::WxId(generator_ids::kSaveConfig));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->GetHelp().utf8_string(), "Save configuration to .ini file");

    std::unique_ptr<wxMenuBar> german(BuildGeneratorMenuBar(generator_ids::kMenuGerman));
    EXPECT_EQ(Titles(*german), (std::vector<std::string>{"Datei", "DSP", "Ansicht", "Hilfe"}));

    std::unique_ptr<wxMenuBar> italian(BuildGeneratorMenuBar(GeneratorMenuResource(2)));
    TranslateMenu(italian.get(), 2);
    EXPECT_EQ(Titles(*italian), (std::vector<std::string>{"File", "Modifica", "DSP", "Visualizza", "Guida"}));
}

}  // namespace
