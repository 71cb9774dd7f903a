#include "io/GdalFileView.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <span>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>

namespace orvalis {

namespace {

constexpr const char* kPrefix = "/vsiorvalis/";

struct ViewFiles {
    std::map<std::string, const InputFile*> ByName;
    const CancelFlag* Cancel = nullptr;
};

// Every view, by the folder name that follows the prefix. GDAL may read
// from several threads (the window reads beside the command line's tests).
std::mutex g_viewsMutex;
std::map<std::string, ViewFiles> g_views;

// An open file of a view, as GDAL's read, seek and tell see it.
struct OpenFile {
    const InputFile* File = nullptr;
    const CancelFlag* Cancel = nullptr;
    std::uint64_t Position = 0;
    bool AtEnd = false;
};

// The file and flag registered under a name below the prefix ("3/hills.tif");
// none for every other name, ".." and subfolders included.
bool Find(const char* name, const InputFile*& file, const CancelFlag*& cancel) {
    const std::string text(name);
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    const std::lock_guard lock(g_viewsMutex);
    const auto view = g_views.find(text.substr(0, slash));
    if (view == g_views.end()) return false;
    const auto entry = view->second.ByName.find(text.substr(slash + 1));
    if (entry == view->second.ByName.end()) return false;
    file = entry->second;
    cancel = view->second.Cancel;
    return true;
}

int Stat(void*, const char* name, VSIStatBufL* status, int) {
    const InputFile* file = nullptr;
    const CancelFlag* cancel = nullptr;
    if (!Find(name, file, cancel)) {
        errno = ENOENT;
        return -1;
    }
    status->st_mode = S_IFREG | S_IRUSR;
    status->st_size = static_cast<off_t>(file->Size());
    return 0;
}

void* Open(void*, const char* name, const char* access) {
    const InputFile* file = nullptr;
    const CancelFlag* cancel = nullptr;
    if (std::strchr(access, 'w') || std::strchr(access, 'a') || std::strchr(access, '+')) {
        errno = EACCES;
        return nullptr;
    }
    if (!Find(name, file, cancel)) {
        errno = ENOENT;
        return nullptr;
    }
    return new OpenFile{file, cancel};
}

vsi_l_offset Tell(void* handle) { return static_cast<OpenFile*>(handle)->Position; }

int Seek(void* handle, vsi_l_offset offset, int whence) {
    auto& open = *static_cast<OpenFile*>(handle);
    if (whence == SEEK_SET) open.Position = offset;
    else if (whence == SEEK_CUR) open.Position += offset;
    else if (whence == SEEK_END) open.Position = open.File->Size() + offset;
    else return -1;
    open.AtEnd = false;
    return 0;
}

// Reads what the file holds from the position on (its size as it was
// opened); a stop asked for or a failed read ends the reading with GDAL's
// error, which our message then shows.
size_t Read(void* handle, void* buffer, size_t size, size_t count) {
    auto& open = *static_cast<OpenFile*>(handle);
    if (size == 0 || count == 0) return 0;
    if (open.Cancel != nullptr && open.Cancel->load(std::memory_order_relaxed)) {
        CPLError(CE_Failure, CPLE_UserInterrupt, "stopped");
        return 0;
    }
    const std::uint64_t size64 = open.File->Size();
    // count x size is a buffer in memory: it fits in 64 bits.
    const std::uint64_t wanted = static_cast<std::uint64_t>(size) * count;
    const std::uint64_t available =
        open.Position < size64 ? std::min(wanted, size64 - open.Position) : 0;
    try {
        open.File->ReadAt(open.Position, {static_cast<std::uint8_t*>(buffer), available});
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_FileIO, "%s", e.what());
        return 0;
    }
    open.Position += available;
    open.AtEnd = available < wanted;
    return available / size;
}

int Eof(void* handle) { return static_cast<OpenFile*>(handle)->AtEnd ? 1 : 0; }

int Close(void* handle) {
    delete static_cast<OpenFile*>(handle);
    return 0;
}

// The names of a view's files, for a name in its folder or the folder itself.
char** NamesBeside(const char* name) {
    std::string folder(name);
    folder = folder.substr(0, folder.find('/'));
    CPLStringList names;
    const std::lock_guard lock(g_viewsMutex);
    if (const auto view = g_views.find(folder); view != g_views.end()) {
        for (const auto& entry : view->second.ByName) names.AddString(entry.first.c_str());
    }
    // An empty list, not none: "nothing else is there", not "unknown".
    return names.List() ? names.StealList() : static_cast<char**>(CPLCalloc(1, sizeof(char*)));
}

char** ReadFolder(void*, const char* name, int) { return NamesBeside(name); }
char** SiblingFiles(void*, const char* name) { return NamesBeside(name); }

void InstallHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        VSIFilesystemPluginCallbacksStruct* callbacks = VSIAllocFilesystemPluginCallbacksStruct();
        callbacks->stat = Stat;
        callbacks->open = Open;
        callbacks->tell = Tell;
        callbacks->seek = Seek;
        callbacks->read = Read;
        callbacks->eof = Eof;
        callbacks->close = Close;
        callbacks->read_dir = ReadFolder;
        callbacks->sibling_files = SiblingFiles;
        VSIInstallPluginHandler(kPrefix, callbacks);
        VSIFreeFilesystemPluginCallbacksStruct(callbacks);
    });
}

std::string FileNameOf(const InputFile& file) {
    return std::filesystem::path(file.Path()).filename().string();
}

}  // namespace

GdalFileView::GdalFileView(const InputFile& main, const std::vector<const InputFile*>& sidecars,
                           const CancelFlag* cancel) {
    InstallHandler();
    static std::atomic<std::uint64_t> made{0};
    const std::string id = std::to_string(made++);
    folder_ = kPrefix + id;
    name_ = folder_ + "/" + FileNameOf(main);
    ViewFiles files{{{FileNameOf(main), &main}}, cancel};
    for (const InputFile* sidecar : sidecars) files.ByName.emplace(FileNameOf(*sidecar), sidecar);
    for (const auto& entry : files.ByName) fileNames_.push_back(entry.first);
    const std::lock_guard lock(g_viewsMutex);
    g_views.emplace(id, std::move(files));
}

GdalFileView::~GdalFileView() {
    const std::lock_guard lock(g_viewsMutex);
    g_views.erase(folder_.substr(std::strlen(kPrefix)));
}

std::string GdalFileView::UserName(const std::string& gdalName) const {
    const std::string inFolder = folder_ + "/";
    if (gdalName.rfind(inFolder, 0) == 0) return gdalName.substr(inFolder.size());
    return gdalName;
}

}  // namespace orvalis
