// The parameter windows of one measurement window: up to 16 always-on-top windows, each showing one
// parameter of one channel on an analog meter. The manager keeps what each shows (CParamViewState),
// refreshes them from the engine's result block, lines them up, and saves them into and recreates
// them from the window's view settings. The windows themselves come from a factory that the
// toolkit's side installs; without one, the states exist without windows.
//
// Threads: user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/ParamResults.h"
#include "view/MeterPaint.h"
#include "view/ParamViewRules.h"

class CParamView_settings;
class CViewSettings;

// What one parameter window shows.
struct CParamViewState
{
    static constexpr int kDefaultParameter = 2;

    int nParameter = kDefaultParameter;
    int nChannel = 0;
    int nLastParameter = -1;
    ParamScale scale;
    MeterState meter;
    std::string strTitle;  // the window's title: "channel:" and the parameter's name

    // One refresh: reset and rescale after a parameter change, then the text and meter value.
    void UpdateText(const CParamResults& results);
};

// A parameter window on the screen.
class CParamViewWindow
{
public:
    virtual ~CParamViewWindow() = default;
    virtual void ShowWindow() = 0;
    virtual bool IsWindowShown() const = 0;
    // Repaints from the state (after UpdateText).
    virtual void Repaint() = 0;
    // Screen rectangle: left, top, width, height.
    virtual void GetPlacement(int& x, int& y, int& width, int& height) const = 0;
    virtual void SetPlacement(int x, int y, int width, int height) = 0;
};

class CParamViewManager
{
public:
    static constexpr int kMaxParamViews = 16;
    using WindowFactory = std::function<std::unique_ptr<CParamViewWindow>(CParamViewState& state)>;

    void SetWindowFactory(WindowFactory factory) { m_factory = std::move(factory); }

    // A new parameter window, shown; the count afterwards (16 when no more can be made).
    int AddParamView();
    void RemoveAll();
    // Every window reads the result block and repaints.
    void UpdateAll(const CParamResults& results);
    void ResetAll();
    // Writes the windows into the settings' 16 slots (the others are marked unused).
    void SaveToSettings(CViewSettings& settings) const;
    // Recreates one window per used slot and clears the used flags.
    void RestoreFromSettings(CViewSettings& settings);
    // Moves every shown window to (x, y), each right of the one before.
    void ArrangeSideBySide(int x, int y);

    int GetCount() const { return static_cast<int>(m_views.size()); }
    CParamViewState& GetState(int i) { return *m_views.at(static_cast<std::size_t>(i)).state; }
    CParamViewWindow* GetWindow(int i) const { return m_views.at(static_cast<std::size_t>(i)).window.get(); }

private:
    struct Entry
    {
        std::unique_ptr<CParamViewState> state;
        std::unique_ptr<CParamViewWindow> window;
    };
    CParamViewState* Create();

    WindowFactory m_factory;
    std::vector<Entry> m_views;
};
