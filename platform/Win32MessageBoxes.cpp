// Windows only: the message boxes of the programs, owned by the window the application names.

#include <windows.h>

#include "platform/Platform.h"
#include "platform/SystemCalls.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

HWND messageBoxOwner = nullptr;

// The executable's file name without its extension: the caption of every message box.
std::wstring ApplicationName() {
    const std::wstring path = Widen(ExecutablePath());
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

void SetMessageBoxOwner(void* window) {
    messageBoxOwner = static_cast<HWND>(window);
}

void os::ShowBox(const std::string& text, BoxIcon icon) {
    const UINT style = icon == BoxIcon::Information ? MB_ICONINFORMATION
                       : icon == BoxIcon::Error     ? MB_ICONERROR
                                                    : MB_ICONEXCLAMATION;
    ::MessageBoxW(messageBoxOwner, WideFrom(CP_UTF8, text).c_str(), ApplicationName().c_str(),
                  MB_OK | style);
}

}  // namespace platform
