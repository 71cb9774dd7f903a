#include "files/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace orvalis {

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

// What a path holds when it is not a regular file; empty when it is one.
std::string NotARegularFile(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISFIFO(mode)) return "is not a regular file (a FIFO)";
    if (S_ISCHR(mode)) return "is not a regular file (a character device)";
    if (S_ISBLK(mode)) return "is not a regular file (a block device)";
    if (S_ISSOCK(mode)) return "is not a regular file (a socket)";
    return "is not a regular file";
}

bool IsNotFound(int error) { return error == ENOENT || error == ENOTDIR; }

[[noreturn]] void RefuseOpening(const std::string& path, int error) {
    if (IsNotFound(error)) throw FileNotFoundError(path);
    if (error == ELOOP) throw InputFileError(path, "cannot be opened: it is a loop of symbolic links");
    throw InputFileError(path, "cannot be opened (" + SystemReason(error) + ")");
}

}  // namespace

bool NothingAt(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && IsNotFound(errno);
}

InputFile::InputFile(const std::string& path) : path_(path) {
    // Looked at before opening, because opening a device may already act on it.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) RefuseOpening(path, errno);
    if (const std::string kind = NotARegularFile(status.st_mode); !kind.empty()) {
        throw InputFileError(path, kind);
    }
    // Non-blocking, so that a FIFO put under the name meanwhile cannot hang the open.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor_ < 0) RefuseOpening(path, errno);
    // What was opened is what counts.
    if (::fstat(descriptor_, &status) != 0) {
        const int error = errno;
        ::close(descriptor_);
        throw InputFileError(path, "cannot be opened (" + SystemReason(error) + ")");
    }
    if (const std::string kind = NotARegularFile(status.st_mode); !kind.empty()) {
        ::close(descriptor_);
        throw InputFileError(path, kind);
    }
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags >= 0) ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = static_cast<std::uint64_t>(status.st_size);
}

InputFile::~InputFile() { ::close(descriptor_); }

void InputFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(descriptor_, out.data() + done, out.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw Error(path_, "cannot be read (" + SystemReason(errno) + ")");
        if (got == 0) throw Error(path_, "ended while it was being read");
        done += static_cast<std::size_t>(got);
    }
}

std::size_t InputFile::Read(std::span<std::uint8_t> out) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, out.data(), out.size());
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw Error(path_, "cannot be read (" + SystemReason(errno) + ")");
    }
}

}  // namespace orvalis
