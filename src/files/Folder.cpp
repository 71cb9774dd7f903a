#include "files/Folder.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "files/Error.h"

namespace orvalis {

FolderEntry OpenFolderOf(const std::string& path) {
    const std::filesystem::path file(path);
    std::string name = file.filename().string();
    if (name.empty()) throw Error(path, std::string("cannot be written (") + std::strerror(EISDIR) + ")");
    const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
    // O_PATH: a folder that may be written but not listed still takes files.
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw Error(path, std::string("cannot be written (") + std::strerror(errno) + ")");
    return {std::make_shared<const Descriptor>(fd), std::move(name)};
}

// Holders keep the lock for a moment, but one may be stopped (Ctrl+Z) while
// it holds it: after a while the caller goes on without the lock rather than
// wait for that process.
FolderLock::FolderLock(int folder, Kind kind)
    : own_(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!own_.IsOpen()) return;
    constexpr std::chrono::milliseconds kLongestPause{64}, kPatience{2000};
    std::chrono::milliseconds pause{1}, waited{0};
    while (::flock(own_.Get(), kind | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kPatience) return;
        std::this_thread::sleep_for(pause);
        waited += pause;
        pause = std::min(pause * 2, kLongestPause);
    }
    held_ = true;
}

}  // namespace orvalis
