#pragma once
// POSIX only: what the services of held folders, replacements and the kit share: descriptors
// closed on every way out, the statuses of the system's errors, the identity of a file, and
// what stands for the Windows attributes.

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/Platform.h"

namespace platform {

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

// The held folder's own descriptor, in which its names are resolved.
int FolderDescriptor(const Folder& folder);

// The owner write bit stands for the Windows read-only attribute: a file without it is
// read-only even for root, as the attribute is for an administrator.
bool IsReadOnly(const struct stat& status);

// A name that starts with a dot stands for the Windows hidden attribute.
bool IsHiddenName(const std::string& name);

FileIdentity IdentityOf(const struct stat& status);

// Root or the effective user: no other user can have made what such an owner owns.
bool IsTrustedOwner(uid_t owner);

// The same file, whatever became of its contents: for a file this process holds open.
bool SameFile(const struct stat& left, const struct stat& right);

FileStatus StatusOfError(int error);

// Reads of an opened regular file wait for their data again.
bool ClearNonBlocking(int fd);

// Only a regular file with one link is read or replaced: any other name could lead out of
// the folder or reach a file that other names share.
FileStatus CheckRegularSingle(const struct stat& status);

}  // namespace platform
