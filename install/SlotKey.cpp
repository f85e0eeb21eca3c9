#include "install/SlotKey.h"

#include "install/PsipSettings.h"
#include "text/Cp932.h"

bool IsSafeSlotKey(const std::string& key) {
    // Keys the installer makes have six digits; with the profile's name and a temporary
    // file's suffix around it, a key much longer would name no file the system can hold.
    constexpr std::size_t kLongest = 200;
    if (key.empty() || key.size() > kLongest) {
        return false;
    }
    for (const char byte : key) {
        const unsigned char code = static_cast<unsigned char>(byte);
        if (byte == '\\' || byte == '/' || code < 0x20 || code == 0x7F) {
            return false;
        }
    }
    for (const char forbidden : std::string(":*?\"<>|~")) {
        if (cp932::FindChar(key, forbidden) != std::string::npos) {
            return false;
        }
    }
    return true;
}

bool IsSafeProfileKey(const std::string& key) {
    return IsSafeSlotKey(key) && !cp932::EqualsNoCase(SlotProfileFile(key), kShippedProfile);
}
