#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <random>

#include "files/Error.h"
#include "files/Leftovers.h"

namespace orvalis {

namespace {

// Blocks of at most this size, so that a stop request is seen within a
// fraction of a second even while a picture of hundreds of MB is written.
constexpr std::size_t kWriteBlock = std::size_t{8} << 20;
// A 32-bit random suffix is taken by another writer only by extraordinary
// chance; a few attempts cover that.
constexpr int kNameAttempts = 16;

std::string Reason(int error) { return std::strerror(error); }

std::uint32_t RandomNumber() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<std::uint32_t>(generator());
}

[[noreturn]] void FailCreating(const std::string& target, int error) {
    if (error == ENAMETOOLONG) {
        const std::size_t added = TemporaryName("", 0).size();
        throw Error(target, "cannot be written: the name is too long for its file system, which "
                            "must also take it " + std::to_string(added) +
                            " characters longer while the file is written (" + Reason(error) + ")");
    }
    throw Error(target, "cannot be written (" + Reason(error) + ")");
}

// The temporaries that take the writes to their paths.
class StagingFiles {
public:
    void Add(TemporaryFile* file) {
        const std::lock_guard lock(mutex_);
        files_.emplace(file->Path(), file);
    }
    void Remove(TemporaryFile* file) {
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(file->Path());
        if (found != files_.end() && found->second == file) files_.erase(found);
    }
    TemporaryFile* Find(const std::string& path) {
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(path);
        return found == files_.end() ? nullptr : found->second;
    }

private:
    std::mutex mutex_;
    std::map<std::string, TemporaryFile*> files_;
};

StagingFiles& Staging() {
    static StagingFiles files;
    return files;
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target)
    : target_(OpenFolderOf(target)), targetPath_(target) {
    Create();
}

TemporaryFile::TemporaryFile(const FolderEntry& entry, const std::string& target)
    : target_(entry), targetPath_(target) {
    Create();
}

void TemporaryFile::Create() {
    const int folder = target_.Folder->Get();
    RemoveLeftoverTemporaries(folder, target_.Name);
    const FolderLock lock(folder, FolderLock::kShared);
    int error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = TemporaryName(target_.Name, RandomNumber());
        fd_ = Descriptor(::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd_.IsOpen()) {
            name_ = std::move(name);
            break;
        }
        error = errno;
        if (error != EEXIST) break;
    }
    if (!fd_.IsOpen()) FailCreating(targetPath_, error);
    path_ = targetPath_ + name_.substr(target_.Name.size());
    HoldOwnerLock(fd_.Get());
    struct stat status {};
    if (::fstat(fd_.Get(), &status) == 0) {
        owned_ = OwnedFile(folder, name_, status.st_dev, status.st_ino);
    }
}

TemporaryFile::~TemporaryFile() {
    StopTakingWrites();
    owned_.Unlist();
    if (!name_.empty()) ::unlinkat(target_.Folder->Get(), name_.c_str(), 0);
}

void TemporaryFile::StopTakingWrites() {
    if (takesWrites_) Staging().Remove(this);
    takesWrites_ = false;
}

void TemporaryFile::TakeWritesToPath() {
    Staging().Add(this);
    takesWrites_ = true;
}

void TemporaryFile::Write(FileParts parts, const CancelFlag* cancel) {
    const auto fail = [this](const char* what) {
        throw Error(targetPath_, std::string(what) + " (" + Reason(errno) + ")");
    };
    // The whole content, also when written once before.
    if (::ftruncate(fd_.Get(), 0) != 0 || ::lseek(fd_.Get(), 0, SEEK_SET) != 0) {
        fail("writing failed");
    }
    for (std::span<const std::uint8_t> rest : parts) {
        while (!rest.empty()) {
            ThrowIfCancelled(cancel);
            const ssize_t written =
                ::write(fd_.Get(), rest.data(), std::min(rest.size(), kWriteBlock));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                if (written == 0) errno = ENOSPC;
                fail("writing failed");
            }
            rest = rest.subspan(static_cast<std::size_t>(written));
        }
    }
    // The descriptor stays open to hold the lock; fsync has reported any
    // write error that a close would.
    if (::fsync(fd_.Get()) != 0) fail("writing failed");
    ThrowIfCancelled(cancel);
}

void TemporaryFile::MoveOver() {
    const int folder = target_.Folder->Get();
    StopTakingWrites();
    owned_.Unlist();
    if (::renameat(folder, name_.c_str(), folder, target_.Name.c_str()) != 0) {
        throw Error(targetPath_, "cannot be replaced (" + Reason(errno) + ")");
    }
    name_.clear();
}

void TemporaryFile::Forget() {
    StopTakingWrites();
    owned_.Unlist();
    name_.clear();
}

void WriteFileAtomically(const std::string& path, FileParts parts, const CancelFlag* cancel) {
    if (TemporaryFile* staging = Staging().Find(path)) return staging->Write(parts, cancel);
    TemporaryFile temporary(path);
    temporary.Write(parts, cancel);
    temporary.MoveOver();
}

}  // namespace orvalis
