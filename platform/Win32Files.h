#pragma once
// Windows only: what the services of held folders, replacements and the kit share: handles
// closed on every way out, the statuses of the system's errors, the identity and times of a
// file, and the check that only a regular file is read or replaced.

#include <windows.h>

#include <cstdint>

#include "platform/Platform.h"
#include "platform/SystemCalls.h"

namespace platform {

// Every file open: never through a reparse point, and never lending the caller's identity to
// a named pipe that stands at the name.
constexpr DWORD kNoFollow =
    FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replaced or copied file may carry over.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Closes a handle on every way out of a scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { Reset(INVALID_HANDLE_VALUE); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void Reset(HANDLE handle) {
        if (IsValid()) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }
    HANDLE Release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

// The held folder's own handle, in which its names are resolved.
HANDLE FolderHandle(const Folder& folder);

FileStatus StatusOfError(DWORD error);

// A time in the system's own units (100 ns since 1601), and in seconds since 1970.
std::int64_t Ticks(const FILETIME& time);
std::int64_t SecondsSince1970(const FILETIME& time);

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info);

// Only a regular file on disk with one link is read or replaced: a reparse point could lead
// out of the folder, and a hard link reaches a file that other names share.
FileStatus CheckRegularHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION& info);

// Hands an open file on to the front, with the length it had when it was opened.
void HandOver(Handle& handle, const BY_HANDLE_FILE_INFORMATION& info, os::OpenedFile& file);

}  // namespace platform
