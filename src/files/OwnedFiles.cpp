#include "files/OwnedFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <utility>

namespace orvalis {

namespace {

// Enough for every file of several runs at once (a run owns at most a dozen).
constexpr int kSlots = 256;

// A slot goes free -> filling -> listed -> free; a handler takes a listed
// one to draining, after which it is never reused.
enum SlotState : int { kFree, kFilling, kListed, kDraining };

struct Slot {
    std::atomic<int> State{kFree};
    int Folder = -1;
    dev_t Device = 0;
    ino_t Inode = 0;
    char Name[NAME_MAX + 1] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot g_slots[kSlots];

}  // namespace

OwnedFile::OwnedFile(int folder, const std::string& name, dev_t device, ino_t inode) {
    if (name.size() > NAME_MAX) return;
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = g_slots[i];
        int expected = kFree;
        if (!slot.State.compare_exchange_strong(expected, kFilling)) continue;
        slot.Folder = folder;
        slot.Device = device;
        slot.Inode = inode;
        std::memcpy(slot.Name, name.c_str(), name.size() + 1);
        slot.State.store(kListed, std::memory_order_release);
        slot_ = i;
        return;
    }
}

OwnedFile::OwnedFile(OwnedFile&& other) noexcept : slot_(std::exchange(other.slot_, -1)) {}

OwnedFile& OwnedFile::operator=(OwnedFile&& other) noexcept {
    if (this != &other) {
        Unlist();
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

void OwnedFile::Unlist() {
    if (slot_ < 0) return;
    std::atomic<int>& state = g_slots[slot_].State;
    // A slot being drained belongs to a handler that ends the process: that
    // end is awaited here rather than a slot reused under it.
    for (int expected = kListed; !state.compare_exchange_weak(expected, kFree);) {
        expected = kListed;
    }
    slot_ = -1;
}

void RemoveOwnedFilesNow() {
    for (Slot& slot : g_slots) {
        int expected = kListed;
        if (!slot.State.compare_exchange_strong(expected, kDraining, std::memory_order_acquire)) {
            continue;
        }
        struct stat status {};
        if (::fstatat(slot.Folder, slot.Name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            status.st_dev == slot.Device && status.st_ino == slot.Inode) {
            ::unlinkat(slot.Folder, slot.Name, 0);
        }
    }
}

}  // namespace orvalis
