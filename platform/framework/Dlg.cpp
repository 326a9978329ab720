#include "platform/framework/Dlg.h"

#include "platform/framework/WinApp.h"
#include "platform/system/Modules.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/ModalOwner.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog procedure of framework dialogs: binds the object at WM_INITDIALOG and leaves every
// later message to the object's map (answering FALSE to the default dialog procedure).
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd)) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hWnd)) return FALSE;
    return AfxCallWndProc(dialog, hWnd, message, wParam, lParam);
}

HWND TopLevel(HWND hWnd) {
    while (hWnd && (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return hWnd;
}

} // namespace

CDialog::CDialog() { AfxInstallStringLoader(); }

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd) {
    AfxInstallStringLoader();
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {
    AfxInstallStringLoader();
}

HWND CDialog::CreateFromTemplate(HWND hWndParent) {
    HINSTANCE module = m_lpszTemplateName ? AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG) : nullptr;
    if (!m_lpszTemplateName || !FindResourceW(module, m_lpszTemplateName, RT_DIALOG)) return nullptr;
    HWND hWnd = CreateDialogParamW(module, m_lpszTemplateName, hWndParent, AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (hWnd && m_hWnd != hWnd) {
        // Bound to another object already: not ours to run.
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    // A program that is ending opens no new dialog: its loops are unwinding to the end.
    if (device::ui::IsProgramEnding()) return -1;
    HWND owner = m_pParentWnd ? TopLevel(m_pParentWnd->m_hWnd) : nullptr;
    if (!owner) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this) owner = app->m_pMainWnd->m_hWnd;
        if (!owner) owner = TopLevel(::GetActiveWindow());
    }
    // The owner and the windows it is owned by take no input while the dialog is up.
    device::ui::ModalOwnerLock owners(owner);

    m_bModal = TRUE;
    m_bEndedEarly = FALSE;
    m_nModalResult = -1;
    HWND hWnd = CreateFromTemplate(owner);
    INT_PTR result = -1;
    if (hWnd) {
        if (!m_bEndedEarly) RunModalLoop(MLF_SHOWONIDLE);
        result = m_nModalResult;
        if (m_hWnd) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // The owners come back before the dialog goes, so that one of them is the one activated.
    owners.Restore(hWnd);
    if (m_hWnd) DestroyWindow();
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd) {
    if (m_hWnd) return FALSE;
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName)) m_nIDHelp = LOWORD(reinterpret_cast<UINT_PTR>(lpszTemplateName));
    if (pParentWnd) m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    return CreateFromTemplate(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr) != nullptr;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    if (m_bFullScreen && !(GetStyle() & WS_CHILD)) {
        SHINITDLGINFO info{SHIDIM_FLAGS, m_hWnd, SHIDIF_DONEBUTTON | SHIDIF_SIPDOWN | SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    if (m_bModal) {
        if (m_bInModalLoop) {
            EndModalLoop(nResult);
        } else {
            m_nModalResult = nResult;
            m_bEndedEarly = TRUE;
        }
        return;
    }
    if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // The dialog's keyboard interface (Tab, arrows, Enter, Esc) for keys meant for it.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd)
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}
