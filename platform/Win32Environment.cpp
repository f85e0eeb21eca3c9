// Windows only: what the program finds around it: the machine-wide application-data folder,
// the environment, the kit's files and folders by path, its own path, and the hardening of
// the process at start-up. The core's texts and paths are code page 932 bytes; they are
// converted with code page 932 explicitly and passed to the wide-character functions, so that
// they mean the same whatever the system's ANSI code page.

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/SystemCalls.h"
#include "platform/Win32Bounded.h"
#include "platform/Win32Files.h"
#include "platform/Win32Procedures.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"
#include "text/Cp932.h"

namespace platform {

bool OthersMayWrite(const std::string& folder) {
    Handle handle(CreateFileBounded(Widen(folder), READ_CONTROL, kShareAll, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS));
    // A folder that is there but cannot be checked is warned about as one that others may
    // write; its owner may always rewrite its rules: a user who owns it may write it.
    if (!handle.IsValid()) {
        const DWORD error = ::GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    return !HasTrustedOwner(handle.get()) || RulesLetOthersWrite(handle.get(), ObjectKind::Folder);
}

FileStatus os::OpenKitFile(const std::string& path, OpenedFile& file, KitFile& kit) {
    Handle input(CreateFileBounded(Widen(path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | kNoFollow));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!input.IsValid()) {
        return StatusOfError(::GetLastError());
    }
    if (CheckRegularHandle(input.get(), info) != FileStatus::Ok) {
        return FileStatus::Unsafe;
    }
    kit.lastWrite = Ticks(info.ftLastWriteTime);
    kit.lastWriteSeconds = SecondsSince1970(info.ftLastWriteTime);
    kit.permissions = info.dwFileAttributes & kKeptAttributes;
    HandOver(input, info, file);
    return FileStatus::Ok;
}

bool os::ListEntries(const std::string& folder, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Widen(JoinPath(folder, "*.*"));
    const HANDLE search =
        Bounded([&] { return ::FindFirstFileW(pattern.c_str(), &found); }, INVALID_HANDLE_VALUE);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    entries.clear();
    do {
        entries.push_back(FolderEntry{Narrow(found.cFileName),
                                      (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (Bounded([&] { return ::FindNextFileW(search, &found); }));
    ::FindClose(search);
    return true;
}

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool os::CommonAppDataFolder(std::string& folder) {
    // The shell's contract: a buffer of MAX_PATH characters.
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
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

namespace {

// The redirection trust policy (RedirectionGuard; Windows 10 2004 and later; the policy's
// number and flag are fixed by the system): junctions that a non-administrator made are not
// followed, where the system enforces it. Nothing depends on it: the settings folders and the
// log are entered one real folder at a time on every version.
void GuardRedirections(HMODULE kernel) {
    constexpr int kRedirectionTrustPolicy = 16;
    constexpr DWORD kEnforceRedirectionTrust = 1;
    using SetPolicyCall = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    const auto setPolicy = ProcedureOf<SetPolicyCall>(kernel, "SetProcessMitigationPolicy");
    DWORD flags = kEnforceRedirectionTrust;
    if (setPolicy != nullptr) {
        setPolicy(kRedirectionTrustPolicy, &flags, sizeof flags);
    }
}

}  // namespace

void HardenProcess() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    // A tool like this is often run from a download folder: no DLL is ever taken from there.
    ::SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    if (const auto setDirectories =
            ProcedureOf<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories")) {
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Junctions and other redirections that a non-administrator made are not followed.
    GuardRedirections(kernel);
}

}  // namespace platform
