// What the measurement windows share through their workspace document: the table of settings slots
// (one per possible window), the count of windows initialised so far, the windows in the order the
// framework keeps them, and the frame services they all use. The workspace document derives from it.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "display/settings/ViewSettings.h"

class CSndView;
class CViewFrame;

// 0 while a workspace loads (the windows neither restart their display nor draw), 1 otherwise.
extern int g_bDisplayRestart;

class CViewDocument
{
public:
    static constexpr int kMaxViews = 256;

    CViewDocument() = default;
    virtual ~CViewDocument() = default;
    CViewDocument(const CViewDocument&) = delete;
    CViewDocument& operator=(const CViewDocument&) = delete;

    // The windows register themselves when they are made and leave when they are destroyed.
    void AddView(CSndView* view);
    void RemoveView(CSndView* view);
    const std::vector<CSndView*>& GetViews() const { return m_views; }

    // Runs OnUpdate of every window but the sender.
    void UpdateAllViews(CSndView* sender, long hint);

    // Slot i: the display settings of the measurement window with index i.
    std::array<std::unique_ptr<CViewSettings>, kMaxViews> m_viewSettings;
    int m_nInitialisedViews = 0;
    // The number of windows the document is about to create when it builds several at once.
    int m_nViewsToCreate = 0;
    // The main frame's services (status bar, lists, message boxes); null without a frame.
    CViewFrame* m_pFrame = nullptr;

private:
    std::vector<CSndView*> m_views;
};
