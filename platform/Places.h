// The per-user folders of the XDG base-directory convention.
#pragma once

#include <filesystem>

namespace platform
{

// $XDG_CONFIG_HOME, or ~/.config when it is not set.
std::filesystem::path ConfigHome();

// The program's configuration folder: ConfigHome()/Tessarin (not created here).
std::filesystem::path ConfigFolder();

// A private per-user folder for sockets and locks: $XDG_RUNTIME_DIR, or /tmp/tessarin-<uid>;
// created with mode 0700 when missing.
std::filesystem::path RuntimeFolder();

// The folder of the running executable (read through /proc/self/exe); the current folder when
// that cannot be read.
std::filesystem::path ProgramFolder();

// The user's documents folder: $XDG_DOCUMENTS_DIR, else the XDG_DOCUMENTS_DIR line of
// ConfigHome()/user-dirs.dirs, else ~/Documents (not created here).
std::filesystem::path DocumentsFolder();

}  // namespace platform
