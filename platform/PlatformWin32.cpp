// The platform services on Windows. The core's texts and paths are code page 932 bytes; they
// are converted with code page 932 explicitly and passed to the wide-character functions, so
// that they mean the same whatever the system's ANSI code page.
//
// A settings folder and every folder above it are held open without FILE_SHARE_DELETE, so
// that none can be renamed, removed or swapped for a junction while the tool works; every
// file in it is opened without following a reparse point and checked on the handle, and
// renamed or removed through that handle.

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

#include "platform/Platform.h"
#include "platform/TemporaryName.h"
#include "platform/TestSeam.h"
#include "platform/Win32Io.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"
#include "text/Cp932.h"

namespace platform {

namespace {

// Every file open: never through a reparse point, and never lending the caller's identity to
// a named pipe that stands at the name.
constexpr DWORD kNoFollow =
    FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
// Folders are held for listing and traversal, and shared with everyone but a renamer.
constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kHeldFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
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

// Why an open was denied: a folder or reparse point at the name, or the read-only attribute.
FileStatus StatusOfDeniedOpen(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileStatus::IoError;
    }
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
    const std::wstring path = Widen(folder.PathOf(name));
    file.Reset(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
    if (!file.IsValid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ACCESS_DENIED ? StatusOfDeniedOpen(path) : StatusOfError(error);
    }
    const FileStatus regular = CheckRegularHandle(file.get(), info);
    if (regular == FileStatus::Ok && forWriting &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return FileStatus::ReadOnly;
    }
    return regular;
}

// Reads to the end of the file, but never more than `limit` bytes or than this build can
// hold.
FileStatus ReadAll(HANDLE file, std::uint64_t limit, std::string& bytes) {
    constexpr DWORD kChunk = 1u << 20;
    LARGE_INTEGER size{};
    std::string read;
    const std::uint64_t most = std::min<std::uint64_t>(limit, read.max_size() - 2 * kChunk);
    if (!::GetFileSizeEx(file, &size)) {
        return FileStatus::IoError;
    }
    if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > most) {
        return FileStatus::TooLarge;
    }
    try {
        read.reserve(static_cast<std::size_t>(size.QuadPart) + kChunk);
        for (;;) {
            const std::size_t done = read.size();
            if (done > most) {
                return FileStatus::TooLarge;
            }
            read.resize(done + kChunk);
            DWORD count = 0;
            const bool ok = ::ReadFile(file, &read[done], kChunk, &count, nullptr) != FALSE;
            read.resize(done + count);
            if (!ok) {
                return FileStatus::IoError;
            }
            if (count == 0) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        return FileStatus::OutOfMemory;
    }
    if (read.size() > most) {
        return FileStatus::TooLarge;
    }
    bytes.swap(read);
    return FileStatus::Ok;
}

// The same into a block that nothing clears first, with room for the last, empty read.
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

// Moves the file of an open handle onto a path, replacing what stands there (a link itself,
// never what it points to).
bool RenameByHandle(HANDLE file, const std::wstring& target) {
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.data(), nameBytes);
    return ::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
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
    Handle file(::CreateFileW(Widen(folder.PathOf(name)).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | kNoFollow, nullptr));
    if (!file.IsValid()) {
        return !target.exists && ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    return target.exists && ::GetFileInformationByHandle(file.get(), &info) &&
           IdentityOf(info) == target.identity;
}

// Removes whatever stands at a name of the folder, but never a real folder, and (with
// `expected`) only the file expected there.
FileStatus RemoveInFolder(const Folder& folder, const std::string& name,
                          const FileIdentity* expected) {
    Handle file(::CreateFileW(Widen(folder.PathOf(name)).c_str(),
                              DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.IsValid()) {
        return StatusOfError(::GetLastError());
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

// Temporary files that crashed runs left in the folder, swept at its first write.
void RemoveStaleTemporaryFiles(const Folder& folder) {
    if (!folder.TakeFirstWrite()) {
        return;
    }
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Widen(folder.PathOf("*.~brenwick-*.tmp"));
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string entry = Narrow(found.cFileName);
        if (IsTemporaryName(entry)) {
            RemoveInFolder(folder, entry, nullptr);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
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
    for (int attempt = 0; attempt < 16 && !temporary.IsValid(); ++attempt) {
        const std::wstring path = Widen(folder.PathOf(TemporaryNameFor(name, RandomNumber())));
        temporary.Reset(
            ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE | WRITE_DAC | FILE_WRITE_ATTRIBUTES,
                          0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
        const DWORD error = ::GetLastError();
        if (!temporary.IsValid() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return StatusOfError(error);
        }
    }
    if (!temporary.IsValid()) {
        return FileStatus::IoError;
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
    } else if (!RenameByHandle(temporary.get(), Widen(folder.PathOf(name)))) {
        status = StatusOfError(::GetLastError());
    }
    if (status != FileStatus::Ok) {
        DeleteByHandle(temporary.get(), attributes);
    }
    return status;
}

using GetFileVersionInfoSizeFunction = DWORD(WINAPI*)(LPCWSTR, LPDWORD);

template <typename Function>
Function ProcedureOf(HMODULE module, const char* name) {
    const FARPROC address = module == nullptr ? nullptr : ::GetProcAddress(module, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof address, "function pointers differ in size");
    std::memcpy(&function, &address, sizeof function);
    return function;
}

// version.dll is taken from the system folder only, never from beside the executable.
GetFileVersionInfoSizeFunction LoadGetFileVersionInfoSize() {
    const UINT size = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring path(size, L'\0');
    const UINT length = ::GetSystemDirectoryW(&path[0], size);
    if (length == 0 || length >= size) {
        return nullptr;
    }
    path.resize(length);
    path += L"\\version.dll";
    const HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return ProcedureOf<GetFileVersionInfoSizeFunction>(module, "GetFileVersionInfoSizeW");
}

FileStatus OpenFolderHandle(const std::wstring& path, DWORD flags, Handle& folder) {
    folder.Reset(::CreateFileW(path.c_str(), kFolderAccess, kHeldFolderShare, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder.IsValid()) {
        return StatusOfError(::GetLastError());
    }
    if (!::GetFileInformationByHandle(folder.get(), &info)) {
        return FileStatus::IoError;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FileStatus::Unsafe;
    }
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileStatus::Ok
                                                                   : FileStatus::Missing;
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
    // Each folder stays held while the next is entered: once held, it cannot be renamed, so
    // the path to the next one cannot change under the check.
    std::vector<std::intptr_t> handles;
    Handle current;
    FileStatus status = OpenFolderHandle(Widen(base), 0, current);
    std::string path = base;
    foreign.clear();
    for (const std::string& name : names) {
        if (status != FileStatus::Ok) {
            break;
        }
        handles.push_back(reinterpret_cast<std::intptr_t>(current.Release()));
        path = JoinPath(path, name);
        status = OpenFolderHandle(Widen(path), FILE_FLAG_OPEN_REPARSE_POINT, current);
        if (status == FileStatus::Ok && foreign.empty() && !HasTrustedOwner(current.get())) {
            foreign = path;
        }
    }
    if (status == FileStatus::Ok) {
        handles.push_back(reinterpret_cast<std::intptr_t>(current.Release()));
    }
    Folder opened(std::move(handles), path);  // closes them all again on failure
    if (status == FileStatus::Ok) {
        folder = std::move(opened);
    }
    return status;
}

bool OthersMayWrite(const std::string& folder) {
    Handle handle(::CreateFileW(Widen(folder).c_str(), READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.IsValid() && RulesLetOthersWrite(handle.get());
}

FileStatus OpenFolder(const std::string& path, Folder& folder) {
    Handle handle;
    const FileStatus status = OpenFolderHandle(Widen(path), 0, handle);
    if (status == FileStatus::Ok) {
        folder = Folder({reinterpret_cast<std::intptr_t>(handle.Release())}, path);
    }
    return status;
}

FileStatus ReadFileForUpdate(const Folder& folder, const std::string& name, std::uint64_t limit,
                             std::string& bytes, FileIdentity& identity) {
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
    return ReadAll(file.get(), limit, bytes);
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
        OpenInFolder(folder, name, GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, file, info);
    if (opened != FileStatus::Ok) {
        return opened;
    }
    identity = IdentityOf(info);
    return ReadAll(file.get(), limit, bytes);
}

FileStatus InspectFile(const Folder& folder, const std::string& name, FileInfo& info) {
    Handle file(::CreateFileW(Widen(folder.PathOf(name)).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION found{};
    if (!file.IsValid()) {
        return StatusOfError(::GetLastError());
    }
    if (!::GetFileInformationByHandle(file.get(), &found)) {
        return FileStatus::IoError;
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
    static const GetFileVersionInfoSizeFunction getSize = LoadGetFileVersionInfoSize();
    DWORD handle = 0;
    FileInfo info;
    return getSize != nullptr && InspectFile(folder, name, info) == FileStatus::Ok &&
           info.kind == FileKind::Regular &&
           getSize(Widen(folder.PathOf(name)).c_str(), &handle) != 0;
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
