// Our own multiple-document container: the main frame's client area, holding child frames as free
// child windows that can be moved, resized, minimised, maximised, activated, tiled and cascaded.
// GTK shows the toolkit's own MDI children as tabs, which loses the placements that workspaces
// store and the window under a drop point.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/panel.h>

#include <functional>
#include <vector>

class MdiChildFrame;

class MdiContainer : public wxPanel
{
public:
    explicit MdiContainer(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~MdiContainer() override;

    // The child frames in the order they were created (the window order of the workspace).
    const std::vector<MdiChildFrame*>& GetChildFrames() const { return m_children; }
    // The children from the topmost down.
    const std::vector<MdiChildFrame*>& GetZOrder() const { return m_zOrder; }
    MdiChildFrame* GetActiveChild() const { return m_active; }
    void ActivateChild(MdiChildFrame* child);
    // Activates the child below the active one (the next in the z-order); wraps round.
    void ActivateNext();

    // Side by side in a grid filling the area (minimised children keep their strip at the bottom).
    void Tile();
    // Staggered from the top left, each one caption lower and further right; the active child ends
    // on top.
    void Cascade();
    // Lines the minimised children up along the bottom edge.
    void ArrangeIcons();

    // The child frame under a point in screen coordinates (the topmost), or none.
    MdiChildFrame* ChildAtScreenPoint(const wxPoint& screenPoint) const;

    // A default rectangle for a new child: cascaded from the last one.
    wxRect NextChildRect() const;

    // Called after the active child changed (also to none).
    void SetActiveChildChanged(std::function<void(MdiChildFrame*)> callback)
    {
        m_onActiveChanged = std::move(callback);
    }

    // The area that tiling and cascading fill: the client area less the strip of minimised frames.
    wxRect ArrangeArea() const;

private:
    friend class MdiChildFrame;
    void AddChild(MdiChildFrame* child);
    void RemoveChildFrame(MdiChildFrame* child);
    void RaiseChild(MdiChildFrame* child);
    void OnSize(wxSizeEvent& event);

    std::vector<MdiChildFrame*> m_children;
    std::vector<MdiChildFrame*> m_zOrder;
    MdiChildFrame* m_active = nullptr;
    std::function<void(MdiChildFrame*)> m_onActiveChanged;
};
