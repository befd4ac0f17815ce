#include "App.h"
#include "Dialog.h"
#include "File.h"
#include "Path.h"
#include "TestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>

namespace {

TEST(File, FailuresRaiseTheCauseAndTheFileName) {
    TempFolder folder("file-表示");
    std::string missing = folder / "missing.dat";
    try {
        CFile file(missing.c_str(), CFile::modeRead);
        FAIL() << "opened a missing file";
    } catch (const CFileException &error) {
        EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, error.osError);
        EXPECT_EQ(missing, error.fileName);
    }

    std::string held = folder / "held.dat";
    WriteFile(held, "content");
    {
        HeldFile holder(held);
        try {
            CFile file(held.c_str(), CFile::modeRead | CFile::shareCompat);
            FAIL() << "opened a file held without sharing";
        } catch (const CFileException &error) {
            EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, error.osError);
            EXPECT_EQ(held, error.fileName);
        }
        EXPECT_THROW(CFile::Remove(held.c_str()), CFileException);
    }

    // The compatibility mode is exclusive: an open file keeps others out.
    CFile file(held.c_str(), CFile::modeRead | CFile::shareCompat);
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[16] = {};
    EXPECT_EQ(7u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(0u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(7u, file.GetLength());
    EXPECT_EQ(2u, file.Seek(2, CFile::begin));
    // Opening another file closes the first: it is free again at once.
    std::string other = folder / "other.dat";
    WriteFile(other, "x");
    EXPECT_TRUE(file.Open(other.c_str(), CFile::modeRead | CFile::shareCompat));
    CFile::Remove(held.c_str());
    EXPECT_FALSE(FileExists(held));
    file.Close();
}

TEST(Path, DoubleByteCharactersEndingIn5CAreNotSeparators) {
    // 表 is 95 5C and ソ is 83 5C in code page 932.
    EXPECT_STREQ("ソフト.ep1", FindFileName("C:\\表示\\ソフト.ep1"));
    EXPECT_STREQ("表", FindFileName("C:\\表"));
    char base[16];
    CopyBaseName("C:\\a.b\\ソフト.x.ep1", base, sizeof base);
    EXPECT_STREQ("ソフト.x", base);
    CopyBaseName("C:\\dir\\.abc", base, sizeof base);
    EXPECT_STREQ("", base);
    CopyBaseName("noext", base, sizeof base);
    EXPECT_STREQ("noext", base);

    char joined[8];
    EXPECT_TRUE(JoinText(joined, sizeof joined, "ab", "\\", "cdef"));
    EXPECT_STREQ("ab\\cdef", joined);
    EXPECT_FALSE(JoinText(joined, sizeof joined, "abcd", "efgh"));
    EXPECT_STREQ("abcdefg", joined);
}

// A dialog whose handler fails with a file error, as a file step without its own catch would.
class FailingDialog : public CDialog {
public:
    FailingDialog() : CDialog(IDD_EPGMAIN_DIALOG) {}
    int handled = 0;

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT &) override {
        if (message != WM_APP)
            return false;
        ++handled;
        CFile file("C:\\pelmar-tests\\no-such-folder\\Ep000001.tct", CFile::modeRead);
        return true;
    }
};

class TestApp : public CWinApp {};

TEST(Dispatch, AFileErrorLeavingAHandlerIsReportedWithTheStopIconAndTheDialogGoesOn) {
    TestApp app;
    app.SetTitleFromModule();
    FailingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EPGMAIN_DIALOG));

    BoxAnswerer user(app.Title());
    PostMessageA(dialog.m_hWnd, WM_APP, 0, 0);
    PumpMessages(1000);
    SendMessageA(dialog.m_hWnd, WM_APP, 0, 0); // a second failure is reported again, not fatal
    PumpMessages(500);
    std::vector<MessageBoxView> seen = user.Seen();

    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("framework_tests", seen[0].caption);
    EXPECT_EQ("C:\\pelmar-tests\\no-such-folder\\Ep000001.tct \x82\xAA\x8C\xA9\x82\xC2\x82\xA9"
              "\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42", // が見つかりません。
              seen[0].text);
    EXPECT_EQ((UINT)MB_ICONSTOP, seen[0].icon);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
    EXPECT_EQ(2, dialog.handled);
}

// A dialog whose handler fails in a way that nothing expected.
class ThrowingDialog : public CDialog {
public:
    ThrowingDialog() : CDialog(IDD_VERSION_DIALOG) {}

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT &) override {
        if (message == WM_APP)
            throw std::runtime_error("nothing expected this");
        return false;
    }
};

class UnattendedApp : public CWinApp {
public:
    bool IsUnattended() const override { return true; }
    BOOL InitInstance() override { throw std::bad_alloc(); }
};

// On i686 an exception that unwinds into the system's frames ends in
// std::terminate, whose abort message would wait in an unattended run.
TEST(Dispatch, NoExceptionUnwindsIntoTheSystemAndTheFailureIsToldOnceUnlessUnattended) {
    {
        TestApp app;
        app.SetTitleFromModule();
        BoxAnswerer user(app.Title());
        // Thrown in a handler: told, and the dialog ends.
        ThrowingDialog failing;
        ASSERT_TRUE(failing.Create(IDD_VERSION_DIALOG));
        PostMessageA(failing.m_hWnd, WM_APP, 0, 0);
        PumpMessages(1000);
        EXPECT_FALSE(IsWindow(failing.m_hWnd));
        // Thrown in a callback of another library's: the main window is told.
        ThrowingDialog main;
        ASSERT_TRUE(main.Create(IDD_VERSION_DIALOG));
        app.m_pMainWnd = &main;
        CallWithoutUnwinding([] { throw std::bad_alloc(); });
        PumpMessages(1000);
        EXPECT_FALSE(IsWindow(main.m_hWnd));
        app.m_pMainWnd = nullptr;
        std::vector<MessageBoxView> seen = user.Seen();
        ASSERT_EQ(2u, seen.size());
        for (const MessageBoxView &view : seen) {
            EXPECT_EQ(UnexpectedErrorText, view.text);
            EXPECT_EQ((UINT)MB_ICONSTOP, view.icon);
        }
    }
    // Unattended, nothing is shown: neither a file error that no handler
    // caught (the dialog goes on), nor a failure before any dialog (the
    // program ends).
    UnattendedApp unattended;
    unattended.SetTitleFromModule();
    BoxAnswerer nobody(unattended.Title());
    FailingDialog failing;
    ASSERT_TRUE(failing.Create(IDD_EPGMAIN_DIALOG));
    PostMessageA(failing.m_hWnd, WM_APP, 0, 0);
    PumpMessages(1000);
    EXPECT_EQ(1, failing.handled);
    EXPECT_TRUE(IsWindow(failing.m_hWnd));
    EXPECT_EQ(0, CWinApp::Run(GetModuleHandleA(nullptr)));
    EXPECT_TRUE(nobody.Seen().empty());
}

// Ends itself when another thread sends it WM_APP.
class EndedFromAnotherThread : public CDialog {
public:
    EndedFromAnotherThread() : CDialog(IDD_VERSION_DIALOG) {}

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT &) override {
        if (message != WM_APP)
            return false;
        EndDialog(IDOK);
        return true;
    }
};

TEST(Dispatch, AModalDialogEndedInsideASentMessageEndsAtOnce) {
    EndedFromAnotherThread dialog;
    std::thread other([&] {
        HWND window =
            WaitForWindow(GetCurrentProcessId(), "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1",
                          "#32770", 10000); // ﾊﾞｰｼﾞｮﾝ情報
        SendMessageA(window, WM_APP, 0, 0);
        // Nothing else arrives; should the loop still wait, this frees it after the test's limit.
        Sleep(3000);
        PostMessageA(window, WM_NULL, 0, 0);
    });
    DWORD start = GetTickCount();
    EXPECT_EQ(IDOK, dialog.DoModal());
    DWORD waited = GetTickCount() - start;
    other.join();
    EXPECT_LT(waited, 2500u);
}

// The keyboard comes back to the main dialog when a modal box over it
// closes: the box must not hide while its owner is still disabled, and an
// owner that an earlier modal run had disabled must stay disabled.
TEST(Dispatch, AfterAModalBoxClosesItsOwnerIsTheActiveAndForegroundWindow) {
    TestApp app;
    CDialog mainDialog(IDD_EPGMAIN_DIALOG);
    ASSERT_TRUE(mainDialog.Create(IDD_EPGMAIN_DIALOG));
    app.m_pMainWnd = &mainDialog;
    ShowWindow(mainDialog.m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(mainDialog.m_hWnd);
    PumpMessages(200);
    ASSERT_EQ(mainDialog.m_hWnd, GetForegroundWindow());

    for (bool ownerDisabledBefore : {false, true}) {
        SCOPED_TRACE(ownerDisabledBefore ? "owner disabled before" : "owner enabled");
        EnableWindow(mainDialog.m_hWnd, ownerDisabledBefore ? FALSE : TRUE);
        CDialog versionBox(IDD_VERSION_DIALOG); // owned by the main window
        std::thread user([] {
            HWND box = WaitForWindow(GetCurrentProcessId(),
                                     "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1", "#32770",
                                     10000); // ﾊﾞｰｼﾞｮﾝ情報
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        EXPECT_EQ(IDOK, versionBox.DoModal());
        user.join();
        PumpMessages(200);
        EXPECT_EQ(ownerDisabledBefore, !IsWindowEnabled(mainDialog.m_hWnd));
        if (!ownerDisabledBefore) {
            EXPECT_EQ(mainDialog.m_hWnd, GetActiveWindow());
            EXPECT_EQ(mainDialog.m_hWnd, GetForegroundWindow());
        }
    }
    app.m_pMainWnd = nullptr;
    DestroyWindow(mainDialog.m_hWnd);
}

TEST(AppMessageBox, HasTheTitleAsCaptionAndTheExclamationIconUnlessAnIconIsNamed) {
    TestApp app;
    app.SetTitleFromModule();
    std::vector<MessageBoxView> seen;
    std::thread answer([&] {
        for (int i = 0; i < 2; ++i) {
            HWND box = WaitForWindow(GetCurrentProcessId(), app.Title(), "#32770", 10000);
            if (!box)
                return;
            seen.push_back(ReadMessageBox(box));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitForWindowClosed(box, 5000);
        }
    });
    app.MessageBox("\x8A\xF9\x82\xC9"); // 既に
    app.MessageBox("info", MB_OK | MB_ICONINFORMATION);
    answer.join();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("\x8A\xF9\x82\xC9", seen[0].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, seen[0].icon);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, seen[1].icon);
}

} // namespace
