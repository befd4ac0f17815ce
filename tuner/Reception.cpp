#include "Reception.h"
#include "ConflictWatch.h"
#include "EpgMainDlg.h"
#include "App.h"
#include "FolderScan.h"
#include "Path.h"
#include "TunerRequestRecord.h"
#include <cstddef>
#include <cstdio>
#include <cstring>

const char TunerOwnerName[] = "EPGデータ管理プログラム";
const char ReceiverFileName[] = "DataCast.exe";
const char ReceiverSwitch[] = "/AdamsCtl";
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
    // The resource handle too, as the tuner library has always had it; it tolerates the wrong kind.
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

// The receiver's full path: the folder that holds this program, where the
// package installs it. Only there: a bare name would also find a program of
// that name in the current folder (a downloads or shared folder), and the
// system folders and PATH never hold the package's receiver but may hold
// what a user or another program put there. False when it is not there.
bool ReceiverPath(char *path, size_t size) {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return false;
    program[FindFileName(program) - program] = '\0'; // the folder and its "\"
    return JoinText(path, size, program, ReceiverFileName) && IsPlainFile(GetFileAttributesA(path));
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
    CallWithoutUnwinding([&] {
        if (eventCode == RvlEventRegistered) {
            acquire.callbackEvent = RvlEventRegistered;
            acquire.callbackHandle = reinterpret_cast<HANDLE>(eventArgument);
        } else if (eventCode == RvlEventRequest && eventArgument) {
            // A request without its record cannot be answered: it is not taken.
            AnswerRequest(reinterpret_cast<uint8_t *>(eventArgument));
        }
    });
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
        // The registration stays for the run, as it always has: every asker is still answered.
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
    // Asked as the tuner library has always been asked; the status itself is not used.
    DWORD signal = 0;
    acquire.lastResult = RVL_GetSignalStatus(&signal);

    StartReceiver();
    if (HWND receiver = FindWindowA(nullptr, ReceiverWindowTitle)) {
        receiverWindow = receiver;
        // A receiver that does not answer in time is told to stop at the end
        // all the same, and ended if it does not answer then either.
        SendToReceiver(ReceiverStartMessage);
        acquire.receiverRunning = 1;
    }
}

// Started hidden by its full path; returns once it waits for its first
// message (or after 30 s), as WinExec does.
void CEpgMainDlg::StartReceiver() {
    char path[MAX_PATH], command[MAX_PATH + 16];
    if (!ReceiverPath(path, sizeof path) ||
        snprintf(command, sizeof command, "\"%s\" %s", path, ReceiverSwitch) >= (int)sizeof command)
        return;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(path, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return;
    CloseHandle(started.hThread);
    receiverProcess = started.hProcess;
    receiverProcessId = started.dwProcessId;
    WaitForInputIdle(receiverProcess, 30000);
}

// Another program can hang inside its handler: the message is given a time
// limit, and one to a receiver that hangs already returns at once. False
// when the receiver did not answer.
bool CEpgMainDlg::SendToReceiver(UINT message) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(receiverWindow, message, (WPARAM)receiverWindow, 0,
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, ReceiverAnswerMilliseconds,
                               &result) != 0;
}

// Ends the receiver that this run started, if it still runs: one that does
// not answer would keep its window, and every later run would drive it in
// vain, since a new receiver gives way to the one that runs. Only this run's
// own: a receiver that was running before (another's, or one that a killed
// run left) is not this program's to end.
void CEpgMainDlg::EndOwnReceiver() {
    if (!receiverProcess)
        return;
    DWORD owner = 0;
    bool shown = receiverWindow && GetWindowThreadProcessId(receiverWindow, &owner);
    if ((!shown || owner == receiverProcessId) &&
        WaitForSingleObject(receiverProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(receiverProcess, 1);
        WaitForSingleObject(receiverProcess, ReceiverAnswerMilliseconds);
    }
    ForgetOwnReceiver();
}

void CEpgMainDlg::ForgetOwnReceiver() {
    if (receiverProcess)
        CloseHandle(receiverProcess);
    receiverProcess = nullptr;
}

// A receiver that does not answer its stop is not asked to close as well
// (it would not answer that either): it is ended.
void CEpgMainDlg::StopReceiver() {
    if (SendToReceiver(ReceiverStopMessage) && SendToReceiver(WM_CLOSE))
        ForgetOwnReceiver(); // it ends by itself now
    else
        EndOwnReceiver();
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
        // Withdrawn twice, as the tuner library has always been told; it tolerates the second.
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
    else
        EndOwnReceiver(); // one that showed no window was never driven; it goes with the run
    if (acquire.tunerHeld) {
        // As the tuner library has always been called; it tolerates a repeated close.
        acquire.lastResult = RVL_CloseResource(acquire.resourceHandle);
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.lastResult = RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify);
        acquire.tunerHeld = 0;
    }
}
