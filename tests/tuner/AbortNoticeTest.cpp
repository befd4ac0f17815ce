#include "AbortNoticeDlg.h"
#include "AcquireContext.h"
#include "PartsDialog.h"
#include "TestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <functional>
#include <vector>

namespace {

int noticesMade = 0;
int noticesFreed = 0;

// The notice as the program makes it, counted.
class CountedNotice : public CAbortNoticeDlg {
public:
    explicit CountedNotice(CWnd *owner) : CAbortNoticeDlg(owner) { ++noticesMade; }
    ~CountedNotice() override { ++noticesFreed; }
};

// The dialog's modal run, the framework's own DoModal, which routes Enter,
// Esc and Tab to a modeless notice opened over it. Each step runs at a tick
// of that loop, 100 ms after the one before; after the last the run ends.
class AbortNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        acquire = AcquireContext{};
        noticesMade = noticesFreed = 0;
    }
    void RunModal(std::vector<std::function<void()>> steps) {
        running = this;
        pending = std::move(steps);
        UINT_PTR timer = SetTimer(nullptr, 0, 100, Step);
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        KillTimer(nullptr, timer);
        running = nullptr;
        EXPECT_TRUE(pending.empty()) << "the modal run ended before its steps";
    }
    // A key as the user presses it, to the window with the focus.
    static void PressKey(HWND window, UINT key) {
        PostMessageA(GetFocus() ? GetFocus() : window, WM_KEYDOWN, key, 0);
    }
    CPartsDialog dialog;

private:
    static void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
        if (!running)
            return;
        if (running->pending.empty()) {
            running->dialog.EndDialog(IDCANCEL);
            return;
        }
        std::function<void()> step = running->pending.front();
        running->pending.erase(running->pending.begin());
        step();
    }
    static AbortNoticeTest *running;
    std::vector<std::function<void()>> pending;
};
AbortNoticeTest *AbortNoticeTest::running = nullptr;

TEST_F(AbortNoticeTest, TheNoticeNamesTheRequesterWholeOnTopOfTheDialog) {
    // 255 bytes: single-byte letters and a double-byte character at the end.
    std::string name = std::string(253, 'N') + "\x95\x5C"; // 表
    lstrcpynA(acquire.noticeName, name.c_str(), sizeof acquire.noticeName);
    HWND notice = nullptr;
    RunModal(
        {[&] {
             dialog.ShowAbortNotice();
             ASSERT_NE(nullptr, dialog.noticeDialog);
             notice = dialog.noticeDialog->m_hWnd;
             ASSERT_TRUE(IsWindow(notice));

             EXPECT_EQ("PELMAR", WindowText(notice));
             EXPECT_EQ(name, WindowText(GetDlgItem(notice, IDC_NOTICE_NAME)));
             std::vector<std::string> texts;
             HICON icon = nullptr;
             for (HWND child = GetWindow(notice, GW_CHILD); child;
                  child = GetWindow(child, GW_HWNDNEXT)) {
                 if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                     icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
                 else if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF)
                     texts.push_back(WindowText(child));
             }
             EXPECT_EQ(
                 (std::vector<std::string>{
                     "\x82\xAA\x8B\x4E\x93\xAE\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42", // が起動しました。
                     "EPG\x83\x66\x81\x5B\x83\x5E\x82\xCC\x8E\xE6\x93\xBE\x82\xF0\x92\x86"
                     "\x8E\x7E\x82\xB5\x82\xDC\x82\xB7\x81\x42", // EPGデータの取得を中止します。
                 }),
                 texts);
             EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_NOTICE)), icon);
             EXPECT_NE(nullptr, icon);

             EXPECT_TRUE(IsWindowVisible(notice));
             EXPECT_TRUE(GetWindowLongA(notice, GWL_EXSTYLE) & WS_EX_TOPMOST);
             EXPECT_EQ(dialog.m_hWnd, GetWindow(notice, GW_OWNER));
             EXPECT_TRUE(GetFocus() == notice || IsChild(notice, GetFocus()));
             EXPECT_TRUE(IsWindowEnabled(dialog.m_hWnd)); // the dialog stays usable
             PressKey(notice, VK_RETURN);                 // OK
         },
         [&] {
             EXPECT_FALSE(IsWindow(notice));
             EXPECT_TRUE(IsWindow(dialog.m_hWnd));
         }});
}

TEST_F(AbortNoticeTest, OkEscAndTheOwnersEndEachCloseTheNoticeAndFreeIt) {
    HWND window = nullptr;
    auto open = [&] {
        window = (new CountedNotice(&dialog))->m_hWnd;
        ASSERT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(window)); // made hidden, shown by the dialog
        ShowWindow(window, SW_SHOW);
        SetFocus(window);
    };
    RunModal({[&] {
                  open();
                  PressKey(window, VK_RETURN);
              },
              [&] {
                  EXPECT_FALSE(IsWindow(window));
                  EXPECT_EQ(1, noticesFreed);
                  open();
                  PressKey(window, VK_ESCAPE);
              },
              [&] {
                  EXPECT_FALSE(IsWindow(window));
                  EXPECT_EQ(2, noticesFreed);
                  // Still open when the dialog's run ends, it goes with the dialog.
                  window = (new CountedNotice(&dialog))->m_hWnd;
              }});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(3, noticesMade);
    EXPECT_EQ(3, noticesFreed);
}

} // namespace
