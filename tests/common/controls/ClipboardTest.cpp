#include "common/controls/Clipboard.h"

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include <string>

#include "tests/support/WxEnvironment.h"

namespace
{

class ClipboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
    }

    // What a pasting program would get as text; nullopt-like "<none>" when there is no text.
    static std::string ClipboardText()
    {
        if (!wxTheClipboard->Open())
            return "<cannot open>";
        std::string text = "<none>";
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT))
        {
            wxTextDataObject data;
            if (wxTheClipboard->GetData(data))
                text = data.GetText().utf8_string();
        }
        wxTheClipboard->Close();
        return text;
    }
};

TEST_F(ClipboardTest, PutsTextOnTheClipboard)
{
    const struct
    {
        std::string given;
        std::string pasted;
    } cases[] = {
        {"1.5\t-12.3dB\n2.0\t-3.1dB\n", "1.5\t-12.3dB\n2.0\t-3.1dB\n"},
        {"Grüße, 20 µPa", "Grüße, 20 µPa"},
        {"\xe9t\xe9 \x80", "été €"},           // Windows-1252 bytes are read as such
        {std::string("cut\0here", 8), "cut"},  // text ends at its terminator
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(CopyTextToClipboard(c.given));
        EXPECT_EQ(ClipboardText(), c.pasted);
    }
}

TEST_F(ClipboardTest, BufferVariantReplacesThePreviousText)
{
    ASSERT_TRUE(CopyTextToClipboard("old text"));
    ASSERT_TRUE(CopyBufferToClipboard("new"));
    EXPECT_EQ(ClipboardText(), "new");
    EXPECT_FALSE(CopyBufferToClipboard(nullptr));
    EXPECT_EQ(ClipboardText(), "new");
}

TEST_F(ClipboardTest, TheClipboardIsClosedAfterEveryCall)
{
    ASSERT_TRUE(CopyBufferToClipboard("x"));
    EXPECT_FALSE(wxTheClipboard->IsOpened());
    // Already open elsewhere in the program: the copy fails and leaves it as it was.
    ASSERT_TRUE(wxTheClipboard->Open());
    EXPECT_FALSE(CopyBufferToClipboard("y"));
    EXPECT_TRUE(wxTheClipboard->IsOpened());
    wxTheClipboard->Close();
    EXPECT_EQ(ClipboardText(), "x");
}

}  // namespace
