#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/Error.h"
#include "layers/LayersFile.h"

// The layers file's parser on arbitrary bytes; a set it accepts must be
// written and read back equal, or the writer and the reader disagree.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orvalis::LayerSet set;
    try {
        set = orvalis::ParseLayers(text, "fuzz-layers.txt");
    } catch (const orvalis::Error&) {
        return 0;
    }
    if (!(orvalis::ParseLayers(orvalis::LayersText(set), "written") == set)) std::abort();
    return 0;
}
