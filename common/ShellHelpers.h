// The program's ways of touching the desktop and the file system: opening a document with the
// desktop's program for it, starting helper programs, packing a report folder into a zip archive,
// the user's data folders, splitting and rewriting paths, and creating, deleting, moving and
// listing files. They keep no state.
//
// Paths: "/" and "\" both separate components in what these functions read; extensions compare
// without regard to case.
//
// Threads: any thread. ZipFolder's message goes through the installed message handler, which
// must itself be callable from any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// --- programs and documents ----------------------------------------------------------------------
// Opens the file with the desktop's program for it ("xdg-open"), not waited for. Always 0.
int OpenWithShell(const std::string& path);
// Starts the program without arguments and without waiting; a failure is not reported.
void StartProgram(const std::string& program);
// Packs every file directly in the folder, except zip archives, into the archive (a name inside
// the folder) with "zip", which runs in the folder and is not waited for. When "zip" cannot be
// started the system's reason is shown with the caption "ZipFolder". False in that case.
bool ZipFolder(const std::string& folder, const std::string& archive);
inline constexpr const char* kZipFolderCaption = "ZipFolder";
// The program that ZipFolder runs (tests point it at a stand-in; empty: "zip" from PATH).
extern std::string g_strZipProgram;
// The program that OpenWithShell runs (empty: "xdg-open" from PATH).
extern std::string g_strOpenProgram;

// How the shell functions show a message (text, caption); the application installs one that
// goes through its message boxes. Without one the message goes to the debug output.
using ShellMessageHandler = std::function<void(const std::string& text, const std::string& caption)>;
ShellMessageHandler SetShellMessageHandler(ShellMessageHandler handler);

// --- standard folders ------------------------------------------------------------------------------
// $XDG_DATA_HOME, or ~/.local/share when it is not set (not created here).
std::string GetAppDataFolder();
// GetAppDataFolder() + "/Halvek" (not created here).
std::string GetUserDataFolder();

// --- path wrappers (each result a new string; the separators of the input are kept) ------------
// The last component (file name with extension).
std::string StripPath(std::string_view path);
// The path without its last component and the separator before it (a root stays a root).
std::string RemoveFileSpec(std::string_view path);
// The path with the extension (with its dot) appended, only when the path has none yet.
std::string AddExtension(std::string_view path, std::string_view extension);
// The path with its extension removed, then AddExtension with "." and the new one (without dot).
std::string ReplaceExtension(std::string_view path, std::string_view extension);
// The extension of the last component without its dot; empty when there is none.
std::string GetExtension(std::string_view path);
// The last component without its extension.
std::string GetBaseName(std::string_view path);
// Whether the path's extension is the given one (without dot), ignoring case.
bool HasExtension(std::string_view path, std::string_view extension);
// The path with every "\" turned into "/".
std::string ToSlashPath(std::string_view path);

// --- files and folders -------------------------------------------------------------------------
// Creates that one folder (no intermediate ones); an existing folder or a failure is ignored.
void CreateFolderLongPath(const std::string& folder);
// Non-zero when the file was deleted.
int DeleteFileLongPath(const std::string& path);
// Moves or renames the file; never replaces an existing target (non-zero on success). Across
// file systems the file is copied to a new target, then the source is deleted.
int MoveFileTo(const std::string& source, const std::string& target);
// Appends folder + "/" + name for every entry of the one folder whose name matches the pattern
// ("\*.*" or "/*.*" when empty; "*.*" matches names without a dot too; case ignored), except
// folders. Returns the number appended; 0 for a missing folder.
int ListFolderFiles(const std::string& folder, std::vector<std::string>& list,
                    const std::string& pattern = {});
