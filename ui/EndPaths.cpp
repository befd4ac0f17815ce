// After the start: the timer's ticks and the three ways out (OK, Cancel or
// Abort, closing the window), with the settings they store.
#include "App.h"
#include "Clock.h"
#include "Completeness.h"
#include "Rivolink.h"
#include "EpgMainDlg.h"
#include "Freshness.h"
#include "resource.h"

namespace {
const char ManualStoredText[] = "放送時間前にEPGデータ管理プログラムを\n"
                                "起動してデータを受信してください。";
const char ManualFailedText[] = "設定に失敗しました。\nプログラムを再起動して設定をしてください。";
const char ManualCaption[] = "手動取得設定";
const char DailyStoredText[] = "自動取得に設定しました。\n"
                               "毎日指定された時間にプログラムが起動します。";
const char DailyInvalidText[] = "時間指定に誤りがあります。\n設定値を換えてください。";
const char DailyFailedText[] = "設定に失敗しました。\n"
                               "プログラムを再起動して設定をしなおしてください。";
const char DailyCaption[] = "自動取得設定";
const char UnexpectedEndText[] = "予期しないエラーが発生したため、EPGデータの取得を中止します。";
} // namespace

void CEpgMainDlg::OnTimer(UINT_PTR id) {
    acquire.timerId = (uint32_t)id;
    if (acquire.callbackEvent == RvlEventRequest) {
        StopTimer(id);
        YieldAfterRequest();
        return;
    }
    if (acquire.autoMode) {
        // An unattended run never keeps the tuner longer than its time. Its age
        // comes from the tick count, which a change of the PC clock (the time
        // adjustment, a time service, the user) does not move; the unsigned
        // subtraction stays right when the count wraps.
        if (CurrentTickCount() - acquire.timerStartTick >= AutomaticRunSeconds * 1000u)
            OnCancel();
        return;
    }
    if (acquire.status != StatusNoData && acquire.status != StatusOutdated)
        return;
    if (CheckEpgFreshness() != StatusCurrent)
        return;

    // Today's data has arrived: its windows, and the daily choice, become available.
    acquire.status = StatusCurrent;
    SendMessage(WM_SETREDRAW, FALSE);
    FillTimeList();
    ::EnableWindow(GetDlgItem(IDC_RADIO_DAILY), TRUE);
    EnableTimeCombos(TRUE);
    SendMessage(WM_SETREDRAW, TRUE);
    // Validate, invalidate, redraw, then a sent WM_PAINT, as ever: the rebuilt lists show at once.
    ValidateRect(m_hWnd, nullptr);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASENOW | RDW_UPDATENOW);
    SendMessage(WM_PAINT);
    StopTimer(id);
}

void CEpgMainDlg::StopTimer(UINT_PTR id) {
    KillTimer(m_hWnd, id);
    acquire.tickWindow = nullptr; // no tick is to come, early or late
}

void CEpgMainDlg::OnOK() {
    if (acquire.autoMode) {
        // An unattended run goes on; OK only puts it out of the way.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(m_hWnd, &placement);
        placement.showCmd = SW_SHOWMINIMIZED;
        SetWindowPlacement(m_hWnd, &placement);
        return;
    }
    acquire.stopRequested = 1;
    // A timer that has not ticked yet is not stopped: it goes with the window, as it always has.
    if (acquire.timerId)
        StopTimer(acquire.timerId);

    if (receiveMode == 0) {
        if (acquire.status != StatusNoData)
            CheckDayFiles(); // for its housekeeping only
        int result = StoreManualSetting();
        MessageBox(result == 0 ? ManualStoredText : ManualFailedText, ManualCaption);
    } else {
        int result = StoreDailySetting();
        if (result == 1) {
            MessageBox(DailyInvalidText, DailyCaption); // stays open for another choice
            return;
        }
        MessageBox(result == 0 ? DailyStoredText : DailyFailedText, DailyCaption);
    }
    ReleaseTuner();
    CDialog::OnOK();
}

void CEpgMainDlg::RenewSchedule() {
    Unattended([this] {
        ReadScheduleRecord(&schedRecord);
        UpdateNextStart(0);
        FillTimeList();
        StoreBroadcastTimes();
    });
}

void CEpgMainDlg::OnCancel() {
    acquire.stopRequested = 1;
    if (acquire.timerId)
        StopTimer(acquire.timerId);
    ReleaseTuner();
    // The end of an automatic run that may have received data.
    if (acquire.autoMode && acquire.status != StatusNoData)
        RenewSchedule();
    EndDialog(IDCANCEL);
}

void CEpgMainDlg::OnClose() {
    acquire.stopRequested = 1;
    if (acquire.timerId)
        StopTimer(acquire.timerId);
    ReleaseTuner();
    if (acquire.autoMode) {
        Unattended([] { acquire.status = CheckEpgFreshness(); });
        if (acquire.status != StatusNoData)
            RenewSchedule();
    }
    // Default processing turns the close into Cancel, which runs OnCancel next.
    // Its end steps then run a second time, from what these stored, as they always have.
}

// Whatever failed, the run ends as Abort or Cancel ends it: the receiver
// stopped, the tuner given back, an unattended run's schedule renewed; then
// Temp goes and the process ends with its mutex. Unattended nothing is
// shown; a user is told once.
void CEpgMainDlg::OnUnexpectedError() {
    if (!endingUnexpectedly) {
        endingUnexpectedly = true;
        try {
            acquire.stopRequested = 1;
            StopTimer(AcquireTimerId);
            ReleaseTuner();
            if (acquire.autoMode && acquire.status != StatusNoData)
                RenewSchedule();
        } catch (...) {
            // ends all the same
        }
        if (!acquire.autoMode)
            AppMessageBox(UnexpectedEndText, MB_OK | MB_ICONSTOP);
    }
    EndDialog(IDCANCEL);
}
