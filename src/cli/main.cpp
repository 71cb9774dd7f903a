#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "files/StopSignals.h"
#include "math/KernelChoice.h"

namespace orvalis::cli {

std::string ErrorMessage(const std::exception& error) {
    if (const auto* notFound = dynamic_cast<const FileNotFoundError*>(&error)) {
        return DisplayPath(notFound->Path()) + ": file not found";
    }
    return error.what();
}

}  // namespace orvalis::cli

namespace {

using orvalis::cli::UsageError;

orvalis::CancelFlag g_stopRequested{false};

// Only what is safe in a signal handler: the work sees the flag between rows
// and between blocks of a write, and undoes its files as it unwinds.
extern "C" void RequestStop(int) { g_stopRequested.store(true); }

// As a shell reports a program that a signal ended: 128 + the signal.
int ReportStop() {
    const int signal = orvalis::StopSignalReceived();
    std::fprintf(stderr, "orvalis-cli: stopped by %s; nothing was saved\n",
                 orvalis::StopSignalName(signal));
    return 128 + signal;
}

// Everything the program prints (the whole help included) fits one buffer,
// written when it ends: a write that fails then reports its own reason (a
// full disk), which a failed flush half-way through would have lost.
void HoldStandardOutput() {
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

// Output that cannot be written (a full disk, a closed pipe) is a failure,
// reported once everything else is done.
bool StandardOutputWritten() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    std::fprintf(stderr, "orvalis-cli: error: the output cannot be written (%s)\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return false;
}

void PrintHelp() {
    std::printf(
        "Usage: orvalis-cli COMMAND [OPTIONS]\n"
        "Makes terrain textures from a heightmap and five tile pictures.\n\n"
        "Commands:\n%s\n%s\n%s\n%s\n"
        "Options:\n"
        "  --help     show this help\n"
        "  --version  show the version\n\n"
        "Exit codes: 0 success, 1 bad input or a failed write, 2 bad usage.\n",
        orvalis::cli::kInfoUsage, orvalis::cli::kConvertUsage, orvalis::cli::kGenerateUsage,
        orvalis::cli::kPlanUsage);
}

struct Command {
    const char* Name;
    const char* Usage;
    int (*Run)(const std::vector<std::string>& args);
};

// A first stop signal asks generate and plan for a clean stop; convert, which only
// writes its one file at the end, stops at once and removes what it made.
int RunGenerateUntilStopped(const std::vector<std::string>& args) {
    orvalis::HandleStopSignals("orvalis-cli", RequestStop);
    return orvalis::cli::RunGenerate(args, g_stopRequested);
}

int RunPlanUntilStopped(const std::vector<std::string>& args) {
    orvalis::HandleStopSignals("orvalis-cli", RequestStop);
    return orvalis::cli::RunPlan(args, g_stopRequested);
}

int RunConvertUntilStopped(const std::vector<std::string>& args) {
    orvalis::HandleStopSignals("orvalis-cli", nullptr);
    return orvalis::cli::RunConvert(args);
}

const Command* FindCommand(const std::string& name) {
    static const Command kCommands[] = {
        {"info", orvalis::cli::kInfoUsage, orvalis::cli::RunInfo},
        {"convert", orvalis::cli::kConvertUsage, RunConvertUntilStopped},
        {"generate", orvalis::cli::kGenerateUsage, RunGenerateUntilStopped},
        {"plan", orvalis::cli::kPlanUsage, RunPlanUntilStopped},
    };
    for (const Command& command : kCommands) {
        if (name == command.Name) return &command;
    }
    return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& words) {
    return std::any_of(words.begin(), words.end(),
                       [](const std::string& word) { return word == "--help" || word == "-h"; });
}

// --help anywhere on the line shows the help of the command it follows, or
// the whole help when there is no known command before it.
int Dispatch(const std::vector<std::string>& words) {
    const Command* command = words.empty() ? nullptr : FindCommand(words.front());
    if (AsksForHelp(words)) {
        if (command) std::printf("Usage: orvalis-cli COMMAND\n%s\n", command->Usage);
        else PrintHelp();
        return 0;
    }
    if (words.empty()) throw UsageError("no command given (try --help)");
    if (words.front() == "--version") {
        std::printf("orvalis-cli %s\n", ORVALIS_VERSION);
        return 0;
    }
    if (!command) {
        throw UsageError("unknown command '" + orvalis::DisplayPath(words.front()) +
                         "' (try --help)");
    }
    return command->Run(std::vector<std::string>(words.begin() + 1, words.end()));
}

}  // namespace

int main(int argc, char** argv) {
    orvalis::IgnoreFileSizeSignal();
    HoldStandardOutput();
    try {
        // A bad ORVALIS_KERNEL ends the run before any work starts.
        orvalis::ChosenKernel();
        const int exitCode = Dispatch(std::vector<std::string>(argv + 1, argv + argc));
        return StandardOutputWritten() ? exitCode : 1;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orvalis-cli: error: %s\n", e.what());
        return 2;
    } catch (const orvalis::KernelChoiceError& e) {
        std::fprintf(stderr, "orvalis-cli: error: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        // A failure while stopping (an interrupted read) is part of the stop.
        if (g_stopRequested.load()) return ReportStop();
        std::fprintf(stderr, "orvalis-cli: error: %s\n", orvalis::cli::ErrorMessage(e).c_str());
        return 1;
    }
}

