// POSIX only: held folders, entered one real folder at a time, and the names in them, resolved
// with the *at calls relative to the held folder and never through a link.

#include "platform/PosixHeldFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <vector>

#include "platform/FolderHandles.h"
#include "platform/SystemCalls.h"

namespace platform {

namespace {

// A name of the folder opened to be read and written, and locked as another program would
// lock it.
FileStatus OpenLocked(const Folder& folder, const std::string& name, Descriptor& fd,
                      struct stat& status) {
    const FileStatus opened = OpenInFolder(folder, name, O_RDWR, true, fd, status);
    if (opened == FileStatus::Ok && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return FileStatus::Locked;
    }
    return opened;
}

// Hands an open file on to the front, with the identity of the file opened.
void HandOver(Descriptor& fd, const struct stat& status, os::OpenedFile& file,
              FileIdentity& identity) {
    identity = IdentityOf(status);
    file.Take(fd.Release(), identity.size);
}

}  // namespace

FileStatus OpenInFolder(const Folder& folder, const std::string& name, int access, bool forWriting,
                        Descriptor& fd, struct stat& status) {
    const int dir = FolderDescriptor(folder);
    struct stat before {};
    if (::fstatat(dir, name.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0) {
        return StatusOfError(errno);
    }
    if (CheckRegularSingle(before) != FileStatus::Ok) {
        return FileStatus::Unsafe;
    }
    if (forWriting && IsReadOnly(before)) {
        return FileStatus::ReadOnly;
    }
    fd.Reset(::openat(dir, name.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        return StatusOfError(errno);
    }
    if (::fstat(fd.get(), &status) != 0) {
        return FileStatus::IoError;
    }
    if (CheckRegularSingle(status) != FileStatus::Ok || !SameFile(status, before)) {
        return FileStatus::Unsafe;
    }
    return ClearNonBlocking(fd.get()) ? FileStatus::Ok : FileStatus::IoError;
}

void Folder::Close() {
    for (const std::intptr_t handle : m_handles) {
        ::close(static_cast<int>(handle));
    }
    m_handles.clear();
}

FileStatus OpenFolderBeneath(const std::string& base, const std::vector<std::string>& names,
                             Folder& folder, std::string& foreign) {
    Descriptor current(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (current.get() < 0) {
        return StatusOfError(errno);
    }
    std::string path = base;
    foreign.clear();
    for (const std::string& name : names) {
        const int next =
            ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            struct stat status {};
            const bool isLink =
                ::fstatat(current.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(status.st_mode);
            return isLink || errno == ELOOP ? FileStatus::Unsafe : StatusOfError(errno);
        }
        current.Reset(next);
        path = JoinPath(path, name);
        struct stat status {};
        const bool trusted = ::fstat(next, &status) == 0 && IsTrustedOwner(status.st_uid);
        if (!trusted && foreign.empty()) {
            foreign = path;
        }
    }
    folder = FolderHandles::Hold({current.Release()}, path);
    return FileStatus::Ok;
}

FileStatus OpenFolder(const std::string& path, Folder& folder) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return StatusOfError(errno);
    }
    folder = FolderHandles::Hold({fd}, path);
    return FileStatus::Ok;
}

FileStatus InspectFile(const Folder& folder, const std::string& name, FileInfo& info) {
    struct stat status {};
    if (::fstatat(FolderDescriptor(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return StatusOfError(errno);
    }
    info.kind = CheckRegularSingle(status) == FileStatus::Ok ? FileKind::Regular
                : S_ISDIR(status.st_mode)                    ? FileKind::Folder
                                                             : FileKind::Other;
    info.identity = IdentityOf(status);
    info.readOnly = IsReadOnly(status);
    info.hidden = IsHiddenName(name);
    info.lastWriteSeconds = static_cast<std::int64_t>(status.st_mtime);
    info.ownerTrusted = IsTrustedOwner(status.st_uid);
    info.othersMayWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return FileStatus::Ok;
}

FileStatus os::OpenForUpdate(const Folder& folder, const std::string& name, OpenedFile& file,
                             FileIdentity& identity) {
    Descriptor fd;
    struct stat status {};
    const FileStatus opened = OpenLocked(folder, name, fd, status);
    if (opened == FileStatus::Ok) {
        HandOver(fd, status, file, identity);
    }
    return opened;
}

FileStatus os::OpenShared(const Folder& folder, const std::string& name, OpenedFile& file,
                          FileIdentity& identity) {
    Descriptor fd;
    struct stat status {};
    FileStatus opened = OpenInFolder(folder, name, O_RDONLY, false, fd, status);
    // Another program's sole hold keeps readers out, as sharing does on Windows.
    if (opened == FileStatus::Ok && ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) {
        opened = errno == EWOULDBLOCK ? FileStatus::Locked : FileStatus::IoError;
    }
    if (opened == FileStatus::Ok) {
        HandOver(fd, status, file, identity);
    }
    return opened;
}

void os::ListNames(const Folder& folder, const std::function<void(const std::string&)>& visit) {
    // A listing of its own: a duplicate of the held descriptor would share its position.
    Descriptor own(::openat(FolderDescriptor(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* listing = own.get() < 0 ? nullptr : ::fdopendir(own.get());
    if (listing == nullptr) {
        return;
    }
    own.Release();  // the listing closes it
    while (const dirent* entry = ::readdir(listing)) {
        visit(entry->d_name);
    }
    ::closedir(listing);
}

}  // namespace platform
