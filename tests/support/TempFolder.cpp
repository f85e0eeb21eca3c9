#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path path = fs::temp_directory_path() / ("brenwick-test-" + std::to_string(stamp) +
                                                       "-" + std::to_string(counter++));
    fs::create_directories(path);
    m_path = path.string();
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

std::string TempFolder::Join(std::initializer_list<const char*> names) const {
    std::string path = m_path;
    for (const char* name : names) {
        path = platform::JoinPath(path, name);
    }
    return path;
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    }
    fs::remove_all(path, error);
}
