// The file wrapper, on real files under a folder named 表示.
#include <string>

#include <gtest/gtest.h>

#include <File.h>
#include <FolderScan.h>

#include "DecodeReceivedFile.h"
#include "SampleContent.h"

namespace {

class DecodeReceivedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
        root = std::string(temp) + "decode-" + std::to_string(GetCurrentProcessId());
        dir = root + "\\表示";
        CreateDirectoryA(root.c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        ForEachEntry((dir + "\\*").c_str(), [&](const WIN32_FIND_DATAA &found) {
            DeleteFileA((dir + "\\" + found.cFileName).c_str());
        });
        RemoveDirectoryA(dir.c_str());
        RemoveDirectoryA(root.c_str());
    }

    std::string Put(const std::string &name, const std::string &bytes) {
        std::string path = dir + "\\" + name;
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        if (!bytes.empty())
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        return path;
    }
    static std::string Get(const std::string &path) {
        CFile file(path.c_str(), CFile::modeRead | CFile::typeBinary);
        std::string bytes(static_cast<size_t>(file.GetLength()), '\0');
        if (!bytes.empty())
            file.Read(&bytes[0], static_cast<UINT>(bytes.size()));
        return bytes;
    }
    static bool Exists(const std::string &path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Decodes a received file written under name; checks the input is unchanged.
    int32_t DecodeFile(const std::string &name, const std::string &file) {
        std::string input = Put(name, file);
        int32_t result = DecodeReceivedFile(&input[0], Output().c_str());
        EXPECT_EQ(file, Get(input)) << name;
        return result;
    }
    std::string Output() const { return dir + "\\out.dat"; }

    std::string root, dir;
};

} // namespace

TEST_F(DecodeReceivedFileTest, CopiedKindYieldsItsBytesAfterTheHeader) {
    std::string file = RandomBytes(100, 1);
    ASSERT_EQ(1, DecodeFile("Ep000001.TCT", file));
    EXPECT_EQ(file.substr(32), Get(Output()));
}

TEST_F(DecodeReceivedFileTest, InflatesScrambledKindsOfOneBlockAndMore) {
    const char *names[] = {"a.ept", "b.ep1", "c.ep2", "d.kct", "e.ptt"};
    for (int32_t kind = 1; kind <= 5; ++kind) {
        std::string plain = GuideText(20000, kind);
        std::string file = WithHeader(kind <= 3 ? 58 : 32, EncodedBody(plain));
        ASSERT_EQ(1, DecodeFile(names[kind - 1], file)) << kind;
        EXPECT_EQ(plain, Get(Output())) << kind;
    }
    // Stored streams give bodies of 256 and 257 bytes.
    for (size_t plainSize : {245u, 246u}) {
        std::string plain = RandomBytes(plainSize, 2);
        ASSERT_EQ(1, DecodeFile("X.EP1", WithHeader(58, EncodedBody(plain, 0))));
        EXPECT_EQ(plain, Get(Output())) << plainSize;
    }
}

TEST_F(DecodeReceivedFileTest, FileOfJustAHeaderGivesAnEmptyOutput) {
    const char *names[] = {"a.ept", "b.ep1", "c.ep2", "d.kct", "e.ptt", "f.tct", "g.mtt"};
    for (int32_t kind = 1; kind <= 7; ++kind) {
        Put("out.dat", std::string(10, 'U')); // truncated, not appended to
        ASSERT_EQ(1, DecodeFile(names[kind - 1], std::string(kind <= 3 ? 58 : 32, ' '))) << kind;
        EXPECT_TRUE(Exists(Output()));
        EXPECT_TRUE(Get(Output()).empty()) << kind;
    }
}

TEST_F(DecodeReceivedFileTest, UndecodableInputsLeaveNoOutput) {
    std::string stream = Compressed(GuideText(3000, 3));
    std::string truncated = stream.substr(0, stream.size() - 3);
    struct Case {
        const char *name;
        std::string file;
    } cases[] = {
        {"short.ep1", std::string(57, '\0')},
        {"short.tct", std::string(31, '\0')},
        {"empty.kct", std::string()},
        {"corrupt.ep2", WithHeader(58, Scrambled(truncated))},
        {"plain.ept", WithHeader(58, stream)},
        {"huge.ptt", WithHeader(32, EncodedBody(std::string(200000, 'a')))},
    };
    for (const Case &c : cases) {
        Put("out.dat", std::string(10, 'U')); // an earlier output does not survive either
        EXPECT_EQ(0, DecodeFile(c.name, c.file)) << c.name;
        EXPECT_FALSE(Exists(Output())) << c.name;
    }
    EXPECT_EQ(DecodeStatus::ContentTooLarge,
              DecodeReceivedFileStatus(&Put("huge.ptt", cases[5].file)[0], Output().c_str()));
}

TEST_F(DecodeReceivedFileTest, UnknownExtensionOpensNothing) {
    std::string missing = dir + "\\missing.txt";
    EXPECT_EQ(0, DecodeReceivedFile(&missing[0], Output().c_str()));
    EXPECT_FALSE(Exists(Output()));
}

TEST_F(DecodeReceivedFileTest, FilesThatCannotBeOpenedRaiseTheFileException) {
    std::string input = Put("held.tct", std::string(40, '\1'));
    {
        CFile holder(input.c_str(), CFile::modeRead | CFile::shareExclusive);
        try {
            DecodeReceivedFile(&input[0], Output().c_str());
            ADD_FAILURE() << "no exception for an input held open";
        } catch (const CFileException &e) {
            EXPECT_STREQ(input.c_str(), e.fileName);
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), e.osError);
        }
        EXPECT_FALSE(Exists(Output()));
    }
    {
        Put("out.dat", std::string(3, '\7'));
        CFile holder(Output().c_str(), CFile::modeRead | CFile::shareExclusive);
        try {
            DecodeReceivedFile(&input[0], Output().c_str());
            ADD_FAILURE() << "no exception for an output held open";
        } catch (const CFileException &e) {
            EXPECT_STREQ(Output().c_str(), e.fileName);
        }
    }
    EXPECT_EQ(std::string(3, '\7'), Get(Output())); // someone else's file is left alone
    std::string missing = dir + "\\missing.ep1";
    EXPECT_THROW(DecodeReceivedFile(&missing[0], (dir + "\\out2.dat").c_str()), CFileException);
    EXPECT_FALSE(Exists(dir + "\\out2.dat"));
    EXPECT_THROW(DecodeReceivedFile(&input[0], (dir + "\\no\\such\\out.dat").c_str()),
                 CFileException);
}
