// The GDAL path of the picture reader: the fuzzer's bytes as a file in
// memory (a tmpfs file under /dev/shm, or the temporary folder), read by
// ReadPictureFacts and ReadPictureFile exactly as the programs read a
// picture the user names: opened by us, shown to GDAL through the view of
// that one file, checked, decoded in bands under a memory limit; and opened
// as a world (a mosaic's text included) of which a window is read.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/Error.h"
#include "io/HeightWorld.h"
#include "io/PictureFile.h"

namespace {

// Small enough for libFuzzer's 512 MB with the sanitizers' own memory,
// large enough for every seed.
constexpr std::uint64_t kMemoryLimit = std::uint64_t{48} << 20;

const std::string& PicturePath() {
    static const std::string path = [] {
        const std::filesystem::path shm("/dev/shm");
        const std::filesystem::path folder =
            (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
            ("orvalis-gdal-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        return (folder / "picture").string();
    }();
    return path;
}

}  // namespace

// AddressSanitizer keeps 256 MB of freed memory by default; the reads here
// free tens of megabytes each, which would count against libFuzzer's limit.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=32"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = PicturePath();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    orvalis::PictureReadOptions options;
    options.MemoryLimit = kMemoryLimit;
    try {
        orvalis::ReadPictureFacts(path, options);
        const orvalis::Picture picture = orvalis::ReadPictureFile(path, options);
        static volatile std::size_t sink;
        sink = picture.Pixels.PixelBytes();
    } catch (const orvalis::Error&) {
        // Every refusal is an Error naming the file; anything else escapes and is a finding.
    }
    try {
        const orvalis::HeightWorld world(path, options);
        const orvalis::Picture window = world.ReadWindow({0, 0, 64, 64}, world.Levels({}));
        static volatile std::size_t sink;
        sink = window.Pixels.PixelBytes();
    } catch (const orvalis::Error&) {
    }
    return 0;
}
