// Preloaded (LD_PRELOAD) into a program that a test runs, so that the test
// can act while the program is in the middle of its writes: the program's
// first fsync, the end of the first file it writes, waits until the test
// releases it. ORVALIS_TEST_HOLD names a folder: the hold writes "held"
// there and waits for "release". Signals reach the program meanwhile.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace {

std::atomic<bool> g_held{false};

void HoldOnce() {
    const char* folder = std::getenv("ORVALIS_TEST_HOLD");
    if (folder == nullptr || g_held.exchange(true)) return;
    const std::string held = std::string(folder) + "/held", release = std::string(folder) + "/release";
    const int marker = ::open(held.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (marker >= 0) ::close(marker);
    while (::access(release.c_str(), F_OK) != 0) ::usleep(1000);
}

}  // namespace

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    HoldOnce();
    return real(fd);
}
