// The annotations of one measurement window, in insertion order and owned by the list. It is a
// member of the window's view settings and stored with them: an int32 count, then each annotation.
// Loading re-creates text labels, lines and string carriers and skips any other kind by its stored
// size. All operations run on the user-interface thread; the busy flag keeps painting away from
// the members while they are removed or loaded.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "display/Annotation.h"

class CAnnotationList : public CAnnotation
{
public:
    // A stored list with more entries than this is refused before any is read.
    static constexpr std::size_t kMaxStoredCount = 65536;
    // Mouse flag: the left button is down.
    static constexpr unsigned kLeftButton = 1;

    using Members = std::list<std::unique_ptr<CAnnotation>>;
    using Position = Members::iterator;

    CAnnotationList() = default;

    // Unless busy: every member takes the list's plot and reference rectangles, moves to its
    // relative position unless it is being dragged, and is drawn when visible, in list order.
    void Draw(gfx::Canvas& canvas) override;
    // The same after taking the rectangles.
    void Draw(gfx::Canvas& canvas, const PlotRect& plot, const PlotRect& reference);
    // What a plot's foreground hook calls: the plot's window rectangle as the plot rectangle, its
    // data area as the reference rectangle.
    void DrawOnPlot(gfx::Canvas& canvas, const CPlot& plot);

    // The first member hit, and its part.
    int HitTest(int x, int y) const override;
    // The drag state machine over the interactive members; true when the mouse is on one.
    bool OnMouseMoveList(unsigned flags, int x, int y);
    void OnMouseMove(unsigned flags, int x, int y) override { OnMouseMoveList(flags, x, y); }
    void Serialize(CArchive& ar) override;

    // Takes ownership and appends.
    CAnnotation& Append(std::unique_ptr<CAnnotation> annotation);
    CAnnotation* FindByKey(int key) const;
    std::optional<Position> FindNextByKey(int key);
    std::optional<Position> FindNextByKeyFrom(int key, Position position);
    void SetVisibleByKey(int key, int visible);
    // Deletes every interactive member the mouse is on or holds.
    void RemoveMarked();
    void DeleteAll();
    // What the text label "Properties" dialog returns: OK or not, and the edited values.
    struct LabelEdit
    {
        std::string text;
        int size = 0;           // 1..200
        bool deleteIt = false;  // the delete box
    };
    // Shows the dialog with the given values; false when it was cancelled.
    using LabelEditor = std::function<bool(LabelEdit&)>;
    // A double click on a line (not on a handle) deletes it; on a text label it opens the editor.
    // Locked members and other kinds are passed over.
    void OnDoubleClick(int x, int y, const LabelEditor& editor);
    // Gives the members the plot and reference rectangles and updates the positions of those that
    // are not being dragged: what every paint does before it draws.
    void PreparePaint(const PlotRect& plot, const PlotRect& reference);

    std::size_t GetCount() const { return m_members.size(); }
    const Members& GetMembers() const { return m_members; }

    std::int32_t m_bBusy = 0;
    // Pause before a member is deleted, so a paint that already began ends before the member goes.
    std::chrono::milliseconds m_removePause{100};

private:
    void Remove(Position position);

    Members m_members;
};
