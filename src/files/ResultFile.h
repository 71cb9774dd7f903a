#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "files/AtomicFile.h"

namespace orvalis {

// A file that a run produces. The run writes it to a staging file beside its
// name, and Commit puts it under the name only once the run is complete, in
// one atomic step. A failed or cancelled run leaves nothing: the object
// removes its staging file and its placeholder when it goes.
//
// A claimed name is held from the start by an empty, read-only placeholder
// created exclusively, so that two runs (in one program or in several) never
// pick the same name. Whatever turns up under a claimed name before the
// commit is never replaced: the commit swaps the staged file with the
// placeholder and checks that it was this run's own, untouched placeholder
// that came out; otherwise it swaps back and fails.
class ResultFile {
public:
    // Raises Error "... already exists; choose another name" when
    // anything exists under path.
    static ResultFile Claim(const std::string& path);
    // Nothing when anything exists under path; raises Error for any
    // other reason the name cannot be claimed (no such folder, no permission).
    static std::optional<ResultFile> TryClaim(const std::string& path);
    // A name whose file every completed run replaces ("lm.bmp").
    static ResultFile Replacing(const std::string& path);

    ResultFile(ResultFile&& other) noexcept;
    ResultFile& operator=(ResultFile&&) = delete;
    ~ResultFile();

    const std::string& Path() const { return path_; }
    // Where the run writes the content: a file of its own, made on first use.
    const std::string& StagingPath();
    // Puts the staged file under the name. On failure nothing has changed
    // under the name and it raises Error.
    void Commit();
    // Takes a committed file back off a claimed name (a later step of the
    // run failed), leaving the name free; a file that is not this run's own
    // stays. A replaced file cannot come back, so a Replacing name is
    // committed last.
    void Withdraw();

private:
    struct FileId {
        dev_t Device = 0;
        ino_t Inode = 0;
        bool operator==(const FileId&) const = default;
    };

    ResultFile(std::string path, std::optional<FileId> placeholder)
        : path_(std::move(path)), placeholder_(placeholder) {}
    bool HoldsPlaceholder(const std::string& path) const;
    void CommitByExchange();
    void CommitByLink();
    void CommitByRename();

    std::string path_;
    std::optional<FileId> placeholder_;  // set for a claimed name
    std::optional<TemporaryFile> staging_;
    std::optional<FileId> committed_;    // the file put under the name
};

}  // namespace orvalis
