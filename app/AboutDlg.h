#pragma once
// The About box, opened from the settings dialog's system menu.

#include "app/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
