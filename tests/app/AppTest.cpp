#include "AcquireContext.h"
#include "EpgApp.h"
#include "Registry.h"
#include "StartUpCopy.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {

bool ParsesAsAuto(const char *argument) {
    acquire.autoMode = 0;
    CEpgCommandLineInfo info;
    bool flag = argument[0] == '/' || argument[0] == '-';
    info.ParseParam(flag ? argument + 1 : argument, flag, TRUE);
    return acquire.autoMode == 1;
}

TEST(CommandLine, AutoSwitchIsItsFirstLetterInEitherCaseThenExactlyUto) {
    for (const char *yes : {"/Auto", "-Auto", "/auto", "-auto", "Auto", "auto"})
        EXPECT_TRUE(ParsesAsAuto(yes)) << yes;
    for (const char *no : {"/AUTO", "/Auto1", "/Autox", "/A", "", "/", "Uto", "/ａuto"})
        EXPECT_FALSE(ParsesAsAuto(no)) << no;

    // Any argument may carry it, and a later argument never clears it.
    acquire.autoMode = 0;
    CEpgCommandLineInfo info;
    info.ParseParam("file.txt", FALSE, FALSE);
    info.ParseParam("Auto", TRUE, FALSE);
    info.ParseParam("other", TRUE, TRUE);
    EXPECT_EQ(1u, acquire.autoMode);
    acquire.autoMode = 0;
}

class StartupCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearInstallationRegistry();
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    }
    void TearDown() override { ClearInstallationRegistry(); }
    std::string Temp(const std::string &name = "") const {
        return name.empty() ? adams / "Temp" : adams / ("Temp\\" + name);
    }
    // Temp as a run that was killed left it: its list, naming these files.
    void LeaveKilledRunsTemp(const std::vector<std::string> &names) {
        CreateDirectoryA(Temp().c_str(), nullptr);
        std::string list;
        for (const std::string &name : names)
            list += name + "\r\n";
        WriteFile(Temp(CopyListName), list + "cut sho"); // a power cut ended its last line
    }

    TempFolder adams{"adams-表示"};
    CEpgApp app;
};

TEST_F(StartupCopyTest, CopiesOnlyTheFilesDirectlyInTheFolderAndReplacesOlderCopies) {
    WriteFile(adams / "Ep000001.tct", "schedule");
    WriteFile(adams / "ANHK1208.ep1", "day");
    WriteFile(adams / "ソフト.ep2", "name with a 0x5C byte");
    CreateDirectoryA((adams / "sub").c_str(), nullptr);
    WriteFile(adams / "sub\\inner.ep1", "not copied");
    LeaveKilledRunsTemp({"ANHK1208.ep1", "left.ept"});
    WriteFile(Temp("ANHK1208.ep1"), "older copy");
    WriteFile(Temp("left.ept"), "left from an earlier run");

    app.BackupAdamsFolder();

    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct", CopyListName, "left.ept",
                                        "ソフト.ep2"}),
              ListFolder(Temp()));
    EXPECT_EQ("day", ReadWholeFile(Temp("ANHK1208.ep1")));
    EXPECT_EQ("name with a 0x5C byte", ReadWholeFile(Temp("ソフト.ep2")));
    EXPECT_EQ("schedule", ReadWholeFile(adams / "Ep000001.tct")); // the original stays

    // The removal takes the killed run's copies along with this run's.
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct", "sub", "ソフト.ep2"}),
              ListFolder(adams.Path()));
}

TEST_F(StartupCopyTest, CleanUpSparesDotNamesAndHeldFilesThenRemovesTheFolderWhenEmpty) {
    WriteFile(adams / "a.ep1", "a");
    WriteFile(adams / "表.ep2", "b");
    WriteFile(adams / ".abc", "a dot name, copied but spared");
    app.BackupAdamsFolder();
    {
        HeldFile held(Temp("a.ep1"));
        app.RemoveAdamsBackup();
        EXPECT_EQ((std::vector<std::string>{".abc", CopyListName, "a.ep1"}), ListFolder(Temp()));
    }
    EXPECT_TRUE(FileExists(adams / "a.ep1"));
    EXPECT_TRUE(FileExists(adams / "表.ep2"));

    // The list that stayed still makes the copies the program's.
    DeleteFileA(Temp(".abc").c_str());
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ((std::vector<std::string>{".abc", "a.ep1", "表.ep2"}), ListFolder(adams.Path()));
}

TEST_F(StartupCopyTest, ReadOnlyCopiesAreRenewedAtStartAndGoAtTheEnd) {
    // A read-only day file, and a read-only copy of it that a killed run left.
    std::string original = adams / "ANHK1208.ep1", copy = Temp("ANHK1208.ep1");
    WriteFile(original, "today's");
    SetFileAttributesA(original.c_str(), FILE_ATTRIBUTE_READONLY);
    LeaveKilledRunsTemp({"ANHK1208.ep1"});
    WriteFile(copy, "a killed run's");
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);

    app.BackupAdamsFolder();
    EXPECT_EQ("today's", ReadWholeFile(copy));
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_NE(0u, GetFileAttributesA(original.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("today's", ReadWholeFile(original));
}

// A value naming a user's AppData\Local makes that user's %TEMP% the
// folder's Temp; a link named Temp would lead the copy and the deletions
// elsewhere. Only what the program made there ever goes.
TEST_F(StartupCopyTest, OnlyTheProgramsOwnCopiesEverLeaveTemp) {
    WriteFile(adams / "ANHK1208.ep1", "day");
    WriteFile(adams / "sub.ep1", "day");

    // Another's Temp, without the program's list: nothing goes in or out.
    CreateDirectoryA(Temp().c_str(), nullptr);
    WriteFile(Temp("ANHK1208.ep1"), "the user's own");
    WriteFile(Temp("setup.log"), "another program's");
    app.BackupAdamsFolder();
    app.RemoveAdamsBackup();
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "setup.log"}), ListFolder(Temp()));
    EXPECT_EQ("the user's own", ReadWholeFile(Temp("ANHK1208.ep1")));

    // A link named Temp, even to a folder that looks like the program's own
    // Temp: the folder it leads to keeps its files, and gets none.
    TempFolder elsewhere("elsewhere");
    WriteFile(elsewhere / "ANHK1208.ep1", "elsewhere's");
    WriteFile(elsewhere / CopyListName, "\r\nANHK1208.ep1\r\n");
    RemoveTree(Temp());
    ASSERT_TRUE(MakeFolderLink(Temp(), elsewhere.Path()));
    app.BackupAdamsFolder();
    app.RemoveAdamsBackup();
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", CopyListName}),
              ListFolder(elsewhere.Path()));
    EXPECT_EQ("elsewhere's", ReadWholeFile(elsewhere / "ANHK1208.ep1"));
    RemoveFolderLink(Temp());

    // The program's own Temp: what a user puts there stays, a file or a
    // folder that takes a copy's place is neither replaced nor entered, and
    // Temp with its list stays the program's until it is empty.
    WriteFile(adams / "Ep000001.tct", "schedule");
    app.BackupAdamsFolder();
    WriteFile(Temp("mine.txt"), "the user's");
    WriteFile(Temp("ANHK1208.ep1"), "the user's, in the copy's place");
    DeleteFileA(Temp("sub.ep1").c_str());
    CreateDirectoryA(Temp("sub.ep1").c_str(), nullptr);
    WriteFile(Temp("sub.ep1\\inner.txt"), "inside");
    app.RemoveAdamsBackup();
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", CopyListName, "mine.txt", "sub.ep1"}),
              ListFolder(Temp()));
    app.BackupAdamsFolder();
    EXPECT_EQ("the user's, in the copy's place", ReadWholeFile(Temp("ANHK1208.ep1")));
    EXPECT_EQ("schedule", ReadWholeFile(Temp("Ep000001.tct")));
    EXPECT_EQ("inside", ReadWholeFile(Temp("sub.ep1\\inner.txt")));
    for (const char *users : {"ANHK1208.ep1", "mine.txt"})
        DeleteFileA(Temp(users).c_str());
    RemoveTree(Temp("sub.ep1"));
    // A name that the listing passes over ("¥" reads as 0x5C) keeps Temp,
    // and with it the list: Temp is still the program's.
    std::wstring unlisted = Wide(Temp()) + L"\\a\u00A5b.txt";
    CloseHandle(CreateFileW(unlisted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    app.RemoveAdamsBackup();
    EXPECT_EQ(TempKind::Own, InspectTemp(adams.Path().c_str(), nullptr));
    DeleteFileW(unlisted.c_str());
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct", "sub.ep1"}),
              ListFolder(adams.Path()));
}

TEST_F(StartupCopyTest, WithoutARegisteredFolderNothingIsCopiedOrDeleted) {
    WriteFile(adams / "a.ep1", "a");
    CreateDirectoryA(Temp().c_str(), nullptr);
    WriteFile(Temp("keep.ep1"), "keep");
    ClearInstallationRegistry();
    app.BackupAdamsFolder();
    app.RemoveAdamsBackup();
    EXPECT_EQ((std::vector<std::string>{"keep.ep1"}), ListFolder(Temp()));

    // An empty value is no folder either: "\Temp\" at the root of the current
    // drive (the test makes C: current) stays untouched.
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", "");
    CreateDirectoryA("C:\\Temp", nullptr);
    WriteFile("C:\\Temp\\pelmar-user-file.txt", "the user's");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA("C:\\");
    app.RemoveAdamsBackup();
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(FileExists("C:\\Temp\\pelmar-user-file.txt"));
    DeleteFileA("C:\\Temp\\pelmar-user-file.txt");
}

} // namespace

namespace {

// What Explorer shows of the program: its version resource.
TEST(VersionResource, NamesTheProgramItsVersionAndItsMakerInJapanese) {
    std::string program = BinFolder() + "\\Pelmar.exe";
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), nullptr);
    ASSERT_NE(0u, size);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &length));
    EXPECT_EQ(MAKELONG(4, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    WORD *translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void **)&translation, &length));
    EXPECT_EQ(0x0411, translation[0]);
    EXPECT_EQ(1200, translation[1]);
    auto field = [&](const char *name) {
        char *text = nullptr;
        std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
        return VerQueryValueA(info.data(), path.c_str(), (void **)&text, &length)
                   ? std::string(text)
                   : "(none)";
    };
    EXPECT_EQ("Pelmar", field("ProductName"));
    EXPECT_EQ("Pelmar", field("InternalName"));
    EXPECT_EQ("Pelmar", field("FileDescription"));
    EXPECT_EQ("Pelmar.EXE", field("OriginalFilename"));
    EXPECT_EQ("1.4.0.1", field("FileVersion"));
    EXPECT_EQ("Pelmar project", field("CompanyName"));
    EXPECT_EQ("(C) 2026 Pelmar project", field("LegalCopyright"));
}

} // namespace
