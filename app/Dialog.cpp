#include "app/Dialog.h"

#include "app/WindowPlacement.h"
#include "platform/Platform.h"

namespace {

CDialog* mainWindow = nullptr;

bool IsRadioButton(HWND control) {
    return (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

void DDX_Radio(CDataExchange& exchange, int firstButtonId, int& value) {
    const HWND first = ::GetDlgItem(exchange.m_hDialog, firstButtonId);
    if (first == nullptr) {
        return;
    }
    if (exchange.m_bSaveAndValidate) {
        value = -1;
    }
    int index = 0;
    for (HWND control = first; control != nullptr; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP) != 0) {
            break;
        }
        if (!IsRadioButton(control)) {
            continue;
        }
        if (exchange.m_bSaveAndValidate) {
            if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = index;
            }
        } else {
            ::SendMessageW(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

void CDialog::SetMainWindow(CDialog* dialog) {
    mainWindow = dialog;
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_parent;
    if (owner == nullptr && mainWindow != nullptr && mainWindow != this) {
        owner = mainWindow->m_hWnd;
    }
    const INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(m_hWnd, saveAndValidate != FALSE);
    DoDataExchange(exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    // No exception may unwind through the system's window code: a handler that throws has
    // not handled its message.
    try {
        return dialog == nullptr ? FALSE : dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    switch (message) {
        case WM_INITDIALOG: {
            if (this == mainWindow) {
                platform::SetMessageBoxOwner(m_hWnd);
            }
            const RECT before = WindowRect(m_hWnd);
            result = OnInitDialog();
            const RECT after = WindowRect(m_hWnd);
            if (before.left == after.left && before.top == after.top) {
                CenterWindow();
            }
            return result;
        }
        case WM_DESTROY:
            if (this == mainWindow) {
                platform::SetMessageBoxOwner(nullptr);
            }
            break;
        default:
            break;
    }
    if (OnMessage(message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

// Over the owner when it is shown and not minimized, else over the work area of the
// window's monitor; always within that monitor's work area.
void CDialog::CenterWindow() {
    const RECT window = WindowRect(m_hWnd);
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(overOwner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    const RECT area = overOwner ? WindowRect(owner) : monitor.rcWork;
    const WindowOrigin origin =
        CentredWithin(window.right - window.left, window.bottom - window.top,
                      ScreenRect{area.left, area.top, area.right, area.bottom},
                      ScreenRect{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                                 monitor.rcWork.bottom});
    ::SetWindowPos(m_hWnd, nullptr, origin.x, origin.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
