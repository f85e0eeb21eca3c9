#include "install/KitFolder.h"

#include "platform/Platform.h"
#include "text/Cp932.h"

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= length && cp932::EqualsNoCase(text.substr(0, length), prefix);
}

}  // namespace

std::string PlainModulePath(const std::string& path) {
    std::string rest = path;
    for (const char* prefix : {"\\\\?\\", "\\??\\", "\\\\.\\"}) {
        if (StartsWithNoCase(path, prefix)) {
            rest = path.substr(std::char_traits<char>::length(prefix));
            break;
        }
    }
    if (StartsWithNoCase(rest, "UNC\\")) {
        return "\\" + rest.substr(3);
    }
    const bool drive = rest.size() >= 3 && rest[1] == ':' && rest[2] == '\\';
    return rest.size() != path.size() && !drive ? path : rest;
}

std::string MakeSourceFolder(const std::string& rawModulePath, const std::string& leaf) {
    const std::string modulePath = PlainModulePath(rawModulePath);
    const bool hasDrive =
        modulePath.size() >= 2 && modulePath[1] == ':' && cp932::CharLength(modulePath, 0) == 1;
    const std::size_t driveLength = hasDrive ? 2 : 0;
    const std::string_view rest = std::string_view(modulePath).substr(driveLength);
    const std::size_t lastSeparator = cp932::FindLastOf(rest, '\\', '/');
    const std::size_t directoryLength =
        lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    return modulePath.substr(0, driveLength + directoryLength) + leaf;
}

std::string KitSourceFolder(const std::string& kitFolder, const Driver& driver) {
    return kitFolder.empty() ? MakeSourceFolder(platform::ExecutablePath(), driver.kitFolder)
                             : platform::JoinPath(kitFolder, driver.kitFolder);
}
