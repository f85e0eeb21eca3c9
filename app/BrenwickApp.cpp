#include "app/BrenwickApp.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/BrenwickDlg.h"
#include "install/KitFolder.h"
#include "platform/Platform.h"

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

const char kDialogFailed[] = "画面を表示できませんでした。";

}  // namespace

BOOL CBrenwickApp::InitInstance() {
    InitializeCommonControls();

    CBrenwickDlg dialog;
    dialog.m_strPsipSource = KitSourceFolder(std::string(), kPsipDriver);
    dialog.m_strTwainSource = KitSourceFolder(std::string(), kTwainDriver);
    m_pMainWnd = &dialog;
    CDialog::SetMainWindow(&dialog);

    const INT_PTR result = dialog.DoModal();

    CDialog::SetMainWindow(nullptr);
    m_pMainWnd = nullptr;
    if (result == -1) {
        platform::ShowMessageBox(kDialogFailed);
        m_nExitCode = 1;
    }
    return FALSE;
}
