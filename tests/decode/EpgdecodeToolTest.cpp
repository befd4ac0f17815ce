// The command-line decoder, run as a separate program.
#include "NativeToolTest.h"
#include "SampleContent.h"

namespace {

class EpgdecodeTool : public NativeToolTest {
protected:
    int Run(const std::string &args) { return NativeToolTest::Run(EPGDECODE_PATH, args); }
};

} // namespace

TEST_F(EpgdecodeTool, DecodesByExtensionAndDescribes) {
    std::string plain = GuideText(5000, 4);
    std::string body = EncodedBody(plain);
    std::string input = Put("Day0107.EP1", WithHeader(58, body));
    EXPECT_EQ(0, Run(input + " " + dir + "/day.cmm"));
    EXPECT_EQ(plain, Read(dir + "/day.cmm"));
    EXPECT_EQ("", err);

    EXPECT_EQ(0, Run("--info " + input));
    EXPECT_EQ("kind: 2\nreceived extension: ep1\ndecoded extension: cmm\nheader length: 58\n"
              "body size: " +
                  std::to_string(body.size()) + "\ndecoded size: 5000\n",
              out);
    EXPECT_EQ(0, Run("--help"));
    EXPECT_NE(std::string::npos, out.find("usage: epgdecode"));
}

TEST_F(EpgdecodeTool, FailuresExitWithTheirCodeAndOneLineNamingTheFile) {
    std::string unknown = Put("notes.txt", std::string(100, '\1'));
    EXPECT_EQ(1, Run(unknown + " " + dir + "/o1"));
    EXPECT_EQ("epgdecode: " + unknown + ": the extension names no kind of received file\n", err);

    std::string shortFile = Put("short.tct", std::string(20, '\1'));
    EXPECT_EQ(2, Run(shortFile + " " + dir + "/o2"));
    EXPECT_EQ("epgdecode: " + shortFile +
                  ": the file is 20 bytes long, shorter than its 32-byte header\n",
              err);

    std::string corrupt = Put("bad.kct", WithHeader(32, RandomBytes(300, 2)));
    EXPECT_EQ(2, Run(corrupt + " " + dir + "/o3"));
    EXPECT_EQ("epgdecode: " + corrupt + ": the compressed body is corrupt or incomplete\n", err);
    EXPECT_EQ(2, Run("--info " + corrupt));

    EXPECT_EQ(2, Run(dir + "/missing.ep1 " + dir + "/o4"));
    EXPECT_EQ(0u, err.find("epgdecode: " + dir + "/missing.ep1: cannot open: "));
    EXPECT_FALSE(Exists("o1") || Exists("o2") || Exists("o3") || Exists("o4"));

    std::string good = Put("g.mtt", std::string(40, '\1'));
    EXPECT_EQ(2, Run(good + " " + dir + "/no/such/out"));
    EXPECT_EQ(0u, err.find("epgdecode: " + dir + "/no/such/out: cannot create: "));
    EXPECT_EQ(2, Run(good)); // wrong usage
    EXPECT_NE(std::string::npos, err.find("usage: epgdecode"));
}
