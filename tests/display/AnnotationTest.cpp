#include "display/Annotation.h"
#include "display/AnnotationList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace std::string_literals;

#include "platform/Archive.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"

using testsupport::FromHex;
using testsupport::Hex;

namespace
{

std::vector<std::uint8_t> Store(CAnnotation& annotation)
{
    CArchive ar;
    annotation.Serialize(ar);
    return ar.Buffer();
}

std::string HexRange(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count)
{
    return Hex(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(from + count)));
}

std::unique_ptr<CArrowAnnotation> Line(int x0, int y0, int x1, int y1)
{
    auto line = std::make_unique<CArrowAnnotation>();
    line->m_nX = x0;
    line->m_nY = y0;
    line->m_End.m_nX = x1;
    line->m_End.m_nY = y1;
    line->m_dRelX = x0;
    line->m_dRelY = y0;
    line->m_End.m_dRelX = x1;
    line->m_End.m_dRelY = y1;
    return line;
}

}  // namespace

TEST(Annotation, StringCarrierGoldenBytes)
{
    CStringAnnotation carrier;
    carrier.m_nKey = 450003;
    carrier.m_strText = "Ab";
    const auto bytes = Store(carrier);
    ASSERT_EQ(bytes.size(), 358u);
    // Type 200000, data size 358, visible 0, then zeros up to the key at offset 92.
    EXPECT_EQ(HexRange(bytes, 0, 12), Hex("\x40\x0d\x03\x00\x66\x01\x00\x00\x00\x00\x00\x00"s));
    EXPECT_EQ(HexRange(bytes, 92, 8), Hex("\xd3\xdd\x06\x00\x00\x00\x00\x00"s));
    EXPECT_EQ(HexRange(bytes, 352, 6), Hex("\x02\x00\x00\x00\x41\x62"s));
}

TEST(Annotation, BaseBlockFieldOffsets)
{
    CAnnotation point;
    point.m_bVisible = 1;
    point.m_nX = -2;
    point.m_Bounds = {1, 2, 3, 4};
    point.m_dRelX = 0.5;
    point.m_dRelY = -1.0;
    point.m_nPositionMode = 2;
    point.m_nFlags = 1;
    const auto bytes = Store(point);
    ASSERT_EQ(bytes.size(), 352u);
    const auto expected = FromHex(
        "00 00 00 00 60 01 00 00 01 00 00 00 00 00 00 00"  // type, size 352, visible, dragging
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"  // drag origin, drag mouse
        "fe ff ff ff 00 00 00 00"                          // position
        "01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00"  // bounds
        "00 00 00 00 00 00 e0 3f 00 00 00 00 00 00 f0 bf"  // relative x, y
        "02 00 00 00 00 00 00 00 00 00 00 00"              // mode, grabbed, hover
        "00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"  // reserved, key, flags
    );
    EXPECT_EQ(HexRange(bytes, 0, 100), Hex(std::string(expected.begin(), expected.end())));
}

TEST(Annotation, DataSizesOfEachKind)
{
    CTextAnnotation text;
    text.m_strText = "hello";
    EXPECT_EQ(text.GetDataSize(), 352 + 20 + 5 + 4 + 5);
    EXPECT_EQ(Store(text).size(), 386u);
    CArrowAnnotation line;
    EXPECT_EQ(Store(line).size(), 720u);
    CStringAnnotation carrier;
    EXPECT_EQ(Store(carrier).size(), 356u);
}

TEST(AnnotationList, RoundTripSkipsRectanglesAndKeepsOrder)
{
    CAnnotationList list;
    auto text = std::make_unique<CTextAnnotation>();
    text->m_strText = "first";
    text->m_Font.m_dSize = 18.0;
    list.Append(std::move(text));
    auto rect = std::make_unique<CRectAnnotation>();
    rect->m_nKey = 11;
    list.Append(std::move(rect));
    auto line = Line(1, 2, 30, 40);
    line->m_nKey = 1;
    line->m_Pen = {RgbColor(0, 0, 255), 3, PEN_STYLE_SOLID, false};
    list.Append(std::move(line));
    auto carrier = std::make_unique<CStringAnnotation>();
    carrier->m_nKey = 450001;
    carrier->m_strText = "carried";
    list.Append(std::move(carrier));

    CArchive store;
    list.Serialize(store);
    CArchive load(store.Buffer());
    CAnnotationList loaded;
    loaded.Append(std::make_unique<CStringAnnotation>());  // replaced by the load
    loaded.Serialize(load);

    ASSERT_EQ(loaded.GetCount(), 3u);
    auto it = loaded.GetMembers().begin();
    const auto* first = dynamic_cast<const CTextAnnotation*>(it->get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_strText, "first");
    EXPECT_EQ(first->m_Font.m_dSize, 18.0);
    const auto* second = dynamic_cast<const CArrowAnnotation*>((++it)->get());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_End.m_dRelX, 30.0);
    EXPECT_EQ(second->m_Pen.width, 2);  // restored lines take the default pen
    EXPECT_EQ(second->m_Pen.color, RgbColor(255, 0, 0));
    const auto* third = dynamic_cast<const CStringAnnotation*>((++it)->get());
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->m_strText, "carried");
    EXPECT_EQ(loaded.FindByKey(450001), third);
    EXPECT_EQ(loaded.FindByKey(11), nullptr);
    EXPECT_EQ(loaded.m_bBusy, 0);
}

TEST(AnnotationList, UnknownKindIsSkippedByItsDataSize)
{
    CAnnotation foreign;
    foreign.m_nType = 777;
    CArchive store;
    store << std::int32_t{2};
    auto block = foreign.GetBaseBlock();
    block[4] = 0x64;  // data size 356: four bytes of its own data follow
    block[5] = 0x01;
    store.Write(block);
    store << std::int32_t{-1};
    CStringAnnotation carrier;
    carrier.m_strText = "after";
    carrier.Serialize(store);

    CArchive load(store.Buffer());
    CAnnotationList list;
    list.Serialize(load);
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(static_cast<const CStringAnnotation&>(*list.GetMembers().front()).m_strText, "after");
}

TEST(AnnotationList, LyingLengthsAreRefused)
{
    const struct
    {
        const char* name;
        std::int32_t count;
        std::int32_t textLength;
    } cases[] = {{"negative count", -1, 0},
                 {"huge count", 1 << 30, 0},
                 {"negative text", 1, -5},
                 {"huge text", 1, 0x7FFFFFFF}};
    for (const auto& c : cases)
    {
        CArchive store;
        store << c.count;
        CStringAnnotation carrier;
        store.Write(carrier.GetBaseBlock());
        store << c.textLength;
        CArchive load(store.Buffer());
        CAnnotationList list;
        EXPECT_THROW(list.Serialize(load), platform::ArchiveError) << c.name;
        EXPECT_EQ(list.m_bBusy, 0) << c.name;
    }
}

TEST(Annotation, RelativePositionsFollowThePlot)
{
    CAnnotation point;
    point.m_PlotRect = {0, 0, 400, 200};
    point.m_RefRect = {50, 20, 350, 180};
    struct Case
    {
        int mode;
        double rx, ry;
        PlotPoint expected;
    };
    const Case cases[] = {
        {0, 12.9, -3.7, {12, -3}},
        {1, 0.25, 0.5, {100, 100}},
        {2, 0.5, 0.25, {200, 60}},
        {2, 0.999, 0.999, {349, 179}},
    };
    for (const Case& c : cases)
    {
        point.m_nPositionMode = c.mode;
        EXPECT_EQ(point.RelativeToPixel(c.rx, c.ry), c.expected) << c.mode << " " << c.rx;
    }
}

TEST(Annotation, LineHitTestParts)
{
    auto line = Line(10, 10, 110, 10);
    struct Case
    {
        int x, y, part;
    };
    const Case cases[] = {{12, 12, 1}, {108, 9, 2}, {60, 14, 3},  {60, 15, 0},  {6, 10, 1},
                          {5, 10, 3},  {4, 10, 0},  {114, 11, 2}, {115, 10, 3}, {116, 10, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(line->HitTest(c.x, c.y), c.part) << c.x << "," << c.y;
    auto dot = Line(5, 5, 5, 5);
    EXPECT_EQ(dot->HitTest(7, 7), 1);
    EXPECT_EQ(dot->HitTest(10, 5), 0);

    CRectAnnotation rect;
    rect.m_nX = 0;
    rect.m_nY = 0;
    rect.m_End.m_nX = 10;
    rect.m_End.m_nY = 10;
    EXPECT_EQ(rect.HitTest(10, 10), 1);
    EXPECT_EQ(rect.HitTest(11, 5), 0);

    CTextAnnotation text;
    text.m_Bounds = {0, 0, 10, 10};
    EXPECT_EQ(text.HitTest(9, 9), 1);
    EXPECT_EQ(text.HitTest(10, 5), 0);

    CStringAnnotation carrier;
    EXPECT_EQ(carrier.HitTest(0, 0), 0);
}

TEST(AnnotationList, DraggingALineByItsMiddleMovesBothPoints)
{
    CAnnotationList list;
    auto& line = static_cast<CArrowAnnotation&>(list.Append(Line(0, 0, 0, 0)));
    line.m_nPositionMode = kPositionPlotFraction;
    line.m_dRelX = 0.1;
    line.m_dRelY = 0.5;
    line.m_End.m_dRelX = 0.9;
    line.m_End.m_dRelY = 0.5;
    list.PreparePaint({0, 0, 200, 100}, {0, 0, 200, 100});
    ASSERT_EQ(line.m_nX, 20);
    ASSERT_EQ(line.m_End.m_nX, 180);

    const unsigned down = CAnnotationList::kLeftButton;
    EXPECT_TRUE(list.OnMouseMoveList(0, 100, 50));  // hover on the middle
    EXPECT_TRUE(list.OnMouseMoveList(down, 100, 50));
    EXPECT_EQ(line.m_nGrabbedPart, kAnnotationPartLine);
    list.OnMouseMoveList(down, 100, 70);
    EXPECT_EQ(line.m_nY, 70);
    EXPECT_EQ(line.m_End.m_nY, 70);
    list.OnMouseMoveList(0, 100, 70);
    EXPECT_EQ(line.m_bDragging, 0);
    EXPECT_DOUBLE_EQ(line.m_dRelY, 0.7);
    EXPECT_DOUBLE_EQ(line.m_End.m_dRelY, 0.7);
    // The relative position follows a later resize.
    list.PreparePaint({0, 0, 400, 200}, {0, 0, 400, 200});
    EXPECT_EQ(line.m_nY, 140);
    EXPECT_EQ(line.m_End.m_nX, 360);
}

TEST(AnnotationList, DraggingAHandleMovesOnlyThatPoint)
{
    CAnnotationList list;
    auto& line = static_cast<CArrowAnnotation&>(list.Append(Line(10, 10, 100, 10)));
    const unsigned down = CAnnotationList::kLeftButton;
    list.OnMouseMoveList(down, 100, 10);
    EXPECT_EQ(line.m_nGrabbedPart, kAnnotationPartEnd);
    list.OnMouseMoveList(down, 120, 30);
    list.OnMouseMoveList(0, 120, 30);
    EXPECT_EQ(line.m_End.m_nX, 120);
    EXPECT_EQ(line.m_End.m_nY, 30);
    EXPECT_EQ(line.m_nX, 10);
    EXPECT_EQ(line.m_nY, 10);
}

TEST(AnnotationList, LockedMembersAreNeverTouched)
{
    CAnnotationList list;
    list.m_removePause = std::chrono::milliseconds(0);
    auto& locked = list.Append(Line(0, 0, 100, 0));
    locked.m_nFlags = kAnnotationLocked;
    EXPECT_FALSE(list.OnMouseMoveList(CAnnotationList::kLeftButton, 50, 0));
    EXPECT_EQ(locked.m_nHoverPart, 0);
    EXPECT_EQ(locked.m_bDragging, 0);
    list.OnDoubleClick(50, 0, nullptr);
    locked.m_nHoverPart = 3;  // even a stale hover part does not make it removable
    list.RemoveMarked();
    EXPECT_EQ(list.GetCount(), 1u);
}

TEST(AnnotationList, DoubleClickDeletesALineButNotAtItsHandle)
{
    CAnnotationList list;
    list.m_removePause = std::chrono::milliseconds(0);
    list.Append(Line(0, 0, 100, 0));
    list.OnDoubleClick(1, 1, nullptr);
    EXPECT_EQ(list.GetCount(), 1u);
    list.OnDoubleClick(50, 2, nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.m_bBusy, 0);
}

TEST(AnnotationList, DoubleClickOnALabelEditsIt)
{
    CAnnotationList list;
    list.m_removePause = std::chrono::milliseconds(0);
    auto& label = static_cast<CTextAnnotation&>(list.Append(std::make_unique<CTextAnnotation>()));
    label.m_strText = "old";
    label.m_Font.m_dSize = 7.9;
    label.m_Bounds = {0, 0, 50, 20};
    int shownSize = 0;
    list.OnDoubleClick(5, 5,
                       [&](CAnnotationList::LabelEdit& edit)
                       {
                           shownSize = edit.size;
                           edit.text = "new";
                           edit.size = 500;
                           return true;
                       });
    EXPECT_EQ(shownSize, 7);
    EXPECT_EQ(label.m_strText, "new");
    EXPECT_EQ(label.m_Font.m_dSize, 200.0);
    list.OnDoubleClick(5, 5,
                       [](CAnnotationList::LabelEdit& edit)
                       {
                           edit.deleteIt = true;
                           return true;
                       });
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST(AnnotationList, KeysFindAndShow)
{
    CAnnotationList list;
    for (int key : {10, 11, 10})
    {
        auto line = std::make_unique<CArrowAnnotation>();
        line->m_nKey = key;
        list.Append(std::move(line));
    }
    auto first = list.FindNextByKey(10);
    ASSERT_TRUE(first.has_value());
    auto next = list.FindNextByKeyFrom(10, *first);
    ASSERT_TRUE(next.has_value());
    EXPECT_NE(first->operator->(), next->operator->());
    EXPECT_FALSE(list.FindNextByKeyFrom(10, *next).has_value());
    list.SetVisibleByKey(10, 0);
    EXPECT_EQ((*first)->get()->m_bVisible, 0);
    EXPECT_EQ(list.FindByKey(11)->m_bVisible, 1);
    list.DeleteAll();
    EXPECT_EQ(list.GetCount(), 0u);
}
