#pragma once
// Windows only: the core's code page 932 texts in the system's wide characters and back,
// with the code page named explicitly, whatever the system's ANSI code page is.

#include <windows.h>

#include <string>

namespace platform {

constexpr UINT kTextCodePage = 932;

inline std::wstring WideFrom(UINT codePage, const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

inline std::wstring Widen(const std::string& text) {
    return WideFrom(kTextCodePage, text);
}

// A character that code page 932 lacks becomes '?', which no file name holds: a path that
// cannot be written in the code page fails to open instead of naming another file.
inline std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = ::WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(),
                          static_cast<int>(text.size()), &narrow[0], size, "?", nullptr);
    return narrow;
}

inline std::string Utf8From(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                          nullptr, nullptr);
    return utf8;
}

}  // namespace platform
