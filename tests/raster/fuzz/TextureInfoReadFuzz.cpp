#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "files/DisplayPath.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

// The texture-info reader on arbitrary bytes, then every line it gives as a
// message would quote it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/orvalis-fuzz-" + std::to_string(getpid()) + ".txt";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    orvalis::TextureInfo info;
    try {
        info = orvalis::ReadTextureInfo(path);
    } catch (const orvalis::Error&) {
    }
    std::size_t shown = orvalis::DisplayPath(info.HeightmapFile).size();
    for (const std::string& tile : info.TileFiles) shown += orvalis::DisplayPath(tile).size();
    // The raw bytes as a path, so that every byte sequence passes DisplayPath.
    shown += orvalis::DisplayPath(std::string(reinterpret_cast<const char*>(data), size)).size();
    static volatile std::size_t sink;
    sink = shown;
    return 0;
}
