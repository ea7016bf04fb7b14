// The questions of the logger report commands as the user sees them: the report folder dialog,
// message boxes and the sound power dialog.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include "applications/LoggerReportCommands.h"

class wxWindow;

// Prompts over the given parent; new report folders go below `levelFolder`.
ReportPrompts MakeReportPrompts(wxWindow* parent, const std::string& levelFolder);
