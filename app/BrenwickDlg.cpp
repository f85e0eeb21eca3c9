#include "app/BrenwickDlg.h"

#include <new>
#include <string>

#include "app/AboutDlg.h"
#include "app/InstallCommand.h"
#include "app/MinimizedIcon.h"
#include "app/SystemCommand.h"
#include "platform/Platform.h"
#include "res/resource.h"

namespace {

const char kOutOfMemory[] = "メモリが不足しています。";
const char kUnexpectedError[] = "予期しないエラーが発生しました。";

}  // namespace

CBrenwickDlg::CBrenwickDlg()
    : CDialog(IDD_SETTINGS, nullptr),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))),
      m_nDriver(0) {}

CBrenwickDlg::~CBrenwickDlg() = default;

void CBrenwickDlg::DoDataExchange(CDataExchange& exchange) {
    DDX_Radio(exchange, IDC_USE_PSIP, m_nDriver);
}

BOOL CBrenwickDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutItemToSystemMenu();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // The focus starts on OK. Left to the system, it would go to the first tab stop, and the
    // checked radio button is one: the system gives an auto radio button the tab stop when it
    // is checked.
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}

bool CBrenwickDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            result = TRUE;
            return OnSysCommand(static_cast<UINT>(wParam), lParam);
        case WM_PAINT:
            result = TRUE;
            return OnPaint();
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<INT_PTR>(OnQueryDragIcon());
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
                OnClickedOk();
                result = TRUE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

void CBrenwickDlg::AddAboutItemToSystemMenu() {
    const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr) {
        return;
    }
    // With a zero size, LoadString hands back the resource's own text and its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUT_ITEM,
                                     reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0) {
        return;
    }
    const std::wstring item(text, static_cast<std::size_t>(length));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUT, item.c_str());
}

bool CBrenwickDlg::OnSysCommand(UINT commandId, LPARAM) {
    if (!IsAboutCommand(commandId)) {
        return false;  // moving, closing and the rest: the system's own handling
    }
    CAboutDlg about;
    about.DoModal();
    return true;
}

bool CBrenwickDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        return false;
    }
    PAINTSTRUCT paint{};
    const HDC context = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const IconOrigin origin =
        CentredIconOrigin(client.right - client.left, client.bottom - client.top,
                          ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(context, origin.x, origin.y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
    return true;
}

HCURSOR CBrenwickDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CBrenwickDlg::OnClickedOk() {
    UpdateData(TRUE);
    // A failure that leaves the installer unexpectedly is reported and the dialog stays
    // open, so that the user can try again or cancel.
    try {
        InstallReport report;
        const int result = InstallSelectedDriver(m_nDriver, m_strPsipSource, m_strTwainSource,
                                                 InstallOptions(platform::ShowMessageBox), report);
        platform::ShowResultBox(InstallOutcomeText(result, report), result != 0);
    } catch (const std::bad_alloc&) {
        platform::ShowResultBox(kOutOfMemory, true);
        return;
    } catch (...) {
        platform::ShowResultBox(kUnexpectedError, true);
        return;
    }
    OnOK();
}
