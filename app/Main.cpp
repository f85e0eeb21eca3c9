// The entry point: harden the process, then run the application.

#include <windows.h>

#include "app/BrenwickApp.h"
#include "platform/Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::HardenProcess();
    theApp.InitInstance();
    return theApp.m_nExitCode;
}
