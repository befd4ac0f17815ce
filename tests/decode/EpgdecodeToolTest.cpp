// The command-line decoder, run as a separate program.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "ReceivedFileEncoder.h"

using encoder::Bytes;

namespace {

class EpgdecodeTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/epgdecode-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string Put(const std::string &name, const Bytes &bytes) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        return path;
    }
    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string &name) { return access((dir + "/" + name).c_str(), F_OK) == 0; }
    // Runs the tool; returns its exit status and keeps its output.
    int Run(const std::string &args) {
        std::string command = std::string(EPGDECODE_PATH) + " " + args + " >'" + dir +
                              "/stdout' 2>'" + dir + "/stderr'";
        int status = std::system(command.c_str());
        out = Read(dir + "/stdout");
        err = Read(dir + "/stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir, out, err;
};

} // namespace

TEST_F(EpgdecodeTool, DecodesByExtensionAndDescribes) {
    Bytes plain = encoder::GuideText(5000, 4);
    Bytes body = encoder::EncodeBody(plain);
    std::string input = Put("Day0107.EP1", encoder::WithHeader(58, body));
    EXPECT_EQ(0, Run(input + " " + dir + "/day.cmm"));
    EXPECT_EQ(std::string(plain.begin(), plain.end()), Read(dir + "/day.cmm"));
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
    std::string unknown = Put("notes.txt", Bytes(100, 1));
    EXPECT_EQ(1, Run(unknown + " " + dir + "/o1"));
    EXPECT_EQ("epgdecode: " + unknown + ": the extension names no kind of received file\n", err);

    std::string shortFile = Put("short.tct", Bytes(20, 1));
    EXPECT_EQ(2, Run(shortFile + " " + dir + "/o2"));
    EXPECT_EQ("epgdecode: " + shortFile +
                  ": the file is 20 bytes long, shorter than its 32-byte header\n",
              err);

    std::string corrupt = Put("bad.kct", encoder::WithHeader(32, encoder::RandomBytes(300, 2)));
    EXPECT_EQ(2, Run(corrupt + " " + dir + "/o3"));
    EXPECT_EQ("epgdecode: " + corrupt + ": the compressed body is corrupt or incomplete\n", err);
    EXPECT_EQ(2, Run("--info " + corrupt));

    EXPECT_EQ(2, Run(dir + "/missing.ep1 " + dir + "/o4"));
    EXPECT_EQ(0u, err.find("epgdecode: " + dir + "/missing.ep1: cannot open: "));
    EXPECT_FALSE(Exists("o1") || Exists("o2") || Exists("o3") || Exists("o4"));

    std::string good = Put("g.mtt", Bytes(40, 1));
    EXPECT_EQ(2, Run(good + " " + dir + "/no/such/out"));
    EXPECT_EQ(0u, err.find("epgdecode: " + dir + "/no/such/out: cannot create: "));
    EXPECT_EQ(2, Run(good)); // wrong usage
    EXPECT_NE(std::string::npos, err.find("usage: epgdecode"));
}
