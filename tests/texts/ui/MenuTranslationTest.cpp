#include "texts/ui/MenuTranslation.h"

#include <gtest/gtest.h>
#include <wx/accel.h>
#include <wx/menu.h>

#include <memory>
#include <string>

#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "texts/TextTable.h"

namespace
{

TEST(MenuCaptionNormalization, StripsMarkersTheCtrlAcceleratorAndTrailingBlanks)
{
    const struct
    {
        const char* caption;
        const char* expected;
    } cases[] = {
        {"&Print...\tCtrl+P", "Print..."},
        {"&Open...\tCtrl+O", "Open..."},
        {"Cu&t\tCtrl+X", "Cut"},
        {"Save &As...", "Save As..."},
        {"R&&D", "RD"},  // both characters of a doubled marker go
        {"&&", ""},
        {"Refresh\tF5", "Refresh\tF5"},  // other accelerators stay
        {"Zoom\tCtrl+F5", "Zoom\t5"},    // one key character goes, the rest of the name stays
        {"Save\tShift+Ctrl+S", "Save\tShift+"},
        {"Find\tctrl+F", "Find\tctrl+F"},     // the prefix is matched with its case
        {"Umlaut\tCtrl+\xC3\x84", "Umlaut"},  // a key of two bytes is one character
        {"Trailing \t \t", "Trailing"},
        {"  Leading", "  Leading"},
        {"", ""},
        {"Ctrl+", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeMenuCaption(c.caption), c.expected) << '"' << c.caption << '"';
}

enum : int
{
    ID_NEW = 1100,
    ID_OPEN,
    ID_SAVE_AS,
    ID_EXPERT,
    ID_EXPERT_KEY,
    ID_CUT,
    ID_REFRESH,
    ID_REVERB,
    ID_FREQ_RESPONSE,
    ID_PHONTETOGRAM,
    ID_UNDO_ZOOM,
    ID_REDO_ZOOM,
    ID_RESIZE_AXIS,
};

class MenuTranslationTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        auto* file = new wxMenu;
        file->Append(ID_NEW, "&New\tCtrl+N");
        file->Append(ID_OPEN, "&Open...\tCtrl+O");
        file->Append(ID_SAVE_AS, "Save &As...");
        file->AppendSeparator();
        file->Append(ID_EXPERT, "Expert Mode");
        file->Append(ID_EXPERT_KEY, "E&xpert Mode\tCtrl+E");
        auto* analysis = new wxMenu;
        analysis->Append(ID_REVERB, "&Reverberation time");
        analysis->Append(ID_FREQ_RESPONSE, "Frequency &response\tCtrl+R");
        analysis->Append(ID_PHONTETOGRAM, "Phontetogram");
        auto* edit = new wxMenu;
        edit->Append(ID_CUT, "Cu&t\tCtrl+X");
        edit->Append(ID_REFRESH, "&Refresh\tF5");
        edit->AppendSubMenu(analysis, "&Analysis");
        m_bar = std::make_unique<wxMenuBar>();
        m_bar->Append(file, "&File");
        m_bar->Append(edit, "&Edit");
        m_bar->Append(new wxMenu, "E&xpert");
    }
    void TearDown() override { FreeTextTable(); }

    std::string Label(int id) const
    {
        wxMenuItem* item = m_bar->FindItem(id);
        return item ? item->GetItemLabel().utf8_string() : "<missing>";
    }
    std::string MenuLabel(std::size_t position) const { return m_bar->GetMenuLabel(position).utf8_string(); }

    // The key of the item's accelerator as wx understands the label, or 0 when it has none.
    int AcceleratorKey(int id, int* flags) const
    {
        std::unique_ptr<wxAcceleratorEntry> accel(m_bar->FindItem(id)->GetAccel());
        if (!accel)
            return 0;
        *flags = accel->GetFlags();
        return accel->GetKeyCode();
    }

    static std::string T(int id, int language) { return GetTextForLanguage(id, language); }

    std::unique_ptr<wxMenuBar> m_bar;
};

TEST_F(MenuTranslationTest, GermanReplacesCaptionsKeepsAcceleratorsIdsAndUnknownCaptions)
{
    // The captions chosen here have a German text of their own.
    for (const int id : {1000020, 1000400, 1000401, 1000402, 1000035, 1000036, 1000066, 1000260})
        ASSERT_NE(T(id, LANGUAGE_GERMAN), T(id, LANGUAGE_ENGLISH)) << id;

    TranslateMenu(m_bar.get(), LANGUAGE_GERMAN);

    EXPECT_EQ(MenuLabel(0), T(1000020, LANGUAGE_GERMAN));
    EXPECT_EQ(MenuLabel(1), "Edit");  // German keeps the English row; the marker is gone
    EXPECT_EQ(MenuLabel(2), "E&xpert");

    const struct
    {
        int id;
        std::string expected;
    } items[] = {
        {ID_NEW, T(1000400, LANGUAGE_GERMAN) + "\tCtrl+N"},
        {ID_OPEN, T(1000401, LANGUAGE_GERMAN) + "\tCtrl+O"},
        {ID_SAVE_AS, T(1000402, LANGUAGE_GERMAN)},
        {ID_EXPERT, "Expert Mode"},
        {ID_EXPERT_KEY, "E&xpert Mode\tCtrl+E"},
        {ID_CUT, "Cut\tCtrl+X"},
        {ID_REFRESH, T(1000260, LANGUAGE_GERMAN) + "\tF5"},
        {ID_REVERB, T(1000035, LANGUAGE_GERMAN)},
        {ID_FREQ_RESPONSE, T(1000036, LANGUAGE_GERMAN) + "\tCtrl+R"},
        {ID_PHONTETOGRAM, "Phontetogram"},
    };
    for (const auto& item : items)
        EXPECT_EQ(Label(item.id), item.expected) << "item " << item.id;

    // The submenu is still there under its translated caption, with its items.
    wxMenuItem* analysis = m_bar->GetMenu(1)->FindItemByPosition(2);
    ASSERT_TRUE(analysis->IsSubMenu());
    EXPECT_EQ(analysis->GetItemLabel().utf8_string(), T(1000066, LANGUAGE_GERMAN));
    EXPECT_EQ(analysis->GetSubMenu()->GetMenuItemCount(), 3u);
    EXPECT_TRUE(m_bar->GetMenu(0)->FindItemByPosition(3)->IsSeparator());

    // wx still reads the shortcuts from the translated labels.
    const struct
    {
        int id;
        int key;
        int flags;
    } accelerators[] = {
        {ID_NEW, 'N', wxACCEL_CTRL},           {ID_OPEN, 'O', wxACCEL_CTRL},
        {ID_CUT, 'X', wxACCEL_CTRL},           {ID_REFRESH, WXK_F5, wxACCEL_NORMAL},
        {ID_FREQ_RESPONSE, 'R', wxACCEL_CTRL}, {ID_SAVE_AS, 0, 0},
    };
    for (const auto& a : accelerators)
    {
        int flags = 0;
        EXPECT_EQ(AcceleratorKey(a.id, &flags), a.key) << "item " << a.id;
        EXPECT_EQ(flags, a.flags) << "item " << a.id;
    }
}

TEST_F(MenuTranslationTest, FrenchTranslatesTheMainMenuCaptions)
{
    TranslateMenu(m_bar.get(), LANGUAGE_FRENCH);
    EXPECT_EQ(MenuLabel(0), T(1000020, LANGUAGE_FRENCH));
    EXPECT_EQ(Label(ID_NEW), T(1000400, LANGUAGE_FRENCH) + "\tCtrl+N");
    EXPECT_EQ(Label(ID_EXPERT), "Expert Mode");
}

TEST_F(MenuTranslationTest, EnglishOnlyNormalisesAndKeepsEveryCommandId)
{
    wxMenu menu;
    menu.Append(ID_UNDO_ZOOM, "undo zoom");
    menu.Append(ID_REDO_ZOOM, "&Redo zoom");
    menu.Append(ID_RESIZE_AXIS, "resize axis\tCtrl+A");
    TranslateMenu(&menu, LANGUAGE_ENGLISH);

    const struct
    {
        int position;
        int id;
        std::string label;
    } expected[] = {
        {0, ID_UNDO_ZOOM, T(1000577, LANGUAGE_ENGLISH)},
        {1, ID_REDO_ZOOM, T(1000578, LANGUAGE_ENGLISH)},
        {2, ID_RESIZE_AXIS, T(1000579, LANGUAGE_ENGLISH) + "\tCtrl+A"},
    };
    EXPECT_EQ(T(1000577, LANGUAGE_ENGLISH), "undo zoom");
    for (const auto& e : expected)
    {
        wxMenuItem* item = menu.FindItemByPosition(static_cast<std::size_t>(e.position));
        EXPECT_EQ(item->GetId(), e.id);
        EXPECT_EQ(item->GetItemLabel().utf8_string(), e.label);
    }
}

}  // namespace
