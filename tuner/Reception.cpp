#include "Reception.h"
#include "ConflictWatch.h"
#include "EpgMainDlg.h"
#include "App.h"
#include "TunerRequestRecord.h"
#include <cstddef>
#include <cstdio>
#include <cstring>

const char TunerOwnerName[] = "EPGデータ管理プログラム";
const char ReceiverCommand[] = "DataCast.exe /AdamsCtl";
const char ReceiverWindowTitle[] = "DataCast - NORVELL";
const char HolderRunningFormat[] = "%s が動作中のためEPGデータの取得を中止します。";

void ShowConflictMessage(const char *format) {
    char text[ConflictNameSize + 256];
    snprintf(text, sizeof text, format, acquire.conflictName);
    AppMessageBox(text);
}

namespace {
static_assert(sizeof(TunerRequest) == TunerRequestSize, "the request record's layout");
static_assert(offsetof(TunerRequest, requestLevel) == RequestLevelOffset &&
                  offsetof(TunerRequest, programName) == ProgramNameOffset &&
                  offsetof(TunerRequest, replyName) == ReplyNameOffset &&
                  offsetof(TunerRequest, answer) == AnswerOffset,
              "the request record's layout");
static_assert(RequestNameSize == NameBufferSize, "a request's name fits the remembered names");

// Withdraws what RVL_OpenEx and RVL_OpenResource gave, after a refused resource.
void GiveUpTuner() {
    acquire.lastResult = RVL_CallBackClose(acquire.resourceHandle, RvlCloseNotify);
    acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
    acquire.conflictFound = 1;
}

// The dialog's follow-up waits for its next tick; while its timer runs, that
// tick is posted now, so that the receiver stops and an automatic run ends
// right after the hand-over rather than up to a period later. Once per
// request: the tick it brings stops the timer.
void BringTickForward() {
    if (HWND window = acquire.tickWindow) {
        acquire.tickWindow = nullptr;
        PostMessageA(window, WM_TIMER, AcquireTimerId, 0);
    }
}

// Answers another program's request in place; a new asker takes the tuner
// while it is held, and the dialog learns of it through callbackEvent.
void AnswerRequest(uint8_t *record) {
    TunerAsk ask;
    if (!ParseTunerRequest(record, TunerRequestSize, &ask))
        return;
    TunerDecision decision = DecideTunerRequest(ask, acquire.requesterName);
    if (decision == TunerDecision::YieldNew) {
        memcpy(acquire.requesterName, ask.programName, sizeof ask.programName);
        if (acquire.tunerHeld) {
            acquire.callbackEvent = RvlEventRequest;
            acquire.lastResult = RVL_CloseResource(acquire.resourceHandle);
            snprintf(acquire.noticeName, sizeof acquire.noticeName, "%s", acquire.requesterName);
            BringTickForward();
        }
    }
    WriteTunerAnswer(record, TunerRequestSize, decision, TunerOwnerName);
}
} // namespace

int __stdcall TunerCallback(DWORD eventCode, UINT_PTR eventArgument, UINT_PTR) {
    if (eventCode == RvlEventRegistered) {
        acquire.callbackEvent = RvlEventRegistered;
        acquire.callbackHandle = reinterpret_cast<HANDLE>(eventArgument);
    } else if (eventCode == RvlEventRequest && eventArgument) {
        // A request without its record cannot be answered: it is not taken.
        AnswerRequest(reinterpret_cast<uint8_t *>(eventArgument));
    }
    return 0;
}

void CEpgMainDlg::OpenTuner() {
    if (acquire.status != StatusCurrent && acquire.status != StatusNoData &&
        acquire.status != StatusOutdated)
        return;
    acquire.lastResult = RVL_OpenEx(TunerCallback, RvlOpenNotify, &acquire.callbackHandle, this);
    WatchConflicts();
    if (acquire.conflictFound) {
        // An unattended run still renews the scheduler's broadcast windows.
        if (acquire.autoMode)
            Unattended([this] {
                FillTimeList();
                StoreBroadcastTimes();
            });
        return;
    }
    if (acquire.lastResult != RvlOk)
        return;

    acquire.lastResult =
        RVL_OpenResource(&acquire.resourceGranted, &acquire.resourceHandle, RvlResourceTunerVbi,
                         TunerOwnerName, 1, acquire.conflictName, sizeof acquire.conflictName);
    if (acquire.lastResult != RvlOk) {
        GiveUpTuner();
        return;
    }
    if (!acquire.resourceGranted) {
        GiveUpTuner();
        // Unattended, nobody could answer it: the message would keep the run,
        // and with it every later start of the daily acquisition, waiting
        // long after the other program has let the tuner go.
        if (!acquire.autoMode)
            ShowConflictMessage(HolderRunningFormat);
        return;
    }

    acquire.tunerHeld = 1;
    acquire.lastResult = RVL_SetChannel(acquire.adamsChannel);
    if (acquire.lastResult != RvlOk) {
        acquire.status = StatusChannelFailed;
        return;
    }
    acquire.lastResult = RVL_VBIResume();
    DWORD signal = 0;
    acquire.lastResult = RVL_GetSignalStatus(&signal);

    // Returns once the receiver waits for its first message, so its window exists then.
    WinExec(ReceiverCommand, SW_HIDE);
    if (HWND receiver = FindWindowA(nullptr, ReceiverWindowTitle)) {
        receiverWindow = receiver;
        ::SendMessageA(receiver, ReceiverStartMessage, (WPARAM)receiver, 0);
        acquire.receiverRunning = 1;
    }
}

void CEpgMainDlg::StopReceiver() {
    ::SendMessageA(receiverWindow, ReceiverStopMessage, (WPARAM)receiverWindow, 0);
    ::SendMessageA(receiverWindow, WM_CLOSE, (WPARAM)receiverWindow, 0);
    acquire.receiverRunning = 0;
}

void CEpgMainDlg::YieldAfterRequest() {
    if (acquire.autoMode) {
        OnCancel(); // an unattended run ends when a viewer wants the tuner
        return;
    }
    if (acquire.receiverRunning)
        StopReceiver();
    if (acquire.tunerHeld) {
        // The callback has closed the resource already.
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.tunerHeld = 0;
    }
    ShowAbortNotice();
    acquire.callbackEvent = 0;
}

void CEpgMainDlg::ReleaseTuner() {
    if (acquire.receiverRunning)
        StopReceiver();
    if (acquire.tunerHeld) {
        acquire.lastResult = RVL_CloseResource(acquire.resourceHandle);
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.tunerHeld = 0;
    }
}
