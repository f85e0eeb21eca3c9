// The platform services on Windows. Paths are passed to the ANSI file functions as they
// are; texts shown to the user are converted from code page 932 explicitly and shown
// through the Unicode functions, so that they read right whatever the ANSI code page.

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "platform/TestSeam.h"

namespace platform {

namespace {

constexpr UINT kTextCodePage = 932;
HWND messageBoxOwner = nullptr;

// Closes a handle on every way out of a scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (IsValid()) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size = ::MultiByteToWideChar(kTextCodePage, 0, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(kTextCodePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                          size);
    return wide;
}

// The executable's file name without its extension: the caption of every message box.
std::wstring ApplicationName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

bool IsReadOnly(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// An existing target must be a plain file that this process may open exclusively for
// writing: read-only and locked files are refused, as an in-place write would be.
bool IsWritableTarget(const std::string& path, DWORD& attributes) {
    attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || IsReadOnly(attributes)) {
        return false;
    }
    Handle probe(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.IsValid();
}

std::string TemporaryNameBeside(const std::string& path, unsigned attempt) {
    return path + ".~" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) +
           ".tmp";
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// Moves `temporary` onto `target`, keeping the attributes an existing target had.
bool ReplaceWith(const std::string& temporary, const std::string& target, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::MoveFileExA(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!::ReplaceFileA(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                        nullptr, nullptr)) {
        return false;
    }
    ::SetFileAttributesA(target.c_str(), attributes);
    return true;
}

using GetFileVersionInfoSizeFunction = DWORD(WINAPI*)(LPCSTR, LPDWORD);

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
    if (module == nullptr) {
        return nullptr;
    }
    const FARPROC address = ::GetProcAddress(module, "GetFileVersionInfoSizeA");
    GetFileVersionInfoSizeFunction function = nullptr;
    static_assert(sizeof function == sizeof address, "function pointers differ in size");
    std::memcpy(&function, &address, sizeof function);
    return function;
}

}  // namespace

bool ReadFileForUpdate(const std::string& path, std::string& bytes) {
    // The attribute is tested as well as the open: where the process may write any file (as
    // root under Wine), a read-only file must still not open for writing.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (ShouldFail(Call::ReadFileForUpdate) || attributes == INVALID_FILE_ATTRIBUTES ||
        IsReadOnly(attributes)) {
        return false;
    }
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !::GetFileSizeEx(file.get(), &size)) {
        return false;
    }
    std::string read(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < read.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(read.size() - done, 1u << 30));
        DWORD count = 0;
        if (!::ReadFile(file.get(), &read[done], chunk, &count, nullptr)) {
            return false;
        }
        if (count == 0) {
            break;
        }
        done += count;
    }
    read.resize(done);
    bytes.swap(read);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (!IsWritableTarget(path, attributes)) {
        return false;
    }
    std::string temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryNameBeside(path, attempt);
        created = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    Handle file(created);
    if (!file.IsValid()) {
        return false;
    }
    bool written = !ShouldFail(Call::WriteTemporaryFile) && WriteAll(file.get(), bytes) &&
                   ::FlushFileBuffers(file.get());
    written = file.Close() && written;
    if (!written || ShouldFail(Call::ReplaceWithTemporaryFile) ||
        !ReplaceWith(temporary, path, attributes)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool IsExistingDirectory(const std::string& path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    if (ShouldFail(Call::ListFolder)) {
        return false;
    }
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(JoinPath(folder, "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    entries.clear();
    do {
        entries.push_back(
            FolderEntry{found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return true;
}

bool GetLastWriteSeconds(const std::string& path, std::int64_t& seconds) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    constexpr std::int64_t kTicksPerSecond = 10000000;
    constexpr std::int64_t kEpochDifference = 11644473600;  // 1601 to 1970, in seconds
    const std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                data.ftLastWriteTime.dwLowDateTime;
    seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference;
    return true;
}

bool HasVersionResource(const std::string& path) {
    static const GetFileVersionInfoSizeFunction getSize = LoadGetFileVersionInfoSize();
    DWORD handle = 0;
    return getSize != nullptr && getSize(path.c_str(), &handle) != 0;
}

bool CopyFileOver(const std::string& source, const std::string& target) {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (ShouldFail(Call::CopyFileOver) || !IsWritableTarget(target, attributes)) {
        return false;
    }
    // The copy lands beside the target and then replaces it in one step.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = TemporaryNameBeside(target, attempt);
        if (::CopyFileA(source.c_str(), temporary.c_str(), TRUE)) {
            const DWORD copied = ::GetFileAttributesA(temporary.c_str());
            if (::MoveFileExA(temporary.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return true;
            }
            ::SetFileAttributesA(temporary.c_str(), copied & ~FILE_ATTRIBUTE_READONLY);
            ::DeleteFileA(temporary.c_str());
            return false;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool RemoveFile(const std::string& path) {
    return !ShouldFail(Call::RemoveFile) && ::DeleteFileA(path.c_str()) != FALSE;
}

bool MoveFileReplacing(const std::string& source, const std::string& target) {
    return !ShouldFail(Call::MoveFileReplacing) &&
           ::MoveFileExA(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool GetCommonAppDataFolder(std::string& folder) {
    // The shell's contract: a buffer of MAX_PATH characters.
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    if (ShouldFail(Call::GetCommonAppDataFolder) ||
        FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                  buffer.data()))) {
        return false;
    }
    folder = buffer.data();
    return true;
}

bool GetEnvironmentText(const std::string& name, std::string& value) {
    // The size asked first includes the terminator; a variable can change in between.
    for (DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0); size != 0;) {
        std::vector<char> buffer(size, '\0');
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer.data(), size);
        if (length < size) {
            value.assign(buffer.data(), length);
            return true;
        }
        size = length;
    }
    return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + '\\' + name;
}

void SetMessageBoxOwner(void* window) {
    messageBoxOwner = static_cast<HWND>(window);
}

void ShowMessageBox(const std::string& text) {
    if (IsRecordingMessageBoxes()) {
        RecordMessageBox(text);
        return;
    }
    ::MessageBoxW(messageBoxOwner, Widen(text).c_str(), ApplicationName().c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace platform
