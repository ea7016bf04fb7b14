#include "common/controls/ColorComboBox.h"

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <strings.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "common/controls/ItemComboBox.h"
#include "tests/support/WxEnvironment.h"

namespace
{

// White text on a dark window: the inverse of the window text (black) then differs from the
// highlight text colour (white), so the selected-item test tells the two apart. Set before the
// toolkit starts (the test environment starts it).
const bool g_darkScheme = [] { return setenv("GTK_THEME", "Adwaita:dark", 1) == 0; }();

// The drawing operations are protected: these make them callable on a bitmap.
class DrawableColorCombo : public CColorComboBox
{
public:
    using CColorComboBox::CColorComboBox;
    using CColorComboBox::OnDrawItem;
};

class DrawableMarkerCombo : public CMarkerComboBox
{
public:
    using CMarkerComboBox::CMarkerComboBox;
    using CMarkerComboBox::OnDrawItem;
};

class DrawableItemCombo : public CItemComboBox
{
public:
    using CItemComboBox::CItemComboBox;
    using CItemComboBox::OnDrawItem;
};

// A palette of 20 colours that a test can recognise: colour i is RGB(10 i, 255 - 10 i, 3 i).
COLORREF TestPaletteColor(int i)
{
    return static_cast<COLORREF>((10 * i) | ((255 - 10 * i) << 8) | ((3 * i) << 16));
}

int Distance(COLORREF a, COLORREF b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

ColorComboPalette TestPalette()
{
    ColorComboPalette palette;
    palette.count = 20;
    palette.color = TestPaletteColor;
    palette.name = [](int i) { return "P" + std::to_string(i); };
    palette.nearest = [](COLORREF color)
    {
        int best = 0;
        for (int i = 1; i < 20; ++i)
        {
            if (Distance(TestPaletteColor(i), color) < Distance(TestPaletteColor(best), color))
                best = i;
        }
        return best;
    };
    return palette;
}

struct Rgb
{
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb Pixel(const wxImage& image, int x, int y)
{
    return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

Rgb FromWx(const wxColour& c)
{
    return {c.Red(), c.Green(), c.Blue()};
}

class ComboBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "combos");
    }
    void TearDown() override
    {
        if (m_frame != nullptr)
            m_frame->Destroy();
    }

    // Paints one item into a bitmap of the given size, the item rectangle starting at `left`.
    template <class Combo>
    wxImage PaintItem(const Combo& combo, int item, int flags, int left = 0, int width = 200, int height = 20)
    {
        wxBitmap bitmap(left + width, height, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            combo.OnDrawItem(dc, wxRect(left, 0, width, height), item, flags);
        }
        return bitmap.ConvertToImage();
    }

    wxFrame* m_frame = nullptr;
};

TEST(NamedColorTable, HoldsTheWebColourKeywordsInOrder)
{
    ASSERT_EQ(g_namedColors.size(), 140u);
    // Values from the colour keyword table of CSS Color Module Level 3 (as 0x00BBGGRR).
    const struct
    {
        int index;
        const char* name;
        COLORREF value;
    } known[] = {
        {0, "AliceBlue", 0xFFF8F0},   {2, "Aqua", 0xFFFF00},       {7, "Black", 0x000000},
        {20, "Cyan", 0xFFFF00},       {45, "Fuchsia", 0xFF00FF},   {50, "Gray", 0x808080},
        {51, "Green", 0x008000},      {68, "LightGrey", 0xD3D3D3}, {80, "Maroon", 0x000080},
        {79, "Magenta", 0xFF00FF},    {112, "Purple", 0x800080},   {139, "YellowGreen", 0x32CD9A},
        {67, "LightGreen", 0x90EE90}, {95, "Navy", 0x800000},      {138, "Yellow", 0x00FFFF},
    };
    for (const auto& k : known)
    {
        SCOPED_TRACE(k.name);
        EXPECT_STREQ(g_namedColors[static_cast<std::size_t>(k.index)].szName, k.name);
        EXPECT_EQ(g_namedColors[static_cast<std::size_t>(k.index)].crColor, k.value);
    }
    for (std::size_t i = 0; i < g_namedColors.size(); ++i)
    {
        const NamedColor& entry = g_namedColors[i];
        EXPECT_EQ(entry.szName[sizeof entry.szName - 1], '\0');
        EXPECT_EQ(entry.crColor & 0xFF000000u, 0u);
        if (i > 0)
        {
            EXPECT_LT(strcasecmp(g_namedColors[i - 1].szName, entry.szName), 0) << entry.szName;
        }
    }
}

TEST_F(ComboBoxTest, PaletteModeOffersThePaletteByIndex)
{
    auto* combo = new CColorComboBox(m_frame, 366);
    combo->SetPalette(TestPalette());
    combo->m_bPalette = true;
    combo->FillList();
    ASSERT_EQ(combo->GetCount(), 20u);
    EXPECT_EQ(combo->m_nCount, 20);
    EXPECT_EQ(combo->GetSelectedColor(), 0u);  // nothing selected yet
    for (int i = 0; i < 20; ++i)
    {
        EXPECT_EQ(combo->GetString(static_cast<unsigned>(i)).utf8_string(), "P" + std::to_string(i));
        combo->SelectColor(TestPaletteColor(i));
        EXPECT_EQ(combo->GetSelection(), i);
        EXPECT_EQ(combo->GetSelectedColor(), TestPaletteColor(i));
    }
    // Any colour goes to its nearest palette entry.
    combo->SelectColor(TestPaletteColor(7) + 1);
    EXPECT_EQ(combo->GetSelection(), 7);
}

TEST_F(ComboBoxTest, NamedColoursWithoutPaletteMode)
{
    auto* combo = new CColorComboBox(m_frame, 643);
    combo->SetPalette(TestPalette());  // ignored outside palette mode
    combo->FillList();
    ASSERT_EQ(combo->GetCount(), 140u);
    EXPECT_EQ(combo->m_nCount, 140);
    for (unsigned i = 0; i < 140; ++i)
    {
        EXPECT_EQ(combo->GetString(i).utf8_string(), g_namedColors[i].szName);
        EXPECT_EQ(combo->GetItemColor(static_cast<int>(i)), g_namedColors[i].crColor);
    }
    const struct
    {
        COLORREF color;
        int item;
    } cases[] = {
        {0xD3D3D3, 68},  // LightGrey
        {0xFFFF00, 2},   // Aqua, not Cyan (20) of the same value
        {0xFF00FF, 45},  // Fuchsia, not Magenta (79)
        {0x32CD9A, 139},
    };
    for (const auto& c : cases)
    {
        combo->SelectColor(c.color);
        EXPECT_EQ(combo->GetSelection(), c.item);
        EXPECT_EQ(combo->GetSelectedColor(), c.color);
    }
    // A colour that is not in the list keeps the selection.
    combo->SelectColor(0x123456);
    EXPECT_EQ(combo->GetSelection(), 139);
    // Filling again starts afresh.
    combo->FillList();
    EXPECT_EQ(combo->GetCount(), 140u);
}

TEST_F(ComboBoxTest, PaletteModeWithoutAPaletteStaysEmpty)
{
    auto* combo = new CColorComboBox(m_frame, 641);
    combo->m_bPalette = true;
    combo->FillList();
    EXPECT_EQ(combo->GetCount(), 0u);
    EXPECT_EQ(combo->m_nCount, 0);
    combo->SelectColor(0xFFFFFF);
    EXPECT_EQ(combo->GetSelectedColor(), 0u);
}

TEST_F(ComboBoxTest, ItemHasSwatchUpToAQuarterAndTextBehindIt)
{
    auto* combo = new DrawableColorCombo(m_frame, 366);
    combo->FillList();
    const Rgb window = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    const Rgb blue{0, 0, 255};
    const Rgb black{0, 0, 0};
    // 200 pixels wide from x = 0: frame at 2 and 49, colour inside, background from 50 on.
    {
        const wxImage image = PaintItem(*combo, 9, 0);  // "Blue"
        EXPECT_EQ(Pixel(image, 1, 10), window);
        EXPECT_EQ(Pixel(image, 2, 10), black);
        EXPECT_EQ(Pixel(image, 3, 10), blue);
        EXPECT_EQ(Pixel(image, 48, 10), blue);
        EXPECT_EQ(Pixel(image, 49, 10), black);
        EXPECT_EQ(Pixel(image, 20, 2), black);
        EXPECT_EQ(Pixel(image, 20, 17), black);
        EXPECT_EQ(Pixel(image, 20, 18), window);
        int textLeft = -1;
        for (int x = 50; x < 200 && textLeft < 0; ++x)
        {
            for (int y = 0; y < 20; ++y)
            {
                if (!(Pixel(image, x, y) == window))
                {
                    textLeft = x;
                    break;
                }
            }
        }
        EXPECT_GE(textLeft, 52);
        EXPECT_LT(textLeft, 56);
    }
    // From x = 10 the swatch still ends at the quarter width itself (50), not at 10 + 50.
    {
        const wxImage image = PaintItem(*combo, 9, 0, 10);
        EXPECT_EQ(Pixel(image, 12, 10), black);
        EXPECT_EQ(Pixel(image, 30, 10), blue);
        EXPECT_EQ(Pixel(image, 49, 10), black);
        EXPECT_EQ(Pixel(image, 50, 10), window);
    }
}

TEST_F(ComboBoxTest, SelectedItemShowsTheInverseOfTheWindowText)
{
    ASSERT_TRUE(g_darkScheme);
    auto* combo = new DrawableColorCombo(m_frame, 366);
    combo->FillList();
    const wxImage image = PaintItem(*combo, 7, wxODCB_PAINTING_SELECTED);  // "Black"
    const Rgb highlight = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    const Rgb inverse{255 - text.Red(), 255 - text.Green(), 255 - text.Blue()};
    const Rgb highlightText = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    ASSERT_GT(std::abs(inverse.r - highlightText.r) + std::abs(inverse.g - highlightText.g), 200)
        << "the scheme does not tell the two text colours apart";
    EXPECT_EQ(Pixel(image, 199, 1), highlight);
    EXPECT_EQ(Pixel(image, 0, 0), highlight);
    // The text's own pixels (the ones furthest from the background) have the inverse colour.
    int best = -1;
    Rgb furthest{};
    for (int x = 52; x < 200; ++x)
        for (int y = 0; y < 20; ++y)
        {
            const Rgb p = Pixel(image, x, y);
            const int d = (p.r - highlight.r) * (p.r - highlight.r) +
                          (p.g - highlight.g) * (p.g - highlight.g) +
                          (p.b - highlight.b) * (p.b - highlight.b);
            if (d > best)
            {
                best = d;
                furthest = p;
            }
        }
    EXPECT_LE(std::abs(furthest.r - inverse.r) + std::abs(furthest.g - inverse.g) +
                  std::abs(furthest.b - inverse.b),
              24)
        << furthest << " against " << inverse;
}

TEST_F(ComboBoxTest, MarkerComboListsTheSymbolsAndCentresThem)
{
    struct Drawn
    {
        int x, y, half, code;
    };
    std::vector<Drawn> drawn;
    MarkerComboSymbols symbols;
    symbols.count = 11;
    symbols.name = [](int code) { return "M" + std::to_string(code); };
    symbols.draw = [&drawn](wxDC&, int x, int y, int half, int code) { drawn.push_back({x, y, half, code}); };

    auto* combo = new DrawableMarkerCombo(m_frame, 378);
    combo->SetSymbols(symbols);
    combo->FillList();
    ASSERT_EQ(combo->GetCount(), 11u);
    for (int i = 0; i < 11; ++i)
    {
        EXPECT_EQ(combo->GetString(static_cast<unsigned>(i)).utf8_string(), "M" + std::to_string(i));
        EXPECT_EQ(combo->GetItemValue(i), i);
    }
    // Picture rectangle (2, 2)-(50, 18): centre (26, 10), half size 24; white behind the symbol.
    const wxImage image = PaintItem(*combo, 3, 0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].x, 26);
    EXPECT_EQ(drawn[0].y, 10);
    EXPECT_EQ(drawn[0].half, 24);
    EXPECT_EQ(drawn[0].code, 3);
    EXPECT_EQ(Pixel(image, 10, 5), (Rgb{255, 255, 255}));
    // An odd width halves downwards: 201 wide gives (2, 2)-(50, 18) as well.
    PaintItem(*combo, 10, 0, 0, 201, 21);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].x, 26);
    EXPECT_EQ(drawn[1].y, 10);
    EXPECT_EQ(drawn[1].half, 24);
    EXPECT_EQ(drawn[1].code, 10);
}

TEST_F(ComboBoxTest, ItemComboWithoutItsOwnListShowsTheDefaults)
{
    auto* combo = new DrawableItemCombo(m_frame, wxID_ANY);
    combo->FillList();
    ASSERT_EQ(combo->GetCount(), 2u);
    EXPECT_EQ(combo->GetItemValue(0), 7);
    EXPECT_EQ(combo->GetItemValue(1), 8);
    // The value is painted as a colour in a black frame.
    const wxImage image = PaintItem(*combo, 1, 0);
    EXPECT_EQ(Pixel(image, 20, 10), (Rgb{8, 0, 0}));
    EXPECT_EQ(Pixel(image, 2, 10), (Rgb{0, 0, 0}));
}

}  // namespace
