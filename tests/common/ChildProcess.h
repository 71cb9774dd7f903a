#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace orvalis::test {

// How long a test waits for a state it expects. Generous, as the machine may
// be heavily loaded: no test depends on a state coming sooner.
inline constexpr std::chrono::seconds kPatience{300};

// A program running in the background, for tests that signal or kill it at
// a state they can observe (a file that appears, a handler that is
// installed) rather than after some time. Killed and reaped when the object
// goes, if it still runs.
class ChildProcess {
public:
    struct Options {
        std::filesystem::path Folder;      // working folder; empty: this one
        std::filesystem::path ErrorFile;   // stderr; stdout goes to /dev/null
        rlim_t FileSizeLimit = RLIM_INFINITY;
        std::vector<std::string> Environment;  // "NAME=value", replacing NAME's value
    };
    struct End {
        bool Exited = false;
        int Code = -1;    // when Exited
        int Signal = 0;   // when a signal ended it
    };

    ChildProcess(const std::vector<std::string>& arguments, const Options& options) {
        // Everything the child needs is made here: after fork it may only
        // make async-signal-safe calls.
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        const auto given = [&options](std::string_view variable) {
            const std::string_view name = variable.substr(0, variable.find('=') + 1);
            for (const std::string& own : options.Environment) {
                if (own.starts_with(name)) return true;
            }
            return false;
        };
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (!given(*variable)) envp.push_back(*variable);
        }
        for (const std::string& variable : options.Environment) {
            envp.push_back(const_cast<char*>(variable.c_str()));
        }
        envp.push_back(nullptr);
        const std::string folder = options.Folder.string(), errors = options.ErrorFile.string();
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = options.FileSizeLimit;
        pid_ = ::fork();
        if (pid_ != 0) return;
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) std::signal(signal, SIG_DFL);
        const int quiet = ::open("/dev/null", O_WRONLY);
        const int err = errors.empty() ? quiet : ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if ((!folder.empty() && ::chdir(folder.c_str()) != 0) || quiet < 0 || err < 0 ||
            ::dup2(quiet, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0 ||
            (options.FileSizeLimit != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)) {
            ::_exit(99);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(98);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ <= 0 || ended_) return;
        ::kill(pid_, SIGKILL);
        Wait();
    }

    pid_t Pid() const { return pid_; }
    void Signal(int signal) const { ::kill(pid_, signal); }

    // Polls until `ready` holds; false when the child ends first or the
    // patience runs out.
    bool WaitUntil(const std::function<bool()>& ready) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!ready()) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                Record(status);
                return false;
            }
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    // Whether the child has a handler of its own for signal.
    bool Catches(int signal) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigCgt:", 0) != 0) continue;
            const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
            return (caught >> (signal - 1)) & 1;
        }
        return false;
    }

    End Wait() {
        if (!ended_) {
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            Record(status);
        }
        return end_;
    }

private:
    void Record(int status) {
        ended_ = true;
        end_.Exited = WIFEXITED(status);
        end_.Code = end_.Exited ? WEXITSTATUS(status) : -1;
        end_.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

    pid_t pid_ = -1;
    bool ended_ = false;
    End end_;
};

// Runs body in a child process of this one, which ends when body returns (0)
// or throws (97); the caller waits for it.
inline pid_t ForkRunning(const std::function<void()>& body) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    try {
        body();
    } catch (...) {
        ::_exit(97);
    }
    ::_exit(0);
}

}  // namespace orvalis::test
