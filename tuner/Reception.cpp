#include "Reception.h"
#include "ConflictWatch.h"
#include "EpgMainDlg.h"
#include "App.h"
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
static_assert(sizeof(TunerRequest::programName) == NameBufferSize, "names fit the request field");

// Withdraws what RVL_OpenEx and RVL_OpenResource gave, after a refused resource.
void GiveUpTuner() {
    acquire.lastResult = RVL_CallBackClose(acquire.resourceHandle, RvlCloseNotify);
    acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
    acquire.conflictFound = 1;
}

// The asking program's name, read within its field (another program may
// leave it unterminated) and cut between whole characters.
void CopyRequesterName(const TunerRequest &request, char *name) {
    size_t length = strnlen(request.programName, sizeof request.programName);
    if (length >= (size_t)NameBufferSize) {
        length = 0;
        // Walk whole characters: a lead byte never stands alone at the end.
        for (size_t i = 0; i < (size_t)NameBufferSize - 1;) {
            size_t step = IsDBCSLeadByteEx(932, (BYTE)request.programName[i]) ? 2 : 1;
            if (i + step > (size_t)NameBufferSize - 1)
                break;
            i += step;
            length = i;
        }
    }
    memcpy(name, request.programName, length);
    name[length] = '\0';
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

void AnswerRequest(TunerRequest &request) {
    if (request.requestLevel == 0 || request.requestLevel == 1) {
        request.answer = 0;
        lstrcpynA(request.replyName, TunerOwnerName, sizeof request.replyName);
        return;
    }
    char name[NameBufferSize];
    CopyRequesterName(request, name);
    if (strcmp(name, acquire.requesterName) != 0) {
        memcpy(acquire.requesterName, name, sizeof name);
        if (acquire.tunerHeld) {
            acquire.callbackEvent = RvlEventRequest;
            acquire.lastResult = RVL_CloseResource(acquire.resourceHandle);
            snprintf(acquire.noticeName, sizeof acquire.noticeName, "%s", acquire.requesterName);
            BringTickForward();
        }
    }
    request.answer = 1;
}
} // namespace

int __stdcall TunerCallback(DWORD eventCode, UINT_PTR eventArgument, UINT_PTR) {
    if (eventCode == RvlEventRegistered) {
        acquire.callbackEvent = RvlEventRegistered;
        acquire.callbackHandle = reinterpret_cast<HANDLE>(eventArgument);
    } else if (eventCode == RvlEventRequest) {
        AnswerRequest(*reinterpret_cast<TunerRequest *>(eventArgument));
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
