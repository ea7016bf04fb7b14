#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

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
        if (!m_started)
            return;
        // The toolkit's messages go to the test's output: a modal log window would wait forever.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxInitAllImageHandlers();
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
