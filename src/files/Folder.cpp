#include "files/Folder.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

FolderLock::FolderLock(int folder, Kind kind)
    : own_(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!own_.IsOpen()) return;
    int result = 0;
    do {
        result = ::flock(own_.Get(), kind);
    } while (result != 0 && errno == EINTR);
    held_ = result == 0;
}

}  // namespace orvalis
