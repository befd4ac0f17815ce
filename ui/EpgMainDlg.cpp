#include "EpgMainDlg.h"
#include "resource.h"

CEpgMainDlg::CEpgMainDlg(CWnd *parent) : CDialog(IDD_EPGMAIN_DIALOG, parent) {
    appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
}

CEpgMainDlg::~CEpgMainDlg() {
    acquire.tickWindow = nullptr; // its window, and with it the timer, are gone
    ForgetOwnReceiver();
}

void CEpgMainDlg::DoDataExchange(CDataExchange *pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RADIO_MANUAL, manualButton);
    DDX_Control(pDX, IDC_TIME_LIST, timeList);
    DDX_Control(pDX, IDC_START_MINUTE, startMinuteCombo);
    DDX_Control(pDX, IDC_START_HOUR, startHourCombo);
    DDX_Control(pDX, IDC_END_MINUTE, endMinuteCombo);
    DDX_Control(pDX, IDC_END_HOUR, endHourCombo);
    DDX_Radio(pDX, IDC_RADIO_MANUAL, receiveMode);
    DDX_Text(pDX, IDC_SETTABLE_RANGE, settableRangeText);
    DDX_Text(pDX, IDC_DATA_DATE, dataDateText);
}

bool CEpgMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) {
    switch (message) {
    case WM_SYSCOMMAND:
        return OnSysCommand((UINT)wParam, lParam);
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = (LRESULT)OnQueryDragIcon();
        return true;
    case WM_CLOSE:
        OnClose();
        return false; // on to default processing, which cancels the dialog
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_COMMAND:
        break;
    default:
        return false;
    }
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case IDC_RADIO_MANUAL:
        OnRadioManual();
        return true;
    case IDC_RADIO_DAILY:
        OnRadioDaily();
        return true;
    case IDC_ALWAYS_RECEIVE:
        OnCheckAlwaysReceive();
        return true;
    case IDC_AUTO_ADJUST:
        OnCheckAutoAdjust();
        return true;
    default:
        return false;
    }
}

void CEpgMainDlg::EnableTimeCombos(BOOL enable) {
    startHourCombo.EnableWindow(enable);
    startMinuteCombo.EnableWindow(enable);
    endHourCombo.EnableWindow(enable);
    endMinuteCombo.EnableWindow(enable);
}

// Ticks or clears a button. BM_SETCHECK rather than CheckDlgButton, whose
// documented minimum client is newer than the Windows XP the program runs on.
static void TickButton(HWND dialog, int id, bool ticked) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CEpgMainDlg::SelectReceiveMode(int mode) {
    bool daily = mode == 1;
    TickButton(m_hWnd, IDC_RADIO_MANUAL, !daily);
    TickButton(m_hWnd, IDC_RADIO_DAILY, daily);
    EnableTimeCombos(daily);
    timeList.EnableWindow(TRUE);
}

void CEpgMainDlg::SetCheckBox(int id, uint32_t flag) {
    TickButton(m_hWnd, id, flag != 0);
}

// Without broadcast information there is nothing to choose from: the radio
// buttons keep their state until data arrives.
void CEpgMainDlg::OnRadio(int mode) {
    if (acquire.status == StatusNoData)
        return;
    receiveMode = mode;
    SelectReceiveMode(receiveMode);
    SetCheckBox(IDC_ALWAYS_RECEIVE, acquire.alwaysReceiveAdams);
    SetCheckBox(IDC_AUTO_ADJUST, acquire.autoTimeAdjust);
}

void CEpgMainDlg::OnRadioManual() {
    OnRadio(0);
}

void CEpgMainDlg::OnRadioDaily() {
    OnRadio(1);
}

void CEpgMainDlg::OnCheckAlwaysReceive() {
    acquire.alwaysReceiveAdams = acquire.alwaysReceiveAdams ? 0 : 1;
    SetCheckBox(IDC_ALWAYS_RECEIVE, acquire.alwaysReceiveAdams);
}

void CEpgMainDlg::OnCheckAutoAdjust() {
    acquire.autoTimeAdjust = acquire.autoTimeAdjust ? 0 : 1;
    SetCheckBox(IDC_AUTO_ADJUST, acquire.autoTimeAdjust);
}
