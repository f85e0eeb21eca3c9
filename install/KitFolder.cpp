#include "install/KitFolder.h"

#include "platform/Platform.h"
#include "text/Cp932.h"

std::string MakeSourceFolder(const std::string& modulePath, const std::string& leaf) {
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
