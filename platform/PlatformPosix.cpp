// The platform services on POSIX systems, behaving as the Windows ones do on the same files.
// Names in a settings folder are resolved with the *at calls relative to the held folder and
// never through a link.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/BlockText.h"
#include "platform/FolderHandles.h"
#include "platform/PeVersionResource.h"
#include "platform/Platform.h"
#include "platform/PosixIo.h"
#include "platform/TemporaryName.h"
#include "platform/TestSeam.h"

namespace platform {

namespace {

// Closes a descriptor on every way out of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int Release() { return std::exchange(fd_, -1); }
    bool Close() { return ::close(Release()) == 0; }

private:
    int fd_;
};

int FolderDescriptor(const Folder& folder) {
    return static_cast<int>(FolderHandles::Innermost(folder));
}

// The owner write bit stands for the Windows read-only attribute: a file without it is
// read-only even for root, as the attribute is for an administrator.
bool IsReadOnly(const struct stat& status) {
    return (status.st_mode & S_IWUSR) == 0;
}

// A name that starts with a dot stands for the Windows hidden attribute.
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

// The same file, whatever became of its contents: for a file this process holds open.
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

// Reads of an opened regular file wait for their data again.
bool ClearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Only a regular file with one link is read or replaced: any other name could lead out of
// the folder or reach a file that other names share.
FileStatus CheckRegularSingle(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_nlink == 1 ? FileStatus::Ok : FileStatus::Unsafe;
}

// Opens a name of the folder without following a link and without waiting on a pipe; what
// is opened must be the regular, single-link file that the name showed before the open.
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

// Reads to the end of the file, which may have grown since it was measured, but never more
// than `limit` bytes, into a block that nothing clears first, with room for the last, empty
// read.
FileStatus ReadAllInto(int fd, const struct stat& status, std::uint64_t limit, ByteBlock& bytes) {
    const std::uint64_t most =
        std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() / 4);
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > most) {
        return FileStatus::TooLarge;
    }
    try {
        std::size_t capacity = static_cast<std::size_t>(status.st_size) + 1;
        std::unique_ptr<char[]> block(new char[capacity]);
        std::size_t size = 0;
        for (;;) {
            if (size == capacity) {
                if (capacity > most) {
                    return FileStatus::TooLarge;
                }
                std::unique_ptr<char[]> larger(new char[2 * capacity]);
                std::memcpy(larger.get(), block.get(), size);
                block = std::move(larger);
                capacity *= 2;
            }
            const ssize_t count = ::read(fd, block.get() + size, capacity - size);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                return FileStatus::IoError;
            }
            if (count == 0) {
                break;
            }
            size += static_cast<std::size_t>(count);
        }
        if (size > most) {
            return FileStatus::TooLarge;
        }
        bytes.data = std::move(block);
        bytes.size = size;
    } catch (const std::bad_alloc&) {
        return FileStatus::OutOfMemory;
    }
    return FileStatus::Ok;
}

// The same into a string.
FileStatus ReadAll(int fd, const struct stat& status, std::uint64_t limit, std::string& bytes) {
    ByteBlock block;
    return TextOfBlock(ReadAllInto(fd, status, limit, block), block, bytes);
}

// A name of the folder opened for reading and writing, for this process's sole use.
FileStatus OpenForUpdate(const Folder& folder, const std::string& name, Descriptor& fd,
                         struct stat& status) {
    if (ShouldFail(Call::ReadFileForUpdate)) {
        return FileStatus::IoError;
    }
    const FileStatus opened = OpenInFolder(folder, name, O_RDWR, true, fd, status);
    if (opened == FileStatus::Ok && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return FileStatus::Locked;
    }
    return opened;
}

mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::uint64_t RandomNumber() {
    std::uint64_t value = 0;
    if (::getrandom(&value, sizeof value, 0) == static_cast<ssize_t>(sizeof value)) {
        return value;
    }
    Descriptor random(::open("/dev/urandom", O_RDONLY | O_CLOEXEC));
    if (random.get() < 0 || ::read(random.get(), &value, sizeof value) != sizeof value) {
        std::abort();  // an unpredictable name cannot be had: better no write at all
    }
    return value;
}

// The file at a name, opened for replacing: held under the same lock another program takes,
// so that neither writes it while the other does.
struct ReplaceTarget {
    Descriptor fd;
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    FileIdentity identity;
};

// The replacement belongs to whoever owned the file it replaces, so that a driver running as
// that user may still write it. Where this process may not give files away, it keeps them.
bool KeepOwner(int fd, const ReplaceTarget& target) {
    if (!target.exists || (target.owner == ::geteuid() && target.group == ::getegid())) {
        return true;
    }
    return ::fchown(fd, target.owner, target.group) == 0 || errno == EPERM;
}

// Whether a new name, the temporary file's, may be made in the folder.
FileStatus CheckCreatable(const Folder& folder) {
    return ::faccessat(FolderDescriptor(folder), ".", W_OK | X_OK, AT_EACCESS) == 0
               ? FileStatus::Ok
               : StatusOfError(errno);
}

// Whether the file found at a name (or none) is the one expected there.
bool IsExpected(const FileIdentity* expected, const FileIdentity& found) {
    return expected == nullptr || *expected == found;
}

// Refuses an existing target that is not a regular single-link file, read-only, (for a copy)
// hidden, held by another program, or not the file expected; a missing target is created,
// unless a file was expected there.
FileStatus OpenReplaceTarget(const Folder& folder, const std::string& name,
                             const FileIdentity* expected, bool refuseHidden,
                             ReplaceTarget& target) {
    struct stat status {};
    const FileStatus opened = OpenInFolder(folder, name, O_RDWR, true, target.fd, status);
    if (opened == FileStatus::Missing) {
        target.mode = DefaultFileMode();
        return IsExpected(expected, FileIdentity{}) ? FileStatus::Ok : FileStatus::Changed;
    }
    if (opened != FileStatus::Ok) {
        return opened;
    }
    if (refuseHidden && IsHiddenName(name)) {
        return FileStatus::Hidden;
    }
    if (::flock(target.fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return FileStatus::Locked;
    }
    target.exists = true;
    target.identity = IdentityOf(status);
    if (!IsExpected(expected, target.identity)) {
        return FileStatus::Changed;
    }
    target.mode = status.st_mode & 0777;  // never a set-id or sticky bit
    target.owner = status.st_uid;
    target.group = status.st_gid;
    return FileStatus::Ok;
}

// Whether the name still stands for the file opened as the target.
bool StillAtName(int dir, const std::string& name, const ReplaceTarget& target) {
    struct stat status {};
    if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return !target.exists && errno == ENOENT;
    }
    return target.exists && IdentityOf(status) == target.identity;
}

// Temporary files that crashed runs left in the folder, swept at its first write.
void RemoveStaleTemporaryFiles(const Folder& folder) {
    if (!folder.TakeFirstWrite()) {
        return;
    }
    const int dir = FolderDescriptor(folder);
    // A listing of its own: a duplicate of the held descriptor would share its position.
    const int own = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = own < 0 ? nullptr : ::fdopendir(own);
    if (listing == nullptr) {
        if (own >= 0) {
            ::close(own);
        }
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (IsTemporaryName(entry->d_name)) {
            ::unlinkat(dir, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

// Whether the name now stands for the temporary file this process wrote and still holds:
// another user may have put something else in its place before the rename.
bool NameIsFileWritten(int dir, const std::string& name, int written) {
    struct stat atName {};
    struct stat held {};
    return ::fstatat(dir, name.c_str(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(written, &held) == 0 && SameFile(atName, held);
}

// Fills a new temporary file beside the target and moves it onto the target's name. The
// temporary file is gone afterwards, whatever happened (but for a simulated crash).
// Only the whole-file writes of the store and the flag file take the seam's write and
// replace failures; a copy fails as a whole through its own.
template <typename Fill>
FileStatus ReplaceThroughTemporaryFile(const Folder& folder, const std::string& name,
                                       const ReplaceTarget& target, bool seamSteps, Fill fill) {
    const int dir = FolderDescriptor(folder);
    RemoveStaleTemporaryFiles(folder);
    std::string temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < 16 && fd.get() < 0; ++attempt) {
        temporary = TemporaryNameFor(name, RandomNumber());
        fd.Reset(::openat(dir, temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
        if (fd.get() < 0 && errno != EEXIST) {
            return StatusOfError(errno);
        }
    }
    if (fd.get() < 0) {
        return FileStatus::IoError;
    }
    const bool written = !(seamSteps && ShouldFail(Call::WriteTemporaryFile)) && fill(fd.get()) &&
                         ::fsync(fd.get()) == 0;
    if (written && seamSteps && ShouldFail(Call::CrashBeforeReplace)) {
        return FileStatus::IoError;
    }
    TemporaryFileWritten(folder.PathOf(temporary));
    FileStatus status = FileStatus::Ok;
    if (!written || (seamSteps && ShouldFail(Call::ReplaceWithTemporaryFile))) {
        status = FileStatus::IoError;
    } else if (!StillAtName(dir, name, target)) {
        status = FileStatus::Changed;
    } else if (::renameat(dir, temporary.c_str(), dir, name.c_str()) != 0) {
        status = StatusOfError(errno);
    } else if (!NameIsFileWritten(dir, name, fd.get())) {
        return FileStatus::Changed;  // what stands there now is not ours to remove
    }
    if (status != FileStatus::Ok) {
        ::unlinkat(dir, temporary.c_str(), 0);
        return status;
    }
    ::fsync(dir);
    return fd.Close() ? FileStatus::Ok : FileStatus::IoError;
}

}  // namespace

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
        const bool trusted =
            ::fstat(next, &status) == 0 && (status.st_uid == 0 || status.st_uid == ::geteuid());
        if (!trusted && foreign.empty()) {
            foreign = path;
        }
    }
    folder = FolderHandles::Hold({current.Release()}, path);
    return FileStatus::Ok;
}

bool OthersMayWrite(const std::string& folder) {
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

FileStatus OpenFolder(const std::string& path, Folder& folder) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return StatusOfError(errno);
    }
    folder = FolderHandles::Hold({fd}, path);
    return FileStatus::Ok;
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             std::string& bytes, FileIdentity& identity) {
    Descriptor fd;
    struct stat status {};
    const FileStatus opened = OpenForUpdate(folder, name, fd, status);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(status);
    return ReadAll(fd.get(), status, limit, bytes);
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             ByteBlock& bytes, FileIdentity& identity) {
    Descriptor fd;
    struct stat status {};
    const FileStatus opened = OpenForUpdate(folder, name, fd, status);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(status);
    return ReadAllInto(fd.get(), status, limit, bytes);
}

FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          std::string& bytes, FileIdentity& identity) {
    Descriptor fd;
    struct stat status {};
    const FileStatus opened = OpenInFolder(folder, name, O_RDONLY, false, fd, status);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(status);
    return ReadAll(fd.get(), status, limit, bytes);
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
    return FileStatus::Ok;
}

FileStatus CheckReplaceable(const Folder& folder, const std::string& name,
                            const FileIdentity* expected) {
    ReplaceTarget target;
    const FileStatus opened = OpenReplaceTarget(folder, name, expected, false, target);
    return opened == FileStatus::Ok ? CheckCreatable(folder) : opened;
}

FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::string& bytes, const FileIdentity* expected) {
    return WriteFileReplacing(folder, name, std::vector<std::string_view>{bytes}, expected);
}

FileStatus WriteFileReplacing(const Folder& folder, const std::string& name,
                              const std::vector<std::string_view>& pieces,
                              const FileIdentity* expected) {
    ReplaceTarget target;
    const FileStatus opened = OpenReplaceTarget(folder, name, expected, false, target);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    return ReplaceThroughTemporaryFile(folder, name, target, true, [&](int fd) {
        for (const std::string_view piece : pieces) {
            if (!WriteAll(fd, piece.data(), piece.size())) {
                return false;
            }
        }
        return KeepOwner(fd, target) && ::fchmod(fd, target.mode) == 0;
    });
}

FileStatus CheckCopyTarget(const Folder& folder, const std::string& name, HiddenTarget hidden) {
    ReplaceTarget target;
    const FileStatus opened =
        OpenReplaceTarget(folder, name, nullptr, hidden == HiddenTarget::Refuse, target);
    return opened == FileStatus::Ok ? CheckCreatable(folder) : opened;
}

FileStatus WriteKitFile(const Folder& folder, const std::string& name, const KitFile& file,
                        HiddenTarget hidden, const FileIdentity* expected) {
    if (ShouldFail(Call::WriteKitFile)) {
        return FileStatus::IoError;
    }
    ReplaceTarget target;
    const FileStatus opened =
        OpenReplaceTarget(folder, name, expected, hidden == HiddenTarget::Refuse, target);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    return ReplaceThroughTemporaryFile(folder, name, target, false, [&](int fd) {
        struct timespec times[2] = {};
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(file.lastWrite / 1000000000);
        times[1].tv_nsec = static_cast<long>(file.lastWrite % 1000000000);
        return WriteAll(fd, file.bytes.data(), file.bytes.size()) && KeepOwner(fd, target) &&
               ::fchmod(fd, static_cast<mode_t>(file.permissions & 0777)) == 0 &&
               ::futimens(fd, times) == 0;
    });
}

FileStatus RemoveFile(const Folder& folder, const std::string& name, const FileIdentity* expected) {
    if (ShouldFail(Call::RemoveFile)) {
        return FileStatus::IoError;
    }
    const int dir = FolderDescriptor(folder);
    struct stat status {};
    if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return StatusOfError(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return FileStatus::Unsafe;
    }
    if (!IsExpected(expected, IdentityOf(status))) {
        return FileStatus::Changed;
    }
    if (::unlinkat(dir, name.c_str(), 0) == 0) {
        return FileStatus::Ok;
    }
    return errno == EPERM ? FileStatus::Unsafe : StatusOfError(errno);
}

bool HasVersionResource(const Folder& folder, const std::string& name) {
    Descriptor fd;
    struct stat status {};
    if (OpenInFolder(folder, name, O_RDONLY, false, fd, status) != FileStatus::Ok) {
        return false;
    }
    return PeImageHasVersionResource(
        [&](std::uint64_t offset, std::size_t size, unsigned char* out) {
            return ::pread(fd.get(), out, size, static_cast<off_t>(offset)) ==
                   static_cast<ssize_t>(size);
        });
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    if (ShouldFail(Call::ListFolder)) {
        return false;
    }
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return false;
    }
    entries.clear();
    while (const dirent* entry = ::readdir(listing)) {
        FolderEntry found;
        found.name = entry->d_name;
        found.isDirectory = IsExistingDirectory(JoinPath(folder, found.name));
        entries.push_back(std::move(found));
    }
    ::closedir(listing);
    return true;
}

FileStatus ReadKitFile(const std::string& path, std::uint64_t limit, KitFile& file) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0) {
        return StatusOfError(errno);
    }
    if (::fstat(fd.get(), &status) != 0 || CheckRegularSingle(status) != FileStatus::Ok) {
        return FileStatus::Unsafe;
    }
    if (!ClearNonBlocking(fd.get())) {
        return FileStatus::IoError;
    }
    file.lastWrite = IdentityOf(status).lastWrite;
    file.lastWriteSeconds = static_cast<std::int64_t>(status.st_mtime);
    file.permissions = status.st_mode & 0777;
    return ReadAll(fd.get(), status, limit, file.bytes);
}

bool IsExistingDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool GetCommonAppDataFolder(std::string& folder) {
    // Windows' own name for the folder; unset or empty is the shell's failure.
    const char* value = std::getenv("ProgramData");
    if (ShouldFail(Call::GetCommonAppDataFolder) || value == nullptr || *value == '\0') {
        return false;
    }
    folder = value;
    return true;
}

bool GetEnvironmentText(const std::string& name, std::string& value) {
    const char* found = std::getenv(name.c_str());
    if (found == nullptr) {
        return false;
    }
    value = found;
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + '/' + name;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExecutablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", &path[0], path.size());
        if (length < 0) {
            return std::string();
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void HardenProcess() {
    ::signal(SIGPIPE, SIG_IGN);
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (::fcntl(stream, F_GETFD) < 0 && errno == EBADF) {
            // Opens on the lowest free descriptor: this one.
            static_cast<void>(::open("/dev/null", O_RDWR | O_NOCTTY));
        }
    }
}

void SetMessageBoxOwner(void*) {}

void ShowMessageBox(const std::string& text) {
    if (IsRecordingMessageBoxes()) {
        RecordMessageBox(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace platform
