#include "TestPictures.h"

#include <cstring>
#include <fstream>

namespace orvalis::test {

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

std::vector<std::uint8_t> MakeBmp24(int width, int height, const PixelAt& pixelAt) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = rowBytes * height;
    std::vector<std::uint8_t> bytes(54 + pixelBytes);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    PutU32(bytes, kPixelOffsetAt, 54);
    PutU32(bytes, kHeaderSizeAt, 40);
    PutU32(bytes, kWidthAt, static_cast<std::uint32_t>(width));
    PutU32(bytes, kHeightAt, static_cast<std::uint32_t>(height));
    PutU16(bytes, 26, 1);
    PutU16(bytes, kBitCountAt, 24);
    PutU32(bytes, 34, static_cast<std::uint32_t>(pixelBytes));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const PixelColour colour = pixelAt(x, y);
            std::memcpy(bytes.data() + 54 + y * rowBytes + 3 * x, &colour, 3);
        }
    }
    return bytes;
}

std::string TestFolder::Path(const std::string& name) const {
    return folder_.filePath(QString::fromStdString(name)).toStdString();
}

std::string TestFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace orvalis::test
