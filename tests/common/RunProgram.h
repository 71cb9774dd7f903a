#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/Files.h"

namespace orvalis::test {

struct ProgramResult {
    int ExitCode = -1;  // -1 when a signal ended the program
    std::string Out;
    std::string Err;
};

// Runs a shell command line (arguments quoted as the shell needs) and
// catches its standard output and error in files of the folder `scratch`.
inline ProgramResult RunShell(const std::string& command, const std::filesystem::path& scratch) {
    const std::filesystem::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    const int status =
        std::system((command + " >" + out.string() + " 2>" + err.string()).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

}  // namespace orvalis::test
