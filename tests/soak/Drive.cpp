// A run as the scheduler or a user makes it: the program started, its
// message boxes answered, a viewer asking for the tuner, the user's choice,
// Abort, the close box, or a power cut at a random moment.
#include "Campaign.h"
#include "resource.h"

namespace {
// How long a run may take to end after what should end it.
constexpr DWORD EndBound = 10000;
const std::string Viewer = "テレビ視聴ソフト";
const std::string AlreadyRunning = "既に起動されています。";
// The one message that waits even in an unattended run: nothing can be
// received until the channel table names the ADAMS channel, the run holds
// nothing but its single-instance mutex, and only the message tells the
// user so.
const std::string NoChannel = "チャンネル情報がありません。チャンネル設定プログラムを実行して\n"
                              "チャンネル設定をしてから実行してください。";
HWND FindMain(DWORD processId) {
    return WaitForWindow(processId, Shown::MainTitle, "#32770", 0);
}

bool Ended(RunningProgram &program) {
    return program.Wait(0) != -1;
}

// The receiver dies as in a power cut: at once, with whatever it was
// writing. False when no receiver runs.
bool KillReceiver() {
    return KillProcessOf(FindWindowA(nullptr, ReceiverTitle));
}

// Whether the tuner log so far shows the program granted the tuner.
bool ProgramHeldTuner(const std::string &log, DWORD processId) {
    std::string own = std::to_string(processId) + " ";
    for (const std::string &line : LogLines(log, "RVL_OpenResource"))
        if (line.compare(0, own.size(), own) == 0 &&
            line.find("-> 0 granted=1") != std::string::npos)
            return true;
    return false;
}

void Choose(HWND dialog, int id, int index) {
    SendMessageA(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
}

int ItemCount(HWND dialog, int id) {
    return (int)SendMessageA(GetDlgItem(dialog, id), CB_GETCOUNT, 0, 0);
}

// Chooses a daily window that the dialog accepts; false when its lists
// leave none to choose.
bool ChooseValidWindow(HWND dialog, uint32_t pick) {
    int starts = ItemCount(dialog, IDC_START_HOUR), ends = ItemCount(dialog, IDC_END_HOUR);
    if (starts < 1 || ends < 2 || ItemCount(dialog, IDC_START_MINUTE) < 6 ||
        ItemCount(dialog, IDC_END_MINUTE) < 6)
        return false;
    int endHour = 1 + (int)(pick % (uint32_t)(ends - 1));
    int startHour = (int)((pick >> 8) % (uint32_t)std::min(endHour, starts));
    Choose(dialog, IDC_START_HOUR, startHour);
    Choose(dialog, IDC_START_MINUTE, (int)((pick >> 12) % 6));
    Choose(dialog, IDC_END_HOUR, endHour);
    Choose(dialog, IDC_END_MINUTE, endHour == ends - 1 ? 0 : (int)((pick >> 16) % 6));
    return true;
}

// Answers every message box the program shows while it runs, up to the
// time given or its end; in an automatic run a box that waits is a break.
// True when the program has ended.
bool AnswerWhileRunning(RunningProgram &program, HWND dialog, DWORD milliseconds, bool automatic,
                        RunRecord &record) {
    for (DWORD start = GetTickCount();; Sleep(50)) {
        if (Ended(program))
            return true;
        for (HWND box : VisibleWindows(program.Id(), "#32770")) {
            // The main dialog is told by its list, not by its title: right after
            // a hung receiver's 5 s the program has read no message for that
            // long, and a time-limited read of its title gets nothing.
            if (box == dialog || GetDlgItem(box, IDC_TIME_LIST))
                continue;
            MessageBoxView view = ReadMessageBox(box);
            if (view.text == AlreadyRunning)
                ++record.alreadyRunningBoxes;
            else if (view.text == NoChannel)
                record.channelMessage = true;
            else if (automatic)
                record.waitingBoxes.push_back("\"" + view.caption + "\" " + view.text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitForWindowClosed(box, 2000);
        }
        if (GetTickCount() - start >= milliseconds)
            return Ended(program);
    }
}

// A viewer asks the tuner library for the tuner and is answered.
void AskAsViewer(const Installation &installation, RunningProgram &program, HWND dialog,
                 bool automatic, RunRecord &record) {
    TunerPeer viewer(installation.logs / "viewer.txt", "ask \"" + Viewer + "\" 2");
    for (DWORD start = GetTickCount(); viewer.Wait(0) == -1 && GetTickCount() - start < 8000;)
        AnswerWhileRunning(program, dialog, 50, automatic, record);
}

} // namespace

void Campaign::Drive(const Draw &draw, RunningProgram &program, RunRecord &record) {
    bool automatic = draw.mode == Mode::Auto;
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 20000;) {
        if (AnswerWhileRunning(program, nullptr, 100, automatic, record))
            break;
        dialog = FindMain(program.Id());
    }
    if (!dialog) {
        if (!Ended(program)) {
            record.notEnded = "the dialog did not appear within 20 s";
            PowerCut(program, record);
        } else if (automatic && !record.channelMessage) {
            record.endedBeforeDialog = true;
        }
        record.action = "did not start";
        return;
    }
    if (automatic)
        DriveAutomatic(draw, program, dialog, record);
    else
        DriveManual(draw, program, dialog, record);
    if (record.killed)
        return;
    if (!Ended(program) && !AnswerWhileRunning(program, dialog, EndBound, automatic, record)) {
        record.notEnded = "the run did not end within 10 s after " + record.action;
        PowerCut(program, record);
    }
}

// The program and the receiver end at once, as in a power cut; the next run
// starts on what they left.
void Campaign::PowerCut(RunningProgram &program, RunRecord &record) {
    program.Kill();
    std::string log = installation.ReceiverLog().substr(receiverLogSize);
    if (KillReceiver())
        record.notes += "; the receiver died after " +
                        std::to_string(LogLines(log, " written").size()) + " of 10 steps";
    record.killed = true;
}

// Waits for the moment of the run's end, killing the receiver on the way
// when that was drawn.
void Campaign::WaitForTheEnd(const Draw &draw, RunningProgram &program, HWND dialog,
                             RunRecord &record) {
    bool receiverKilled = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < draw.endAfter;) {
        if (AnswerWhileRunning(program, dialog, 50, draw.mode == Mode::Auto, record))
            return;
        if (draw.Has(FaultReceiverKilled) && !receiverKilled &&
            GetTickCount() - start >= draw.receiverKillAfter) {
            receiverKilled = true;
            std::string log = installation.ReceiverLog().substr(receiverLogSize);
            if (KillReceiver())
                record.notes += "; the receiver was killed after " +
                                std::to_string(LogLines(log, " written").size()) + " of 10 steps";
        }
    }
}

void Campaign::DriveAutomatic(const Draw &draw, RunningProgram &program, HWND dialog,
                              RunRecord &record) {
    WaitForTheEnd(draw, program, dialog, record);
    if (Ended(program)) {
        record.action = "an end of its own";
        return;
    }
    ApplyEndFaults(draw, record);
    switch (draw.end) {
    case End::Killed:
        PowerCut(program, record);
        record.action = "a power cut";
        return;
    case End::Request: {
        AskAsViewer(installation, program, dialog, true, record);
        record.action = "a viewer's request";
        bool held = ProgramHeldTuner(installation.TunerLog().substr(tunerLogSize), program.Id());
        if (held || AnswerWhileRunning(program, dialog, 1000, true, record))
            return; // it must end within the bound
        // It never had the tuner, so the request was not its to answer.
        record.action = "a viewer's request, then Abort";
        ClickButton(dialog, IDCANCEL);
        return;
    }
    case End::Abort:
        record.action = "Abort";
        ClickButton(dialog, IDCANCEL);
        return;
    default:
        record.action = "the close box";
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
}

void Campaign::DriveManual(const Draw &draw, RunningProgram &program, HWND dialog,
                           RunRecord &record) {
    WaitForTheEnd(draw, program, dialog, record);
    if (!Ended(program) && draw.request)
        AskAsViewer(installation, program, dialog, false, record);
    if (Ended(program)) {
        record.action = "an end of its own";
        return;
    }
    ApplyEndFaults(draw, record);
    if (draw.end == End::Killed) {
        PowerCut(program, record);
        record.action = "a power cut";
        return;
    }
    bool daily = draw.mode == Mode::DailyOk || draw.mode == Mode::DailyRetry;
    switch (draw.mode) {
    case Mode::Cancel:
        record.action = "Cancel";
        ClickButton(dialog, IDCANCEL);
        return;
    case Mode::CloseBox:
        record.action = "the close box";
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    default:
        break;
    }
    if (daily && Enabled(dialog, IDC_RADIO_DAILY)) {
        if (!Ticked(dialog, IDC_RADIO_DAILY))
            SendMessageA(GetDlgItem(dialog, IDC_RADIO_DAILY), BM_CLICK, 0, 0);
        if (draw.mode == Mode::DailyRetry) {
            // Start and end the same: refused, and the dialog stays.
            for (int id : {IDC_START_HOUR, IDC_START_MINUTE, IDC_END_HOUR, IDC_END_MINUTE})
                Choose(dialog, id, 0);
            ClickButton(dialog, IDOK);
            if (AnswerWhileRunning(program, dialog, 1500, false, record)) {
                record.action = "OK with an invalid daily window";
                return;
            }
        }
        daily = ChooseValidWindow(dialog, draw.choice);
    } else if (Enabled(dialog, IDC_RADIO_MANUAL) && !Ticked(dialog, IDC_RADIO_MANUAL)) {
        SendMessageA(GetDlgItem(dialog, IDC_RADIO_MANUAL), BM_CLICK, 0, 0);
    }
    bool dailyTicked = Ticked(dialog, IDC_RADIO_DAILY);
    record.manualStore = !dailyTicked;
    record.action = dailyTicked ? (draw.mode == Mode::DailyRetry ? "OK after an invalid window"
                                                                 : "OK with a daily window")
                                : "OK with manual";
    if (dailyTicked && !daily)
        record.action += " (no valid window to choose)";
    ClickButton(dialog, IDOK);
    // A file error leaves the dialog open after its message: the user then
    // gives up with Cancel.
    if (!AnswerWhileRunning(program, dialog, 3000, false, record) && IsWindow(dialog) &&
        IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) {
        record.action += ", then Cancel";
        ClickButton(dialog, IDCANCEL);
    }
}

void Campaign::ApplyEndFaults(const Draw &draw, RunRecord &record) {
    std::vector<std::string> files = DayFilesOf(adams);
    uint32_t pick = draw.choice >> 5;
    if (draw.Has(FaultDayFileHeld) && !files.empty()) {
        try {
            heldFiles.push_back(
                std::make_unique<HeldFile>(adams + "\\" + files[pick % files.size()]));
        } catch (const std::exception &) {
            // gone or held already: nothing to hold
        }
    }
    if (draw.Has(FaultDayFileReadOnly) && !files.empty()) {
        readOnlyFile = adams + "\\" + files[(pick / 3) % files.size()];
        SetFileAttributesA(readOnlyFile.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::vector<std::string> copies = ListFolder(adams + "\\Temp");
    if (draw.Has(FaultTempFileHeld) && !copies.empty()) {
        try {
            heldFiles.push_back(std::make_unique<HeldFile>(adams + "\\Temp\\" +
                                                           copies[(pick / 5) % copies.size()]));
            record.tempFileHeld = true;
        } catch (const std::exception &) {
        }
    }
}

void Campaign::ReleaseEndFaults() {
    heldFiles.clear();
    if (!readOnlyFile.empty())
        SetFileAttributesA(readOnlyFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    readOnlyFile.clear();
}
