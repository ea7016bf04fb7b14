// One child frame of our own multiple-document container: a real child window inside the main
// frame's client area with a caption (title, minimise, maximise or restore, close), a border to
// resize it by, and a client area for the document's window.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

class MdiContainer;

// Where a child frame is and how it is shown, in the container's client coordinates.
struct MdiFrameState
{
    bool visible = true;
    bool minimised = false;
    bool maximised = false;
    wxRect normal;   // the rectangle of the normal (restored) state
    wxRect current;  // the rectangle as it stands now
};

class MdiChildFrame : public wxWindow
{
public:
    static constexpr int kCaptionHeight = 22;
    static constexpr int kBorder = 4;
    // Width of a minimised frame (its caption only).
    static constexpr int kMinimisedWidth = 180;

    // The frame registers itself with the container; an empty rectangle lets the container choose.
    MdiChildFrame(MdiContainer* container, const wxString& title, const wxRect& rect = wxRect());
    ~MdiChildFrame() override;

    MdiContainer* GetContainer() const { return m_container; }
    // The window the document's view is created in.
    wxWindow* GetClientArea() const { return m_client; }

    void SetTitle(const wxString& title);
    wxString GetTitle() const { return m_title; }

    // Minimise and Maximise do nothing when AllowMinMax refuses.
    void Minimise();
    void Maximise();
    void Restore();
    bool IsMinimised() const { return m_minimised; }
    bool IsMaximised() const { return m_maximised; }
    bool IsActive() const;
    void Activate();

    MdiFrameState GetFrameState() const;
    void SetFrameState(const MdiFrameState& state);
    wxRect GetNormalRect() const { return m_normal; }

    // Moves and sizes the frame in the normal state (the container's layout uses it).
    void SetNormalRect(const wxRect& rect);

    // Lays the frame out again after the container changed size or state.
    void UpdateLayout();

protected:
    // Hooks of a derived frame: false keeps the frame as it is when the user asks to close it, or
    // to minimise or maximise it.
    virtual bool AllowClose() { return true; }
    virtual bool AllowMinMax() { return true; }

    // Hit areas of the caption and border.
    enum class Hit
    {
        None,
        Caption,
        Minimise,
        Maximise,
        Close,
        Left,
        Right,
        Top,
        Bottom,
        TopLeft,
        TopRight,
        BottomLeft,
        BottomRight,
    };
    Hit HitTest(const wxPoint& point) const;
    wxRect ButtonRect(int indexFromRight) const;

private:
    friend class MdiContainer;
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseDown(wxMouseEvent& event);
    void OnMouseUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnChildFocus(wxChildFocusEvent& event);
    void LayoutClient();

    MdiContainer* m_container;
    wxWindow* m_client = nullptr;
    wxString m_title;
    wxRect m_normal;
    bool m_minimised = false;
    bool m_maximised = false;
    // A drag in progress: what is dragged, where it started (screen) and the rectangle then.
    Hit m_drag = Hit::None;
    wxPoint m_dragStart;
    wxRect m_dragRect;
};
