#include "TestSupport.h"
#include "Wakeplan.h"
#include "WakeplanStore.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
class Wakeplan : public ::testing::Test {
protected:
    TempFolder store{"wakeplan"};

    void SetUp() override {
        DeleteRegistryTree(HKEY_CURRENT_USER, WakeplanKeyPath);
        SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", store.Path());
    }
    void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, WakeplanKeyPath); }

    void SetSwitch(const char *name, DWORD value) { ::SetSwitch(WakeplanKeyPath, name, value); }
    // Runs wakeplan-show; its exit code, with what it printed.
    long Show(std::string &shown) {
        TempFolder out("wakeplan-show");
        ChildProcess show(BinCommand("wakeplan-show.exe"), "", out / "shown.txt");
        long exitCode = show.Wait(10000);
        shown = show.Output();
        return exitCode;
    }
};

ScheduleRecord SampleRecord() {
    ScheduleRecord record;
    for (size_t i = 0; i < sizeof record; ++i)
        ((uint8_t *)&record)[i] = (uint8_t)(i * 7 + 1);
    record.enabled = 1;
    uint16_t window[4] = {6, 10, 23, 50};
    memcpy(record.dailyWindow, window, sizeof window);
    uint16_t next[8] = {2026, 12, 4, 9, 6, 10, 0, 0};
    memcpy(record.nextStart, next, sizeof next);
    record.flags = FlagAlwaysReceiveAdams | 0x5;
    return record;
}

BroadcastTimeTable SampleTable() {
    BroadcastTimeTable table = {};
    table.entries[0] = {6, 2, 6, 12};
    table.entries[1] = {23, 32, 23, 42};
    return table;
}

bool SameRecord(const ScheduleRecord &a, const ScheduleRecord &b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

// A call of the library looked up by its ordinal; null when there is none.
template <typename Call> Call ByOrdinal(HMODULE library, WORD ordinal) {
    FARPROC found = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

std::string WriterCommand(const char *enabled, const char *flags) {
    return BinCommand("wakeplan-writer.exe", std::string(enabled) + " " + flags);
}
} // namespace

TEST_F(Wakeplan, CallsAreFoundByOrdinalOnly) {
    HMODULE library = LoadLibraryA((BinFolder() + "\\Wakeplan.dll").c_str());
    ASSERT_NE(nullptr, library);
    using RecordCall = int(__cdecl *)(ScheduleRecord *);
    auto read = ByOrdinal<RecordCall>(library, 9);
    auto write = ByOrdinal<RecordCall>(library, 6);
    auto set = ByOrdinal<int(__cdecl *)(BroadcastTimeTable *)>(library, 7);
    ASSERT_TRUE(read && write && set);
    EXPECT_EQ(nullptr, GetProcAddress(library, MAKEINTRESOURCEA(8)));
    for (const char *name :
         {"ReadScheduleRecord", "WriteScheduleRecord", "SetBroadcastTimes", "_ReadScheduleRecord"})
        EXPECT_EQ(nullptr, GetProcAddress(library, name)) << name;

    // Each ordinal does its own call: 6 stores, 9 reads back, 7 sets the table.
    SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Log", store / "calls.log");
    ScheduleRecord written = SampleRecord(), readBack = {};
    EXPECT_EQ(0, write(&written));
    EXPECT_EQ(0, read(&readBack));
    EXPECT_TRUE(SameRecord(written, readBack));
    BroadcastTimeTable table = SampleTable();
    table.entries[3] = {7, 2, 7, 12};
    EXPECT_EQ(0, set(&table));
    EXPECT_EQ(3, set(nullptr));
    std::string stored = ReadWholeFile(store / BroadcastFileName);
    ASSERT_EQ(sizeof table, stored.size());
    EXPECT_EQ(0, memcmp(&table, stored.data(), sizeof table));
    FreeLibrary(library);

    // The log names each call with the fields it was given or gave back.
    std::string fields = "enabled=1 window=06:10-23:50 next=2026/12/09 dow=4 "
                         "time=06:10:00.000 flags=0x80000005";
    std::string prefix =
        std::to_string(GetCurrentProcessId()) + " " + std::to_string(GetCurrentThreadId()) + " ";
    EXPECT_EQ(prefix + "WriteScheduleRecord " + fields + " -> 0\n" + prefix +
                  "ReadScheduleRecord -> 0 " + fields + "\n" + prefix +
                  "SetBroadcastTimes 06:02-06:12 23:32-23:42 free 07:02-07:12 -> 0\n" + prefix +
                  "SetBroadcastTimes (null) -> 3\n",
              ReadWholeFile(store / "calls.log"));
}

TEST_F(Wakeplan, ReadBeforeAnyWriteGivesAnAllZeroRecord) {
    ScheduleRecord record;
    memset(&record, 0xAA, sizeof record);
    EXPECT_EQ(0, ReadScheduleRecord(&record));
    ScheduleRecord zero = {};
    EXPECT_TRUE(SameRecord(zero, record));
    EXPECT_TRUE(ListFolder(store.Path()).empty());

    // Without a folder of its own in the registry the library uses one in
    // the user's application data, created on first write.
    DeleteRegistryTree(HKEY_CURRENT_USER, WakeplanKeyPath);
    std::string folder = WakeplanFolder();
    EXPECT_NE(std::string::npos, folder.find("\\PackageStandIns\\Wakeplan"));
}

TEST_F(Wakeplan, ARecordIsKeptAcrossProcesses) {
    ScheduleRecord written = SampleRecord();
    ASSERT_EQ(0, WriteScheduleRecord(&written));
    ScheduleRecord readBack = {};
    ASSERT_EQ(0, ReadScheduleRecord(&readBack));
    EXPECT_TRUE(SameRecord(written, readBack));

    ChildProcess writer(WriterCommand("0", "40000000"));
    ASSERT_EQ(0, writer.Wait(10000));
    ASSERT_EQ(0, ReadScheduleRecord(&readBack));
    EXPECT_EQ(0, readBack.enabled);
    EXPECT_EQ(FlagAutoTimeAdjust, readBack.flags);
    EXPECT_EQ(0x5A, readBack.untouched[0]);
    EXPECT_EQ(0x5A, readBack.reserved[23]);
    // Nothing but the record is left in the folder.
    EXPECT_EQ(std::vector<std::string>{ScheduleFileName}, ListFolder(store.Path()));

    // The demo's daily choice: zeros around a daily window, the next start today.
    ChildProcess demo(WriterCommand("1", "80000000") + " --window 06:00-24:00 --next today --zero");
    ASSERT_EQ(0, demo.Wait(10000));
    ASSERT_EQ(0, ReadScheduleRecord(&readBack));
    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_EQ(1, readBack.enabled);
    EXPECT_EQ(FlagAlwaysReceiveAdams, readBack.flags);
    EXPECT_EQ((std::vector<uint16_t>{6, 0, 24, 0}),
              std::vector<uint16_t>(readBack.dailyWindow, readBack.dailyWindow + 4));
    EXPECT_EQ((std::vector<uint16_t>{today.wYear, today.wMonth, (uint16_t)(today.wDayOfWeek + 1),
                                     today.wDay, 0, 0, 0, 0}),
              std::vector<uint16_t>(readBack.nextStart, readBack.nextStart + 8));
    EXPECT_EQ(0, readBack.untouched[0] | readBack.reserved[23]);
    ChildProcess wrong(WriterCommand("1", "0") + " --window 6-24");
    EXPECT_EQ(100, wrong.Wait(10000));
}

TEST_F(Wakeplan, ACrashDuringAWriteKeepsTheOldRecord) {
    ScheduleRecord old = SampleRecord();
    ASSERT_EQ(0, WriteScheduleRecord(&old));
    SetSwitch("CrashBeforeRename", 1);
    ChildProcess writer(WriterCommand("0", "0"));
    EXPECT_EQ(3, writer.Wait(10000)); // ended by the crash, not by returning
    SetSwitch("CrashBeforeRename", 0);

    ScheduleRecord readBack = {};
    ASSERT_EQ(0, ReadScheduleRecord(&readBack));
    EXPECT_TRUE(SameRecord(old, readBack));
    // The new record got as far as its temporary file, and no further.
    std::vector<std::string> files = ListFolder(store.Path());
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(ScheduleFileName, files[0]);
    EXPECT_EQ(".new", files[1].substr(files[1].size() - 4));
    // The next write goes through and the leftover does not disturb reading.
    ChildProcess next(WriterCommand("1", "0"));
    ASSERT_EQ(0, next.Wait(10000));
    ASSERT_EQ(0, ReadScheduleRecord(&readBack));
    EXPECT_EQ(1, readBack.enabled);
}

TEST_F(Wakeplan, FaultSwitchesFailTheirCallAndChangeNothing) {
    ScheduleRecord old = SampleRecord();
    BroadcastTimeTable oldTable = SampleTable();
    ASSERT_EQ(0, WriteScheduleRecord(&old));
    ASSERT_EQ(0, SetBroadcastTimes(&oldTable));

    SetSwitch("FailRead", 1);
    ScheduleRecord record;
    memset(&record, 0xAA, sizeof record);
    EXPECT_EQ(1, ReadScheduleRecord(&record));
    // A switch's value is the failing call's result.
    SetSwitch("FailRead", 6);
    EXPECT_EQ(6, ReadScheduleRecord(&record));
    EXPECT_EQ(0xAA, record.untouched[0]);
    EXPECT_EQ(0xAAAAu, record.enabled);
    SetSwitch("FailRead", 0);

    SetSwitch("FailWrite", 1);
    ScheduleRecord changed = {};
    EXPECT_EQ(1, WriteScheduleRecord(&changed));
    SetSwitch("FailSet", 7);
    BroadcastTimeTable empty = {};
    EXPECT_EQ(7, SetBroadcastTimes(&empty));
    // Each switch fails only its own call.
    EXPECT_EQ(0, ReadScheduleRecord(&record));
    EXPECT_TRUE(SameRecord(old, record));
    DeleteRegistryTree(HKEY_CURRENT_USER, WakeplanKeyPath);
    SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", store.Path());
    EXPECT_EQ(0,
              memcmp(&oldTable, ReadWholeFile(store / BroadcastFileName).data(), sizeof oldTable));
    EXPECT_EQ(0, SetBroadcastTimes(&empty));
}

TEST_F(Wakeplan, StorageThatCannotBeUsedIsReportedAsAFailure) {
    EXPECT_NE(0, ReadScheduleRecord(nullptr));
    EXPECT_NE(0, WriteScheduleRecord(nullptr));
    EXPECT_NE(0, SetBroadcastTimes(nullptr));

    // A stored record of the wrong size is not passed off as a record.
    WriteFile(store / ScheduleFileName, "short");
    ScheduleRecord record;
    memset(&record, 0xAA, sizeof record);
    EXPECT_NE(0, ReadScheduleRecord(&record));
    EXPECT_EQ(0xAA, record.untouched[0]);

    // A folder that is a file cannot be written to.
    WriteFile(store / "plain-file", "x");
    SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", store / "plain-file");
    ScheduleRecord sample = SampleRecord();
    EXPECT_NE(0, WriteScheduleRecord(&sample));
    BroadcastTimeTable table = SampleTable();
    EXPECT_NE(0, SetBroadcastTimes(&table));

    // A folder that does not exist yet is made, parents included.
    SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", store / "ソフト\\表示");
    EXPECT_EQ(0, WriteScheduleRecord(&sample));
    EXPECT_TRUE(FileExists(store / "ソフト\\表示\\" + ScheduleFileName));
}

TEST_F(Wakeplan, ShowToolPrintsTheRecordAndTheWindows) {
    ScheduleRecord record = SampleRecord();
    BroadcastTimeTable table = SampleTable();
    ASSERT_EQ(0, WriteScheduleRecord(&record));
    ASSERT_EQ(0, SetBroadcastTimes(&table));
    std::string shown;
    EXPECT_EQ(0, Show(shown));
    for (const char *expected :
         {"enabled:        1 (daily automatic acquisition)", "daily window:   06:10 - 23:50",
          "next start:     2026/12/09 (Wed, day of week 4) 06:10:00.000",
          "flags:          0x80000005", "(bit 31): yes", "(bit 30):      no",
          "broadcast windows: 2 of 15 in use", " 1:  6:02 -  6:12", " 2: 23:32 - 23:42", " 3: free",
          "15: free"})
        EXPECT_NE(std::string::npos, shown.find(expected)) << expected << "\n" << shown;

    WriteFile(store / BroadcastFileName, "torn");
    EXPECT_EQ(1, Show(shown));
}
