#pragma once

#include <sys/types.h>

#include <string>

namespace orvalis {

// The files this process has made and not yet handed over (placeholders of
// claimed names and temporaries), listed so that a program ended at once by
// a signal can remove them from its handler. The list is fixed in size and
// lock-free: a handler may read it at any moment. Beyond its size a file
// goes unlisted; a run that ends normally removes its files itself, and a
// later run clears what an abrupt end left (Leftovers.h).
class OwnedFile {
public:
    OwnedFile() = default;
    // Lists the file `name` of the open folder, which must stay open while
    // it is listed, and which must still be this file (device, inode) when
    // it is removed.
    OwnedFile(int folder, const std::string& name, dev_t device, ino_t inode);
    OwnedFile(OwnedFile&& other) noexcept;
    OwnedFile& operator=(OwnedFile&& other) noexcept;
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    ~OwnedFile() { Unlist(); }

    // Takes the file off the list (it is not removed); do it before the file
    // goes or moves, so that a handler never removes whatever comes under
    // its name next.
    void Unlist();

private:
    int slot_ = -1;
};

// Removes every listed file that is still the one listed. Async-signal-safe;
// the process must end right after, as the list stays drained.
void RemoveOwnedFilesNow();

}  // namespace orvalis
