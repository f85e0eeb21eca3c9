#pragma once
// System-menu commands: the system keeps the low four bits of an id for itself.

#include <cstdint>

#include "res/resource.h"

// The About item's id, as the system menu holds it.
constexpr std::uint32_t kAboutCommand = IDM_ABOUT;

// Whether a WM_SYSCOMMAND id, masked with 0xFFF0, is the About item's.
constexpr bool IsAboutCommand(std::uint32_t commandId) {
    return (commandId & 0xFFF0u) == kAboutCommand;
}
