// The parts of a held folder that are the same on every system; each system file closes it.

#include <utility>

#include "platform/FolderHandles.h"
#include "platform/Platform.h"

namespace platform {

Folder FolderHandles::Hold(std::vector<std::intptr_t> handles, std::string path) {
    Folder folder;
    folder.m_handles = std::move(handles);
    folder.m_path = std::move(path);
    return folder;
}

Folder::~Folder() {
    Close();
}

Folder::Folder(Folder&& other) noexcept
    : m_handles(std::exchange(other.m_handles, {})),
      m_path(std::move(other.m_path)),
      m_written(other.m_written) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        Close();
        m_handles = std::exchange(other.m_handles, {});
        m_path = std::move(other.m_path);
        m_written = other.m_written;
    }
    return *this;
}

std::string Folder::PathOf(const std::string& name) const {
    return JoinPath(m_path, name);
}

FileStatus OpenFolderOf(const std::string& path, Folder& folder, std::string& name) {
    std::string folderPath;
    SplitPath(path, folderPath, name);
    return OpenFolder(folderPath, folder);
}

}  // namespace platform
