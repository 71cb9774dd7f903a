#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvalis {

// What a run leaves when it ends abruptly (SIGKILL, the out-of-memory
// killer, a power cut): the placeholder of a name it claimed and its
// temporaries "<name>.<8 hex digits>.tmp". While a run lives it holds a lock
// on each of them (an open-file-description lock, which the kernel drops
// when the process ends however it ends), so one that nobody holds a lock on
// is a leftover. A later run that needs the name removes them.
//
// A placeholder counts as ours only when everything says so: a regular,
// read-only file with one link, whose content is exactly kClaimText, that
// nobody holds a lock on. An empty or read-only file of the user's own, a
// link, or a placeholder of a live run is never removed. A temporary counts
// as ours by its name beside the target, a regular file with one link that
// nobody holds a lock on.

// The content of a placeholder. It is written only once the lock is held.
inline constexpr std::string_view kClaimText =
    "orvalis: this name is held for a result being made; it replaces this text when complete\n";

// "<target>.<8 hex digits>.tmp": the name of a temporary of target.
std::string TemporaryName(const std::string& target, std::uint32_t number);
bool IsTemporaryName(std::string_view name, std::string_view target);

// Locks a file this run has just made (fd open for writing) for as long as
// fd stays open; false where the file system has no such locks.
bool HoldOwnerLock(int fd);

// Removes the leftover placeholder under name in the open folder, with its
// leftover temporaries; true when it did (the name may be free now).
bool RemoveLeftoverClaim(int folder, const std::string& name);
// Removes the leftover temporaries of target in the open folder.
void RemoveLeftoverTemporaries(int folder, const std::string& target);

}  // namespace orvalis
