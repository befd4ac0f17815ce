// The start of every acquisition: the window menu and icons, the schedule
// record, the freshness check, reception, and then the automatic run
// (minimised, unattended) or the manual one (the user is told what was found).
#include "App.h"
#include "Clock.h"
#include "EpgMainDlg.h"
#include "Freshness.h"
#include "Reception.h"
#include "resource.h"

namespace {
constexpr UINT AutomaticTick = 1000;
constexpr UINT ManualTick = 10000;

// Each text reads as users have always seen it, the odd blank and closing line feed included.
const char CannotAcquireFormat[] = "EPGデータを取得することができません。%s が動作していない時に\n"
                                   "本プログラムを起動してデータを取得してください。";
const char RegistryBrokenText[] = "レジストリ情報が壊れています。\n 再インストールをしてください。";
const char NoBroadcastTimesText[] = "放送時間情報がありません。このプログラムを約１０分間\n"
                                    "起動したままにしてください。\n";
const char OldDataText[] = "今日の放送情報がありません。古いデータを表示します。\n"
                           "新しいデータはこのプログラムが動作中に取得できます。";
const char DataMayBeBrokenText[] = "受信データが壊れている可能性があります。\n"
                                   "データを受信するまで、しばらくお待ちください。";
const char ChannelFailedText[] = "チャンネルの設定に失敗しました。";
const char ExplanationCaption[] = "説明";
const char AbortText[] = "中止";
const char ReceivingFirstLine[] = "　　";
const char ReceivingSecondLine[] = " ◆データを取得中◆";
} // namespace

BOOL CEpgMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HMENU windowMenu = GetSystemMenu(m_hWnd, FALSE);
    if (windowMenu) {
        char item[128] = {};
        LoadStringA(GetModuleHandleA(nullptr), IDS_VERSIONINFO, item, sizeof item);
        if (item[0]) {
            AppendMenuA(windowMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(windowMenu, MF_STRING, IDM_VERSIONINFO, item);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)appIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)appIcon);
    // Maximize and Size of the standard window menu.
    RemoveMenu(windowMenu, 4, MF_BYPOSITION);
    RemoveMenu(windowMenu, 2, MF_BYPOSITION);

    ReadScheduleRecord(&schedRecord); // a record that cannot be read stays as constructed: zero
    acquire.alwaysReceiveAdams = (schedRecord.flags & FlagAlwaysReceiveAdams) ? 1 : 0;
    acquire.autoTimeAdjust = (schedRecord.flags & FlagAutoTimeAdjust) ? 1 : 0;
    acquire.stopRequested = 0;
    acquire.status = CheckEpgFreshness();
    acquire.tunerHeld = 0;
    acquire.receiverRunning = 0;
    acquire.callbackEvent = 0;
    acquire.conflictFound = 0;
    OpenTuner();
    if (acquire.autoMode)
        StartAutomatic();
    else
        StartManual();
    return TRUE;
}

// The deadline is kept as a date and time; the run's age is measured by the tick count.
void CEpgMainDlg::StartTimer(UINT period, uint32_t runSeconds) {
    acquire.deadline = CurrentTime() + runSeconds;
    acquire.timerStartTick = CurrentTickCount();
    if (SetTimer(m_hWnd, AcquireTimerId, period, nullptr))
        acquire.tickWindow = m_hWnd;
}

// Minimised and unattended; the run ends when a viewer asks for the tuner,
// 30 minutes after its start, or by Abort.
void CEpgMainDlg::StartAutomatic() {
    if (acquire.conflictFound || acquire.status == StatusNoRegistry ||
        acquire.status == StatusChannelFailed)
        acquire.status = StatusNoData;

    int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    placement.flags = WPF_SETMINPOSITION;
    placement.showCmd = SW_SHOWMINNOACTIVE;
    placement.ptMinPosition = {-1, -1}; // where the system puts minimised windows
    placement.ptMaxPosition = {-1, -1};
    // Left and top take y and x, as always: a restored automatic window opens where it always has.
    placement.rcNormalPosition = {y, x, y + 370, x + 298};
    SetWindowPlacement(m_hWnd, &placement);

    timeList.ResetContent();
    timeList.InsertString(0, ReceivingFirstLine);
    timeList.InsertString(1, ReceivingSecondLine);
    timeList.EnableWindow(TRUE);
    EnableTimeCombos(FALSE);
    StartTimer(AutomaticTick, AutomaticRunSeconds);
    ::EnableWindow(GetDlgItem(IDC_RADIO_MANUAL), FALSE);
    ::EnableWindow(GetDlgItem(IDC_RADIO_DAILY), FALSE);
    SetDlgItemTextA(m_hWnd, IDCANCEL, AbortText);
}

// Tells the user what was found; waits for today's data where it is missing.
void CEpgMainDlg::StartManual() {
    // When OpenTuner has named a held tuner's holder already, the user reads it twice, as ever.
    if (acquire.conflictFound)
        ShowConflictMessage(HolderRunningFormat);
    HWND dailyButton = GetDlgItem(IDC_RADIO_DAILY);
    switch (acquire.status) {
    case StatusNoRegistry:
        AppMessageBox(RegistryBrokenText);
        ::EnableWindow(dailyButton, FALSE);
        acquire.status = StatusNoData;
        break;
    case StatusNoData:
        MessageBox(NoBroadcastTimesText, ExplanationCaption);
        if (!acquire.conflictFound)
            StartTimer(ManualTick, ManualWaitSeconds);
        ::EnableWindow(dailyButton, FALSE);
        break;
    case StatusOutdated:
    case StatusCurrent: {
        bool outdated = acquire.status == StatusOutdated;
        if (FillTimeList()) {
            if (outdated) {
                MessageBox(OldDataText, ExplanationCaption);
                if (!acquire.conflictFound)
                    StartTimer(ManualTick, ManualWaitSeconds);
            }
            // Only a stored 1 is the daily choice: manual is never shown while OK stores daily.
            receiveMode = acquire.storedReceiveMode == 1 ? 1 : 0;
            SelectReceiveMode(receiveMode);
        } else if (acquire.conflictFound) {
            ShowConflictMessage(CannotAcquireFormat);
        } else {
            AppMessageBox(DataMayBeBrokenText);
            FillDefaultTimes();
            acquire.status = StatusOutdated;
            if (outdated) {
                StartTimer(ManualTick, ManualWaitSeconds);
                ::EnableWindow(dailyButton, FALSE);
            }
        }
        break;
    }
    case StatusChannelFailed:
        AppMessageBox(ChannelFailedText);
        ::EnableWindow(dailyButton, FALSE);
        acquire.status = StatusNoData;
        break;
    }
    SetCheckBox(IDC_ALWAYS_RECEIVE, acquire.alwaysReceiveAdams);
    SetCheckBox(IDC_AUTO_ADJUST, acquire.autoTimeAdjust);
}
