#include "install/SlotKey.h"

#include "install/DriverFiles.h"
#include "text/Cp932.h"

bool IsSafeSlotKey(const std::string& key) {
    for (const char byte : key) {
        if (byte == '\\' || byte == '/' || static_cast<unsigned char>(byte) < 0x20) {
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
