#include "AcquireContext.h"
#include "ConflictWatch.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

// Other programs' windows, opened by the peer program for the length of a test.
class ConflictWatchTest : public ::testing::Test {
protected:
    void SetUp() override { acquire = AcquireContext{}; }
    void Open(const std::string &title) {
        windows.push_back(
            std::make_unique<ChildProcess>(BinCommand("openwindow.exe", "\"" + title + "\" 60")));
        ASSERT_NE(nullptr, WaitForWindow(windows.back()->Id(), title));
    }
    std::vector<std::unique_ptr<ChildProcess>> windows;
};

TEST_F(ConflictWatchTest, WithoutAKnownWindowBothFieldsStayAsTheyWere) {
    Open("PURE DIVA"); // the display names are not the titles looked for
    Open("bitcast browser");
    Open("bitcastBar Base x");
    strcpy(acquire.conflictName, "earlier");
    acquire.conflictFound = 7; // neither cleared nor set
    WatchConflicts();
    EXPECT_EQ(7u, acquire.conflictFound);
    EXPECT_STREQ("earlier", acquire.conflictName);
}

TEST_F(ConflictWatchTest, TheLastKnownWindowInTableOrderNamesTheConflict) {
    Open("ADAMSステーション");
    WatchConflicts();
    EXPECT_EQ(1u, acquire.conflictFound);
    EXPECT_STREQ("ADAMS\x83\x58\x83\x65\x81\x5B\x83\x56\x83\x87\x83\x93", acquire.conflictName);

    // The viewer comes later in the table than the browser and the ADAMS station.
    Open("MGI PURE DIVA");
    Open("bitcastBar Base");
    acquire = AcquireContext{};
    WatchConflicts();
    EXPECT_EQ(1u, acquire.conflictFound);
    EXPECT_STREQ("PURE DIVA", acquire.conflictName);

    // The channel utility counts as well, and its title is its name.
    Open("チャンネル設定ユーティリティ");
    WatchConflicts();
    EXPECT_STREQ("\x83\x60\x83\x83\x83\x93\x83\x6C\x83\x8B\x90\xDD\x92\xE8\x83\x86\x81\x5B"
                 "\x83\x65\x83\x42\x83\x8A\x83\x65\x83\x42",
                 acquire.conflictName);
}

} // namespace
