#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace testsupport
{
namespace
{

class WxEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (wxTheApp)
            return;
        // A GUI application object, so that starting initialises the toolkit and not just the base.
        wxApp::SetInstance(new wxApp());
        int argc = 1;
        char name[] = "tessarin_tests";
        char* argv[] = {name, nullptr};
        m_started = wxEntryStart(argc, argv);
    }
    void TearDown() override
    {
        if (m_started)
            wxEntryCleanup();
        m_started = false;
    }
    bool Started() const { return m_started; }

private:
    bool m_started = false;
};

WxEnvironment* const g_environment =
    static_cast<WxEnvironment*>(::testing::AddGlobalTestEnvironment(new WxEnvironment));

}  // namespace

bool WxStarted()
{
    return g_environment->Started();
}

}  // namespace testsupport
