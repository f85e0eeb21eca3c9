// POSIX only: what the program finds around it: the application-data and Windows folders from
// the environment, the kit's files and folders by path, its own path, and the hardening of
// the process at start-up.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/PosixFiles.h"
#include "platform/SystemCalls.h"

namespace platform {

bool OthersMayWrite(const std::string& folder) {
    struct stat status {};
    // A folder's owner may always change its mode: a user who owns it may write it.
    return ::stat(folder.c_str(), &status) == 0 &&
           ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 || !IsTrustedOwner(status.st_uid));
}

FileStatus os::OpenKitFile(const std::string& path, OpenedFile& file, KitFile& kit) {
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
    kit.lastWrite = IdentityOf(status).lastWrite;
    kit.lastWriteSeconds = static_cast<std::int64_t>(status.st_mtime);
    kit.permissions = status.st_mode & 0777;
    file.Take(fd.Release(), static_cast<std::uint64_t>(status.st_size));
    return FileStatus::Ok;
}

bool os::ListEntries(const std::string& folder, std::vector<FolderEntry>& entries) {
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

bool IsExistingDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool os::CommonAppDataFolder(std::string& folder) {
    // Windows' own name for the folder; unset or empty is the shell's failure.
    const char* value = std::getenv("ProgramData");
    if (value == nullptr || *value == '\0') {
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

}  // namespace platform
