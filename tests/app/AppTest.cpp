#include "AcquireContext.h"
#include "EpgApp.h"
#include "Registry.h"
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
    std::string Temp() const { return adams / "Temp"; }

    TempFolder adams{"adams-表示"};
    CEpgApp app;
};

TEST_F(StartupCopyTest, CopiesOnlyTheFilesDirectlyInTheFolderAndReplacesOlderCopies) {
    WriteFile(adams / "Ep000001.tct", "schedule");
    WriteFile(adams / "ANHK1208.ep1", "day");
    WriteFile(adams / "ソフト.ep2", "name with a 0x5C byte");
    CreateDirectoryA((adams / "sub").c_str(), nullptr);
    WriteFile(adams / "sub\\inner.ep1", "not copied");
    CreateDirectoryA(Temp().c_str(), nullptr);
    WriteFile(Temp() + "\\ANHK1208.ep1", "older copy");
    WriteFile(Temp() + "\\left.ept", "left from an earlier run");

    app.BackupAdamsFolder();

    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct", "left.ept", "ソフト.ep2"}),
              ListFolder(Temp()));
    EXPECT_EQ("day", ReadWholeFile(Temp() + "\\ANHK1208.ep1"));
    EXPECT_EQ("name with a 0x5C byte", ReadWholeFile(Temp() + "\\ソフト.ep2"));
    EXPECT_EQ("schedule", ReadWholeFile(adams / "Ep000001.tct")); // the original stays
}

TEST_F(StartupCopyTest, CleanUpSparesDotNamesAndHeldFilesThenRemovesTheFolderWhenEmpty) {
    WriteFile(adams / "a.ep1", "a");
    WriteFile(adams / "表.ep2", "b");
    app.BackupAdamsFolder();
    WriteFile(Temp() + "\\.abc", "dot name");
    WriteFile(Temp() + "\\..abc", "two dots");
    {
        HeldFile held(Temp() + "\\a.ep1");
        app.RemoveAdamsBackup();
        EXPECT_EQ((std::vector<std::string>{"..abc", ".abc", "a.ep1"}), ListFolder(Temp()));
    }
    EXPECT_TRUE(FileExists(adams / "a.ep1"));
    EXPECT_TRUE(FileExists(adams / "表.ep2"));

    DeleteFileA((Temp() + "\\.abc").c_str());
    DeleteFileA((Temp() + "\\..abc").c_str());
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ((std::vector<std::string>{"a.ep1", "表.ep2"}), ListFolder(adams.Path()));
}

TEST_F(StartupCopyTest, ReadOnlyCopiesAreRenewedAtStartAndGoAtTheEnd) {
    // A read-only day file, and a read-only copy of it that a killed run left.
    std::string original = adams / "ANHK1208.ep1", copy = Temp() + "\\ANHK1208.ep1";
    WriteFile(original, "today's");
    SetFileAttributesA(original.c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA(Temp().c_str(), nullptr);
    WriteFile(copy, "a killed run's");
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);

    app.BackupAdamsFolder();
    EXPECT_EQ("today's", ReadWholeFile(copy));
    app.RemoveAdamsBackup();
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_NE(0u, GetFileAttributesA(original.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("today's", ReadWholeFile(original));
}

TEST_F(StartupCopyTest, WithoutARegisteredFolderNothingIsCopiedOrDeleted) {
    WriteFile(adams / "a.ep1", "a");
    CreateDirectoryA(Temp().c_str(), nullptr);
    WriteFile(Temp() + "\\keep.ep1", "keep");
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
