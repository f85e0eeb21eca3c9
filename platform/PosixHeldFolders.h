#pragma once
// POSIX only: a name of a held folder opened as the file services open it.

#include <sys/stat.h>

#include <string>

#include "platform/Platform.h"
#include "platform/PosixFiles.h"

namespace platform {

// Opens a name of the folder without following a link and without waiting on a pipe; what
// is opened must be the regular, single-link file that the name showed before the open (and,
// for writing, not read-only).
FileStatus OpenInFolder(const Folder& folder, const std::string& name, int access, bool forWriting,
                        Descriptor& fd, struct stat& status);

}  // namespace platform
