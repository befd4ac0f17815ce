// The program's main window: a modal dialog that shows how guide data is
// received, the daily window, today's broadcast windows and two options.
#pragma once
#include "AcquireContext.h"
#include "Dialog.h"
#include "File.h"
#include "Wakeplan.h"
#include <string>

class CAbortNoticeDlg;

constexpr int HourItemCount = 25;
constexpr int MinuteItemCount = 6;
constexpr int ItemSlotSize = 10;
// How long an automatic run may keep the tuner, and how long a manual start
// waits for today's data.
constexpr uint32_t AutomaticRunSeconds = 30 * 60;
constexpr uint32_t ManualWaitSeconds = 8 * 60;

class CEpgMainDlg : public CDialog {
public:
    explicit CEpgMainDlg(CWnd *parent = nullptr);
    ~CEpgMainDlg() override;

    // Mode 1 (daily) ticks radio 1001 and enables the time combos; any other
    // value ticks radio 1000 and disables them. The list stays enabled.
    void SelectReceiveMode(int mode);

    // The broadcast-time list (schedule/TimeList.cpp). Each returns 1 when done.
    int ReloadScheduleRecord();
    int ReadBroadcastSchedule();
    int FillTimeList();
    int FillDefaultTimes();

    // The settings stores (schedule/Settings.cpp): 0 stored, else the failure.
    int StoreManualSetting();
    int StoreDailySetting();
    int UpdateNextStart(int force);
    int StoreBroadcastTimes();

    // Reception (tuner/Reception.cpp): take the tuner on the ADAMS channel and
    // start the receiver; after a request, stop the receiver and tell the
    // user; at the end, stop the receiver and give the tuner back.
    void OpenTuner();
    void YieldAfterRequest();
    void ReleaseTuner();
    // The notice over the dialog after the tuner was yielded (tuner/AbortNotice.cpp).
    void ShowAbortNotice();

    BroadcastWindow broadcastWindows[MaxBroadcastWindows] = {};
    BroadcastTimeTable schedTable = {};
    ScheduleRecord schedRecord = {};
    // Combo item texts; once added, a slot's first byte holds the item's value.
    char hourItems[HourItemCount][ItemSlotSize] = {};
    char minuteItems[MinuteItemCount][ItemSlotSize] = {};
    int broadcastWindowCount = 0;
    int lastEndHourIndex = 0;
    // The hour of the first item of the hour combos: position p stands for hourBase + p.
    // Not read from broadcastWindows, which a failed refill clears: a store keeps the hours shown.
    int hourBase = 0;
    HWND receiverWindow = nullptr;
    // The receiver that this run started, while it may still run.
    HANDLE receiverProcess = nullptr;
    DWORD receiverProcessId = 0;
    CButton manualButton;
    CListBox timeList;
    CComboBox startMinuteCombo;
    CComboBox startHourCombo;
    CComboBox endMinuteCombo;
    CComboBox endHourCombo;
    int receiveMode = 0; // 0 manual, 1 daily
    std::string settableRangeText;
    std::string dataDateText;
    HICON appIcon = nullptr;
    CAbortNoticeDlg *noticeDialog = nullptr;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    // Start-up (ui/StartUp.cpp).
    BOOL OnInitDialog() override;
    // Timer and end paths (ui/EndPaths.cpp).
    void OnOK() override;
    void OnCancel() override;
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnUnexpectedError() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;

    void OnRadioManual();
    void OnRadioDaily();
    void OnCheckAlwaysReceive();
    void OnCheckAutoAdjust();
    // The window menu, the minimised icon and the drag icon (app/VersionDlg.cpp).
    bool OnSysCommand(UINT id, LPARAM parameter);
    bool OnPaint();
    HICON OnQueryDragIcon();

private:
    void StartAutomatic();
    void StartManual();
    void StartTimer(UINT period, uint32_t runSeconds);
    void StopTimer(UINT_PTR id);
    void StartReceiver();
    bool SendToReceiver(UINT message);
    void EndOwnReceiver();
    void ForgetOwnReceiver();
    void StopReceiver();
    // The next start, the time list and the broadcast windows, at the end of an automatic run.
    void RenewSchedule();
    // Runs steps of an unattended run. A file error there is dropped: nobody
    // could answer its message, and the run must still go on and end.
    template <typename Steps> static void Unattended(Steps steps) {
        try {
            steps();
        } catch (const CFileException &) {
        }
    }

    bool endingUnexpectedly = false;

    void EmptyTimeBoxes();
    void AddMinuteItems();
    void OnRadio(int mode);
    void EnableTimeCombos(BOOL enable);
    void SetCheckBox(int id, uint32_t flag);
};
