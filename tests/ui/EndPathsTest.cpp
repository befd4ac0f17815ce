// The whole dialog in the test's own process, for what cannot be seen or
// waited for from outside: an automatic run's end by the tick count, the window menu.
#include "App.h"
#include "Clock.h"
#include "DialogFixture.h"
#include "Rivolink.h"
#include "resource.h"
#include <stdexcept>

namespace {

class EndPathsTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        acquire.adamsChannel = 6;
        // The receiver sends nothing while a case runs.
        SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    }
    void TearDown() override {
        CloseReceivers();
        DialogFixture::TearDown();
    }
    bool TunerIsFree() {
        DWORD granted = 0;
        HANDLE resource = nullptr;
        char holder[64];
        if (RVL_OpenResource(&granted, &resource, RvlResourceTunerVbi, "Probe", 1, holder,
                             sizeof holder) != RvlOk ||
            !granted)
            return false;
        RVL_CloseResource(resource);
        return true;
    }
};

TEST_F(EndPathsTest, AnAutomaticRunEndsThirtyMinutesAfterItsStartByTheTickCountAndOkOnlyMinimises) {
    acquire.autoMode = 1;
    // The tick count wraps ten minutes into the run; the PC clock reads a known moment.
    const uint32_t started = 0xFFFFFFFFu - 10 * 60 * 1000;
    const uint32_t runTicks = 30 * 60 * 1000;
    const time_t start = LocalMoment(2027, 3, 10, 9, 0);
    SetCurrentTickCount(started);
    SetCurrentTime(start);
    WriteGuideData(start - 86400);
    WriteSchedule(ScheduleRecords(HourlyWindows(6, 8)));
    COpenDialog run;
    ASSERT_TRUE(run.Create(IDD_EPGMAIN_DIALOG));
    ASSERT_EQ(1u, acquire.tunerHeld);
    ASSERT_EQ(1u, acquire.receiverRunning);
    EXPECT_TRUE(IsIconic(run.m_hWnd));
    // Restored, it would be a 370 x 298 window.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(run.m_hWnd, &placement));
    EXPECT_EQ(370, placement.rcNormalPosition.right - placement.rcNormalPosition.left);
    EXPECT_EQ(298, placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
    EXPECT_EQ(start + 30 * 60, acquire.deadline);

    // OK only puts the run out of the way.
    ShowWindow(run.m_hWnd, SW_RESTORE);
    run.OnOK();
    EXPECT_TRUE(IsIconic(run.m_hWnd));
    EXPECT_EQ(0u, acquire.stopRequested);

    // Its ticks leave it running.
    PumpMessages(2500);
    ASSERT_TRUE(IsWindow(run.m_hWnd));
    EXPECT_NE(0u, acquire.timerId);

    // The PC clock is set hours forward, then hours back: the run goes on.
    for (time_t moved : {start + 5 * 3600, start - 5 * 3600}) {
        SetCurrentTime(moved);
        run.OnTimer(AcquireTimerId);
        ASSERT_TRUE(IsWindow(run.m_hWnd)) << (moved - start) / 3600 << " hours";
    }
    SetCurrentTickCount(started + runTicks - 1);
    run.OnTimer(AcquireTimerId);
    ASSERT_TRUE(IsWindow(run.m_hWnd));

    // Thirty minutes by the tick count: the tick ends the run, tuner and
    // receiver given back, the next start and the broadcast windows renewed.
    SetCurrentTickCount(started + runTicks);
    run.OnTimer(AcquireTimerId);
    EXPECT_FALSE(IsWindow(run.m_hWnd));
    EXPECT_EQ(1u, acquire.stopRequested);
    EXPECT_EQ(0u, acquire.tunerHeld);
    EXPECT_EQ(0u, acquire.receiverRunning);
    EXPECT_TRUE(TunerIsFree());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    // Today's data never came: the next start is today, 10 March 2027, a Wednesday.
    ScheduleRecord stored = StoredRecord();
    EXPECT_EQ((std::vector<uint16_t>{2027, 3, 4, 10, 0, 0, 0, 0}),
              std::vector<uint16_t>(stored.nextStart, stored.nextStart + 8));
    EXPECT_EQ(6, StoredTable().entries[0].startHour);
}

// A handler that fails in a way that nothing expected.
class FailingRun : public COpenDialog {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override {
        if (message == WM_APP + 1)
            throw std::runtime_error("nothing expected this");
        return COpenDialog::OnMessage(message, wParam, lParam, result);
    }
};

class TestApp : public CWinApp {};

// Whatever fails, the run ends with the receiver stopped and the tuner free:
// silently when unattended, with one message for a user.
TEST_F(EndPathsTest, AFailureThatNothingExpectedEndsTheRunWithTheTunerGivenBack) {
    TestApp app;
    app.SetTitleFromModule();
    WriteGuideData(time(nullptr)); // today's: a manual start has no message of its own
    WriteSchedule(ScheduleRecords(HourlyWindows(6, 8)));
    for (uint32_t automatic : {1u, 0u}) {
        SCOPED_TRACE(automatic ? "automatic" : "manual");
        acquire = AcquireContext{};
        acquire.adamsChannel = 6;
        acquire.autoMode = automatic;
        BoxAnswerer user(app.Title());
        FailingRun run;
        ASSERT_TRUE(run.Create(IDD_EPGMAIN_DIALOG));
        ASSERT_EQ(1u, acquire.receiverRunning);
        PostMessageA(run.m_hWnd, WM_APP + 1, 0, 0);
        PumpMessages(1500);
        EXPECT_FALSE(IsWindow(run.m_hWnd));
        EXPECT_EQ(0u, acquire.tunerHeld);
        EXPECT_TRUE(TunerIsFree());
        EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
        std::vector<MessageBoxView> seen = user.Seen();
        if (automatic) {
            EXPECT_TRUE(seen.empty());
        } else {
            ASSERT_EQ(1u, seen.size());
            EXPECT_EQ("予期しないエラーが発生したため、EPGデータの取得を中止します。",
                      seen[0].text);
            EXPECT_EQ((UINT)MB_ICONSTOP, seen[0].icon);
        }
    }
}

TEST_F(EndPathsTest, AManualStartWithTodaysDataShowsTheStoredChoiceAndStartsNoTimer) {
    WriteGuideData(time(nullptr));
    WriteSchedule(ScheduleRecords(HourlyWindows(6, 8)));
    ScheduleRecord stored = {};
    stored.enabled = 1;
    stored.dailyWindow[0] = 7;
    stored.dailyWindow[2] = 8;
    stored.flags = FlagAutoTimeAdjust;
    ASSERT_EQ(0, WriteScheduleRecord(&stored));
    COpenDialog run;
    ASSERT_TRUE(run.Create(IDD_EPGMAIN_DIALOG));

    // The window menu: the version item after a separator; no Maximize, no Size.
    HMENU menu = GetSystemMenu(run.m_hWnd, FALSE);
    int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(IDM_VERSIONINFO, (int)GetMenuItemID(menu, count - 1));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    char item[64] = {};
    GetMenuStringA(menu, count - 1, item, sizeof item, MF_BYPOSITION);
    EXPECT_STREQ("Pelmar \x82\xCC\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&A)...", item);
    EXPECT_EQ(-1, (int)GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(-1, (int)GetMenuState(menu, SC_SIZE, MF_BYCOMMAND));
    EXPECT_NE(-1, (int)GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND));
    EXPECT_EQ((LRESULT)run.appIcon, SendMessageA(run.m_hWnd, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ((LRESULT)run.appIcon, SendMessageA(run.m_hWnd, WM_GETICON, ICON_SMALL, 0));

    // The stored daily choice, its window and the options; no timer waits for data.
    EXPECT_EQ(1, run.receiveMode);
    EXPECT_TRUE(IsDlgButtonChecked(run.m_hWnd, IDC_RADIO_DAILY));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(run.m_hWnd, IDC_START_HOUR)));
    EXPECT_EQ(1, (int)SendDlgItemMessageA(run.m_hWnd, IDC_START_HOUR, CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(IsDlgButtonChecked(run.m_hWnd, IDC_ALWAYS_RECEIVE));
    EXPECT_TRUE(IsDlgButtonChecked(run.m_hWnd, IDC_AUTO_ADJUST));
    EXPECT_EQ(0, acquire.deadline);
    EXPECT_EQ(1u, acquire.tunerHeld);
    EXPECT_EQ(1u, acquire.receiverRunning);

    run.OnCancel(); // ends without storing anything
    EXPECT_FALSE(IsWindow(run.m_hWnd));
    EXPECT_TRUE(TunerIsFree());
    EXPECT_EQ(0, StoredRecord().nextStart[0]);
}

} // namespace
