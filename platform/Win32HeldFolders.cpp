// Windows only: held folders and the names in them. A settings folder is held open without
// FILE_SHARE_DELETE, so that it cannot be renamed, removed or swapped for a junction while the
// tool works. The folders above it are only passed through, each opened for its attributes
// alone (which no other program's sharing refuses, and which refuse no one) and let go once
// the next is open through it. Every name in a held folder is opened and listed relative to
// the folder's handle, never through its path again, so that the tool works in the folder it
// checked whatever the path has come to mean; every file there is opened without following a
// reparse point, without waiting on another program's oplock, and checked on the handle.

#include "platform/Win32HeldFolders.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/FolderHandles.h"
#include "platform/SystemCalls.h"
#include "platform/Win32Bounded.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

// The settings folder is held for listing and traversal, never shared with a renamer or
// remover: that is what keeps it in place. It is shared with writers: a rename into it, as each
// replacement of this tool's is, opens it for FILE_WRITE_DATA, which the file system checks
// against the sharing of every handle on it.
constexpr DWORD kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kHeldFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// A folder passed through: attributes alone, shared with everyone. The file system checks no
// sharing for such an open, so another reader's handle without sharing keeps no run out, and
// it breaks no oplock.
constexpr NameOpen kPassingThrough{FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, false, true};
constexpr NameOpen kAttributesOnly{FILE_READ_ATTRIBUTES, kShareAll, false, true};

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
        file.Reset(CreateFileBounded(Widen(JoinPath(folderPath, name)), how.access, how.share,
                                     how.create ? CREATE_NEW : OPEN_EXISTING, flags, how.rules));
        return file.IsValid() ? DWORD{ERROR_SUCCESS} : ::GetLastError();
    };
    return RelativeElseByPath(relative, byPath);
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

// A folder named by its path, opened for its attributes alone, following a link there as the
// system's own folders may be one.
FileStatus PassFolderByPath(const std::string& path, Handle& folder) {
    folder.Reset(CreateFileBounded(Widen(path), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return folder.IsValid() ? CheckFolderHandle(folder.get()) : StatusOfError(::GetLastError());
}

// Opens a folder named by its path as a held folder: first passed through, which waits on no
// oplock, then opened again through that handle.
FileStatus OpenFolderByPath(const std::string& path, DWORD share, Handle& folder) {
    Handle seen;
    const FileStatus found = PassFolderByPath(path, seen);
    if (found != FileStatus::Ok) {
        return found;
    }
    const auto relative = [&] {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const NtStatus status = OpenBeneath(seen.get(), std::wstring(), HeldFolder(share), opened);
        folder.Reset(opened);
        return status;
    };
    const auto byPath = [&] {
        folder.Reset(CreateFileBounded(Widen(path), kFolderAccess, share, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS));
        return folder.IsValid() ? DWORD{ERROR_SUCCESS} : ::GetLastError();
    };
    const DWORD error = RelativeElseByPath(relative, byPath);
    return error == ERROR_SUCCESS ? CheckFolderHandle(folder.get()) : StatusOfError(error);
}

// Opens the folder `name` in the folder `parent` as `how` says, relative to its handle and
// without following a reparse point at the name.
FileStatus OpenFolderIn(HANDLE parent, const std::string& parentPath, const std::string& name,
                        const NameOpen& how, Handle& folder) {
    const DWORD error = OpenName(parent, parentPath, name, how, folder);
    return error == ERROR_SUCCESS ? CheckFolderHandle(folder.get()) : StatusOfError(error);
}

// Whether an administrator, the system, TrustedInstaller or the running account owns the
// folder, read through a handle of its own (a handle passing through cannot read it), which
// asks no sharing either. Untold, it is not.
bool HasTrustedOwnerOfFolder(HANDLE folder) {
    constexpr NameOpen kRulesOnly{READ_CONTROL, kShareAll, false, true};
    HANDLE opened = INVALID_HANDLE_VALUE;
    OpenBeneath(folder, std::wstring(), kRulesOnly, opened);
    const Handle rules(opened);
    return rules.IsValid() && HasTrustedOwner(rules.get());
}

// Who holds the file that was seen at the name: its owner, and whether its access rules let
// other users write it. Untold, it counts as another user's.
void ReadHolders(const Folder& folder, const std::string& name, FileInfo& seen) {
    constexpr NameOpen kRulesOnly{READ_CONTROL, kShareAll, false, true};
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (OpenName(folder, name, kRulesOnly, file) == ERROR_SUCCESS &&
        ::GetFileInformationByHandle(file.get(), &info) && IdentityOf(info) == seen.identity) {
        seen.ownerTrusted = HasTrustedOwner(file.get());
        seen.othersMayWrite = RulesLetOthersWrite(file.get(), ObjectKind::File);
    }
}

// The temporary files in the folder, by its path: for a system that cannot list a folder
// through its handle.
void ListTemporaryNamesByPath(const Folder& folder, const NameVisitor& visit) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Widen(folder.PathOf("*.~brenwick-*.tmp"));
    const HANDLE search = Bounded(
        [&] {
            return ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, 0);
        },
        INVALID_HANDLE_VALUE);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        visit(found.cFileName);
    } while (Bounded([&] { return ::FindNextFileW(search, &found); }));
    ::FindClose(search);
}

}  // namespace

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

FileStatus os::OpenForUpdate(const Folder& folder, const std::string& name, OpenedFile& file,
                             FileIdentity& identity) {
    Handle opened;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus status =
        OpenInFolder(folder, name, GENERIC_READ | GENERIC_WRITE, 0, true, opened, info);
    if (status == FileStatus::Ok) {
        identity = IdentityOf(info);
        HandOver(opened, info, file);
    }
    return status;
}

FileStatus os::OpenShared(const Folder& folder, const std::string& name, OpenedFile& file,
                          FileIdentity& identity) {
    Handle opened;
    BY_HANDLE_FILE_INFORMATION info{};
    const FileStatus status =
        OpenInFolder(folder, name, GENERIC_READ, kShareAll, false, opened, info);
    if (status == FileStatus::Ok) {
        identity = IdentityOf(info);
        HandOver(opened, info, file);
    }
    return status;
}

void Folder::Close() {
    for (const std::intptr_t handle : m_handles) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
    m_handles.clear();
}

FileStatus OpenFolderBeneath(const std::string& base, const std::vector<std::string>& names,
                             Folder& folder, std::string& foreign) {
    // Each folder is entered through the one before: the next is looked up in it, not through
    // the path. Only the last is held.
    Handle current;
    FileStatus status = names.empty() ? OpenFolderByPath(base, kHeldFolderShare, current)
                                      : PassFolderByPath(base, current);
    std::string path = base;
    foreign.clear();
    for (std::size_t index = 0; index < names.size() && status == FileStatus::Ok; ++index) {
        const bool last = index + 1 == names.size();
        Handle next;
        status = OpenFolderIn(current.get(), path, names[index],
                              last ? HeldFolder(kHeldFolderShare) : kPassingThrough, next);
        current.Reset(next.Release());
        path = JoinPath(path, names[index]);
        if (status == FileStatus::Ok && foreign.empty() &&
            !HasTrustedOwnerOfFolder(current.get())) {
            foreign = path;
        }
    }
    if (status == FileStatus::Ok) {
        folder = FolderHandles::Hold({reinterpret_cast<std::intptr_t>(current.Release())}, path);
    }
    return status;
}

FileStatus OpenFolderPassingThrough(const std::string& base, const std::vector<std::string>& names,
                                    Folder& folder) {
    Handle current;
    FileStatus status = PassFolderByPath(base, current);
    // A root (C:\, \\server\share\) keeps its separator only to be opened.
    std::string path =
        !base.empty() && base.back() == '\\' ? base.substr(0, base.size() - 1) : base;
    for (std::size_t index = 0; index < names.size() && status == FileStatus::Ok; ++index) {
        Handle next;
        status = OpenFolderIn(current.get(), path, names[index], kPassingThrough, next);
        current.Reset(next.Release());
        path = JoinPath(path, names[index]);
    }
    if (status == FileStatus::Ok) {
        folder = FolderHandles::Hold({reinterpret_cast<std::intptr_t>(current.Release())}, path);
    }
    return status;
}

FileStatus OpenFolder(const std::string& path, Folder& folder) {
    Handle handle;
    const FileStatus status = OpenFolderByPath(path, kHeldFolderShare, handle);
    if (status == FileStatus::Ok) {
        folder = FolderHandles::Hold({reinterpret_cast<std::intptr_t>(handle.Release())}, path);
    }
    return status;
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
    info.ownerTrusted = false;
    info.othersMayWrite = true;
    if (info.kind == FileKind::Regular) {
        ReadHolders(folder, name, info);
    }
    return FileStatus::Ok;
}

// Listed through a handle of its own opened through the held one, so that the listing starts
// afresh and is of the folder that was checked.
void os::ListNames(const Folder& folder, const std::function<void(const std::string&)>& visit) {
    constexpr NameOpen kListing{FILE_LIST_DIRECTORY, kShareAll, false, true};
    bool visited = false;
    const NameVisitor narrowed = [&](const std::wstring& name) {
        visited = true;
        visit(Narrow(name));
    };
    const auto relative = [&] {
        HANDLE opened = INVALID_HANDLE_VALUE;
        const NtStatus status = OpenBeneath(FolderHandle(folder), std::wstring(), kListing, opened);
        const Handle listing(opened);
        return listing.IsValid() ? ListNamesBeneath(listing.get(), narrowed) : status;
    };
    const auto byPath = [&] {
        if (!visited) {  // a listing cut short is not begun again: its names were visited
            ListTemporaryNamesByPath(folder, narrowed);
        }
        return DWORD{ERROR_SUCCESS};
    };
    RelativeElseByPath(relative, byPath);
}

}  // namespace platform
