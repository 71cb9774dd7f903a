#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvalis::test {

struct CliResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

inline std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs orvalis-cli in `work` with arguments that need no shell quoting; its
// output passes through files in `scratch`.
inline CliResult RunCli(const std::filesystem::path& work, const std::filesystem::path& scratch,
                        const std::string& arguments) {
    const std::filesystem::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    const std::string command = "cd " + work.string() + " && " + ORVALIS_BIN_DIR +
                                "/orvalis-cli " + arguments + " >" + out.string() + " 2>" +
                                err.string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(out), ReadFileText(err)};
}

}  // namespace orvalis::test
