// Times the real program under Wine in a full installation: 20 stations with
// eight days of ".ep1", ".ep2" and ".ept" files and 20 outdated day sets (540
// day files) in the ADAMS folder, yesterday's guide data, the real stand-ins.
// Each figure is printed with a baseline measured in the same round, made of
// the work that the program cannot avoid, each part as the program does it:
//  - start, from starting "Pelmar.exe Auto" to message 1827 in the
//    receiver's log: a trivial program's start; the receiver's start (by its
//    full path, hidden, with its switch) up to its first message wait, and
//    1827 sent to it up to its line in the log; a bare copy of the folder
//    into its Temp, one CopyFileA a file;
//  - end, from a viewer's request for the tuner to the program's exit: one
//    bare completeness pass, one decode of the schedule, emptying Temp, and
//    a trivial program's end;
//  - peak private memory, against the trivial program's, both read while
//    the program runs.
// A figure that cannot be measured ends the bench with exit code 1, saying
// what failed, what the program's windows show and what the receiver logged.
// With "--trace FILE" it runs the program alone, under Wine's relay trace
// that scripts/bench-run turns on, and prints where its start goes;
// "--trace-calls" prints the calls that the relay must trace for it.
#include "BenchFiles.h"
#include "ChannelRecords.h"
#include "Completeness.h"
#include "DecodeReceivedFile.h"
#include "InstallationRecipe.h"
#include "ReceivedEncoder.h"
#include "Rivolink.h"
#include "RunProcesses.h"
#include "StartTrace.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
const std::string Root = "C:\\pelmar-bench\\run";
const std::string Program = Root + "\\program";
const std::string Adams = Root + "\\adams";
const std::string Temp = Adams + "\\Temp";
const std::string EpgData = Root + "\\epg-data";
const std::string EpgTemp = Root + "\\epg-temp";
const std::string Channels = Root + "\\channels";
const std::string Log = Root + "\\receiver.log";
const char ReceiverTitle[] = "DataCast - NORVELL";
const char RunningMutex[] = "PELMAR_RUNNING";
const char TrivialReady[] = "PelmarBenchTrivialReady";
const char TrivialEnd[] = "PelmarBenchTrivialEnd";
constexpr UINT ReceiverStart = 1827, ReceiverStop = 1826;
constexpr int Stations = 20, Rounds = 9, TraceRounds = 5;
constexpr double Limit = 30; // seconds that any step may take
constexpr DWORD LimitMs = 30000;

std::string Encoded(ReceivedKind kind, const std::string &content) {
    std::string file;
    EncodeReceivedFile(kind, content, file);
    return file;
}

std::string BinFolder() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string bin = module;
    return bin.substr(0, bin.find_last_of('\\'));
}

// The installation, and the ADAMS folder as a new day finds it.
void Install() {
    for (const std::string &folder :
         {std::string("C:\\pelmar-bench"), Root, Program, Adams, EpgData, EpgTemp, Channels})
        CreateDirectoryA(folder.c_str(), nullptr);
    try {
        CopyProgram(BinFolder(), Program);
    } catch (const std::exception &error) {
        Fail(std::string(error.what()) + " into the installation: error " + Number(GetLastError()));
    }
    RegisterInstallation({Adams, Channels, EpgData, EpgTemp, Root + "\\wakeplan"});
    // Only the receiver logs: its lines time the run.
    SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "Log", Log);
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    std::string table(ChannelTableReadSize, '\0');
    ByteSink records = MakeByteSink(&table[0], table.size());
    for (int channel = 1; channel <= ChannelCount; ++channel)
        PutChannelRecord(records, "", channel == 6 ? 1 : 0); // the ADAMS broadcast on channel 6
    Write(Channels + "\\ChTable.dat", table);
}

bool noneRanBefore = false; // set once CheckNoneRunning has passed

// After a failed round: the receiver that the round's program started, if
// it still runs; only when none ran before the bench, which is not its to end.
void EndLeftReceiver() {
    if (!noneRanBefore)
        return;
    HWND window = FindWindowA(nullptr, ReceiverTitle);
    DWORD id = 0;
    if (!window || !GetWindowThreadProcessId(window, &id))
        return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

// An earlier run that was killed can leave the program or its receiver
// running: the program would then end at once (it runs already), or drive
// the old receiver.
void CheckNoneRunning() {
    if (HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, RunningMutex)) {
        CloseHandle(running);
        Fail("a Pelmar.exe of an earlier run still runs in this Wine prefix: end it first "
             "(wineserver -k)");
    }
    if (FindWindowA(nullptr, ReceiverTitle))
        Fail("a receiver of an earlier run still runs in this Wine prefix: end it first "
             "(wineserver -k)");
    noneRanBefore = true;
}

void FillAdamsFolder() {
    RemoveFiles(Temp);
    RemoveDirectoryA(Temp.c_str());
    RemoveFiles(Adams);
    std::string ep1 = Encoded(KindEp1, NamingDayContent("Station", std::string(4000, 'p')));
    std::string ep2 = Encoded(KindEp2, std::string(6000, 'm'));
    std::string ept = Encoded(KindEpt, std::string(8000, 's'));
    for (int s = 0; s < Stations; ++s) {
        char prefix[8];
        snprintf(prefix, sizeof prefix, "S%03d", s);
        for (int d = -1; d < 8; ++d) { // yesterday's sets are outdated
            std::string base = Adams + "\\" + prefix + DateField(d);
            Write(base + ".ep1", ep1);
            Write(base + ".ep2", ep2);
            Write(base + ".ept", ept);
        }
    }
    WriteReceivedSchedule(Adams, "06020612|07020712|19021912|");
    WriteGuideData(EpgData, time(nullptr) - 86400);
}

// Waits until the receiver's log holds the line; fails when the process
// that should bring it about ends first or the limit passes.
void WaitForLog(const char *line, const Started &cause, const char *name, double since,
                const Started *program) {
    while (ReadShared(Log).find(line) == std::string::npos) {
        if (WaitForSingleObject(cause.process, 0) != WAIT_TIMEOUT)
            Fail(std::string(name) + " ended before \"" + line + "\" was in the log" +
                 Account(program, Log));
        if (Now() - since > Limit)
            Fail(std::string("no \"") + line + "\" in the log within 30 s" + Account(program, Log));
        Sleep(1);
    }
}

struct Run {
    double start, end, tick; // tick: from the request to the receiver's stop message
    SIZE_T memory;
    DWORD id;
};

// A viewer's request for the tuner, measured to the program's exit.
void RequestToExit(Started &pelmar, Run &run) {
    double t1 = Now();
    DWORD granted = 0;
    HANDLE resource = nullptr;
    char holder[64] = {};
    int asked = RVL_OpenResource(&granted, &resource, RvlResourceTunerVbi, "Bench viewer", 2,
                                 holder, sizeof holder);
    if (asked != RvlOk)
        Fail("the viewer's request failed: RVL_OpenResource gave " + Number(asked) +
             Account(&pelmar, Log));
    run.tick = 0;
    while (WaitForSingleObject(pelmar.process, 1) == WAIT_TIMEOUT) {
        run.memory = PeakPrivate(pelmar.process, run.memory);
        if (!run.tick && ReadShared(Log).find("message 1826") != std::string::npos)
            run.tick = Now() - t1;
        if (Now() - t1 > Limit)
            Fail("Pelmar.exe did not end within 30 s of a viewer's request (" +
                 std::string(granted ? "granted" : "refused by ") + holder + ")" +
                 Account(&pelmar, Log));
    }
    run.end = Now() - t1;
    if (granted)
        RVL_CloseResource(resource);
}

// One automatic run: started, measured to 1827; asked for the tuner, measured to exit.
void RunOnce(Run &run) {
    FillAdamsFolder();
    DeleteFileA(Log.c_str());
    Started pelmar;
    double t0 = Now();
    Start(Quoted(Program + "\\Pelmar.exe") + " Auto", pelmar);
    WaitForLog("message 1827", pelmar, "Pelmar.exe", t0, &pelmar);
    run.start = Now() - t0;
    run.id = pelmar.id;
    run.memory = 0;
    for (int i = 0; i < 20; ++i, Sleep(25))
        run.memory = PeakPrivate(pelmar.process, run.memory);
    RequestToExit(pelmar, run);
    if (!run.memory)
        Fail("the program's memory could not be read (GetProcessMemoryInfo)" +
             Account(&pelmar, Log));
}

// A trivial program's start, up to its first own call, and its end, from
// being told to end to its exit: what starting and ending any program of its
// kind costs. Also gives its peak private memory, read while it runs, as the
// program's is.
SIZE_T TrivialBaseline(const std::string &trivial, double &started, double &ended) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, TrivialReady);
    HANDLE end = CreateEventA(nullptr, TRUE, FALSE, TrivialEnd);
    SIZE_T memory = 0;
    DWORD woke = WAIT_FAILED, code = 1;
    {
        Started process;
        double t0 = Now();
        Start(Quoted(trivial), process);
        HANDLE waits[2] = {ready, process.process};
        woke = WaitForMultipleObjects(2, waits, FALSE, LimitMs);
        started = Now() - t0;
        for (int i = 0; woke == WAIT_OBJECT_0 && i < 5; ++i, Sleep(5))
            memory = PeakPrivate(process.process, memory);
        double t1 = Now();
        SetEvent(end);
        WaitForSingleObject(process.process, 5000);
        ended = Now() - t1;
        GetExitCodeProcess(process.process, &code);
    }
    CloseHandle(ready);
    CloseHandle(end);
    if (woke != WAIT_OBJECT_0 || code != 0)
        Fail("the trivial program did not run: its wait gave " + Number(woke) + ", its exit code " +
             Number(code));
    if (!memory)
        Fail("the trivial program's memory could not be read (GetProcessMemoryInfo)");
    return memory;
}

// The receiver's start as the program makes it, up to its first message
// wait; then 1827 sent as the program sends it, up to its line in the log,
// where a round's start is taken to end. Then stopped and closed, as the
// program does at its end.
void ReceiverBaseline(double &started, double &handled) {
    DeleteFileA(Log.c_str());
    Started receiver;
    double t0 = Now();
    Start(Quoted(Program + "\\DataCast.exe") + " /AdamsCtl", receiver, true);
    DWORD idle = WaitForInputIdle(receiver.process, LimitMs);
    started = Now() - t0;
    if (idle != 0)
        Fail("the receiver did not reach its first message wait: WaitForInputIdle gave " +
             Number(idle) + Account(nullptr, Log));
    HWND window = FindWindowA(nullptr, ReceiverTitle);
    if (!window)
        Fail("the receiver shows no window \"" + std::string(ReceiverTitle) + "\"" +
             Account(nullptr, Log));
    double t1 = Now();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, ReceiverStart, (WPARAM)window, 0,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &result))
        Fail("the receiver did not answer 1827" + Account(nullptr, Log));
    WaitForLog("message 1827", receiver, "the receiver", t1, nullptr);
    handled = Now() - t1;
    SendMessageTimeoutA(window, ReceiverStop, (WPARAM)window, 0, SMTO_ABORTIFHUNG, 5000, &result);
    SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    WaitForSingleObject(receiver.process, 5000);
}

// A bare start-up copy: every file of the folder into its Temp, one
// CopyFileA each. Also gives the time of emptying Temp again, as the
// program's end must.
double BareCopy(double &removal) {
    FillAdamsFolder();
    double t0 = Now();
    CreateDirectoryA(Temp.c_str(), nullptr);
    for (const std::string &name : Listing(Adams))
        if (!CopyFileA((Adams + "\\" + name).c_str(), (Temp + "\\" + name).c_str(), FALSE))
            Fail("the baseline's copy of " + name + " failed: error " + Number(GetLastError()));
    double copied = Now();
    RemoveFiles(Temp);
    removal = Now() - copied;
    if (!Listing(Temp).empty())
        Fail("the baseline could not empty " + Temp);
    return copied - t0;
}

double EndBaseline() {
    FillAdamsFolder();
    CreateDirectoryA(Temp.c_str(), nullptr);
    double t0 = Now();
    CheckDayFiles();
    std::string source = Adams + "\\Ep000001.tct";
    DecodeReceivedFile(&source[0], (EpgTemp + "\\Ep000001.tch").c_str());
    return Now() - t0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Every round's figures and its own baselines' parts, taken right after it,
// so that a machine that slows down or speeds up between rounds moves both.
struct Figures {
    std::vector<double> starts, ends, ticks;
    std::vector<double> trivials, receivers, messages, copies; // the start's baseline
    std::vector<double> passes, removals, exits;               // the end's baseline
    std::vector<double> startBases, endBases, startRatios, endRatios;
    SIZE_T memory = 0, trivialMemory = 0;
};

void MeasureRound(const std::string &trivial, Figures &f) {
    Run run = {};
    RunOnce(run);
    f.memory = std::max(f.memory, run.memory);
    double trivialStart = 0, trivialEnd = 0;
    f.trivialMemory = std::max(f.trivialMemory, TrivialBaseline(trivial, trivialStart, trivialEnd));
    double receiver = 0, message = 0, removal = 0;
    ReceiverBaseline(receiver, message);
    double copy = BareCopy(removal);
    double pass = EndBaseline();
    double startBase = trivialStart + receiver + message + copy,
           endBase = pass + removal + trivialEnd;
    f.starts.push_back(run.start);
    f.ends.push_back(run.end);
    f.ticks.push_back(run.tick);
    f.trivials.push_back(trivialStart);
    f.receivers.push_back(receiver);
    f.messages.push_back(message);
    f.copies.push_back(copy);
    f.passes.push_back(pass);
    f.removals.push_back(removal);
    f.exits.push_back(trivialEnd);
    f.startBases.push_back(startBase);
    f.endBases.push_back(endBase);
    f.startRatios.push_back(run.start / startBase);
    f.endRatios.push_back(run.end / endBase);
}

void Report(const Figures &f) {
    auto ms = [](const std::vector<double> &values) { return Median(values) * 1000; };
    printf("%s program; installation: %d stations, %d day files and the schedule in the ADAMS "
           "folder; %d rounds, medians; each ratio is the median of the rounds' ratios\n",
           sizeof(void *) == 4 ? "32-bit" : "64-bit", Stations, Stations * 9 * 3, Rounds);
    printf("start to 1827:       %7.1f ms   baseline %7.1f ms   ratio %.2f (target 1.2)\n",
           ms(f.starts), ms(f.startBases), Median(f.startRatios));
    printf("  baseline: a trivial program's start %.1f + receiver's start to its first message "
           "wait %.1f + 1827 to the receiver's log %.1f + copy of %d files into Temp %.1f ms\n",
           ms(f.trivials), ms(f.receivers), ms(f.messages), Stations * 27 + 1, ms(f.copies));
    printf("request to exit:     %7.1f ms   baseline %7.1f ms   ratio %.2f (target 1.2)\n",
           ms(f.ends), ms(f.endBases), Median(f.endRatios));
    printf("  baseline: completeness pass + schedule's decode %.1f + emptying Temp %.1f + a "
           "trivial program's end %.1f ms; the receiver's stop message came %.1f ms after the "
           "request\n",
           ms(f.passes), ms(f.removals), ms(f.exits), ms(f.ticks));
    printf("peak private memory: %7.1f MiB   a trivial program's %.1f MiB\n", f.memory / 1048576.0,
           f.trivialMemory / 1048576.0);
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

// The program alone, under the relay trace: the split of its start.
void Trace(const std::string &traceFile) {
    std::vector<double> starts, steps[StartSteps];
    std::vector<DWORD> ids;
    for (int round = 0; round < TraceRounds; ++round) {
        Run run = {};
        RunOnce(run);
        starts.push_back(run.start);
        ids.push_back(run.id);
    }
    std::vector<std::string> trace = Lines(ReadShared(traceFile));
    std::vector<double> totals;
    for (DWORD id : ids) {
        double split[StartSteps];
        std::string missing;
        if (!SplitStart(trace, GetCurrentProcessId(), id, split, missing))
            Fail("the trace " + traceFile + " lacks " + missing + " for process " + Number(id));
        double total = 0;
        for (int s = 0; s < StartSteps; ++s) {
            steps[s].push_back(split[s]);
            total += split[s];
        }
        totals.push_back(total);
    }
    printf("start's split (relay trace of the calls that mark each step, %d rounds, medians; "
           "traced start %.0f ms to 1827's log line, %.0f ms to 1827 handled):\n",
           TraceRounds, Median(starts) * 1000, Median(totals) * 1000);
    for (int s = 0; s < StartSteps; ++s)
        printf("  %6.0f ms  %s%s\n", Median(steps[s]) * 1000, StartStepList[s].name,
               StartStepList[s].inBaseline ? "  [baseline]" : "");
}
} // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 2 && std::string(argv[1]) == "--trace-calls") {
        printf("%s\n", StartTraceCalls);
        return 0;
    }
    try {
        CheckNoneRunning();
        Install();
        if (argc == 3 && std::string(argv[1]) == "--trace") {
            Trace(argv[2]);
            return 0;
        }
        std::string trivial = BinFolder() + "\\bench_trivial.exe";
        Figures figures;
        for (int round = 0; round < Rounds; ++round)
            MeasureRound(trivial, figures);
        Report(figures);
        return 0;
    } catch (const Failure &failure) {
        fprintf(stderr, "run_bench: %s\n", failure.what.c_str());
        EndLeftReceiver();
        return 1;
    }
}
