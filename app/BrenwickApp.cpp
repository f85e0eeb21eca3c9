#include "app/BrenwickApp.h"

#include <commctrl.h>

#include <string>

#include "app/BrenwickDlg.h"
#include "install/KitFolder.h"
#include "platform/Platform.h"
#include "platform/Win32Procedures.h"

CBrenwickApp theApp;

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// comctl32 is loaded at run time, after the DLL search has been restricted; the manifest
// sends the load to the system's side-by-side copy of version 6.
void InitializeCommonControls() {
    const auto initialize = platform::ProcedureOf<InitCommonControlsExFunction>(
        ::LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
    if (initialize == nullptr) {
        return;
    }
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
        platform::ShowResultBox(kDialogFailed, true);
        m_nExitCode = 1;
    }
    return FALSE;
}
