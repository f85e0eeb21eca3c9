#pragma once
// What a check finds installed, from the files alone: which file holds the registered profile
// or template, and whether its bytes are the kit's. So an administrator can tell which PCs
// carry an older kit.

#include "install/Drivers.h"
#include "install/InstallPlan.h"

// Fills the plan's report's inventory when an entry carries the profile.
void TakeInventory(InstallPlan& plan, const Driver& driver);

// The kit's identity for the driver: the SHA-256 of its profile or template as the kit in
// `kitSource` (the driver's folder of the kit) holds it; empty when it cannot be read.
std::string KitFileSha256(const std::string& kitSource, const Driver& driver);
