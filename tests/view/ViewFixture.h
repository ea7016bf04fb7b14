// Stand-ins for the main frame and the view window, and a fixture that builds measurement windows
// on one workspace document and one engine, for the headless tests of the window logic.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/settings/ViewSettings.h"
#include "engine/EngineNotifications.h"
#include "engine/SoundIn.h"
#include "platform/gfx/RecordingCanvas.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

namespace viewtest
{

// The view window: keeps the running timers and every SetTimer/KillTimer call, counts draws and,
// when asked, paints the view into a recording canvas on each DrawNow.
class FakeViewWindow : public CViewWindow
{
public:
    bool SetTimer(int id, int milliseconds) override
    {
        m_setCalls.push_back(id);
        if (m_bFailSetTimer || m_nTimersLeft == 0)
            return false;
        if (m_nTimersLeft > 0)
            --m_nTimersLeft;
        m_timers[id] = milliseconds;
        return true;
    }
    void KillTimer(int id) override
    {
        m_killCalls.push_back(id);
        m_timers.erase(id);
    }
    PlotRect GetClientRect() const override { return PlotRect{0, 0, 640, 400}; }
    // Posted calls wait in m_posted while m_bQueuePosts is set (a busy user-interface thread).
    bool PostToWindow(std::function<void()> call) override
    {
        if (!m_bQueuePosts)
            call();
        else
            m_posted.push_back(std::move(call));
        return true;
    }
    bool m_bQueuePosts = false;
    std::vector<std::function<void()>> m_posted;
    void SetFrameTitle(const std::string& title) override { m_strTitle = title; }
    void DrawNow() override
    {
        ++m_nDraws;
        if (m_bPaint && m_pView)
        {
            gfx::RecordingCanvas canvas(640, 400);
            m_pView->OnDraw(canvas, GetClientRect());
            m_nPaintedOps += canvas.Ops().size();
        }
    }
    void Invalidate() override { ++m_nInvalidates; }
    // The overlay dialogs answer with the values the test set.
    bool SelectOverlay(SelectOverlayValues& values) override
    {
        m_selectOffered = values;
        values.m_nOverlay = m_selectAnswer.m_nOverlay;
        values.m_nCurve = m_selectAnswer.m_nCurve;
        values.m_nSecondCurve = m_selectAnswer.m_nSecondCurve;
        values.m_nOperation = m_selectAnswer.m_nOperation;
        values.m_bUseConstant = m_selectAnswer.m_bUseConstant;
        values.m_dConstant = m_selectAnswer.m_dConstant;
        return m_bDialogOk;
    }
    int AskOverlayExists(int slot) override
    {
        m_askedSlots.push_back(slot);
        return m_nOverlayExistsAnswer;
    }
    bool AskOverlayFile(bool, std::string& path, OverlayFileValues& values) override
    {
        path = m_strFilePath;
        values = m_fileAnswer;
        return m_bDialogOk;
    }
    bool AskSettingsFile(bool, std::string& path) override
    {
        path = m_strFilePath;
        return m_bDialogOk;
    }
    bool AskImpulseFile(int kind, std::string& path) override
    {
        m_impulseFileKinds.push_back(kind);
        path = m_strFilePath;
        return m_bDialogOk;
    }
    std::vector<int> m_impulseFileKinds;
    // The right-click menu answers with m_nPopupAnswer and keeps the items it offered.
    int TrackPopupMenu(const std::vector<PopupMenuItem>& items, int, int) override
    {
        m_popupItems = items;
        return m_nPopupAnswer;
    }
    bool EditCurve(CurveEditValues& values) override
    {
        m_curveOffered = values;
        if (m_bDialogOk)
            values = m_curveAnswer;
        return m_bDialogOk;
    }
    int m_nPopupAnswer = 0;
    std::vector<PopupMenuItem> m_popupItems;
    CurveEditValues m_curveOffered;
    CurveEditValues m_curveAnswer;

    int SetCount(int id) const
    {
        int count = 0;
        for (int call : m_setCalls)
            count += call == id ? 1 : 0;
        return count;
    }
    bool HasTimer(int id) const { return m_timers.count(id) != 0; }

    CSndView* m_pView = nullptr;
    // Every SetTimer fails while set.
    bool m_bFailSetTimer = false;
    // When 0 or more: that many SetTimer calls still succeed, every later one fails.
    int m_nTimersLeft = -1;
    bool m_bPaint = false;
    bool m_bDialogOk = true;
    int m_nOverlayExistsAnswer = kOverlayCancel;
    std::vector<int> m_askedSlots;
    SelectOverlayValues m_selectAnswer;
    SelectOverlayValues m_selectOffered;
    OverlayFileValues m_fileAnswer;
    std::string m_strFilePath;

    std::map<int, int> m_timers;
    std::vector<int> m_setCalls;
    std::vector<int> m_killCalls;
    int m_nDraws = 0;
    int m_nInvalidates = 0;
    std::size_t m_nPaintedOps = 0;
    std::string m_strTitle;
};

// The main frame: remembers the pane texts, the list selections and the messages it showed.
class FakeViewFrame : public CViewFrame
{
public:
    bool HasStatusBar() const override { return true; }
    void SetStatusPaneText(int pane, const std::string& text) override
    {
        if (pane >= 0 && pane < static_cast<int>(m_panes.size()))
            m_panes[static_cast<std::size_t>(pane)] = text;
    }
    void SelectFftSizeEntry(int index) override { m_nFftEntry = index; }
    void SelectWeightingEntry(int index) override { m_nWeightingEntry = index; }
    void RemoveMenu() override { ++m_nMenuRemovals; }
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    // Information boxes are messages too; m_information keeps them apart as well.
    void ShowInformation(const std::string& text) override
    {
        m_information.push_back(text);
        m_messages.push_back(text);
    }
    std::vector<std::string> m_information;
    bool HasMenu() const override { return m_bHasMenu; }
    bool AskYesNo(const std::string& text) override
    {
        m_questions.push_back(text);
        return m_bYes;
    }
    void PostCommand(int id) override { m_posted.push_back(id); }
    // The Channel Matrix: the stand-in edits the copies and answers OK (true) or Cancel.
    bool EditChannelMatrix(std::vector<Cchannel_settings>& channels, const std::vector<std::string>& curveNames,
                           const CCalibrationReading::Source& readings) override
    {
        m_channelMatrixCurves = curveNames;
        m_channelMatrixReadings = readings;
        return m_editChannels ? m_editChannels(channels) : false;
    }
    std::function<bool(std::vector<Cchannel_settings>&)> m_editChannels;
    std::vector<std::string> m_channelMatrixCurves;
    CCalibrationReading::Source m_channelMatrixReadings;

    int CountMessages(const std::string& text) const
    {
        int count = 0;
        for (const std::string& message : m_messages)
            count += message == text ? 1 : 0;
        return count;
    }

    std::array<std::string, 6> m_panes;
    int m_nFftEntry = -1;
    int m_nWeightingEntry = -1;
    int m_nMenuRemovals = 0;
    std::vector<std::string> m_messages;
    bool m_bHasMenu = true;
    bool m_bYes = false;
    std::vector<std::string> m_questions;
    std::vector<int> m_posted;
};

class QuietNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    std::vector<std::string> m_messages;
};

// One document, one frame, one engine and the windows made on them. The windows go first when the
// fixture ends, then the engine, then the document.
class ViewFixture : public ::testing::Test
{
protected:
    ViewFixture()
    {
        g_bDisplayRestart = 1;
        m_document.m_pFrame = &m_frame;
        m_engine.SetNotifications(&m_notes);
    }
    ~ViewFixture() override
    {
        m_views.clear();
        m_engine.StopInput();
    }

    struct Entry
    {
        std::unique_ptr<FakeViewWindow> window;
        std::unique_ptr<CSndView> view;
    };

    // A new window with its stand-in view window, initialised as the framework does.
    CSndView& MakeView()
    {
        Entry entry;
        entry.window = std::make_unique<FakeViewWindow>();
        entry.view = std::make_unique<CSndView>(m_document, m_engine);
        entry.view->m_nStopWaitMs = 0;
        entry.view->m_nPauseWaitMs = 0;
        entry.window->m_pView = entry.view.get();
        entry.view->SetWindow(entry.window.get());
        entry.view->OnInitialUpdate();
        m_views.push_back(std::move(entry));
        return *m_views.back().view;
    }
    void MakeViews(int count)
    {
        for (int i = 0; i < count; ++i)
            MakeView();
    }
    CSndView& View(int i) { return *m_views.at(static_cast<std::size_t>(i)).view; }
    FakeViewWindow& Window(int i) { return *m_views.at(static_cast<std::size_t>(i)).window; }
    CViewSettings& Settings(int i) { return *View(i).GetSettings(); }
    // Closes the window at position i of the fixture's list.
    void DestroyView(int i)
    {
        // The view goes before its window: its destructor stops the window's timers.
        m_views.at(static_cast<std::size_t>(i)).view.reset();
        m_views.erase(m_views.begin() + i);
    }

    CViewDocument m_document;
    FakeViewFrame m_frame;
    QuietNotifications m_notes;
    CSoundIn m_engine;
    std::vector<Entry> m_views;
};

}  // namespace viewtest
