#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/EngineOutputs.h"

namespace {

using orvalis::cli::UsageError;

void PrintHelp() {
    std::printf(
        "Usage: orvalis-cli COMMAND [OPTIONS]\n"
        "Makes terrain textures from a heightmap and five tile pictures.\n\n"
        "Commands:\n%s\n%s\n%s%s\n"
        "Options:\n"
        "  --help     show this help\n"
        "  --version  show the version\n\n"
        "Exit codes: 0 success, 1 bad input or a failed write, 2 bad usage.\n",
        orvalis::cli::kInfoUsage, orvalis::cli::kConvertUsage, orvalis::cli::kGenerateUsage,
        orvalis::cli::kEngineOutputsUsage);
}

int Dispatch(const std::vector<std::string>& words) {
    if (words.empty()) throw UsageError("no command given (try --help)");
    const std::string& command = words.front();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    if (command == "--help" || command == "-h") {
        PrintHelp();
        return 0;
    }
    if (command == "--version") {
        std::printf("orvalis-cli %s\n", ORVALIS_VERSION);
        return 0;
    }
    if (command == "info") return orvalis::cli::RunInfo(args);
    if (command == "convert") return orvalis::cli::RunConvert(args);
    if (command == "generate") return orvalis::cli::RunGenerate(args);
    throw UsageError("unknown command '" + command + "' (try --help)");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orvalis-cli: error: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvalis-cli: error: %s\n", e.what());
        return 1;
    }
}
