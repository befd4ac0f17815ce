#include "ReceivedCheck.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <ctime>

namespace {
constexpr UINT StartMessage = 1827;
constexpr UINT StopMessage = 1826;

struct Station {
    std::string prefix, name;
};
const Station feedStations[] = {{"TSTA", "テレビ東京"}, {"TS-B", "Test Station B"}};

HWND WaitForReceiver(DWORD processId) {
    return WaitForHiddenWindow(processId, ReceiverTitle);
}

bool WaitForFile(const std::string &path, DWORD milliseconds) {
    return WaitUntil([&] { return FileExists(path); }, milliseconds);
}

// "MMDD" of today and the seven following days, by the local calendar.
std::vector<std::string> WeekDateFields() {
    std::vector<std::string> fields;
    for (int d = 0; d < 8; ++d)
        fields.push_back(DateField(d));
    return fields;
}

std::vector<std::string> ExpectedAdamsFiles() {
    std::vector<std::string> names = {"Ep000001.tct"};
    for (const Station &station : feedStations)
        for (const std::string &field : WeekDateFields())
            for (const char *extension : {".ep1", ".ep2", ".ept"})
                names.push_back(station.prefix + field + extension);
    std::sort(names.begin(), names.end());
    return names;
}

class Receiver : public ::testing::Test {
protected:
    TempFolder adams{"adams"};
    TempFolder epgData{"epgdata"};
    TempFolder feedFolder{"feed"};

    void SetUp() override {
        ClearInstallationRegistry();
        DeleteRegistryTree(HKEY_CURRENT_USER, DataCastKeyPath);
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
        SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", epgData.Path());
        WriteFile(feedFolder / "feed.txt", "# two stations, three windows\r\n"
                                           "station TSTA テレビ東京\r\n"
                                           "station TS-B Test Station B\r\n"
                                           "window 06:02 06:12\r\n"
                                           "window 12:32 12:42\r\n"
                                           "window 23:02 23:12\r\n");
        SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "FeedFile", feedFolder / "feed.txt");
        SetPace(20);
    }
    void TearDown() override {
        ClearInstallationRegistry();
        DeleteRegistryTree(HKEY_CURRENT_USER, DataCastKeyPath);
    }

    void SetPace(DWORD milliseconds) {
        SetSwitch(DataCastKeyPath, "StepMilliseconds", milliseconds);
    }
    std::string Marker() const { return epgData / "Ep000001.tct"; }
    static std::string Command() { return BinFolder() + "\\DataCast.exe /AdamsCtl"; }
    // Sent the way the EPG program sends it: synchronously, with the window's own handle.
    static LRESULT Send(HWND window, UINT message) {
        return SendMessageA(window, message, (WPARAM)window, 0);
    }
};
} // namespace

TEST_F(Receiver, WritesACompleteDecodableWeekOnTheStartMessage) {
    ChildProcess receiver(Command());
    HWND window = WaitForReceiver(receiver.Id());
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(window, FindWindowA(nullptr, ReceiverTitle));

    EXPECT_EQ(0, Send(window, StartMessage));
    ASSERT_TRUE(WaitForFile(Marker(), 10000));
    EXPECT_TRUE(WrittenToday(Marker()));
    EXPECT_EQ(ExpectedAdamsFiles(), ListFolder(adams.Path()));

    std::string schedule;
    ASSERT_TRUE(
        DecodeForCheck(ReadWholeFile(adams / "Ep000001.tct"), OtherFileHeader, false, schedule));
    EXPECT_EQ("06020612\n12321242\n23022312\n", schedule);
    for (const Station &station : feedStations)
        for (const std::string &field : WeekDateFields()) {
            std::string base = adams / (station.prefix + field), content;
            ASSERT_TRUE(DecodeForCheck(ReadWholeFile(base + ".ep1"), DayFileHeader, true, content))
                << base;
            ASSERT_GT(content.size(), 12 + station.name.size());
            EXPECT_EQ(station.name.size(), (uint8_t)content[11]) << base;
            EXPECT_EQ(station.name, content.substr(12, station.name.size())) << base;
            for (const char *extension : {".ep2", ".ept"}) {
                ASSERT_TRUE(
                    DecodeForCheck(ReadWholeFile(base + extension), DayFileHeader, true, content))
                    << base << extension;
                EXPECT_FALSE(content.empty());
            }
        }

    // A second receiver gives way to the running one.
    ChildProcess second(Command());
    EXPECT_EQ(1, second.Wait(10000));
}

TEST_F(Receiver, StopMessageStopsTheWritingAndTheNextStartBeginsAfresh) {
    SetPace(300);
    ChildProcess receiver(Command());
    HWND window = WaitForReceiver(receiver.Id());
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(0, Send(window, StartMessage));
    ASSERT_TRUE(WaitForFile(adams / "Ep000001.tct", 5000));
    EXPECT_EQ(0, Send(window, StopMessage));
    std::vector<std::string> atStop = ListFolder(adams.Path());
    Sleep(1500); // five steps' time
    EXPECT_EQ(atStop, ListFolder(adams.Path()));
    EXPECT_LT(atStop.size(), ExpectedAdamsFiles().size());
    EXPECT_FALSE(FileExists(Marker()));

    SetPace(20);
    EXPECT_EQ(0, Send(window, StartMessage));
    ASSERT_TRUE(WaitForFile(Marker(), 10000));
    EXPECT_EQ(ExpectedAdamsFiles(), ListFolder(adams.Path()));
}

TEST_F(Receiver, CloseMessageEndsTheReceiverEvenWhileReceiving) {
    SetPace(500);
    SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "Log", feedFolder / "receiver.log");
    ChildProcess receiver(Command());
    HWND window = WaitForReceiver(receiver.Id());
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(0, Send(window, StartMessage));
    EXPECT_EQ(0, Send(window, WM_CLOSE));
    EXPECT_EQ(0, receiver.Wait(5000));
    EXPECT_FALSE(FindWindowA(nullptr, ReceiverTitle));
    EXPECT_FALSE(FileExists(Marker()));

    // The one thread of the receiver wrote every line.
    std::string log = ReadWholeFile(feedFolder / "receiver.log");
    std::string prefix = log.substr(0, log.find(' ', log.find(' ') + 1) + 1);
    EXPECT_EQ(0u, prefix.find(std::to_string(receiver.Id()) + " ")) << log;
    char handle[32];
    snprintf(handle, sizeof handle, "0x%llx", (unsigned long long)(UINT_PTR)window);
    EXPECT_EQ(prefix + "start \"" + Command() + "\"\n" + prefix + "message 1827 wParam=" + handle +
                  " lParam=0x0 -> 0\n" + prefix + "message WM_CLOSE wParam=" + handle +
                  " lParam=0x0 -> 0\n" + prefix + "exit 0\n",
              log);
}

TEST_F(Receiver, WithoutItsFoldersOrAFeedNothingIsReceived) {
    ChildProcess receiver(Command());
    HWND window = WaitForReceiver(receiver.Id());
    ASSERT_NE(nullptr, window);

    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\ﾉｰﾍﾞﾙ");
    EXPECT_EQ(1, Send(window, StartMessage));
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams / "missing");
    EXPECT_EQ(1, Send(window, StartMessage));
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell");
    EXPECT_EQ(1, Send(window, StartMessage));
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", epgData.Path());
    WriteFile(feedFolder / "feed.txt", "station TOOLONG name\r\n");
    EXPECT_EQ(1, Send(window, StartMessage));
    SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "FeedFile", feedFolder / "missing.txt");
    EXPECT_EQ(1, Send(window, StartMessage));
    Sleep(200);
    EXPECT_TRUE(ListFolder(adams.Path()).empty());
    EXPECT_TRUE(ListFolder(epgData.Path()).empty());

    // Without a feed file the built-in feed is received.
    DeleteRegistryTree(HKEY_CURRENT_USER, DataCastKeyPath);
    SetPace(20);
    EXPECT_EQ(0, Send(window, StartMessage));
    ASSERT_TRUE(WaitForFile(Marker(), 10000));
    EXPECT_GT(ListFolder(adams.Path()).size(), 8u * 3u);
}

TEST_F(Receiver, AFileThatStaysHeldEndsTheReceptionWithoutMarkingItComplete) {
    std::string held = adams / ("TSTA" + WeekDateFields()[3] + ".ep1");
    WriteFile(held, "held by a reader");
    SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "Log", feedFolder / "receiver.log");
    auto notedSteps = [&] {
        std::string log = ReadWholeFile(feedFolder / "receiver.log"), steps;
        for (size_t at = log.find("note step "); at != std::string::npos;
             at = log.find("note step ", at + 1))
            steps += log.substr(at + 10, log.find(' ', at + 10) - at - 10) + " ";
        return steps;
    };
    ChildProcess receiver(Command());
    HWND window = WaitForReceiver(receiver.Id());
    ASSERT_NE(nullptr, window);
    {
        HeldFile reader(held);
        ASSERT_EQ(0, Send(window, StartMessage));
        Sleep(1500);
        EXPECT_FALSE(FileExists(Marker()));
        EXPECT_FALSE(FileExists(adams / ("TSTA" + WeekDateFields()[4] + ".ep1")));
    }
    EXPECT_EQ("held by a reader", ReadWholeFile(held));
    // Each step is noted once all its files are written: the schedule and
    // three days, not the day of the held file.
    EXPECT_EQ("0 1 2 3 ", notedSteps());
    // Given up, not just waiting: once the file is free only a new start writes it.
    Sleep(300);
    EXPECT_FALSE(FileExists(Marker()));
    EXPECT_EQ(0, Send(window, StartMessage));
    ASSERT_TRUE(WaitForFile(Marker(), 10000));
    EXPECT_EQ(ExpectedAdamsFiles(), ListFolder(adams.Path()));
    for (int tries = 0; tries < 40 && notedSteps().size() < 28; ++tries)
        Sleep(50); // the last note follows the last file
    EXPECT_EQ("0 1 2 3 0 1 2 3 4 5 6 7 8 9 ", notedSteps());
}
