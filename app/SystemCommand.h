#pragma once
// System-menu commands: the system keeps the low four bits of an id for itself.

#include <cstdint>

constexpr std::uint32_t kAboutCommand = 0x0010;

// Whether a WM_SYSCOMMAND id, masked with 0xFFF0, is the About item's.
constexpr bool IsAboutCommand(std::uint32_t commandId) {
    return (commandId & 0xFFF0u) == kAboutCommand;
}
