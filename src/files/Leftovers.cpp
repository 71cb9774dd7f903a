#include "files/Leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <vector>

#include "files/Descriptor.h"
#include "files/Folder.h"

namespace orvalis {

namespace {

constexpr std::size_t kNumberDigits = 8;
constexpr std::string_view kTemporaryEnding = ".tmp";

bool IsLowerHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// A shared lock, granted only when no run holds its owner lock; it lasts
// while fd is open, so that the file's owner cannot come back meanwhile.
bool NobodyHoldsOwnerLock(int fd) {
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsLoneRegularFile(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_nlink == 1;
}

bool LooksLikeClaim(const struct stat& status) {
    return IsLoneRegularFile(status) && (status.st_mode & 0222) == 0 &&
           status.st_size == static_cast<off_t>(kClaimText.size());
}

bool HoldsClaimText(int fd) {
    char text[kClaimText.size() + 1];
    const ssize_t read = ::pread(fd, text, sizeof text, 0);
    return read == static_cast<ssize_t>(kClaimText.size()) &&
           std::string_view(text, kClaimText.size()) == kClaimText;
}

using Recognise = std::function<bool(int fd, const struct stat& status)>;

// Opens the entry for a look, without following a link or blocking on a
// FIFO, and keeps it open (with the lock that shows its owner gone) when it
// is a leftover that `recognise` accepts and still the entry under name.
Descriptor OpenLeftover(int folder, const std::string& name, const Recognise& recognise) {
    Descriptor fd(::openat(folder, name.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {}, named {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &opened) != 0 || !recognise(fd.Get(), opened) ||
        !NobodyHoldsOwnerLock(fd.Get()) ||
        ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(opened, named)) {
        return Descriptor();
    }
    return fd;
}

std::vector<std::string> TemporaryNamesOf(int folder, const std::string& target) {
    std::vector<std::string> names;
    Descriptor listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing.IsOpen()) return names;
    DIR* entries = ::fdopendir(listing.Get());
    if (entries == nullptr) return names;
    listing.Release();  // the DIR owns it now
    while (const dirent* entry = ::readdir(entries)) {
        if (IsTemporaryName(entry->d_name, target)) names.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    return names;
}

// With the folder's exclusive lock held.
void RemoveUnownedTemporaries(int folder, const std::string& target) {
    const Recognise temporary = [](int, const struct stat& status) {
        return IsLoneRegularFile(status);
    };
    for (const std::string& name : TemporaryNamesOf(folder, target)) {
        if (OpenLeftover(folder, name, temporary).IsOpen()) ::unlinkat(folder, name.c_str(), 0);
    }
}

}  // namespace

std::string TemporaryName(const std::string& target, std::uint32_t number) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(number));
    return target + suffix;
}

bool IsTemporaryName(std::string_view name, std::string_view target) {
    if (name.size() != target.size() + 1 + kNumberDigits + kTemporaryEnding.size() ||
        !name.starts_with(target) || !name.ends_with(kTemporaryEnding) ||
        name[target.size()] != '.') {
        return false;
    }
    const std::string_view number = name.substr(target.size() + 1, kNumberDigits);
    for (const char c : number) {
        if (!IsLowerHexDigit(c)) return false;
    }
    return true;
}

bool HoldOwnerLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    // Waits out another run's look at the file, which is brief.
    int result = 0;
    do {
        result = ::fcntl(fd, F_OFD_SETLKW, &lock);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool RemoveLeftoverClaim(int folder, const std::string& name) {
    struct stat status {};
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !LooksLikeClaim(status)) {
        return false;
    }
    const FolderLock lock(folder, FolderLock::kExclusive);
    if (!lock.Held()) return false;
    const Descriptor claim = OpenLeftover(folder, name, [](int fd, const struct stat& opened) {
        return LooksLikeClaim(opened) && HoldsClaimText(fd);
    });
    if (!claim.IsOpen()) return false;
    RemoveUnownedTemporaries(folder, name);
    return ::unlinkat(folder, name.c_str(), 0) == 0;
}

void RemoveLeftoverTemporaries(int folder, const std::string& target) {
    const FolderLock lock(folder, FolderLock::kExclusive);
    if (lock.Held()) RemoveUnownedTemporaries(folder, target);
}

}  // namespace orvalis
