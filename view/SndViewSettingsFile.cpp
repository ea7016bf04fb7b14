// Settings files: the INI writer and reader of the analyser's settings, "Save state", and the
// messages that load the default and the production-test settings.
#include "view/SndView.h"

bool CSndView::OnSettingsFileCommand(int)
{
    return false;
}
