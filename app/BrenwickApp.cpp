#include "app/BrenwickApp.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/BrenwickDlg.h"
#include "app/SourceFolder.h"

CBrenwickApp theApp;

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// comctl32 is loaded at run time, after the DLL search has been restricted; the manifest
// sends the load to the system's side-by-side copy of version 6.
void InitializeCommonControls() {
    const HMODULE module = ::LoadLibraryW(L"comctl32.dll");
    const FARPROC address =
        module == nullptr ? nullptr : ::GetProcAddress(module, "InitCommonControlsEx");
    if (address == nullptr) {
        return;
    }
    InitCommonControlsExFunction initialize = nullptr;
    static_assert(sizeof initialize == sizeof address, "function pointers differ in size");
    std::memcpy(&initialize, &address, sizeof initialize);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    initialize(&controls);
}

// The executable's path in the ANSI code page, whatever its length; empty on failure.
std::string ModulePath() {
    std::string path(MAX_PATH + 1, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size() - 1) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

BOOL CBrenwickApp::InitInstance() {
    InitializeCommonControls();

    const std::string modulePath = ModulePath();
    CBrenwickDlg dialog;
    dialog.m_strPsipSource = MakeSourceFolder(modulePath, "PSIP");
    dialog.m_strTwainSource = MakeSourceFolder(modulePath, "Twain");
    m_pMainWnd = &dialog;
    CDialog::SetMainWindow(&dialog);

    dialog.DoModal();

    CDialog::SetMainWindow(nullptr);
    m_pMainWnd = nullptr;
    return FALSE;
}
