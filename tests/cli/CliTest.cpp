#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Result {
    int status;
    std::string output;
};

Result RunCli(const std::string& args) {
    std::string command = std::string(CURVANA_CLI) + " " + args + " 2>&1";
    Result r{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), int(buffer.size()), pipe))
        r.output += buffer.data();
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(CliTest, HelpVersionAndUnknownOptions) {
    Result help = RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Usage: curvana-cli"), std::string::npos);

    Result version = RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, std::string("curvana-cli ") + CURVANA_VERSION + "\n");

    Result unknown = RunCli("--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("Usage:"), std::string::npos);
}

}  // namespace
