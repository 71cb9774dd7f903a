#include "files/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "files/Error.h"

namespace orvalis {

namespace {

// Blocks of at most this size, so that a stop request is seen within a
// fraction of a second even while a picture of hundreds of MB is written.
constexpr std::size_t kWriteBlock = std::size_t{8} << 20;
// A 32-bit random suffix is taken by another writer only by extraordinary
// chance; a few attempts cover that.
constexpr int kNameAttempts = 16;

std::string Reason(int error) { return std::strerror(error); }

std::string RandomSuffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(generator()));
    return suffix;
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target) : target_(target) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = target + RandomSuffix();
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            path_ = std::move(path);
            return;
        }
        if (errno != EEXIST) break;
    }
    throw Error(target, "cannot be written (" + Reason(errno) + ")");
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : target_(std::move(other.target_)), path_(std::move(other.path_)), fd_(other.fd_) {
    other.path_.clear();
    other.fd_ = -1;
}

void TemporaryFile::Write(FileParts parts, const CancelFlag* cancel) {
    const auto fail = [this](const char* what) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        throw Error(target_, std::string(what) + " (" + Reason(error) + ")");
    };
    for (std::span<const std::uint8_t> rest : parts) {
        while (!rest.empty()) {
            ThrowIfCancelled(cancel);
            const ssize_t written = ::write(fd_, rest.data(), std::min(rest.size(), kWriteBlock));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                if (written == 0) errno = ENOSPC;
                fail("writing failed");
            }
            rest = rest.subspan(static_cast<std::size_t>(written));
        }
    }
    if (::fsync(fd_) != 0) fail("writing failed");
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw Error(target_, "writing failed (" + Reason(errno) + ")");
    ThrowIfCancelled(cancel);
}

void TemporaryFile::MoveOver() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
        throw Error(target_, "cannot be replaced (" + Reason(errno) + ")");
    }
    path_.clear();
}

void WriteFileAtomically(const std::string& path, FileParts parts, const CancelFlag* cancel) {
    TemporaryFile temporary(path);
    temporary.Write(parts, cancel);
    temporary.MoveOver();
}

}  // namespace orvalis
