// The platform services on POSIX systems, behaving as the Windows ones do on the same files.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/PeVersionResource.h"
#include "platform/Platform.h"
#include "platform/TestSeam.h"

namespace platform {

namespace {

// Closes a descriptor on every way out of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The owner write bit stands for the Windows read-only attribute: a file without it is
// read-only even for root, as the attribute is for an administrator.
bool IsReadOnly(const struct stat& status) {
    return (status.st_mode & S_IWUSR) == 0;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

constexpr std::size_t kReadChunk = 1 << 16;

bool ReadAll(int fd, std::string& bytes) {
    for (;;) {
        const std::size_t size = bytes.size();
        const std::size_t chunk = std::max(kReadChunk, bytes.capacity() - size);
        bytes.resize(size + chunk);
        const ssize_t count = ::read(fd, &bytes[size], chunk);
        bytes.resize(size + static_cast<std::size_t>(count > 0 ? count : 0));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            return true;
        }
    }
}

mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& path) {
    Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
}

// Fills a new temporary file beside `target` and moves it onto `target`. The temporary
// file is gone afterwards, whatever happened.
// Only the whole-file writes of the store and the flag file take the seam's write and
// replace failures; a copy fails as a whole through its own.
template <typename Fill>
bool ReplaceThroughTemporaryFile(const std::string& target, bool seamSteps, Fill fill) {
    std::string temporary = target + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) {
        return false;
    }
    bool written = !(seamSteps && ShouldFail(Call::WriteTemporaryFile)) && fill(fd.get()) &&
                   ::fsync(fd.get()) == 0;
    written = fd.Close() && written;
    if (!written || (seamSteps && ShouldFail(Call::ReplaceWithTemporaryFile)) ||
        ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(target);
    return true;
}

// Fails for an existing target that is a folder, read-only or held by another program, as an
// exclusive open for writing would; gives the mode to keep.
bool TargetModeToKeep(const std::string& target, mode_t& mode) {
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) {
        mode = DefaultFileMode();
        return errno == ENOENT;
    }
    mode = status.st_mode & 07777;
    if (!S_ISREG(status.st_mode) || IsReadOnly(status)) {
        return false;
    }
    Descriptor probe(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    return probe.get() >= 0 && ::flock(probe.get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

bool ReadFileForUpdate(const std::string& path, std::string& bytes) {
    if (ShouldFail(Call::ReadFileForUpdate)) {
        return false;
    }
    Descriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        IsReadOnly(status) || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    std::string read;
    // Room for the whole file and the last, empty read: no reallocation on the way.
    read.reserve(static_cast<std::size_t>(status.st_size) + kReadChunk);
    if (!ReadAll(fd.get(), read)) {
        return false;
    }
    bytes.swap(read);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    mode_t mode = 0;
    if (!TargetModeToKeep(path, mode)) {
        return false;
    }
    return ReplaceThroughTemporaryFile(path, true, [&](int fd) {
        return WriteAll(fd, bytes.data(), bytes.size()) && ::fchmod(fd, mode) == 0;
    });
}

bool IsExistingDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
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

bool GetLastWriteSeconds(const std::string& path, std::int64_t& seconds) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    seconds = static_cast<std::int64_t>(status.st_mtime);
    return true;
}

bool HasVersionResource(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    return PeImageHasVersionResource(
        [&](std::uint64_t offset, std::size_t size, unsigned char* out) {
            return ::pread(fd.get(), out, size, static_cast<off_t>(offset)) ==
                   static_cast<ssize_t>(size);
        });
}

bool CopyFileOver(const std::string& source, const std::string& target) {
    if (ShouldFail(Call::CopyFileOver)) {
        return false;
    }
    mode_t keptMode = 0;
    Descriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (input.get() < 0 || ::fstat(input.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        !TargetModeToKeep(target, keptMode)) {
        return false;
    }
    return ReplaceThroughTemporaryFile(target, false, [&](int fd) {
        std::string bytes;
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        return ReadAll(input.get(), bytes) && WriteAll(fd, bytes.data(), bytes.size()) &&
               ::fchmod(fd, status.st_mode & 07777) == 0 && ::futimens(fd, times) == 0;
    });
}

bool RemoveFile(const std::string& path) {
    return !ShouldFail(Call::RemoveFile) && ::unlink(path.c_str()) == 0;
}

bool MoveFileReplacing(const std::string& source, const std::string& target) {
    return !ShouldFail(Call::MoveFileReplacing) && ::rename(source.c_str(), target.c_str()) == 0;
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
