#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "files/AtomicFile.h"
#include "files/Descriptor.h"
#include "files/Folder.h"
#include "files/OwnedFiles.h"

namespace orvalis {

// A file that a run produces. The run writes it to a staging file beside its
// name, made with the object, and Commit puts it under the name only once
// the run is complete, in one atomic step. A failed or cancelled run leaves
// nothing: the object removes its staging file and its placeholder when it
// goes. All of it happens in the folder as it was opened at the start, even
// if that folder is renamed meanwhile.
//
// A claimed name is held from the start by a read-only placeholder created
// exclusively, so that two runs (in one program or in several) never pick
// the same name. The run locks it for its whole life, and only then writes
// kClaimText into it, so that a later run can tell a placeholder left by a
// run that ended abruptly and clear it (Leftovers.h). Whatever turns up
// under a claimed name before the commit is never replaced: the commit swaps
// the staged file with the placeholder and checks that it was this run's
// own, untouched placeholder that came out; otherwise it swaps back and fails.
class ResultFile {
public:
    // Raises Error "... already exists; choose another name" when
    // anything but a leftover placeholder exists under path.
    static ResultFile Claim(const std::string& path);
    // Nothing when anything but a leftover placeholder exists under path;
    // raises Error for any other reason the name cannot be claimed (no such
    // folder, no permission, a name too long for the file system).
    static std::optional<ResultFile> TryClaim(const std::string& path);
    // A name whose file every completed run replaces ("lm.bmp"). The file
    // it replaced stays beside it, under the staging name, until the object
    // goes, so that Withdraw can put it back.
    static ResultFile Replacing(const std::string& path);
    // A name whose file a completed run removes, if there is one: a companion
    // that would no longer describe what the run replaces ("lm.pgw" beside a
    // new lm.png that has no world file). Kept aside like a replaced file.
    static ResultFile Removing(const std::string& path);
    // Whether Claim would find the name free: nothing under it, or a
    // leftover placeholder (Leftovers.h), which goes now with its temporaries.
    static bool Claimable(const std::string& path);

    ResultFile(ResultFile&& other) noexcept;
    ResultFile& operator=(ResultFile&&) = delete;
    ~ResultFile();

    const std::string& Path() const { return path_; }
    // Where the run writes the content: a file of its own, which
    // WriteFileAtomically writes in place.
    const std::string& StagingPath() const { return staging_->Path(); }
    // Puts the staged file under the name. On failure nothing has changed
    // under the name and it raises Error.
    void Commit();
    // Takes a committed file back (a later step of the run failed): a claimed
    // name is left free, a replaced or removed file comes back. A file that
    // is not this run's own stays. Where the file system cannot swap two
    // names, a replaced file cannot come back, so a Replacing name is
    // committed last.
    void Withdraw();

private:
    struct FileId {
        dev_t Device = 0;
        ino_t Inode = 0;
        bool operator==(const FileId&) const = default;
    };
    struct Placeholder {
        Descriptor Lock;  // open for the run's life: its owner lock
        FileId Id;
        off_t Size = 0;
        OwnedFile Owned;
    };

    // How Withdraw takes a commit back.
    enum class Undo { Nothing, Remove, SwapBack, MoveBack };

    ResultFile(std::string path, FolderEntry entry, std::optional<Placeholder> placeholder);
    static std::optional<Placeholder> CreatePlaceholder(const FolderEntry& entry,
                                                        const std::string& path);
    void MakeStaging();
    int Folder() const { return entry_.Folder->Get(); }
    std::optional<FileId> IdOf(const std::string& name) const;
    bool HoldsPlaceholder(const std::string& name) const;
    void CommitByExchange();
    void CommitByLink();
    void CommitByRename();
    Undo CommitReplacing();
    Undo CommitRemoval();

    std::string path_;
    FolderEntry entry_;
    std::optional<Placeholder> placeholder_;  // set for a claimed name
    std::unique_ptr<TemporaryFile> staging_;
    std::optional<FileId> committed_;         // the file put under the name
    bool removes_ = false;                    // a Removing name
    Undo undo_ = Undo::Nothing;
};

}  // namespace orvalis
