#pragma once
// The application object: its start-up finds the profile sets beside the executable, runs
// the settings dialog modally and ends the application when the dialog closes.

#include <windows.h>

class CDialog;

class CBrenwickApp {
public:
    // Always FALSE: no message loop runs after the dialog.
    BOOL InitInstance();

    CDialog* m_pMainWnd = nullptr;
    // The process's exit code: non-zero when the settings dialog could not be shown.
    int m_nExitCode = 0;
};

extern CBrenwickApp theApp;
