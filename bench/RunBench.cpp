// Times the real program under Wine in a full installation: 20 stations with
// eight days of ".ep1", ".ep2" and ".ept" files and 20 outdated day sets (540
// day files) in the ADAMS folder, yesterday's guide data, the real stand-ins.
// Each figure is printed with a baseline measured in the same run:
//  - start: from starting "Pelmar.exe Auto" to message 1827 reaching the
//    receiver, against starting a trivial program under the same Wine server
//    plus copying the same folder file by file;
//  - end: from a viewer's request for the tuner to the process's exit,
//    against one bare completeness pass plus one decode of the schedule, and
//    against that plus emptying a copy of the folder, which the program's
//    exit must do with its start-up copy;
//  - the program's peak private memory, against the trivial program's.
#include "BenchFiles.h"
#include "LocalTime.h"
#include "Completeness.h"
#include "DecodeReceivedFile.h"
#include "ReceivedEncoder.h"
#include "Rivolink.h"
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const std::string Root = "C:\\pelmar-bench\\run";
const std::string Program = Root + "\\program";
const std::string Adams = Root + "\\adams";
const std::string Copy = Root + "\\copy";
const std::string EpgData = Root + "\\epg-data";
const std::string EpgTemp = Root + "\\epg-temp";
const std::string Channels = Root + "\\channels";
const std::string Log = Root + "\\receiver.log";
constexpr int Stations = 20, Rounds = 9;

std::string Read(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    ReadFile(file, &content[0], (DWORD)content.size(), &done, nullptr);
    CloseHandle(file);
    return content;
}

void SetText(HKEY root, const char *key, const char *name, const std::string &value) {
    HKEY opened;
    RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    RegSetValueExA(opened, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(opened);
}

void SetNumber(const char *key, const char *name, DWORD value) {
    HKEY opened;
    RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                    nullptr);
    RegSetValueExA(opened, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
    RegCloseKey(opened);
}

std::string DateField(int days) {
    time_t moment = time(nullptr) + (time_t)days * 86400;
    tm fields;
    LocalFields(moment, fields);
    char field[8];
    snprintf(field, sizeof field, "%02d%02d", fields.tm_mon + 1, fields.tm_mday);
    return field;
}

std::string Encoded(ReceivedKind kind, const std::string &content) {
    std::string file;
    EncodeReceivedFile(kind, content, file);
    return file;
}

// The installation, and the ADAMS folder as a new day finds it.
void Install() {
    for (const std::string &folder :
         {std::string("C:\\pelmar-bench"), Root, Program, Adams, Copy, EpgData, EpgTemp, Channels})
        CreateDirectoryA(folder.c_str(), nullptr);
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string bin = module;
    bin = bin.substr(0, bin.find_last_of('\\'));
    for (const char *file : {"Pelmar.exe", "Rivolink.dll", "Wakeplan.dll", "DataCast.exe"})
        CopyFileA((bin + "\\" + file).c_str(), (Program + "\\" + file).c_str(), FALSE);
    SetText(HKEY_CURRENT_USER, "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\", "Adams-E", Adams);
    SetText(HKEY_LOCAL_MACHINE, "Software\\Norvell\\TunerDesk\\Channel\\", "Install Path",
            Channels);
    SetText(HKEY_LOCAL_MACHINE, "Software\\NORVELL\\TunerDesk\\EPG", "EPG Temp", EpgTemp + "\\");
    SetText(HKEY_LOCAL_MACHINE, "Software\\NORVELL\\TunerDesk\\EPG", "EPG data", EpgData);
    SetText(HKEY_CURRENT_USER, "Software\\PackageStandIns\\Wakeplan", "Folder",
            Root + "\\wakeplan");
    SetText(HKEY_CURRENT_USER, "Software\\PackageStandIns\\DataCast", "Log", Log);
    SetNumber("Software\\PackageStandIns\\DataCast", "StepMilliseconds", 600000);
    std::string table(64 * 12, '\0');
    table[5 * 64 + 40] = 1; // the ADAMS broadcast on channel 6
    Write(Channels + "\\ChTable.dat", table);
}

void FillAdamsFolder() {
    RemoveFiles(Adams + "\\Temp");
    RemoveDirectoryA((Adams + "\\Temp").c_str());
    RemoveFiles(Adams);
    std::string ep1 =
        Encoded(KindEp1, std::string(11, 'h') + "\x07Station" + std::string(4000, 'p'));
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
    Write(Adams + "\\Ep000001.tct", Encoded(KindTct, "06020612|07020712|19021912|"));
    Write(EpgData + "\\Ep000001.tct", "guide data");
    FILETIME yesterday;
    GetSystemTimeAsFileTime(&yesterday);
    ULARGE_INTEGER value = {{yesterday.dwLowDateTime, yesterday.dwHighDateTime}};
    value.QuadPart -= 86400ULL * 10000000ULL;
    yesterday = {value.LowPart, value.HighPart};
    HANDLE mark = CreateFileA((EpgData + "\\Ep000001.tct").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(mark, &yesterday, nullptr, &yesterday);
    CloseHandle(mark);
}

HANDLE Start(const std::string &commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

SIZE_T PeakPrivate(HANDLE process, SIZE_T peak) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&counters, sizeof counters))
        peak = std::max({peak, counters.PeakPagefileUsage, counters.PrivateUsage});
    return peak;
}

struct Run {
    double start, end, tick; // tick: from the request to the receiver's stop message
    SIZE_T memory;
};

// One automatic run: started, measured to 1827; asked for the tuner, measured to exit.
bool RunOnce(Run &run) {
    FillAdamsFolder();
    DeleteFileA(Log.c_str());
    double t0 = Now();
    HANDLE pelmar = Start("\"" + Program + "\\Pelmar.exe\" Auto");
    if (!pelmar)
        return false;
    run.memory = 0;
    while (Read(Log).find("message 1827") == std::string::npos) {
        if (Now() - t0 > 30)
            return false;
        Sleep(1);
    }
    run.start = Now() - t0;
    for (int i = 0; i < 20; ++i, Sleep(25))
        run.memory = PeakPrivate(pelmar, run.memory);

    double t1 = Now();
    DWORD granted = 0;
    HANDLE resource = nullptr;
    char holder[64];
    RVL_OpenResource(&granted, &resource, RvlResourceTunerVbi, "Bench viewer", 2, holder,
                     sizeof holder);
    run.tick = 0;
    while (WaitForSingleObject(pelmar, 1) == WAIT_TIMEOUT) {
        run.memory = PeakPrivate(pelmar, run.memory);
        if (!run.tick && Read(Log).find("message 1826") != std::string::npos)
            run.tick = Now() - t1;
        if (Now() - t1 > 30)
            return false;
    }
    run.end = Now() - t1;
    if (granted)
        RVL_CloseResource(resource);
    CloseHandle(pelmar);
    return true;
}

// Also gives the time of emptying the copy again, as the program's exit does.
// Also gives the trivial program's peak private memory.
double StartBaseline(const std::string &trivial, double &removal, SIZE_T &memory) {
    FillAdamsFolder();
    RemoveFiles(Copy);
    double t0 = Now();
    HANDLE process = Start(trivial);
    WaitForSingleObject(process, INFINITE);
    memory = PeakPrivate(process, memory);
    CloseHandle(process);
    for (const std::string &name : Listing(Adams))
        CopyFileA((Adams + "\\" + name).c_str(), (Copy + "\\" + name).c_str(), FALSE);
    double copied = Now();
    RemoveFiles(Copy);
    removal = Now() - copied;
    return copied - t0;
}

double EndBaseline() {
    FillAdamsFolder();
    CreateDirectoryA((Adams + "\\Temp").c_str(), nullptr);
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
} // namespace

int main(int argc, char **) {
    if (argc > 1) // started as the trivial program of the baseline
        return 0;
    Install();
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string trivial = "\"" + std::string(module) + "\" --trivial";
    // Each round's figure is divided by its own baselines, taken right after
    // it, so that a machine that slows down or speeds up between rounds
    // moves both; the medians of those ratios are printed.
    std::vector<double> starts, ends, ticks, startBases, endBases, removals, withRemovals;
    std::vector<double> startRatios, endRatios, withRatios;
    SIZE_T memory = 0, trivialMemory = 0;
    for (int round = 0; round < Rounds; ++round) {
        Run run = {};
        if (!RunOnce(run)) {
            fprintf(stderr, "run-bench: round %d did not complete\n", round);
            return 1;
        }
        memory = std::max(memory, run.memory);
        double removal = 0;
        double startBase = StartBaseline(trivial, removal, trivialMemory), endBase = EndBaseline();
        starts.push_back(run.start);
        ends.push_back(run.end);
        ticks.push_back(run.tick);
        startBases.push_back(startBase);
        endBases.push_back(endBase);
        removals.push_back(removal);
        withRemovals.push_back(endBase + removal);
        startRatios.push_back(run.start / startBase);
        endRatios.push_back(run.end / endBase);
        withRatios.push_back(run.end / (endBase + removal));
    }
    printf("%s program; installation: %d stations, %d day files and the schedule in the ADAMS "
           "folder, %d rounds, medians\n",
           sizeof(void *) == 4 ? "32-bit" : "64-bit", Stations, Stations * 9 * 3, Rounds);
    printf("start to 1827:       %7.1f ms   baseline %7.1f ms (trivial start + copy)   ratio %.2f "
           "(target 1.5)\n",
           Median(starts) * 1000, Median(startBases) * 1000, Median(startRatios));
    // The end's baseline is the work the program must do before it exits:
    // the completeness pass, the schedule's decode and emptying its start-up
    // copy of the folder.
    printf("request to exit:     %7.1f ms   baseline %7.1f ms (pass + decode + emptying a copy, "
           "%.1f ms of it)   ratio %.2f\n",
           Median(ends) * 1000, Median(withRemovals) * 1000, Median(removals) * 1000,
           Median(withRatios));
    printf("  of which to the receiver's stop message: %.1f ms; against pass + decode alone "
           "(%.1f ms): ratio %.2f\n",
           Median(ticks) * 1000, Median(endBases) * 1000, Median(endRatios));
    printf("peak private memory: %7.1f MiB   a trivial program's %.1f MiB\n", memory / 1048576.0,
           trivialMemory / 1048576.0);
    return 0;
}
