#pragma once
// Windows only: names of a held folder opened relative to the folder's handle, as the file
// services open them.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Win32Files.h"
#include "platform/Win32NtFiles.h"

namespace platform {

// Opens a name of a held folder relative to its handle (by the folder's path only where the
// system has no such open). Gives the Windows error code; an oplocked file is given up at
// once, as kErrorOplockBreakInProgress.
DWORD OpenName(const Folder& folder, const std::string& name, const NameOpen& how, Handle& file);

// What stands at a name, seen with attribute access alone.
DWORD OpenAttributes(const Folder& folder, const std::string& name, Handle& file,
                     BY_HANDLE_FILE_INFORMATION& info);

// Opens a name of the folder without following a reparse point; what is opened must be a
// regular single-link file (and, for writing, not read-only: where the process may write any
// file, as an administrator or root under Wine, the attribute still counts).
FileStatus OpenInFolder(const Folder& folder, const std::string& name, DWORD access, DWORD share,
                        bool forWriting, Handle& file, BY_HANDLE_FILE_INFORMATION& info);

// Opens the folder that `names` lead to beneath `base`, one folder at a time relative to the
// one before and never through a reparse point, as OpenFolderBeneath does, but holding none,
// the last too only passed through (its attributes alone, shared with everyone): for a folder
// on the way to one file.
FileStatus OpenFolderPassingThrough(const std::string& base, const std::vector<std::string>& names,
                                    Folder& folder);

}  // namespace platform
