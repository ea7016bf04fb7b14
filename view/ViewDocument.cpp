#include "view/ViewDocument.h"

#include "view/SndView.h"

#include <algorithm>

int g_bDisplayRestart = 0;

void CViewDocument::AddView(CSndView* view)
{
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CViewDocument::RemoveView(CSndView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CViewDocument::UpdateAllViews(CSndView* sender, long hint)
{
    // A window's update may close or open windows; walk a copy and skip the ones that left.
    const std::vector<CSndView*> views = m_views;
    for (CSndView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint);
}
