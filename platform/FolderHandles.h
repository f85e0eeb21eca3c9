#pragma once
// For the system files only: the system handles a held folder keeps (Windows: HANDLEs; POSIX:
// descriptors), from its base down, the folder itself last. The rest of the program sees a
// folder only as held, never its handles.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class FolderHandles {
public:
    // A folder held through handles the system opened; the folder closes them.
    static Folder Hold(std::vector<std::intptr_t> handles, std::string path);
    // The folder's own handle, in which its names are resolved.
    static std::intptr_t Innermost(const Folder& folder) { return folder.m_handles.back(); }
};

}  // namespace platform
