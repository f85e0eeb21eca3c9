// The platform services on Windows. The core's texts and paths are code page 932 bytes; they
// are converted with code page 932 explicitly and passed to the wide-character functions, so
// that they mean the same whatever the system's ANSI code page.
//
// A settings folder and every folder above it are held open without FILE_SHARE_DELETE (those
// above it without FILE_SHARE_WRITE too), so that none can be renamed, removed or swapped for
// a junction while the tool works. Every name in a held folder is opened, listed and renamed
// relative to the folder's handle, never through its path again, so that the tool works in
// the folder it checked whatever the path has come to mean; every file there is opened
// without following a reparse point, without waiting on another program's oplock, and checked
// on the handle, and renamed or removed through that handle.

#define _CRT_RAND_S  // rand_s, the system's unpredictable numbers, from the C runtime
#include <windows.h>

#include <aclapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "platform/BlockText.h"
#include "platform/FolderHandles.h"
#include "platform/PeVersionResource.h"
#include "platform/Platform.h"
#include "platform/TemporaryName.h"
#include "platform/TestSeam.h"
#include "platform/Win32Io.h"
#include "platform/Win32NtFiles.h"
#include "platform/Win32Procedures.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"
#include "text/Cp932.h"

namespace platform {

namespace {

// Every file open: never through a reparse point, and never lending the caller's identity to
// a named pipe that stands at the name.
constexpr DWORD kNoFollow =
    FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Folders are held for listing and traversal, never shared with a renamer or remover, nor
// with a writer. The settings folder itself must be shared with writers: a rename into a
// folder, as each replacement of this tool's is, opens the folder for FILE_WRITE_DATA, and
// the file system checks that open against the sharing of every handle on the folder.
constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kHeldFolderShare = FILE_SHARE_READ;
constexpr DWORD kWrittenFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr NameOpen kAttributesOnly{FILE_READ_ATTRIBUTES, kShareAll, false, true};
// The attributes a replaced or copied file may carry over.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
HWND messageBoxOwner = nullptr;

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

// The executable's file name without its extension: the caption of every message box.
std::wstring ApplicationName() {
    const std::wstring path = Widen(ExecutablePath());
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

FileStatus StatusOfError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileStatus::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case kErrorOplockBreakInProgress:
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

bool IsExpected(const FileIdentity* expected, const FileIdentity& found) {
    return expected == nullptr || *expected == found;
}

// Only a regular file on disk with one link is read or replaced: a reparse point could lead
// out of the folder, and a hard link reaches a file that other names share.
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

HANDLE FolderHandle(const Folder& folder) {
    return reinterpret_cast<HANDLE>(FolderHandles::Innermost(folder));
}

// A name the system takes as one name in the folder: no path, no "." or "..".
bool IsSingleName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/") == std::wstring::npos;
}

// Opens a name of a folder relative to the folder's handle (by the folder's path only where
// the system has no such open). Gives the Windows error code; an oplocked file is given up at
// once, as kErrorOplockBreakInProgress.
DWORD OpenName(HANDLE folder, const std::string& folderPath, const std::string& name,
               const NameOpen& how, Handle& file) {
    const std::wstring wide = Widen(name);
    if (!IsSingleName(wide)) {
        return ERROR_INVALID_NAME;
    }
    const auto relative = [&] {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const NtStatus status = OpenBeneath(folder, wide, how, opened);
        file.Reset(opened);
        return status;
    };
    const auto byPath = [&] {
        const DWORD flags =
            FILE_ATTRIBUTE_NORMAL | kNoFollow | (how.anyKind ? FILE_FLAG_BACKUP_SEMANTICS : 0);
        file.Reset(::CreateFileW(Widen(JoinPath(folderPath, name)).c_str(), how.access, how.share,
                                 nullptr, how.create ? CREATE_NEW : OPEN_EXISTING, flags, nullptr));
        return file.IsValid() ? DWORD{ERROR_SUCCESS} : ::GetLastError();
    };
    return RelativeElseByPath(relative, byPath);
}

DWORD OpenName(const Folder& folder, const std::string& name, const NameOpen& how, Handle& file) {
    return OpenName(FolderHandle(folder), folder.Path(), name, how, file);
}

// What stands at a name, seen with attribute access alone.
DWORD OpenAttributes(const Folder& folder, const std::string& name, Handle& file,
                     BY_HANDLE_FILE_INFORMATION& info) {
    const DWORD error = OpenName(folder, name, kAttributesOnly, file);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    return ::GetFileInformationByHandle(file.get(), &info) ? ERROR_SUCCESS : ::GetLastError();
}

// Why an open was denied: a folder or reparse point at the name, or the read-only attribute.
FileStatus StatusOfDeniedOpen(const Folder& folder, const std::string& name) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (OpenAttributes(folder, name, file, info) != ERROR_SUCCESS) {
        return FileStatus::IoError;
    }
    const DWORD attributes = info.dwFileAttributes;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return FileStatus::Unsafe;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? FileStatus::ReadOnly : FileStatus::IoError;
}

// Opens a name of the folder without following a reparse point; what is opened must be a
// regular single-link file (and, for writing, not read-only: where the process may write any
// file, as an administrator or root under Wine, the attribute still counts).
FileStatus OpenInFolder(const Folder& folder, const std::string& name, DWORD access, DWORD share,
                        bool forWriting, Handle& file, BY_HANDLE_FILE_INFORMATION& info) {
    const DWORD error = OpenName(folder, name, NameOpen{access, share, false, false}, file);
    if (error != ERROR_SUCCESS) {
        return error == ERROR_ACCESS_DENIED ? StatusOfDeniedOpen(folder, name)
                                            : StatusOfError(error);
    }
    const FileStatus regular = CheckRegularHandle(file.get(), info);
    if (regular == FileStatus::Ok && forWriting &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return FileStatus::ReadOnly;
    }
    return regular;
}

// Reads to the end of the file, but never more than `limit` bytes or than this build can
// hold, into a block that nothing clears first, with room for the last, empty read.
FileStatus ReadAllInto(HANDLE file, std::uint64_t limit, ByteBlock& bytes) {
    const std::uint64_t most =
        std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() / 4);
    constexpr std::size_t kMostPerRead = 1u << 30;
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file, &length)) {
        return FileStatus::IoError;
    }
    if (length.QuadPart < 0 || static_cast<std::uint64_t>(length.QuadPart) > most) {
        return FileStatus::TooLarge;
    }
    try {
        std::size_t capacity = static_cast<std::size_t>(length.QuadPart) + 1;
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
            const DWORD chunk = static_cast<DWORD>(std::min(capacity - size, kMostPerRead));
            DWORD count = 0;
            if (!::ReadFile(file, block.get() + size, chunk, &count, nullptr)) {
                return FileStatus::IoError;
            }
            if (count == 0) {
                break;
            }
            size += count;
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
FileStatus ReadAll(HANDLE file, std::uint64_t limit, std::string& bytes) {
    ByteBlock block;
    return TextOfBlock(ReadAllInto(file, limit, block), block, bytes);
}

std::uint64_t RandomNumber() {
    unsigned int high = 0;
    unsigned int low = 0;
    if (rand_s(&high) != 0 || rand_s(&low) != 0) {
        std::abort();  // an unpredictable name cannot be had: better no write at all
    }
    return (std::uint64_t{high} << 32) | low;
}

// Sets the attributes (none: a plain file) and, when given, the last-write time.
bool SetBasicInformation(HANDLE file, DWORD attributes, const FILETIME* lastWrite) {
    FILE_BASIC_INFO basic{};
    if (lastWrite != nullptr) {
        basic.LastWriteTime.LowPart = lastWrite->dwLowDateTime;
        basic.LastWriteTime.HighPart = static_cast<LONG>(lastWrite->dwHighDateTime);
    }
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Deletes the file of an open handle (opened with DELETE access), read-only or not.
bool DeleteByHandle(HANDLE file, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetBasicInformation(file, attributes & ~FILE_ATTRIBUTE_READONLY, nullptr);
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
}

// Moves the file of an open handle onto a name of the folder, replacing what stands there (a
// link itself, never what it points to): the name resolved in the held folder, or by the
// folder's path where the system has no such rename. Gives the Windows error code.
DWORD RenameInFolder(HANDLE file, const Folder& folder, const std::string& name) {
    return RelativeElseByPath(
        [&] { return RenameBeneath(file, FolderHandle(folder), Widen(name)); },
        [&] { return RenameByPath(file, Widen(folder.PathOf(name))); });
}

// The replaced file's access rules go to its successor, so that a driver that may write the
// file still may. Where the system cannot tell or set them, the folder's rules apply.
void CarryAccessRules(HANDLE from, HANDLE to) {
    PACL rules = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &rules,
                          nullptr, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    ::SetSecurityInfo(to, SE_FILE_OBJECT, what, nullptr, nullptr, rules, nullptr);
    ::LocalFree(descriptor);
}

// The file at a name, opened for replacing: held exclusively while the replacement is
// written, so that neither another program nor this one writes it while the other does. It
// is let go just before the rename, which cannot replace a file that is open.
struct ReplaceTarget {
    Handle file;
    bool exists = false;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;  // a new file's
    FileIdentity identity;
};

// Refuses an existing target that is not a regular single-link file, read-only, (for a copy)
// hidden, held by another program, or not the file expected; a missing target is created,
// unless a file was expected there.
FileStatus OpenReplaceTarget(const Folder& folder, const std::string& name,
                             const FileIdentity* expected, bool refuseHidden,
                             ReplaceTarget& target) {
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus opened = OpenInFolder(
        folder, name, GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, true, target.file, info);
    if (opened == FileStatus::Missing) {
        return IsExpected(expected, FileIdentity{}) ? FileStatus::Ok : FileStatus::Changed;
    }
    if (opened != FileStatus::Ok) {
        return opened;
    }
    if (refuseHidden && (info.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
        return FileStatus::Hidden;
    }
    target.exists = true;
    target.identity = IdentityOf(info);
    if (!IsExpected(expected, target.identity)) {
        return FileStatus::Changed;
    }
    target.attributes = info.dwFileAttributes & kKeptAttributes;
    return FileStatus::Ok;
}

// Whether the name still stands for the file opened as the target.
bool StillAtName(const Folder& folder, const std::string& name, const ReplaceTarget& target) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD error = OpenAttributes(folder, name, file, info);
    if (error != ERROR_SUCCESS) {
        return !target.exists && error == ERROR_FILE_NOT_FOUND;
    }
    return target.exists && IdentityOf(info) == target.identity;
}

// Removes whatever stands at a name of the folder, but never a real folder, and (with
// `expected`) only the file expected there.
FileStatus RemoveInFolder(const Folder& folder, const std::string& name,
                          const FileIdentity* expected) {
    constexpr NameOpen kRemoval{DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                false, true};
    Handle file;
    const DWORD error = OpenName(folder, name, kRemoval, file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (error != ERROR_SUCCESS) {
        return StatusOfError(error);
    }
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        return FileStatus::IoError;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return FileStatus::Unsafe;
    }
    if (!IsExpected(expected, IdentityOf(info))) {
        return FileStatus::Changed;
    }
    return DeleteByHandle(file.get(), info.dwFileAttributes) ? FileStatus::Ok
                                                             : StatusOfError(::GetLastError());
}

// The temporary files in the folder, by its path: for a system that cannot list a folder
// through its handle.
void ListTemporaryNamesByPath(const Folder& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Widen(folder.PathOf("*.~brenwick-*.tmp"));
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// The names in the held folder, listed through a handle of its own opened through the held
// one, so that the listing starts afresh and is of the folder that was checked.
void ListNamesInFolder(const Folder& folder, std::vector<std::wstring>& names) {
    constexpr NameOpen kListing{FILE_LIST_DIRECTORY, kShareAll, false, true};
    const auto relative = [&] {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const NtStatus status = OpenBeneath(FolderHandle(folder), std::wstring(), kListing, opened);
        const Handle listing(opened);
        return listing.IsValid() ? ListNamesBeneath(listing.get(), names) : status;
    };
    const auto byPath = [&] {
        names.clear();
        ListTemporaryNamesByPath(folder, names);
        return DWORD{ERROR_SUCCESS};
    };
    RelativeElseByPath(relative, byPath);
}

// Temporary files that crashed runs left in the folder, swept at its first write.
void RemoveStaleTemporaryFiles(const Folder& folder) {
    if (!folder.TakeFirstWrite()) {
        return;
    }
    std::vector<std::wstring> names;
    ListNamesInFolder(folder, names);
    for (const std::wstring& name : names) {
        const std::string entry = Narrow(name);
        if (IsTemporaryName(entry)) {
            RemoveInFolder(folder, entry, nullptr);
        }
    }
}

// Creates a new temporary file for `name` beside it, under a name that no file has.
DWORD CreateTemporaryFile(const Folder& folder, const std::string& name, Handle& temporary) {
    constexpr NameOpen kNewFile{GENERIC_WRITE | DELETE | WRITE_DAC | FILE_WRITE_ATTRIBUTES, 0, true,
                                false};
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0;
         attempt < 16 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        error = OpenName(folder, TemporaryNameFor(name, RandomNumber()), kNewFile, temporary);
    }
    return error;
}

// Fills a new temporary file beside the target and moves it onto the target's name, with the
// given attributes and (when given) last-write time. The temporary file is gone afterwards,
// whatever happened (but for a simulated crash).
// Only the whole-file writes of the store and the flag file take the seam's write and
// replace failures; a copy fails as a whole through its own.
template <typename Fill>
FileStatus ReplaceThroughTemporaryFile(const Folder& folder, const std::string& name,
                                       ReplaceTarget& target, bool seamSteps, DWORD attributes,
                                       const FILETIME* lastWrite, Fill fill) {
    RemoveStaleTemporaryFiles(folder);
    Handle temporary;
    const DWORD created = CreateTemporaryFile(folder, name, temporary);
    if (created == ERROR_FILE_EXISTS || created == ERROR_ALREADY_EXISTS) {
        return FileStatus::IoError;
    }
    if (created != ERROR_SUCCESS) {
        return StatusOfError(created);
    }
    const bool written = !(seamSteps && ShouldFail(Call::WriteTemporaryFile)) &&
                         fill(temporary.get()) && ::FlushFileBuffers(temporary.get());
    if (written && seamSteps && ShouldFail(Call::CrashBeforeReplace)) {
        return FileStatus::IoError;
    }
    if (target.exists) {
        CarryAccessRules(target.file.get(), temporary.get());
    }
    target.file.Reset(INVALID_HANDLE_VALUE);
    FileStatus status = FileStatus::Ok;
    if (!written || !SetBasicInformation(temporary.get(), attributes, lastWrite) ||
        (seamSteps && ShouldFail(Call::ReplaceWithTemporaryFile))) {
        status = FileStatus::IoError;
    } else if (!StillAtName(folder, name, target)) {
        status = FileStatus::Changed;
    } else if (const DWORD error = RenameInFolder(temporary.get(), folder, name);
               error != ERROR_SUCCESS) {
        status = StatusOfError(error);
    }
    if (status != FileStatus::Ok) {
        DeleteByHandle(temporary.get(), attributes);
    }
    return status;
}

// Reads `size` bytes at `offset`; false when the file has fewer there.
bool ReadAt(HANDLE file, std::uint64_t offset, std::size_t size, unsigned char* out) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD count = 0;
    return size <= MAXDWORD && ::ReadFile(file, out, static_cast<DWORD>(size), &count, &at) &&
           count == size;
}

// A held folder must be a real folder: a reparse point could lead anywhere.
FileStatus CheckFolderHandle(HANDLE folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(folder, &info)) {
        return FileStatus::IoError;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FileStatus::Unsafe;
    }
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileStatus::Ok
                                                                   : FileStatus::Missing;
}

NameOpen HeldFolder(DWORD share) {
    return NameOpen{kFolderAccess, share, false, true};
}

// Opens a folder named by its path, following a link there as the system's own folders may
// be one: first with attribute access alone, which meets no sharing and so waits on no
// oplock, then again through that handle as a held folder.
FileStatus OpenFolderByPath(const std::string& path, DWORD share, Handle& folder) {
    const std::wstring wide = Widen(path);
    const Handle seen(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!seen.IsValid()) {
        return StatusOfError(::GetLastError());
    }
    const auto relative = [&] {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const NtStatus status = OpenBeneath(seen.get(), std::wstring(), HeldFolder(share), opened);
        folder.Reset(opened);
        return status;
    };
    const auto byPath = [&] {
        folder.Reset(::CreateFileW(wide.c_str(), kFolderAccess, share, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return folder.IsValid() ? DWORD{ERROR_SUCCESS} : ::GetLastError();
    };
    const DWORD error = RelativeElseByPath(relative, byPath);
    return error == ERROR_SUCCESS ? CheckFolderHandle(folder.get()) : StatusOfError(error);
}

// Opens the folder `name` in the held folder `parent`, relative to its handle and without
// following a reparse point at the name.
FileStatus OpenFolderIn(HANDLE parent, const std::string& parentPath, const std::string& name,
                        DWORD share, Handle& folder) {
    const DWORD error = OpenName(parent, parentPath, name, HeldFolder(share), folder);
    return error == ERROR_SUCCESS ? CheckFolderHandle(folder.get()) : StatusOfError(error);
}

}  // namespace

void Folder::Close() {
    for (const std::intptr_t handle : m_handles) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
    m_handles.clear();
}

FileStatus OpenFolderBeneath(const std::string& base, const std::vector<std::string>& names,
                             Folder& folder, std::string& foreign) {
    // Each folder stays held while the next is entered through it: once held, it cannot be
    // renamed, and the next one is looked up in it, not through the path.
    const auto shareOf = [&](std::size_t depth) {
        return depth == names.size() ? kWrittenFolderShare : kHeldFolderShare;
    };
    std::vector<std::intptr_t> handles;
    Handle current;
    FileStatus status = OpenFolderByPath(base, shareOf(0), current);
    std::string path = base;
    foreign.clear();
    for (std::size_t index = 0; index < names.size() && status == FileStatus::Ok; ++index) {
        Handle next;
        status = OpenFolderIn(current.get(), path, names[index], shareOf(index + 1), next);
        handles.push_back(reinterpret_cast<std::intptr_t>(current.Release()));
        current.Reset(next.Release());
        path = JoinPath(path, names[index]);
        if (status == FileStatus::Ok && foreign.empty() && !HasTrustedOwner(current.get())) {
            foreign = path;
        }
    }
    if (status == FileStatus::Ok) {
        handles.push_back(reinterpret_cast<std::intptr_t>(current.Release()));
    }
    Folder opened = FolderHandles::Hold(std::move(handles), path);  // closed again on failure
    if (status == FileStatus::Ok) {
        folder = std::move(opened);
    }
    return status;
}

bool OthersMayWrite(const std::string& folder) {
    Handle handle(::CreateFileW(Widen(folder).c_str(), READ_CONTROL, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.IsValid() && RulesLetOthersWrite(handle.get());
}

FileStatus OpenFolder(const std::string& path, Folder& folder) {
    Handle handle;
    const FileStatus status = OpenFolderByPath(path, kWrittenFolderShare, handle);
    if (status == FileStatus::Ok) {
        folder = FolderHandles::Hold({reinterpret_cast<std::intptr_t>(handle.Release())}, path);
    }
    return status;
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             std::string& bytes, FileIdentity& identity) {
    ByteBlock block;
    return TextOfBlock(ReadFileForUpdate(folder, name, limit, block, identity), block, bytes);
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             ByteBlock& bytes, FileIdentity& identity) {
    if (ShouldFail(Call::ReadFileForUpdate)) {
        return FileStatus::IoError;
    }
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus opened =
        OpenInFolder(folder, name, GENERIC_READ | GENERIC_WRITE, 0, true, file, info);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(info);
    return ReadAllInto(file.get(), limit, bytes);
}

FileStatus ReadFileShared(const Folder& folder, const std::string& name, std::uint64_t limit,
                          std::string& bytes, FileIdentity& identity) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus opened =
        OpenInFolder(folder, name, GENERIC_READ, kShareAll, false, file, info);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(info);
    return ReadAll(file.get(), limit, bytes);
}

FileStatus InspectFile(const Folder& folder, const std::string& name, FileInfo& info) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION found{};
    const DWORD error = OpenAttributes(folder, name, file, found);
    if (error != ERROR_SUCCESS) {
        return file.IsValid() ? FileStatus::IoError : StatusOfError(error);
    }
    const DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        info.kind = FileKind::Other;
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        info.kind = FileKind::Folder;
    } else {
        info.kind = CheckRegularHandle(file.get(), found) == FileStatus::Ok ? FileKind::Regular
                                                                            : FileKind::Other;
    }
    info.identity = IdentityOf(found);
    info.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    info.lastWriteSeconds = SecondsSince1970(found.ftLastWriteTime);
    return FileStatus::Ok;
}

FileStatus CheckReplaceable(const Folder& folder, const std::string& name,
                            const FileIdentity* expected) {
    ReplaceTarget target;
    return OpenReplaceTarget(folder, name, expected, false, target);
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
    return ReplaceThroughTemporaryFile(folder, name, target, true, target.attributes, nullptr,
                                       [&](HANDLE file) {
                                           for (const std::string_view piece : pieces) {
                                               if (!WriteAll(file, piece.data(), piece.size())) {
                                                   return false;
                                               }
                                           }
                                           return true;
                                       });
}

FileStatus CheckCopyTarget(const Folder& folder, const std::string& name, HiddenTarget hidden) {
    ReplaceTarget target;
    return OpenReplaceTarget(folder, name, nullptr, hidden == HiddenTarget::Refuse, target);
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
    FILETIME lastWrite{};
    lastWrite.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(file.lastWrite));
    lastWrite.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(file.lastWrite) >> 32);
    return ReplaceThroughTemporaryFile(
        folder, name, target, false, file.permissions & kKeptAttributes, &lastWrite,
        [&](HANDLE temporary) {
            return WriteAll(temporary, file.bytes.data(), file.bytes.size());
        });
}

FileStatus RemoveFile(const Folder& folder, const std::string& name, const FileIdentity* expected) {
    if (ShouldFail(Call::RemoveFile)) {
        return FileStatus::IoError;
    }
    return RemoveInFolder(folder, name, expected);
}

bool HasVersionResource(const Folder& folder, const std::string& name) {
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (OpenInFolder(folder, name, GENERIC_READ, kShareAll, false, file, info) != FileStatus::Ok) {
        return false;
    }
    return PeImageHasVersionResource(
        [&](std::uint64_t offset, std::size_t size, unsigned char* out) {
            return ReadAt(file.get(), offset, size, out);
        });
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    if (ShouldFail(Call::ListFolder)) {
        return false;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(Widen(JoinPath(folder, "*.*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    entries.clear();
    do {
        entries.push_back(FolderEntry{Narrow(found.cFileName),
                                      (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return true;
}

FileStatus ReadKitFile(const std::string& path, std::uint64_t limit, KitFile& file) {
    Handle input(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!input.IsValid()) {
        return StatusOfError(::GetLastError());
    }
    if (CheckRegularHandle(input.get(), info) != FileStatus::Ok) {
        return FileStatus::Unsafe;
    }
    file.lastWrite = Ticks(info.ftLastWriteTime);
    file.lastWriteSeconds = SecondsSince1970(info.ftLastWriteTime);
    file.permissions = info.dwFileAttributes & kKeptAttributes;
    return ReadAll(input.get(), limit, file.bytes);
}

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool GetCommonAppDataFolder(std::string& folder) {
    // The shell's contract: a buffer of MAX_PATH characters.
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    if (ShouldFail(Call::GetCommonAppDataFolder) ||
        FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                  buffer.data()))) {
        return false;
    }
    folder = Narrow(buffer.data());
    return true;
}

bool GetEnvironmentText(const std::string& name, std::string& value) {
    const std::wstring wideName = Widen(name);
    // The size asked first includes the terminator; a variable can change in between.
    for (DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0); size != 0;) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
        if (length < size) {
            value = Narrow(std::wstring(buffer.data(), length));
            return true;
        }
        size = length;
    }
    return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + '\\' + name;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t separator = cp932::FindLastOf(path, '\\', '/');
    if (separator == std::string::npos) {
        folder = ".";
        name = path;
        return;
    }
    // A root (a lone separator, or a drive and one) keeps its separator: "C:" alone is the
    // drive's current folder.
    const bool root = separator == 0 || (separator == 2 && path[1] == ':');
    folder = path.substr(0, root ? separator + 1 : separator);
    name = path.substr(separator + 1);
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

void HardenProcess() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    // A tool like this is often run from a download folder: no DLL is ever taken from there.
    ::SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    if (const auto setDirectories =
            ProcedureOf<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories")) {
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Junctions and other redirections that a non-administrator made are not followed
    // (Windows 10 2004 and later; the policy's number and flag are fixed by the system).
    constexpr int kRedirectionTrustPolicy = 16;
    constexpr DWORD kEnforceRedirectionTrust = 1;
    using SetProcessMitigationPolicyFunction = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    if (const auto setPolicy =
            ProcedureOf<SetProcessMitigationPolicyFunction>(kernel, "SetProcessMitigationPolicy")) {
        DWORD flags = kEnforceRedirectionTrust;
        setPolicy(kRedirectionTrustPolicy, &flags, sizeof flags);
    }
}

void SetMessageBoxOwner(void* window) {
    messageBoxOwner = static_cast<HWND>(window);
}

void ShowMessageBox(const std::string& text) {
    if (IsRecordingMessageBoxes()) {
        RecordMessageBox(text);
        return;
    }
    ::MessageBoxW(messageBoxOwner, WideFrom(CP_UTF8, text).c_str(), ApplicationName().c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace platform
