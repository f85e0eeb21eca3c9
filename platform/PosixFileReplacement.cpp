// POSIX only: files of a held folder replaced through a temporary file beside them, and
// removed. The target is held under the same lock another program takes, so that neither
// writes it while the other does; the temporary file is renamed by name, so the name must
// afterwards stand for the file that was written.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/PosixFiles.h"
#include "platform/PosixHeldFolders.h"
#include "platform/PosixIo.h"
#include "platform/SystemCalls.h"
#include "platform/TemporaryName.h"

namespace platform {

namespace {

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

// Whether the name now stands for the temporary file this process wrote and still holds:
// another user may have put something else in its place before the rename.
bool NameIsFileWritten(int dir, const std::string& name, int written) {
    struct stat atName {};
    struct stat held {};
    return ::fstatat(dir, name.c_str(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(written, &held) == 0 && SameFile(atName, held);
}

}  // namespace

struct os::Replacement::State {
    State(const Folder& held, const std::string& targetName)
        : folder(held), dir(FolderDescriptor(held)), name(targetName) {}

    const Folder& folder;
    const int dir;  // the held folder's descriptor
    const std::string name;
    // The file at the name, as opened.
    Descriptor target;
    bool exists = false;
    bool ownerTrusted = false;  // the file replaced is root's or this user's
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    FileIdentity identity;
    // The temporary file, removed at the end while `removeTemporary` holds.
    std::string temporary;
    Descriptor written;
    bool removeTemporary = false;

    // Whether the name still stands for the file opened as the target.
    bool StillAtName() const {
        struct stat status {};
        if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return !exists && errno == ENOENT;
        }
        return exists && IdentityOf(status) == identity;
    }

    // The replacement of a file that root or this user owns keeps its owner and group, so that
    // a driver that may write the file still may. Another user's file gives nothing away to
    // its successor, which is this user's. Where this process may not give files away, it
    // keeps them.
    bool KeepOwner() const {
        if (!exists || !ownerTrusted || (owner == ::geteuid() && group == ::getegid())) {
            return true;
        }
        return ::fchown(written.get(), owner, group) == 0 || errno == EPERM;
    }

    // The kit file's last-write time; its access time is left as it is.
    bool TakeLastWrite(const KitFile& kit) const {
        struct timespec times[2] = {};
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(kit.lastWrite / 1000000000);
        times[1].tv_nsec = static_cast<long>(kit.lastWrite % 1000000000);
        return ::futimens(written.get(), times) == 0;
    }
};

os::Replacement::Replacement(const Folder& folder, const std::string& name)
    : m_state(std::make_unique<State>(folder, name)) {}

os::Replacement::~Replacement() {
    if (m_state->removeTemporary) {
        ::unlinkat(m_state->dir, m_state->temporary.c_str(), 0);
    }
}

FileStatus os::Replacement::OpenTarget(const FileIdentity* expected, bool refuseHidden) {
    State& state = *m_state;
    struct stat status {};
    const FileStatus opened =
        OpenInFolder(state.folder, state.name, O_RDWR, true, state.target, status);
    if (opened == FileStatus::Missing) {
        state.mode = DefaultFileMode();
        return IsExpected(expected, FileIdentity{}) ? FileStatus::Ok : FileStatus::Changed;
    }
    if (opened != FileStatus::Ok) {
        return opened;
    }
    if (refuseHidden && IsHiddenName(state.name)) {
        return FileStatus::Hidden;
    }
    if (::flock(state.target.get(), LOCK_EX | LOCK_NB) != 0) {
        return FileStatus::Locked;
    }
    state.exists = true;
    state.identity = IdentityOf(status);
    if (!IsExpected(expected, state.identity)) {
        return FileStatus::Changed;
    }
    // Never a set-id or sticky bit; and another user's file hands on no mode of theirs.
    state.ownerTrusted = IsTrustedOwner(status.st_uid);
    state.mode = state.ownerTrusted ? status.st_mode & 0777 : DefaultFileMode();
    state.owner = status.st_uid;
    state.group = status.st_gid;
    return FileStatus::Ok;
}

FileStatus os::Replacement::CheckCreatable() const {
    return ::faccessat(m_state->dir, ".", W_OK | X_OK, AT_EACCESS) == 0 ? FileStatus::Ok
                                                                        : StatusOfError(errno);
}

FileStatus os::Replacement::CreateTemporaryFile() {
    State& state = *m_state;
    for (int attempt = 0; attempt < 16 && state.written.get() < 0; ++attempt) {
        state.temporary = TemporaryNameFor(state.name, RandomNumber());
        state.written.Reset(
            ::openat(state.dir, state.temporary.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
        if (state.written.get() < 0 && errno != EEXIST) {
            return StatusOfError(errno);
        }
    }
    state.removeTemporary = state.written.get() >= 0;
    return state.removeTemporary ? FileStatus::Ok : FileStatus::IoError;
}

const std::string& os::Replacement::TemporaryName() const {
    return m_state->temporary;
}

bool os::Replacement::Write(std::string_view bytes) {
    return WriteAll(m_state->written.get(), bytes.data(), bytes.size());
}

bool os::Replacement::Finish(const KitFile* kit) {
    const State& state = *m_state;
    // What the run installs from the kit no other user may write, whatever the kit's mode.
    const mode_t mode = kit != nullptr ? static_cast<mode_t>(kit->permissions & 0755) : state.mode;
    return state.KeepOwner() && ::fchmod(state.written.get(), mode) == 0 &&
           (kit == nullptr || state.TakeLastWrite(*kit)) && ::fsync(state.written.get()) == 0;
}

void os::Replacement::Abandon() {
    m_state->removeTemporary = false;
}

FileStatus os::Replacement::Commit() {
    State& state = *m_state;
    if (!state.StillAtName()) {
        return FileStatus::Changed;
    }
    if (::renameat(state.dir, state.temporary.c_str(), state.dir, state.name.c_str()) != 0) {
        return StatusOfError(errno);
    }
    state.removeTemporary = false;  // its name is gone
    if (!NameIsFileWritten(state.dir, state.name, state.written.get())) {
        return FileStatus::Changed;  // what stands there now is not ours to remove
    }
    ::fsync(state.dir);
    return state.written.Close() ? FileStatus::Ok : FileStatus::IoError;
}

namespace {

// What stands at a name that is to be removed: anything but a real folder, and with
// `expected`, the file expected there.
FileStatus StatRemovable(int dir, const std::string& name, const FileIdentity* expected,
                         struct stat& status) {
    if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return StatusOfError(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return FileStatus::Unsafe;
    }
    return IsExpected(expected, IdentityOf(status)) ? FileStatus::Ok : FileStatus::Changed;
}

}  // namespace

FileStatus os::RemoveName(const Folder& folder, const std::string& name,
                          const FileIdentity* expected) {
    const int dir = FolderDescriptor(folder);
    struct stat status {};
    const FileStatus removable = StatRemovable(dir, name, expected, status);
    if (removable != FileStatus::Ok) {
        return removable;
    }
    if (::unlinkat(dir, name.c_str(), 0) == 0) {
        return FileStatus::Ok;
    }
    return errno == EPERM ? FileStatus::Unsafe : StatusOfError(errno);
}

FileStatus os::CheckRemovable(const Folder& folder, const std::string& name,
                              const FileIdentity* expected) {
    const int dir = FolderDescriptor(folder);
    struct stat status {};
    const FileStatus removable = StatRemovable(dir, name, expected, status);
    if (removable != FileStatus::Ok) {
        return removable;
    }
    if (S_ISREG(status.st_mode)) {
        // A file another program holds for its sole use is busy, as its removal is on Windows.
        Descriptor fd(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            return FileStatus::Locked;
        }
    }
    return ::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) == 0 ? FileStatus::Ok
                                                               : StatusOfError(errno);
}

}  // namespace platform
