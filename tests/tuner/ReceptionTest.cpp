#include "AbortNoticeDlg.h"
#include "AcquireContext.h"
#include "PartsDialog.h"
#include "Reception.h"
#include "Switches.h"
#include "TestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

constexpr int32_t Untouched = 12345; // a lastResult that no library call gives

class ReceptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearInstallationRegistry();
        acquire = AcquireContext{};
        acquire.adamsChannel = 6;
    }
    void TearDown() override {
        ClearInstallationRegistry();
        if (resource)
            RVL_CloseResource(resource);
    }
    // Takes the tuner as the program does and lets the callback know.
    void HoldTuner() {
        DWORD granted = 0;
        char holder[64];
        ASSERT_EQ(0, RVL_OpenResource(&granted, &resource, RvlResourceTunerVbi, TunerOwnerName, 1,
                                      holder, sizeof holder));
        ASSERT_EQ(1u, granted);
        acquire.resourceHandle = resource;
        acquire.tunerHeld = 1;
    }
    bool StillHeld() { return RVL_SetChannel(6) == RvlOk; }
    TunerRequest Ask(const std::string &name, uint32_t level) {
        TunerRequest request = {};
        request.requestLevel = level;
        memcpy(request.programName, name.data(), std::min<size_t>(name.size(), 256));
        request.answer = 99;
        TunerCallback(RvlEventRequest, (UINT_PTR)&request, 0);
        return request;
    }
    HANDLE resource = nullptr;
};

TEST_F(ReceptionTest, RequestsAreAnsweredByTheirLevelAndOnlyANewAskerTakesTheTuner) {
    HoldTuner();
    acquire.lastResult = Untouched;
    // Not insisting: refused with this program's own name, nothing else changes.
    TunerRequest request = Ask("Viewer A", 1);
    EXPECT_EQ(0u, request.answer);
    EXPECT_STREQ(TunerOwnerName, request.replyName);
    EXPECT_STREQ("", acquire.requesterName);
    // A first request with an empty name matches the empty remembered name.
    EXPECT_EQ(1u, Ask("", 2).answer);
    EXPECT_EQ(0u, acquire.callbackEvent);
    EXPECT_EQ(Untouched, acquire.lastResult);
    EXPECT_TRUE(StillHeld());

    // A new asker: the resource is closed here, the rest waits for the dialog's
    // tick, which is posted at once while the dialog's timer runs.
    CPartsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EPGMAIN_DIALOG));
    acquire.tickWindow = dialog.m_hWnd;
    EXPECT_EQ(1u, Ask("Viewer A", 2).answer);
    EXPECT_EQ(9u, acquire.callbackEvent);
    MSG tick = {};
    EXPECT_TRUE(PeekMessageA(&tick, dialog.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(AcquireTimerId, tick.wParam);
    EXPECT_EQ(nullptr, acquire.tickWindow);
    EXPECT_STREQ("Viewer A", acquire.requesterName);
    EXPECT_STREQ("Viewer A", acquire.noticeName);
    EXPECT_EQ(RvlOk, acquire.lastResult);
    EXPECT_FALSE(StillHeld());
    EXPECT_EQ(1u, acquire.tunerHeld); // cleared by the follow-up
    resource = nullptr;

    // The same asker again: answered, nothing done.
    acquire.lastResult = Untouched;
    EXPECT_EQ(1u, Ask("Viewer A", 3).answer);
    EXPECT_EQ(Untouched, acquire.lastResult);
    // A second asker before the follow-up: closed once more, and it is the one named.
    EXPECT_EQ(1u, Ask("Viewer B", 2).answer);
    EXPECT_EQ(RvlErrorHandle, acquire.lastResult); // the handle closed a moment ago
    EXPECT_STREQ("Viewer B", acquire.noticeName);
    // The tick already posted serves both: no second one comes.
    EXPECT_FALSE(PeekMessageA(&tick, dialog.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));

    // The follow-up of a manual run at that tick: the dialog's registration is
    // withdrawn, twice, before the one notice, which names the second asker.
    ASSERT_EQ(RvlOk, RVL_OpenEx(TunerCallback, RvlOpenNotify, &acquire.callbackHandle, &dialog));
    TempFolder logs("reception-log");
    SetRegistryText(HKEY_CURRENT_USER, RivolinkKeyPath, "Log", logs / "tuner.log");
    const std::string log = logs / "tuner.log";
    std::string logAtNotice = "(no notice)";
    {
        DialogWatch watch(false,
                          [&](HWND) { logAtNotice = FileExists(log) ? ReadWholeFile(log) : ""; });
        dialog.YieldAfterRequest();
        EXPECT_EQ(1, watch.Count());
    }
    EXPECT_EQ(2u, LogLines(logAtNotice, "RVL_CallBackClose ").size());
    EXPECT_EQ(0u,
              LogLines(logAtNotice, "RVL_CloseResource").size()); // closed by the callback already
    ASSERT_NE(nullptr, dialog.noticeDialog);
    EXPECT_EQ("Viewer B", WindowText(GetDlgItem(dialog.noticeDialog->m_hWnd, IDC_NOTICE_NAME)));
    EXPECT_EQ(0u, acquire.tunerHeld);
    EXPECT_EQ(0u, acquire.callbackEvent);
    DeleteRegistryTree(HKEY_CURRENT_USER, RivolinkKeyPath);

    // With the tuner not held: remembered, nothing closed, the event left alone.
    acquire.lastResult = Untouched;
    EXPECT_EQ(1u, Ask("Viewer C", 2).answer);
    EXPECT_STREQ("Viewer C", acquire.requesterName);
    EXPECT_STREQ("Viewer B", acquire.noticeName);
    EXPECT_EQ(0u, acquire.callbackEvent);
    EXPECT_EQ(Untouched, acquire.lastResult);
}

TEST_F(ReceptionTest, ANameWithoutTerminatorIsReadWithinItsFieldAndCutBetweenCharacters) {
    acquire.tunerHeld = 1;
    acquire.resourceHandle = nullptr;
    // 254 letters and a double-byte character fill all 256 bytes.
    std::string unterminated = std::string(254, 'N') + "\x95\x5C";
    strcpy(acquire.noticeName, "before");
    EXPECT_EQ(1u, Ask(unterminated, 2).answer);
    EXPECT_EQ(std::string(254, 'N'), acquire.requesterName);
    EXPECT_EQ(std::string(254, 'N'), acquire.noticeName);
    // The same program asking again is recognised.
    acquire.lastResult = Untouched;
    acquire.callbackEvent = 0;
    EXPECT_EQ(1u, Ask(unterminated, 2).answer);
    EXPECT_EQ(Untouched, acquire.lastResult);
    EXPECT_EQ(0u, acquire.callbackEvent);

    // Event 7 brings the callback handle; other events change nothing.
    TunerCallback(RvlEventRegistered, 0x4321, 0);
    EXPECT_EQ(7u, acquire.callbackEvent);
    EXPECT_EQ((HANDLE)0x4321, acquire.callbackHandle);
    TunerCallback(8, 0x1111, 0);
    EXPECT_EQ(7u, acquire.callbackEvent);
    EXPECT_EQ((HANDLE)0x4321, acquire.callbackHandle);
    // A request that comes without its record cannot be answered: nothing changes.
    acquire.lastResult = Untouched;
    EXPECT_EQ(0, TunerCallback(RvlEventRequest, 0, 0));
    EXPECT_EQ(7u, acquire.callbackEvent);
    EXPECT_EQ(Untouched, acquire.lastResult);
    EXPECT_EQ(std::string(254, 'N'), acquire.requesterName);
}

TEST_F(ReceptionTest, FailuresOfTheLibraryStopTheOpeningWithoutAMessage) {
    CPartsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EPGMAIN_DIALOG));
    // Without the EPG registry key the library is not called at all.
    acquire.status = StatusNoRegistry;
    acquire.lastResult = Untouched;
    dialog.OpenTuner();
    EXPECT_EQ(Untouched, acquire.lastResult);

    // Registration refused: nothing further, no message.
    DialogWatch messages(true);
    acquire.status = StatusNoData;
    SetSwitch(RivolinkKeyPath, "FailOpenEx", 1);
    dialog.OpenTuner();
    EXPECT_EQ(RvlErrorInjected, acquire.lastResult);
    EXPECT_EQ(0u, acquire.conflictFound);
    EXPECT_EQ(0u, acquire.tunerHeld);

    // The resource refused: counted as a conflict, the registration withdrawn.
    SetSwitch(RivolinkKeyPath, "FailOpenEx", 0);
    SetSwitch(RivolinkKeyPath, "FailOpenResource", 1);
    dialog.OpenTuner();
    EXPECT_EQ(1u, acquire.conflictFound);
    EXPECT_EQ(0u, acquire.tunerHeld);
    EXPECT_EQ(RvlErrorHandle, RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify));
    EXPECT_EQ(0, messages.Count());
}

TEST_F(ReceptionTest, ReleasingStopsTheReceiverAndGivesTheTunerBackOnlyOnce) {
    CPartsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EPGMAIN_DIALOG));
    ASSERT_EQ(0, RVL_OpenEx(TunerCallback, RvlOpenNotify, &acquire.callbackHandle, &dialog));
    HoldTuner();
    // A window that takes the receiver's place: the stop messages close it.
    ChildProcess receiver(BinCommand("openwindow.exe", "\"Receiver\" 60"));
    dialog.receiverWindow = WaitForWindow(receiver.Id(), "Receiver");
    ASSERT_NE(nullptr, dialog.receiverWindow);
    acquire.receiverRunning = 1;

    dialog.ReleaseTuner();
    EXPECT_TRUE(WaitForWindowClosed(dialog.receiverWindow));
    EXPECT_EQ(0u, acquire.receiverRunning);
    EXPECT_EQ(0u, acquire.tunerHeld);
    EXPECT_FALSE(StillHeld());
    resource = nullptr;
    EXPECT_EQ(RvlErrorHandle, RVL_CallBackClose(acquire.callbackHandle, RvlCloseNotify));

    acquire.lastResult = Untouched;
    dialog.ReleaseTuner();
    EXPECT_EQ(Untouched, acquire.lastResult);
}

} // namespace
