#include "AbortNoticeDlg.h"
#include "EpgMainDlg.h"
#include "resource.h"

CAbortNoticeDlg::CAbortNoticeDlg(CWnd *owner) : CDialog(IDD_ABORT_NOTICE, owner) {
    Create(IDD_ABORT_NOTICE, owner);
}

CAbortNoticeDlg::~CAbortNoticeDlg() = default;

void CAbortNoticeDlg::DoDataExchange(CDataExchange *) {}

void CAbortNoticeDlg::PostNcDestroy() {
    delete this;
}

// OK closes the notice; Esc and the close box do the same through the base.
void CAbortNoticeDlg::OnOK() {
    DestroyWindow(m_hWnd);
}

void CEpgMainDlg::ShowAbortNotice() {
    noticeDialog = new CAbortNoticeDlg(this);
    HWND notice = noticeDialog->m_hWnd;
    if (!notice) {
        delete noticeDialog; // no window was made, so nothing will delete it
        noticeDialog = nullptr;
        return;
    }
    // The name comes from another program: it is shown within its 256 bytes.
    char name[NameBufferSize];
    lstrcpynA(name, acquire.noticeName, sizeof name);
    SetDlgItemTextA(notice, IDC_NOTICE_NAME, name);
    SetWindowPos(notice, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetFocus(notice);
    UpdateWindow(notice);
}
