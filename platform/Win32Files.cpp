// Windows only: what the services of held folders, replacements and the kit share, and the
// reads of a file opened for the front.

#include "platform/Win32Files.h"

#include <algorithm>

#include "platform/FolderHandles.h"
#include "platform/Win32Bounded.h"
#include "platform/Win32NtFiles.h"

namespace platform {

HANDLE FolderHandle(const Folder& folder) {
    return reinterpret_cast<HANDLE>(FolderHandles::Innermost(folder));
}

FileStatus StatusOfError(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS:
            return FileStatus::Ok;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileStatus::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case kErrorOplockBreakInProgress:
        case ERROR_OPERATION_ABORTED:  // a wait on another program, given up
            return FileStatus::Locked;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return FileStatus::OutOfMemory;
        case ERROR_FILE_TOO_LARGE:
            return FileStatus::TooLarge;
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_PIPE_BUSY:
        case ERROR_BAD_PIPE:
            return FileStatus::Unsafe;
        default:
            return FileStatus::IoError;
    }
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime);
}

std::int64_t SecondsSince1970(const FILETIME& time) {
    constexpr std::int64_t kTicksPerSecond = 10000000;
    constexpr std::int64_t kEpochDifference = 11644473600;  // 1601 to 1970, in seconds
    return Ticks(time) / kTicksPerSecond - kEpochDifference;
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileIdentity identity;
    identity.exists = true;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.lastWrite = Ticks(info.ftLastWriteTime);
    return identity;
}

FileStatus CheckRegularHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    constexpr DWORD kNotRegular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) {
        return FileStatus::Unsafe;
    }
    return (info.dwFileAttributes & kNotRegular) == 0 && info.nNumberOfLinks == 1
               ? FileStatus::Ok
               : FileStatus::Unsafe;
}

void HandOver(Handle& handle, const BY_HANDLE_FILE_INFORMATION& info, os::OpenedFile& file) {
    file.Take(reinterpret_cast<std::intptr_t>(handle.Release()), IdentityOf(info).size);
}

os::OpenedFile::~OpenedFile() {
    if (m_handle != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    }
}

FileStatus os::OpenedFile::ReadSome(char* into, std::size_t most, std::size_t& count) const {
    // One ReadFile call takes at most a DWORD's worth: a gigabyte at a time.
    constexpr std::size_t kMostPerRead = 1u << 30;
    DWORD read = 0;
    const BOOL done = Bounded([&] {
        return ::ReadFile(reinterpret_cast<HANDLE>(m_handle), into,
                          static_cast<DWORD>(std::min(most, kMostPerRead)), &read, nullptr);
    });
    if (!done) {
        return ::GetLastError() == ERROR_OPERATION_ABORTED ? FileStatus::Locked
                                                           : FileStatus::IoError;
    }
    count = read;
    return FileStatus::Ok;
}

bool os::OpenedFile::ReadAt(std::uint64_t offset, std::size_t size, unsigned char* out) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD count = 0;
    return size <= MAXDWORD && Bounded([&] {
               return ::ReadFile(reinterpret_cast<HANDLE>(m_handle), out, static_cast<DWORD>(size),
                                 &count, &at);
           }) &&
           count == size;
}

}  // namespace platform
