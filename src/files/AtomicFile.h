#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

#include "files/Cancellation.h"
#include "files/Descriptor.h"
#include "files/Folder.h"
#include "files/OwnedFiles.h"

namespace orvalis {

using FileParts = std::initializer_list<std::span<const std::uint8_t>>;

// A file of this process beside a target, under a name that no other writer
// picks: "<target>.<8 hex digits>.tmp" (Leftovers.h), created exclusively in
// the target's folder, held open and locked while it exists, and listed
// among the files the process owns. It is removed when the object goes,
// unless it was moved under another name. Making one first removes the
// leftover temporaries of the target that ended runs left behind.
class TemporaryFile {
public:
    // Beside the file that target names. Raises Error naming the target when
    // no file can be made, a name too long for the file system included.
    explicit TemporaryFile(const std::string& target);
    // Beside the entry of a folder the caller holds; messages name `target`.
    TemporaryFile(const FolderEntry& entry, const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The path as the target's path gives it, for the writers of the content.
    const std::string& Path() const { return path_; }
    // The name in its folder.
    const std::string& Name() const { return name_; }

    // Writes the parts as the whole content, checks that every byte went
    // out and syncs it to the disk. Sees the cancel flag between blocks of a
    // few MB. Failures name the target.
    void Write(FileParts parts, const CancelFlag* cancel = nullptr);
    // Renames it over its target, replacing what was there.
    void MoveOver();
    // Something else now lives under its name and must not be removed.
    void Forget();
    // From now on WriteFileAtomically(Path()) writes this file itself, in
    // place, until it goes: it is already a file nobody else writes, and the
    // messages name the target rather than a temporary of a temporary.
    void TakeWritesToPath();

private:
    void Create();
    void StopTakingWrites();

    FolderEntry target_;
    std::string targetPath_;  // named in messages
    std::string path_;
    std::string name_;        // empty once moved or forgotten
    Descriptor fd_;           // holds the owner lock
    OwnedFile owned_;
    bool takesWrites_ = false;
};

// Replaces path by a file of the parts: the old file stays intact until the
// new one is complete on the disk, and a failed write leaves no temporary.
// A path that is a staging file of this process (TakeWritesToPath) is
// written in place.
void WriteFileAtomically(const std::string& path, FileParts parts,
                         const CancelFlag* cancel = nullptr);

}  // namespace orvalis
