// A command-line tool run natively as a separate program, on files in a
// folder of the test's own under /tmp.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

class NativeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pelmar-tool-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Writes bytes to name in the test's folder; its path.
    std::string Put(const std::string &name, const std::string &bytes) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
        return path;
    }
    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string &name) { return access((dir + "/" + name).c_str(), F_OK) == 0; }
    // Runs the tool after the shell commands of limits; returns its exit
    // status and keeps its output and its errors.
    int Run(const std::string &tool, const std::string &args, const std::string &limits = "") {
        std::string command =
            limits + tool + " " + args + " >'" + dir + "/stdout' 2>'" + dir + "/stderr'";
        int status = std::system(command.c_str());
        out = Read(dir + "/stdout");
        err = Read(dir + "/stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir, out, err;
};
