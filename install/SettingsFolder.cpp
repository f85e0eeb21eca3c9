#include "install/SettingsFolder.h"

#include "platform/Platform.h"

std::string SubFolder(const std::string& base, std::initializer_list<const char*> names) {
    std::string path = base;
    for (const char* name : names) {
        path = platform::JoinPath(path, name);
    }
    return path;
}

bool PassesFolderTest(const std::string& path) {
    return platform::IsExistingDirectory(path);
}
