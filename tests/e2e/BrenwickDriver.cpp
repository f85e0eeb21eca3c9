// Drives Brenwick.exe from outside, as a user would, for the end-to-end test and the
// demonstration run: finds its windows by caption, reads their state, clicks, reads and
// dismisses message boxes. One verb per run; results go to standard output in UTF-8.
//
//   wait-dialog                   the settings dialog is shown
//   state                         "psip=<0|1> twain=<0|1> focus=<control id>"
//   click ID                      clicks a control of the settings dialog
//   key return|escape             presses a key in the settings dialog
//   syscommand ID                 sends a system command (0x10: About, 0xF060: close box)
//   menu-last                     opens the system menu with Alt+Space, then End and Enter
//   box                           waits for a message box: "owner=<settings|none>", caption, text
//   about                         waits for the About box: "owner=...", caption, texts
//   dismiss ok|escape|close       ends the message box or About box on top
//   gone                          the settings dialog has closed
//   hold FILE WHILE               holds FILE open, shared with no one, as a scanning
//                                 application may, until the file WHILE is gone; prints
//                                 "held" once it holds it
//
// Exit status 0 on success, 1 when the awaited window did not come (or go) in time; the
// wait is 20 seconds, or BRENWICK_DRIVER_WAIT_MS.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t kSettingsCaption[] =
    L"\u901A\u5E33\u8AAD\u53D6 \u30B9\u30AD\u30E3\u30CA\u30C9\u30E9\u30A4\u30D0\u8A2D\u5B9A";
const wchar_t kAboutCaption[] = L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831 Brenwick";
DWORD TimeoutMs() {
    const char* wait = std::getenv("BRENWICK_DRIVER_WAIT_MS");
    return wait != nullptr ? static_cast<DWORD>(std::strtoul(wait, nullptr, 10)) : 20000;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    return bytes;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

std::wstring ClassOf(HWND window) {
    std::wstring name(256, L'\0');
    name.resize(static_cast<std::size_t>(::GetClassNameW(window, &name[0], 256)));
    return name;
}

std::vector<HWND> DialogWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            if (::IsWindowVisible(window) && ClassOf(window) == L"#32770") {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindDialog(const std::wstring& caption) {
    for (HWND window : DialogWindows()) {
        if (TextOf(window) == caption) {
            return window;
        }
    }
    return nullptr;
}

// A dialog that is neither the settings dialog nor the About box: a message box.
HWND FindMessageBox() {
    for (HWND window : DialogWindows()) {
        const std::wstring caption = TextOf(window);
        if (caption != kSettingsCaption && caption != kAboutCaption) {
            return window;
        }
    }
    return nullptr;
}

template <typename Find>
HWND WaitFor(Find find) {
    for (DWORD waited = 0; waited < TimeoutMs(); waited += 100) {
        if (HWND window = find()) {
            return window;
        }
        ::Sleep(100);
    }
    return nullptr;
}

HWND Settings() {
    return WaitFor([] { return FindDialog(kSettingsCaption); });
}

std::vector<std::wstring> StaticTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(child);
        // An icon control's text is its resource ordinal, not a text.
        if (!text.empty() && text[0] != 0xFFFF && ClassOf(child) == L"Static") {
            texts.push_back(text);
        }
    }
    return texts;
}

void PrintOwnedWindow(HWND window) {
    const HWND owner = ::GetWindow(window, GW_OWNER);
    Print(std::string("owner=") +
          (owner != nullptr && owner == FindDialog(kSettingsCaption) ? "settings" : "none"));
    Print("caption=" + Utf8(TextOf(window)));
    for (const std::wstring& text : StaticTexts(window)) {
        Print("text=" + Utf8(text));
    }
}

// The window with the keyboard focus on the dialog's thread, or null.
HWND FocusedWindow(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

int State() {
    const HWND dialog = Settings();
    if (dialog == nullptr) {
        return 1;
    }
    const HWND focused = FocusedWindow(dialog);
    const int focus = focused ? ::GetDlgCtrlID(focused) : 0;
    char line[96];
    std::snprintf(line, sizeof line, "psip=%d twain=%d focus=%d",
                  static_cast<int>(::SendMessageW(::GetDlgItem(dialog, 1000), BM_GETCHECK, 0, 0)),
                  static_cast<int>(::SendMessageW(::GetDlgItem(dialog, 1001), BM_GETCHECK, 0, 0)),
                  focus);
    Print(line);
    return 0;
}

int Click(int id) {
    const HWND dialog = Settings();
    const HWND control = dialog ? ::GetDlgItem(dialog, id) : nullptr;
    if (control == nullptr) {
        return 1;
    }
    if (id == IDOK || id == IDCANCEL) {
        // Posted: the click's handler runs a modal message box of its own.
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
    } else {
        ::SendMessageW(control, BM_CLICK, 0, 0);
    }
    return 0;
}

int Key(const std::string& name) {
    const HWND dialog = Settings();
    if (dialog == nullptr) {
        return 1;
    }
    const HWND focused = FocusedWindow(dialog);
    const HWND target = focused ? focused : dialog;
    const WPARAM key = name == "escape" ? VK_ESCAPE : VK_RETURN;
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    return 0;
}

int SysCommand(unsigned id) {
    const HWND dialog = Settings();
    if (dialog == nullptr) {
        return 1;
    }
    ::PostMessageW(dialog, WM_SYSCOMMAND, id, 0);
    return 0;
}

// The system menu runs its own modal loop on the dialog's thread, which takes the keys
// posted to that thread.
int MenuLast() {
    const HWND dialog = Settings();
    if (dialog == nullptr) {
        return 1;
    }
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    const HWND menu = WaitFor([] { return ::FindWindowW(L"#32768", nullptr); });
    if (menu == nullptr) {
        return 1;
    }
    ::Sleep(200);
    ::PostMessageW(menu, WM_KEYDOWN, VK_END, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return 0;
}

int Dismiss(const std::string& how) {
    HWND window = WaitFor([] { return FindMessageBox(); });
    if (window == nullptr) {
        window = FindDialog(kAboutCaption);
    }
    if (window == nullptr) {
        return 1;
    }
    if (how == "close") {
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (how == "escape") {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDOK)));
    }
    return 0;
}

int Gone() {
    for (DWORD waited = 0; waited < TimeoutMs(); waited += 100) {
        if (FindDialog(kSettingsCaption) == nullptr) {
            return 0;
        }
        ::Sleep(100);
    }
    return 1;
}

int Hold(const std::string& file, const std::string& whileThere) {
    const HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return 1;
    }
    Print("held");
    // Bounded, so that a test that failed half way leaves no holder behind for long.
    for (DWORD waited = 0; waited < 60000; waited += 50) {
        if (::GetFileAttributesA(whileThere.c_str()) == INVALID_FILE_ATTRIBUTES) {
            break;
        }
        ::Sleep(50);
    }
    ::CloseHandle(held);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    const std::string argument = argc > 2 ? argv[2] : "";
    if (verb == "wait-dialog") {
        return Settings() ? 0 : 1;
    }
    if (verb == "state") {
        return State();
    }
    if (verb == "click") {
        return Click(std::atoi(argument.c_str()));
    }
    if (verb == "key") {
        return Key(argument);
    }
    if (verb == "syscommand") {
        return SysCommand(static_cast<unsigned>(std::strtoul(argument.c_str(), nullptr, 0)));
    }
    if (verb == "menu-last") {
        return MenuLast();
    }
    if (verb == "box" || verb == "about") {
        const HWND window = verb == "box" ? WaitFor([] { return FindMessageBox(); })
                                          : WaitFor([] { return FindDialog(kAboutCaption); });
        if (window == nullptr) {
            return 1;
        }
        PrintOwnedWindow(window);
        return 0;
    }
    if (verb == "dismiss") {
        return Dismiss(argument);
    }
    if (verb == "gone") {
        return Gone();
    }
    if (verb == "hold" && argc > 3) {
        return Hold(argument, argv[3]);
    }
    std::fprintf(stderr, "unknown verb: %s\n", verb.c_str());
    return 2;
}
