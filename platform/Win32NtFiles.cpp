// Windows only: the ntdll calls behind the names relative to a held folder. ntdll is in every
// process: its functions are looked up at run time.

#include "platform/Win32NtFiles.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/Win32Bounded.h"
#include "platform/Win32Procedures.h"

namespace platform {

namespace {

// The statuses told apart here, with the values the system gives them.
constexpr NtStatus kStatusSuccess = 0;
constexpr NtStatus kStatusOplockBreakInProgress = 0x00000108;
constexpr NtStatus kStatusNoMoreFiles = static_cast<NtStatus>(0x80000006);
constexpr NtStatus kStatusUnsuccessful = static_cast<NtStatus>(0xC0000001);
constexpr NtStatus kStatusNotImplemented = static_cast<NtStatus>(0xC0000002);
constexpr NtStatus kStatusInvalidInfoClass = static_cast<NtStatus>(0xC0000003);
constexpr NtStatus kStatusInvalidParameter = static_cast<NtStatus>(0xC000000D);
constexpr NtStatus kStatusNoSuchFile = static_cast<NtStatus>(0xC000000F);
constexpr NtStatus kStatusObjectNameInvalid = static_cast<NtStatus>(0xC0000033);
constexpr NtStatus kStatusNotSupported = static_cast<NtStatus>(0xC00000BB);
constexpr NtStatus kStatusCancelled = static_cast<NtStatus>(0xC0000120);

// The values of NtCreateFile's arguments and the information classes used here.
constexpr ULONG kFileOpen = 0x1;
constexpr ULONG kFileCreate = 0x2;
constexpr ULONG kSynchronousIoNonAlert = 0x20;
constexpr ULONG kNonDirectoryFile = 0x40;
constexpr ULONG kCompleteIfOplocked = 0x100;
constexpr ULONG kOpenForBackupIntent = 0x4000;
constexpr ULONG kOpenReparsePoint = 0x200000;
constexpr ULONG kCaseInsensitive = 0x40;
constexpr ULONG kFileDirectoryInformation = 1;
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;
constexpr ULONG kFileDispositionInformationEx = 64;
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionIgnoreReadOnly = 0x10;

using CreateFileCall = NtStatus(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using QueryDirectoryCall = NtStatus(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID,
                                            ULONG, ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using SetInformationCall = NtStatus(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using StatusToErrorCall = ULONG(NTAPI*)(NtStatus);

struct Calls {
    CreateFileCall createFile = nullptr;
    QueryDirectoryCall queryDirectory = nullptr;
    SetInformationCall setInformation = nullptr;
    StatusToErrorCall statusToError = nullptr;
};

const Calls& Ntdll() {
    static const Calls calls = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        Calls found;
        found.createFile = ProcedureOf<CreateFileCall>(ntdll, "NtCreateFile");
        found.queryDirectory = ProcedureOf<QueryDirectoryCall>(ntdll, "NtQueryDirectoryFile");
        found.setInformation = ProcedureOf<SetInformationCall>(ntdll, "NtSetInformationFile");
        found.statusToError = ProcedureOf<StatusToErrorCall>(ntdll, "RtlNtStatusToDosError");
        return found;
    }();
    return calls;
}

// FILE_RENAME_INFORMATION (and FILE_RENAME_INFO, laid out alike); the name runs on past it.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

// FILE_DIRECTORY_INFORMATION; the name runs on past it.
struct DirectoryInformation {
    ULONG nextEntryOffset;
    ULONG fileIndex;
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    LARGE_INTEGER endOfFile;
    LARGE_INTEGER allocationSize;
    ULONG fileAttributes;
    ULONG fileNameLength;
    WCHAR fileName[1];
};
constexpr std::size_t kDirectoryEntryHeader = offsetof(DirectoryInformation, fileName);
static_assert(kDirectoryEntryHeader == 64, "FILE_DIRECTORY_INFORMATION is laid out otherwise");

// Hands on the names of one buffer of entries as the system filled it; false when an entry
// does not lie within what was filled.
bool TakeNames(const unsigned char* entries, std::size_t filled, const NameVisitor& visit) {
    for (std::size_t at = 0;;) {
        DirectoryInformation entry{};
        if (filled < kDirectoryEntryHeader || at > filled - kDirectoryEntryHeader) {
            return false;
        }
        std::memcpy(&entry, entries + at, kDirectoryEntryHeader);
        if (entry.fileNameLength > filled - at - kDirectoryEntryHeader) {
            return false;
        }
        std::wstring name(entry.fileNameLength / sizeof(wchar_t), L'\0');
        std::memcpy(&name[0], entries + at + kDirectoryEntryHeader, name.size() * sizeof(wchar_t));
        visit(name);
        if (entry.nextEntryOffset == 0) {
            return true;
        }
        at += entry.nextEntryOffset;
    }
}

// A rename request: `name` replaces what stands there, resolved in `root` (null: a full
// path). Its size in bytes goes to `size`; storage of the structure's type keeps it aligned.
std::vector<RenameInformation> RenameRequest(HANDLE root, const std::wstring& name, ULONG& size) {
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    const std::size_t bytes = sizeof(RenameInformation) + nameBytes;
    std::vector<RenameInformation> request(bytes / sizeof(RenameInformation) + 1);
    request.front().replaceIfExists = TRUE;
    request.front().rootDirectory = root;
    request.front().fileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(
        reinterpret_cast<unsigned char*>(request.data()) + offsetof(RenameInformation, fileName),
        name.data(), nameBytes);
    size = static_cast<ULONG>(bytes);
    return request;
}

// CreateFileW's SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION: a pipe at a name may learn
// who opened it, never act as them.
SECURITY_QUALITY_OF_SERVICE IdentificationOnly() {
    SECURITY_QUALITY_OF_SERVICE quality{};
    quality.Length = sizeof quality;
    quality.ImpersonationLevel = SecurityIdentification;
    quality.ContextTrackingMode = SECURITY_STATIC_TRACKING;
    quality.EffectiveOnly = FALSE;
    return quality;
}

}  // namespace

// Whether the system has no relative form of a call (an older system or another file
// system): the caller then names the file by its path.
bool IsUnsupported(NtStatus status) {
    return status == kStatusNotImplemented || status == kStatusNotSupported ||
           status == kStatusInvalidInfoClass;
}

// The Windows error code of a status: ERROR_SUCCESS for success, and an oplocked file's
// open as kErrorOplockBreakInProgress.
DWORD ErrorOfStatus(NtStatus status) {
    if (status == kStatusOplockBreakInProgress) {
        return kErrorOplockBreakInProgress;
    }
    if (status >= 0) {
        return ERROR_SUCCESS;
    }
    const auto toError = Ntdll().statusToError;
    return toError != nullptr ? toError(status) : ERROR_GEN_FAILURE;
}

NtStatus OpenBeneath(HANDLE folder, const std::wstring& name, const NameOpen& how, HANDLE& file) {
    file = INVALID_HANDLE_VALUE;
    std::wstring buffer = name;
    if (Ntdll().createFile == nullptr) {
        return kStatusNotImplemented;
    }
    if (buffer.size() * sizeof(wchar_t) > 0xFFFE) {
        return kStatusObjectNameInvalid;
    }
    UNICODE_STRING objectName{};
    objectName.Length = static_cast<USHORT>(buffer.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    objectName.Buffer = buffer.data();
    SECURITY_QUALITY_OF_SERVICE quality = IdentificationOnly();
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &objectName;
    attributes.Attributes = kCaseInsensitive;
    attributes.SecurityQualityOfService = &quality;
    attributes.SecurityDescriptor = how.rules;
    const ULONG options = kSynchronousIoNonAlert | kOpenReparsePoint | kCompleteIfOplocked |
                          (how.anyKind ? kOpenForBackupIntent : kNonDirectoryFile);
    IO_STATUS_BLOCK io{};
    HANDLE opened = nullptr;
    const NtStatus status = Bounded(
        [&] {
            return Ntdll().createFile(&opened, how.access | SYNCHRONIZE | FILE_READ_ATTRIBUTES,
                                      &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, how.share,
                                      how.create ? kFileCreate : kFileOpen, options, nullptr, 0);
        },
        kStatusCancelled);
    if (status == kStatusOplockBreakInProgress) {
        ::CloseHandle(opened);  // the file is another program's until its oplock is broken
    } else if (status >= 0) {
        file = opened;
    }
    return status;
}

NtStatus RenameBeneath(HANDLE file, HANDLE folder, const std::wstring& name) {
    if (Ntdll().setInformation == nullptr) {
        return kStatusNotImplemented;
    }
    ULONG size = 0;
    std::vector<RenameInformation> request = RenameRequest(folder, name, size);
    IO_STATUS_BLOCK io{};
    const NtStatus status = Bounded(
        [&] {
            return Ntdll().setInformation(file, &io, request.data(), size, kFileRenameInformation);
        },
        kStatusCancelled);
    // Some file systems refuse a rename relative to a folder as a bad request: they have none.
    return status == kStatusInvalidParameter ? kStatusNotSupported : status;
}

DWORD RenameByPath(HANDLE file, const std::wstring& path) {
    ULONG size = 0;
    std::vector<RenameInformation> request = RenameRequest(nullptr, path, size);
    return Bounded([&] {
        return ::SetFileInformationByHandle(file, FileRenameInfo, request.data(), size);
    })
               ? ERROR_SUCCESS
               : ::GetLastError();
}

NtStatus DeleteBeneath(HANDLE file, bool ignoreReadOnly) {
    if (Ntdll().setInformation == nullptr) {
        return kStatusNotImplemented;
    }
    IO_STATUS_BLOCK io{};
    if (ignoreReadOnly) {
        ULONG flags = kDispositionDelete | kDispositionIgnoreReadOnly;
        const NtStatus status = Bounded(
            [&] {
                return Ntdll().setInformation(file, &io, &flags, sizeof flags,
                                              kFileDispositionInformationEx);
            },
            kStatusCancelled);
        // Only Windows 10 1809 and later know the flag; others take it as a bad request.
        return status == kStatusInvalidParameter ? kStatusNotSupported : status;
    }
    BOOLEAN deleteFile = TRUE;
    return Bounded(
        [&] {
            return Ntdll().setInformation(file, &io, &deleteFile, sizeof deleteFile,
                                          kFileDispositionInformation);
        },
        kStatusCancelled);
}

NtStatus ListNamesBeneath(HANDLE folder, const NameVisitor& visit) {
    if (Ntdll().queryDirectory == nullptr) {
        return kStatusNotImplemented;
    }
    std::vector<ULONGLONG> buffer(8192);  // 64 KiB, aligned as the entries must be
    const auto bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io{};
        const NtStatus status = Bounded(
            [&] {
                return Ntdll().queryDirectory(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                              static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                              kFileDirectoryInformation, FALSE, nullptr, restart);
            },
            kStatusCancelled);
        if (status == kStatusNoMoreFiles || status == kStatusNoSuchFile) {
            return kStatusSuccess;
        }
        if (status < 0) {
            return status;
        }
        if (!TakeNames(bytes, static_cast<std::size_t>(io.Information), visit)) {
            return kStatusUnsuccessful;
        }
    }
}

DWORD RelativeElseByPath(const std::function<NtStatus()>& relative,
                         const std::function<DWORD()>& byPath) {
    const NtStatus status = relative();
    return IsUnsupported(status) ? byPath() : ErrorOfStatus(status);
}

}  // namespace platform
