// The services of the console program on Windows: arguments from the wide command line,
// console text through the wide-character console functions, the log.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "platform/Platform.h"
#include "platform/Win32Io.h"
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
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = WideFrom(CP_UTF8, utf8);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteAll(handle, utf8.data(), utf8.size());
    }
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
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u %c%02d:%02d", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                  offset < 0 ? '-' : '+', static_cast<int>(size / 60), static_cast<int>(size % 60));
    return text;
}

AppendFile::~AppendFile() {
    if (m_handle != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    }
}

bool AppendFile::Open(const std::string& path) {
    const HANDLE file = ::CreateFileW(
        Widen(path).c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool AppendFile::Append(const std::string& bytes) {
    const HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    OVERLAPPED place = LockPlace();
    if (m_handle == -1 || !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &place)) {
        return false;
    }
    const bool written = WriteAll(file, bytes.data(), bytes.size()) && ::FlushFileBuffers(file);
    place = LockPlace();
    ::UnlockFileEx(file, 0, 1, 0, &place);
    return written;
}

}  // namespace platform
