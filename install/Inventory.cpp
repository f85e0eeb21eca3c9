#include "install/Inventory.h"

#include "install/FileLimits.h"
#include "install/SlotKey.h"
#include "text/Sha256.h"

void TakeInventory(InstallPlan& plan, const Driver& driver) {
    InstallReport& report = plan.Report();
    const bool registered = report.action == SlotAction::Reused && IsSafeSlotKey(report.key);
    if (!registered || !plan.settings.folder.IsOpen()) {
        return;
    }
    const std::string name = driver.placedName(report.key);
    report.inventory.file = plan.settings.folder.PathOf(name);
    std::string bytes;
    platform::FileIdentity identity;
    if (platform::ReadFileShared(plan.settings.folder, name, kKitFileLimit, bytes, identity) ==
        platform::FileStatus::Ok) {
        report.inventory.sha256 = Sha256Hex(bytes);
    }
    report.inventory.kitSha256 = KitFileSha256(plan.KitSource(), driver);
}

std::string KitFileSha256(const std::string& kitSource, const Driver& driver) {
    platform::KitFile kit;
    return platform::ReadKitFile(platform::JoinPath(kitSource, driver.markerFile), kKitFileLimit,
                                 kit) == platform::FileStatus::Ok
               ? Sha256Hex(kit.bytes)
               : std::string();
}
