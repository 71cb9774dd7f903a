#include "synth/TextureInfo.h"

#include <filesystem>
#include <fstream>
#include <istream>
#include <string>
#include <system_error>
#include <vector>

#include "raster/AtomicFile.h"
#include "raster/RasterError.h"

namespace orvalis {

namespace {

constexpr char kCtrlZ = 0x1A;  // an old editor's end-of-file mark; nothing after it is read

// Hands out the file's lines one by one, reading only as far as asked.
class InfoLineReader {
public:
    InfoLineReader(std::istream& in, const std::string& path) : in_(in), path_(path) {}

    bool AtEnd() {
        if (!ended_) {
            const int next = in_.peek();
            if (in_.bad()) throw RasterError(path_, "cannot be read");
            ended_ = next == std::char_traits<char>::eof() || next == kCtrlZ;
        }
        return ended_;
    }

    // Everything up to the next LF or CR LF; past the end, the empty line.
    std::string NextLine() {
        std::string line;
        while (!AtEnd()) {
            const char c = static_cast<char>(in_.get());
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                break;
            }
            line.push_back(c);
        }
        return line;
    }

private:
    std::istream& in_;
    const std::string& path_;
    bool ended_ = false;
};

std::ifstream OpenForReading(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) throw RasterError(path, "Datei nicht gefunden");
    if (std::filesystem::is_directory(status)) {
        throw RasterError(path, "is a folder, not a texture-info file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RasterError(path, "cannot be opened");
    return in;
}

// A line break inside a value would split it into two lines of the file.
void CheckStorable(const std::string& path, const std::string& value) {
    if (value.find_first_of(std::string("\r\n") + kCtrlZ) != std::string::npos) {
        throw RasterError(path, "cannot store \"" + value + "\": it contains a line break");
    }
}

}  // namespace

TextureInfo ReadTextureInfo(const std::string& path) {
    std::ifstream in = OpenForReading(path);
    InfoLineReader lines(in, path);
    TextureInfo info;
    for (std::string& tile : info.TileFiles) tile = lines.NextLine();
    info.HeightmapFile = lines.NextLine();
    if (!lines.AtEnd()) {
        std::array<std::string, 5> texts;
        for (std::string& text : texts) text = lines.NextLine();
        info.BandTexts = texts;
    }
    return info;
}

void WriteTextureInfo(const std::string& path, const TextureInfo& info) {
    std::vector<std::string> values(info.TileFiles.begin(), info.TileFiles.end());
    values.push_back(info.HeightmapFile);
    if (info.BandTexts) {
        values.insert(values.end(), info.BandTexts->begin(), info.BandTexts->end());
    } else {
        values.resize(values.size() + 5);
    }
    for (const std::string& value : values) CheckStorable(path, value);

    std::string text;
    for (const std::string& value : values) text += value + "\r\n";
    WriteFileAtomically(path, {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

}  // namespace orvalis
