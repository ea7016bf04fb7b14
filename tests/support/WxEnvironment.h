// Starts the window toolkit once for a whole test program (GTK cannot be started twice) and cleans
// it up when the tests end. Window-side test programs link tessarin_wx_test_support.
#pragma once

namespace testsupport
{

// True when the toolkit is running: a display was found (under xvfb-run in the test command).
bool WxStarted();

}  // namespace testsupport
