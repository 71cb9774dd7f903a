#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "files/Cancellation.h"

namespace orvalis {

using FileParts = std::initializer_list<std::span<const std::uint8_t>>;

// A file of this process beside a target, under a name that no other writer
// picks: "<target>.<8 hex digits>.tmp", created exclusively. It is removed
// when the object goes, unless it was moved under another name.
class TemporaryFile {
public:
    // Raises Error naming the target when no file can be created.
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&&) = delete;

    const std::string& Path() const { return path_; }

    // Writes the parts as the whole content, checks that every byte went
    // out, syncs it to the disk and closes the file; only once. Sees the
    // cancel flag between blocks of a few MB.
    void Write(FileParts parts, const CancelFlag* cancel = nullptr);
    // Renames it over its target, replacing what was there.
    void MoveOver();
    // Something else now lives under Path and must not be removed.
    void Forget() { path_.clear(); }

private:
    std::string target_;  // named in messages
    std::string path_;
    int fd_ = -1;
};

// Replaces path by a file of the parts: the old file stays intact until the
// new one is complete on the disk, and a failed write leaves no temporary.
void WriteFileAtomically(const std::string& path, FileParts parts,
                         const CancelFlag* cancel = nullptr);

}  // namespace orvalis
