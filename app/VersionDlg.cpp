// The version box and the main dialog's window-menu, paint and drag-icon handlers.
#include "VersionDlg.h"
#include "EpgMainDlg.h"
#include "resource.h"

CVersionDlg::CVersionDlg(CWnd *parent) : CDialog(IDD_VERSION_DIALOG, parent) {}

// The version item (ids 16 to 31) opens the box; every other command goes on
// to default processing: Move, Minimize, Restore, Close...
bool CEpgMainDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) != IDM_VERSIONINFO)
        return false;
    CVersionDlg versionBox; // owned by the main window, which it disables meanwhile
    versionBox.DoModal();
    return true;
}

// Minimised, the dialog shows its icon in the middle of its client area.
bool CEpgMainDlg::OnPaint() {
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC device = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, (WPARAM)device, 0);
    int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(device, x, y, appIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

HICON CEpgMainDlg::OnQueryDragIcon() {
    return appIcon;
}
