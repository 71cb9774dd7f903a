#pragma once

#include <sys/file.h>

#include <memory>
#include <string>

#include "files/Descriptor.h"

namespace orvalis {

// A file a run writes, found through its folder held open: the run makes,
// swaps and removes its files relative to that descriptor, so that they stay
// together, and its cleanup finds them, even when the folder is renamed
// meanwhile.
struct FolderEntry {
    std::shared_ptr<const Descriptor> Folder;  // opened with O_PATH
    std::string Name;                          // the file's name in it
};

// The folder of the file that path names ("." for a plain name), opened, and
// the file's name. Raises Error naming path when the folder cannot be
// opened, or when path names no file in it ("out/", "/").
FolderEntry OpenFolderOf(const std::string& path);

// An advisory lock (flock) on a folder for a moment. Runs take it shared
// while they make and lock a file of theirs, and exclusive while they look
// for leftovers of runs that have ended, so that a file never counts as a
// leftover in the moment between its creation and its lock. Taken on a
// descriptor of its own, because locks that share one open file release
// each other. Not held where the folder cannot be read, the file system
// has no such locks, or another process keeps it for more than a moment.
class FolderLock {
public:
    enum Kind { kShared = LOCK_SH, kExclusive = LOCK_EX };

    FolderLock(int folder, Kind kind);
    bool Held() const { return held_; }

private:
    Descriptor own_;
    bool held_ = false;
};

}  // namespace orvalis
