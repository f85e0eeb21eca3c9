#include "support/FileBytes.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool Exists(const std::string& path) {
    return fs::exists(path);
}

void MakeFolder(const std::string& path) {
    fs::create_directories(path);
}

void SetReadOnly(const std::string& path, bool readOnly) {
    fs::permissions(path, fs::perms::owner_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

void SetHidden(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    ::SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
#else
    (void)path;
#endif
}

bool IsReadOnlyFile(const std::string& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

void ShiftWriteTime(const std::string& path, long long seconds) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(seconds));
}

long long WriteTimeDifference(const std::string& left, const std::string& right) {
    return std::chrono::duration_cast<std::chrono::seconds>(fs::last_write_time(left) -
                                                            fs::last_write_time(right))
        .count();
}

std::vector<std::string> FolderNames(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

bool ResizeFile(const std::string& path, unsigned long long size) {
    std::error_code error;
    std::filesystem::resize_file(path, size, error);
    return !error;
}
