// The prompts through which the program asks the user for a file or for the name of a result
// folder. The file prompts go through the message-box service's file dialog, so a test answers
// them with a responder; each returns the chosen full path, or an empty string for Cancel.
// User-interface thread only (a worker's file prompt is shown on that thread while it waits).
#pragma once

#include <string>

// The toolkit's wildcard of one description and extension (without dot):
// "description (*.ext)|*.ext;*.EXT" (the pattern in both cases, where they differ).
std::string FilePromptWildcard(const std::string& description, const std::string& extension);

// A file to open or to save under; a name without an extension gets "." + extension. The save
// dialog asks no overwrite question; the open dialog does not require the file to exist.
std::string AskOpenFileName(const std::string& description, const std::string& extension);
std::string AskSaveFileName(const std::string& description, const std::string& extension);
// A wave or MP3 file; a name without an extension gets ".wav".
std::string AskOpenAudioFileName();

// A folder chosen in the folder browser, titled with `title` (the caller's text in the current
// language) and opened on `initialFolder`; empty for Cancel. `flags` are the browser's (0 plain
// choice).
std::string BrowseForFolder(const std::string& title, const std::string& initialFolder, unsigned flags);

// Shows "Ergebnisse" with an empty name; on OK creates base folder + "/" + the name with every
// level of it ("/" and "\" separate levels) and returns that path. Cancel, or a folder that cannot
// be created, gives an empty string (the failure goes to the debug output).
// `prompt` is what the callers pass for the dialog; it does not show it.
std::string AskResultFolder(const std::string& prompt, const std::string& baseFolder);
