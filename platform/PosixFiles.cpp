// POSIX only: what the services of held folders, replacements and the kit share, and the
// reads of a file opened for the front.

#include "platform/PosixFiles.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/FolderHandles.h"
#include "platform/SystemCalls.h"

namespace platform {

int FolderDescriptor(const Folder& folder) {
    return static_cast<int>(FolderHandles::Innermost(folder));
}

bool IsReadOnly(const struct stat& status) {
    return (status.st_mode & S_IWUSR) == 0;
}

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

FileIdentity IdentityOf(const struct stat& status) {
    FileIdentity identity;
    identity.exists = true;
    identity.volume = static_cast<std::uint64_t>(status.st_dev);
    identity.index = static_cast<std::uint64_t>(status.st_ino);
    identity.size = static_cast<std::uint64_t>(status.st_size);
    identity.lastWrite =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return identity;
}

bool IsTrustedOwner(uid_t owner) {
    return owner == 0 || owner == ::geteuid();
}

bool SameFile(const struct stat& left, const struct stat& right) {
    return left.st_dev == right.st_dev && left.st_ino == right.st_ino;
}

FileStatus StatusOfError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileStatus::Missing;
        case ELOOP:
        case EISDIR:
        case ENXIO:
            return FileStatus::Unsafe;
        case EWOULDBLOCK:
        case ETXTBSY:
            return FileStatus::Locked;
        case ENOMEM:
            return FileStatus::OutOfMemory;
        case EFBIG:
        case EOVERFLOW:
            return FileStatus::TooLarge;
        default:
            return FileStatus::IoError;
    }
}

bool ClearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

FileStatus CheckRegularSingle(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_nlink == 1 ? FileStatus::Ok : FileStatus::Unsafe;
}

os::OpenedFile::~OpenedFile() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
    }
}

FileStatus os::OpenedFile::ReadSome(char* into, std::size_t most, std::size_t& count) const {
    for (;;) {
        const ssize_t read = ::read(static_cast<int>(m_handle), into, most);
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            return FileStatus::IoError;
        }
        count = static_cast<std::size_t>(read);
        return FileStatus::Ok;
    }
}

bool os::OpenedFile::ReadAt(std::uint64_t offset, std::size_t size, unsigned char* out) const {
    return ::pread(static_cast<int>(m_handle), out, size, static_cast<off_t>(offset)) ==
           static_cast<ssize_t>(size);
}

}  // namespace platform
