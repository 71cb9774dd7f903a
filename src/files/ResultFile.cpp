#include "files/ResultFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/Error.h"

namespace orvalis {

namespace {

std::string Reason(int error) { return std::strerror(error); }

bool RenameFlagUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// exFAT, FAT and some FUSE file systems have no hard links (ENOTSUP is
// EOPNOTSUPP on Linux).
bool LinkUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

[[noreturn]] void FailTaken(const std::string& path) {
    throw Error(path,
                      "was taken by another program during the run; nothing was saved there");
}

}  // namespace

std::optional<ResultFile> ResultFile::TryClaim(const std::string& path) {
    // Read-only, so that another user's program cannot write into it either.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (fd < 0) {
        if (errno == EEXIST) return std::nullopt;
        throw Error(path, "cannot be written (" + Reason(errno) + ")");
    }
    struct stat status {};
    const int statResult = ::fstat(fd, &status);
    const int error = errno;
    ::close(fd);
    if (statResult != 0) {
        ::unlink(path.c_str());
        throw Error(path, "cannot be written (" + Reason(error) + ")");
    }
    return ResultFile(path, FileId{status.st_dev, status.st_ino});
}

ResultFile ResultFile::Claim(const std::string& path) {
    std::optional<ResultFile> claimed = TryClaim(path);
    if (!claimed) throw Error(path, "already exists; choose another name");
    return std::move(*claimed);
}

ResultFile ResultFile::Replacing(const std::string& path) { return ResultFile(path, std::nullopt); }

ResultFile::ResultFile(ResultFile&& other) noexcept
    : path_(std::move(other.path_)),
      placeholder_(other.placeholder_),
      staging_(std::move(other.staging_)),
      committed_(other.committed_) {
    other.placeholder_.reset();
    other.staging_.reset();
    other.committed_.reset();
}

ResultFile::~ResultFile() {
    if (placeholder_ && !committed_ && HoldsPlaceholder(path_)) ::unlink(path_.c_str());
}

const std::string& ResultFile::StagingPath() {
    if (!staging_) staging_.emplace(path_);
    return staging_->Path();
}

bool ResultFile::HoldsPlaceholder(const std::string& path) const {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_size == 0 && FileId{status.st_dev, status.st_ino} == *placeholder_;
}

void ResultFile::Commit() {
    const std::string& staged = StagingPath();
    struct stat status {};
    if (::lstat(staged.c_str(), &status) != 0) {
        throw Error(path_, "cannot be written (" + Reason(errno) + ")");
    }
    const FileId content{status.st_dev, status.st_ino};
    if (!placeholder_) {
        staging_->MoveOver();
    } else {
        CommitByExchange();
    }
    committed_ = content;
}

// After the swap the staging name holds what was under the result name: our
// placeholder, which goes with the staging file, or a stranger's file, which
// goes back.
void ResultFile::CommitByExchange() {
    const std::string& staged = staging_->Path();
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) != 0) {
        // ENOENT: the placeholder was removed, and the name may be free.
        if (errno == ENOENT || RenameFlagUnsupported(errno)) return CommitByLink();
        throw Error(path_, "cannot be written (" + Reason(errno) + ")");
    }
    if (HoldsPlaceholder(staged)) return;
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) != 0) {
        const int error = errno;
        const std::string strangersFile = staged;
        staging_->Forget();  // holds the stranger's file now: it must stay
        throw Error(path_, "was taken by another program during the run; its file is now " +
                                     DisplayPath(strangersFile) + " (" + Reason(error) + ")");
    }
    FailTaken(path_);
}

// Where the file system cannot swap two names: our placeholder goes, and a
// hard link takes the name only if nothing has taken it in between.
void ResultFile::CommitByLink() {
    if (HoldsPlaceholder(path_)) {
        ::unlink(path_.c_str());
    } else if (::access(path_.c_str(), F_OK) == 0 || errno != ENOENT) {
        FailTaken(path_);
    }
    if (::link(staging_->Path().c_str(), path_.c_str()) == 0) return;
    if (errno == EEXIST) FailTaken(path_);
    if (!LinkUnsupported(errno)) throw Error(path_, "cannot be written (" + Reason(errno) + ")");
    CommitByRename();
}

// Where there are no hard links either: a rename that never replaces. A
// plain rename could replace what another program put there meanwhile, so
// without this one nothing is saved.
void ResultFile::CommitByRename() {
    if (::renameat2(AT_FDCWD, staging_->Path().c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) FailTaken(path_);
        if (RenameFlagUnsupported(errno)) {
            throw Error(path_, "cannot be written: its file system can neither link nor rename "
                                     "a file without the risk of replacing another");
        }
        throw Error(path_, "cannot be written (" + Reason(errno) + ")");
    }
    staging_->Forget();  // the staged file now lives under the result name
}

void ResultFile::Withdraw() {
    if (!committed_) return;
    struct stat status {};
    if (::lstat(path_.c_str(), &status) == 0 &&
        FileId{status.st_dev, status.st_ino} == *committed_) {
        ::unlink(path_.c_str());
    }
    committed_.reset();
}

}  // namespace orvalis
