// The services of the console program on Windows: arguments from the wide command line,
// console text through the wide-character console functions, the log.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Platform.h"
#include "platform/SystemCalls.h"
#include "platform/Win32Bounded.h"
#include "platform/Win32HeldFolders.h"
#include "platform/Win32Io.h"
#include "platform/Win32Security.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

std::int64_t Minutes(const SYSTEMTIME& time) {
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    const std::int64_t ticks =
        static_cast<std::int64_t>((std::uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime);
    return ticks / (10000000LL * 60);
}

// Writers of a log agree on a lock of one byte far beyond any log's end, so that the lock
// keeps other writers waiting without holding back readers of the log.
OVERLAPPED LockPlace() {
    OVERLAPPED place{};
    place.OffsetHigh = 0x7FFFFFFF;
    return place;
}

// Every LF as CR LF, the line end of Windows' text files and pipes.
std::string WithCrLf(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (const char ch : text) {
        if (ch == '\n') {
            lines += '\r';
        }
        lines += ch;
    }
    return lines;
}

// Wide text in a code page; a character it lacks becomes '?'.
std::string NarrowTo(UINT codePage, const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int size = ::WideCharToMultiByte(
        codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, fallback, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                              &narrow[0], size, fallback, nullptr);
    }
    return narrow;
}

// What a writer of the log asks of it, and lets others do meanwhile.
constexpr DWORD kLogAccess =
    FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL;
constexpr DWORD kLogShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// A full path split into the root of its volume or share (C:\, \\server\share\) and the
// names below it; false for any other form (a device's path).
bool SplitFromRoot(const std::wstring& full, std::string& root, std::vector<std::string>& names) {
    std::wstring path = full;
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        path = L"\\\\" + path.substr(8);
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        path = path.substr(4);
    }
    std::size_t rootEnd = 0;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        rootEnd = 3;
    } else if (path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\.\\", 0) != 0) {
        const std::size_t server = path.find(L'\\', 2);
        const std::size_t share =
            server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        rootEnd = share == std::wstring::npos ? 0 : share + 1;
    }
    if (rootEnd == 0) {
        return false;
    }
    root = Narrow(path.substr(0, rootEnd));
    for (std::size_t at = rootEnd; at <= path.size();) {
        const std::size_t end = std::min(path.find(L'\\', at), path.size());
        if (end > at) {
            names.push_back(Narrow(path.substr(at, end - at)));
        }
        at = end + 1;
    }
    return !names.empty();
}

// The log opened relative to its folder, which is entered from the root one real folder at a
// time, as a settings folder is: no junction or link anywhere on the way is followed.
FileStatus OpenLogBeneath(const std::string& path, Handle& file, bool& existed) {
    const std::wstring wide = Widen(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
    std::string root;
    std::vector<std::string> names;
    if (length == 0 || length >= size || !SplitFromRoot(full.substr(0, length), root, names)) {
        return FileStatus::IoError;
    }
    const std::string name = names.back();
    names.pop_back();
    Folder folder;
    const FileStatus entered = OpenFolderPassingThrough(root, names, folder);
    if (entered != FileStatus::Ok) {
        return entered;
    }
    DWORD error = OpenName(folder, name, NameOpen{kLogAccess, kLogShare, true, false}, file);
    existed = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (existed) {
        error = OpenName(folder, name, NameOpen{kLogAccess, kLogShare, false, false}, file);
    }
    return StatusOfError(error);
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int index = 1; arguments != nullptr && index < count; ++index) {
        result.push_back(Narrow(arguments[index]));
    }
    ::LocalFree(arguments);
    return result;
}

std::string TextToUtf8(const std::string& text) {
    return Utf8From(Widen(text));
}

std::string PathToUtf8(const std::string& path) {
    return Utf8From(Widen(path));
}

void WriteText(Stream stream, const std::string& utf8) {
    const HANDLE handle =
        ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    const std::wstring wide = WideFrom(CP_UTF8, utf8);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Redirected: in what whoever reads it (PsExec, PowerShell, a console) decodes with.
    const UINT attached = ::GetConsoleOutputCP();
    const std::string bytes = WithCrLf(NarrowTo(attached != 0 ? attached : ::GetOEMCP(), wide));
    WriteAll(handle, bytes.data(), bytes.size());
}

std::string ComputerName() {
    std::wstring name(MAX_COMPUTERNAME_LENGTH + 1, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (!::GetComputerNameW(&name[0], &size)) {
        return std::string();
    }
    name.resize(size);
    return Utf8From(name);
}

std::string UserName() {
    std::wstring name(257, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (!::GetUserNameW(&name[0], &size) || size == 0) {
        return std::string();
    }
    name.resize(size - 1);  // the count includes the terminator
    return Utf8From(name);
}

std::string LocalTimeText() {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    ::GetSystemTime(&utc);
    ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const std::int64_t offset = Minutes(local) - Minutes(utc);
    const std::int64_t size = offset < 0 ? -offset : offset;
    char text[48] = {};
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                  offset < 0 ? '-' : '+', static_cast<int>(size / 60), static_cast<int>(size % 60));
    return text;
}

AppendFile::~AppendFile() {
    if (m_handle != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    }
}

FileStatus AppendFile::Open(const std::string& path) {
    Handle opened;
    bool existed = false;
    // Whatever the redirection trust policy says: it may be accepted but not enforced, and a
    // link that Developer Mode lets a user make is no junction it stops.
    const FileStatus status = OpenLogBeneath(path, opened, existed);
    if (status != FileStatus::Ok) {
        return status;
    }
    const HANDLE file = opened.Release();
    m_handle = reinterpret_cast<std::intptr_t>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    constexpr DWORD kNotRegular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & kNotRegular) != 0 || info.nNumberOfLinks != 1) {
        return FileStatus::Unsafe;
    }
    // A file someone else put there could be read or forged by them.
    return !existed || IsOnShare(file) || HasTrustedOwner(file) ? FileStatus::Ok
                                                                : FileStatus::Unsafe;
}

FileStatus AppendFile::Append(const std::string& utf8) {
    const HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    if (m_handle == -1) {
        return FileStatus::IoError;
    }
    // Anyone who may read the log can take the lock: it is waited for, but not for ever.
    const int limit = os::WaitLimitMilliseconds();
    OVERLAPPED place = LockPlace();
    for (int waited = 0;
         !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place);
         waited += 50) {
        if (waited >= limit) {
            return FileStatus::Locked;
        }
        ::Sleep(50);
        place = LockPlace();
    }
    LARGE_INTEGER size{};
    const bool empty = ::GetFileSizeEx(file, &size) && size.QuadPart == 0;
    const std::string record = (empty ? "\xEF\xBB\xBF" : "") + WithCrLf(utf8);
    const bool written = WriteAll(file, record.data(), record.size()) && ::FlushFileBuffers(file);
    place = LockPlace();
    ::UnlockFileEx(file, 0, 1, 0, &place);
    return written ? FileStatus::Ok : FileStatus::IoError;
}

}  // namespace platform
