#pragma once
// Every service the portable core needs of the operating system. One implementation per
// system (PlatformPosix.cpp, PlatformWin32.cpp) is chosen by the build; texts are code
// page 932 bytes and paths are in the form of the system the program runs on.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// --- Files -------------------------------------------------------------------------------

// Reads a whole existing file that the process may also write. Fails, reading nothing, for a
// missing, read-only or (on Windows) locked file, as an exclusive read-write open would.
bool ReadFileForUpdate(const std::string& path, std::string& bytes);

// Writes a whole file so that it is at every moment either fully the old one or fully the
// new one: the bytes go to a temporary file beside it, which then replaces it and takes over
// its attributes. Fails, leaving the old file and no temporary file, when the file is
// read-only or any step fails.
bool WriteFileReplacing(const std::string& path, const std::string& bytes);

bool IsExistingDirectory(const std::string& path);
bool FileExists(const std::string& path);

struct FolderEntry {
    std::string name;
    bool isDirectory = false;
};

// Lists every entry of a folder ("*.*"), in the system's order, "." and ".." included
// where the system reports them. Fails when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Last-write time in whole seconds since 1970.
bool GetLastWriteSeconds(const std::string& path, std::int64_t& seconds);

// Whether the file carries a version resource.
bool HasVersionResource(const std::string& path);

// Copies a file over an existing one, with the source's last-write time and attributes.
// Fails on a read-only target.
bool CopyFileOver(const std::string& source, const std::string& target);

bool RemoveFile(const std::string& path);

// Moves a file onto a name, atomically replacing a file that already has it.
bool MoveFileReplacing(const std::string& source, const std::string& target);

// --- Environment -------------------------------------------------------------------------

// The machine-wide application-data folder. Fails when the system cannot tell.
bool GetCommonAppDataFolder(std::string& folder);

// The value of an environment variable; fails when it is unset.
bool GetEnvironmentText(const std::string& name, std::string& value);

// `folder` and `name` joined by the system's path separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// --- User interface ----------------------------------------------------------------------

// The window that owns every message box; null for none.
void SetMessageBoxOwner(void* window);

// A modal box with an OK button and the exclamation icon; returns when it is dismissed.
void ShowMessageBox(const std::string& text);

}  // namespace platform
