// Putting text on the system clipboard (user-interface thread only).
#pragma once

#include <string>

// Replaces the clipboard's content with the text (UTF-8; bytes that are not valid UTF-8 are read
// as Windows-1252). The clipboard is always closed again. False when it could not be opened or
// did not take the text.
bool CopyTextToClipboard(const std::string& text);

// The same for zero-terminated characters; a null pointer puts nothing on the clipboard (false).
bool CopyBufferToClipboard(const char* text);
