#include "files/ResultFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "files/Error.h"
#include "files/Leftovers.h"

namespace orvalis {

namespace {

std::string Reason(int error) { return std::strerror(error); }

[[noreturn]] void FailWriting(const std::string& path, int error) {
    throw Error(path, "cannot be written (" + Reason(error) + ")");
}

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

// Zero, or the reason the text did not all go out.
int WriteWhole(int fd, std::string_view text) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size())) return 0;
    return written < 0 ? errno : ENOSPC;
}

}  // namespace

ResultFile::ResultFile(std::string path, FolderEntry entry, std::optional<Placeholder> placeholder)
    : path_(std::move(path)), entry_(std::move(entry)), placeholder_(std::move(placeholder)) {}

// Created, listed and locked while no other run looks for leftovers in the
// folder, and given its text only once locked: a placeholder with the text
// and without a lock is always a leftover.
std::optional<ResultFile::Placeholder> ResultFile::CreatePlaceholder(const FolderEntry& entry,
                                                                     const std::string& path) {
    const int folder = entry.Folder->Get();
    const char* const name = entry.Name.c_str();
    // A taken name (the usual case among numbered names) needs no lock.
    struct stat existing {};
    if (::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) return std::nullopt;
    const FolderLock lock(folder, FolderLock::kShared);
    // Read-only, so that another user's program cannot write into it either.
    Descriptor fd(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444));
    if (!fd.IsOpen()) {
        if (errno == EEXIST) return std::nullopt;
        FailWriting(path, errno);
    }
    struct stat status {};
    int error = ::fstat(fd.Get(), &status) == 0 ? 0 : errno;
    Placeholder placeholder{std::move(fd), {status.st_dev, status.st_ino}, 0, {}};
    if (error == 0) placeholder.Owned = OwnedFile(folder, entry.Name, status.st_dev, status.st_ino);
    if (error == 0 && HoldOwnerLock(placeholder.Lock.Get())) {
        error = WriteWhole(placeholder.Lock.Get(), kClaimText);
        placeholder.Size = static_cast<off_t>(kClaimText.size());
    }
    if (error != 0) {
        placeholder.Owned.Unlist();
        ::unlinkat(folder, name, 0);
        FailWriting(path, error);
    }
    return placeholder;
}

std::optional<ResultFile> ResultFile::TryClaim(const std::string& path) {
    FolderEntry entry = OpenFolderOf(path);
    std::optional<Placeholder> placeholder = CreatePlaceholder(entry, path);
    if (!placeholder && RemoveLeftoverClaim(entry.Folder->Get(), entry.Name)) {
        placeholder = CreatePlaceholder(entry, path);
    }
    if (!placeholder) return std::nullopt;
    ResultFile file(path, std::move(entry), std::move(placeholder));
    file.MakeStaging();
    return file;
}

ResultFile ResultFile::Claim(const std::string& path) {
    std::optional<ResultFile> claimed = TryClaim(path);
    if (!claimed) throw Error(path, "already exists; choose another name");
    return std::move(*claimed);
}

ResultFile ResultFile::Replacing(const std::string& path) {
    ResultFile file(path, OpenFolderOf(path), std::nullopt);
    file.MakeStaging();
    return file;
}

ResultFile ResultFile::Removing(const std::string& path) {
    ResultFile file = Replacing(path);
    file.removes_ = true;
    return file;
}

// Anything the look cannot see counts as free: the claim names its problem.
bool ResultFile::Claimable(const std::string& path) {
    const FolderEntry entry = OpenFolderOf(path);
    struct stat existing {};
    if (::fstatat(entry.Folder->Get(), entry.Name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) return true;
    return RemoveLeftoverClaim(entry.Folder->Get(), entry.Name);
}

// Made with the claim, so that a name the file system cannot take with the
// staging suffix fails before any work.
void ResultFile::MakeStaging() {
    staging_ = std::make_unique<TemporaryFile>(entry_, path_);
    staging_->TakeWritesToPath();
}

ResultFile::ResultFile(ResultFile&& other) noexcept
    : path_(std::move(other.path_)),
      entry_(std::move(other.entry_)),
      placeholder_(std::move(other.placeholder_)),
      staging_(std::move(other.staging_)),
      committed_(other.committed_),
      removes_(other.removes_),
      undo_(other.undo_) {
    other.placeholder_.reset();
    other.committed_.reset();
}

ResultFile::~ResultFile() {
    if (placeholder_) placeholder_->Owned.Unlist();
    // First: after a commit, the staging name holds the placeholder.
    staging_.reset();
    if (!placeholder_ || committed_) return;
    if (HoldsPlaceholder(entry_.Name)) ::unlinkat(Folder(), entry_.Name.c_str(), 0);
}

std::optional<ResultFile::FileId> ResultFile::IdOf(const std::string& name) const {
    struct stat status {};
    if (::fstatat(Folder(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

bool ResultFile::HoldsPlaceholder(const std::string& name) const {
    struct stat status {};
    return ::fstatat(Folder(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode) && status.st_size == placeholder_->Size &&
           FileId{status.st_dev, status.st_ino} == placeholder_->Id;
}

void ResultFile::Commit() {
    if (removes_) {
        undo_ = CommitRemoval();
        return;
    }
    const std::optional<FileId> content = IdOf(staging_->Name());
    if (!content) FailWriting(path_, errno);
    if (!placeholder_) {
        undo_ = CommitReplacing();
    } else {
        // Off the list before the swap, so that a handler never removes the
        // result; a stop in between leaves a leftover placeholder.
        placeholder_->Owned.Unlist();
        CommitByExchange();
        undo_ = Undo::Remove;
    }
    committed_ = content;
}

// The earlier file is swapped under the staging name, where Withdraw finds
// it and which goes with the object. A folder is never swapped away: the
// rename over it fails.
ResultFile::Undo ResultFile::CommitReplacing() {
    const char* const name = entry_.Name.c_str();
    struct stat earlier {};
    const bool exists = ::fstatat(Folder(), name, &earlier, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && !S_ISDIR(earlier.st_mode) &&
        ::renameat2(Folder(), staging_->Name().c_str(), Folder(), name, RENAME_EXCHANGE) == 0) {
        return Undo::SwapBack;
    }
    staging_->MoveOver();
    return exists ? Undo::Nothing : Undo::Remove;
}

// The file goes under the staging name, in place of the empty staging file.
// A folder under the name is no companion of any file and stays.
ResultFile::Undo ResultFile::CommitRemoval() {
    const char* const name = entry_.Name.c_str();
    struct stat earlier {};
    if (::fstatat(Folder(), name, &earlier, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return Undo::Nothing;
        FailWriting(path_, errno);
    }
    if (S_ISDIR(earlier.st_mode)) return Undo::Nothing;
    if (::renameat(Folder(), name, Folder(), staging_->Name().c_str()) != 0) {
        throw Error(path_, "cannot be removed (" + Reason(errno) + ")");
    }
    return Undo::MoveBack;
}

// After the swap the staging name holds what was under the result name: our
// placeholder, which goes with the staging file, or a stranger's file, which
// goes back.
void ResultFile::CommitByExchange() {
    const std::string& staged = staging_->Name();
    const char* const name = entry_.Name.c_str();
    if (::renameat2(Folder(), staged.c_str(), Folder(), name, RENAME_EXCHANGE) != 0) {
        // ENOENT: the placeholder was removed, and the name may be free.
        if (errno == ENOENT || RenameFlagUnsupported(errno)) return CommitByLink();
        FailWriting(path_, errno);
    }
    if (HoldsPlaceholder(staged)) {
        placeholder_->Owned = OwnedFile(Folder(), staged, placeholder_->Id.Device, placeholder_->Id.Inode);
        return;
    }
    if (::renameat2(Folder(), staged.c_str(), Folder(), name, RENAME_EXCHANGE) != 0) {
        const int error = errno;
        const std::string strangersFile = staging_->Path();
        staging_->Forget();  // holds the stranger's file now: it must stay
        throw Error(path_, "was taken by another program during the run; its file is now " +
                                     DisplayPath(strangersFile) + " (" + Reason(error) + ")");
    }
    FailTaken(path_);
}

// Where the file system cannot swap two names: our placeholder goes, and a
// hard link takes the name only if nothing has taken it in between.
void ResultFile::CommitByLink() {
    const char* const name = entry_.Name.c_str();
    if (HoldsPlaceholder(entry_.Name)) {
        ::unlinkat(Folder(), name, 0);
    } else if (IdOf(entry_.Name) || errno != ENOENT) {
        FailTaken(path_);
    }
    if (::linkat(Folder(), staging_->Name().c_str(), Folder(), name, 0) == 0) return;
    if (errno == EEXIST) FailTaken(path_);
    if (!LinkUnsupported(errno)) FailWriting(path_, errno);
    CommitByRename();
}

// Where there are no hard links either: a rename that never replaces. A
// plain rename could replace what another program put there meanwhile, so
// without this one nothing is saved.
void ResultFile::CommitByRename() {
    if (::renameat2(Folder(), staging_->Name().c_str(), Folder(), entry_.Name.c_str(),
                    RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) FailTaken(path_);
        if (RenameFlagUnsupported(errno)) {
            throw Error(path_, "cannot be written: its file system can neither link nor rename "
                                     "a file without the risk of replacing another");
        }
        FailWriting(path_, errno);
    }
    staging_->Forget();  // the staged file now lives under the result name
}

void ResultFile::Withdraw() {
    const Undo undo = std::exchange(undo_, Undo::Nothing);
    const bool ours = committed_ && IdOf(entry_.Name) == committed_;
    committed_.reset();
    const char* const name = entry_.Name.c_str();
    if (undo == Undo::Remove && ours) {
        ::unlinkat(Folder(), name, 0);
    } else if (undo == Undo::SwapBack && ours) {
        ::renameat2(Folder(), staging_->Name().c_str(), Folder(), name, RENAME_EXCHANGE);
    } else if (undo == Undo::MoveBack) {
        ::renameat2(Folder(), staging_->Name().c_str(), Folder(), name, RENAME_NOREPLACE);
    }
}

}  // namespace orvalis
