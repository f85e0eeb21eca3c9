#pragma once
// A small modal-dialog layer: a dialog runs modally from its template, exchanges its
// controls' state with its members, and handles the messages its class lists. One dialog
// procedure serves every dialog and hands each message to the dialog's object.

#include <windows.h>

// One exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(HWND dialog, bool saveAndValidate)
        : m_hDialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND m_hDialog;
    bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
};

// The radio group that starts at `firstButtonId` and runs up to the next control with
// WS_GROUP, against the index of its checked button (-1: none).
void DDX_Radio(CDataExchange& exchange, int firstButtonId, int& value);

class CDialog {
public:
    CDialog(UINT templateId, HWND parent);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends: IDOK, IDCANCEL, or -1 when it could not be created.
    INT_PTR DoModal();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The application's main window: the owner of every ownerless dialog and message box.
    static void SetMainWindow(CDialog* dialog);

protected:
    virtual void DoDataExchange(CDataExchange& exchange);
    // Fills the controls; TRUE lets the system choose the focus.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The class's message map: true when the message was handled, with its result (TRUE for
    // most messages, so that the system's default handling does not run as well).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    void EndDialog(int result);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();

    UINT m_templateId;
    HWND m_parent;
};
