#pragma once
// The settings dialog: the tool's main window. The user picks the installed driver; OK runs
// its installer, reports the result and closes the dialog.

#include <string>

#include "app/Dialog.h"

class CBrenwickDlg : public CDialog {
public:
    CBrenwickDlg();
    ~CBrenwickDlg() override;

    HICON m_hIcon;
    std::string m_strPsipSource;
    std::string m_strTwainSource;
    int m_nDriver;  // 0 PaperStream IP, 1 fi-series TWAIN, -1 neither checked

protected:
    void DoDataExchange(CDataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void AddAboutItemToSystemMenu();
    bool OnSysCommand(UINT commandId, LPARAM lParam);
    bool OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClickedOk();
};
