#include "generation/TextureInfo.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/AtomicFile.h"
#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "files/Error.h"

namespace orvalis {

namespace {

constexpr char kCtrlZ = 0x1A;  // an old editor's end-of-file mark; nothing after it is read

// Bytes read at a time; a line may run over any number of them.
constexpr std::size_t kReadChunk = 64 * 1024;

// A control character in a line would name a file other than the one the
// user sees, cut a path short at a NUL, or (CR, LF, Ctrl-Z) split or end the
// file. The reader refuses such a line and the writer never writes one.
bool IsControlCharacter(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

void CheckNoControlCharacter(const std::string& path, int lineNumber, const std::string& line) {
    const auto control = std::find_if(line.begin(), line.end(), IsControlCharacter);
    if (control != line.end()) {
        throw Error(path, "line " + std::to_string(lineNumber) +
                                    " contains a control character (" +
                                    DisplayPath(std::string(1, *control)) + ")");
    }
}

struct PictureSignature {
    std::string_view Bytes;
    const char* Format;
};

constexpr PictureSignature kPictureSignatures[] = {
    {"BM", "BMP"},
    {"\x89PNG\r\n\x1A\n", "PNG"},
    {"\xFF\xD8\xFF", "JPEG"},
    {"GIF8", "GIF"},
    {{"II*\0", 4}, "TIFF"},
    {{"MM\0*", 4}, "TIFF"},
    {{"II+\0", 4}, "TIFF"},
    {{"MM\0+", 4}, "TIFF"},
};

// A picture picked in place of a set-up: a picture's signature followed,
// within the first bytes, by a byte no line of text holds.
void RefusePicture(const std::string& path, std::string_view head) {
    const bool binary = std::any_of(head.begin(), head.end(), [](char c) {
        return IsControlCharacter(c) && c != '\r' && c != '\n' && c != '\t';
    });
    if (!binary) return;
    for (const PictureSignature& signature : kPictureSignatures) {
        if (head.starts_with(signature.Bytes)) {
            throw Error(path,
                        "is a " + std::string(signature.Format) + " picture, not a set-up file");
        }
    }
}

// A first line that holds a control character other than a stray CR or a
// tab is no line of text but some other binary file; saying so helps more
// than naming the byte.
void RefuseBinaryFirstLine(const std::string& path, const std::string& line) {
    const bool text = std::all_of(line.begin(), line.end(), [](char c) {
        return !IsControlCharacter(c) || c == '\r' || c == '\t';
    });
    if (!text) throw Error(path, "is not a set-up file (binary data)");
}

// Hands out the file's lines one by one, reading only as far as asked.
class InfoLineReader {
public:
    explicit InfoLineReader(const std::string& path) : file_(path), chunk_(kReadChunk) {}

    bool AtEnd() {
        if (!ended_) {
            if (next_ == filled_) {
                next_ = 0;
                filled_ = file_.Read(chunk_);
                if (!headChecked_) CheckHead();
            }
            ended_ = filled_ == 0 || chunk_[next_] == kCtrlZ;
        }
        return ended_;
    }

    // Everything up to the next LF or CR LF; past the end, the empty line.
    std::string NextLine() {
        ++lineNumber_;
        std::string line;
        while (!AtEnd()) {
            const char c = static_cast<char>(chunk_[next_++]);
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                break;
            }
            line.push_back(c);
            // Refused as soon as it is read (a CR once no LF follows it), so
            // that a binary file picked by mistake is not read whole.
            const bool strayReturn = line.size() > 1 && line[line.size() - 2] == '\r';
            if ((c != '\r' && IsControlCharacter(c)) || strayReturn) Check(line);
        }
        Check(line);
        return line;
    }

private:
    static constexpr std::size_t kHeadBytes = 8;  // the longest picture signature

    void CheckHead() {
        headChecked_ = true;
        const std::string_view head(reinterpret_cast<const char*>(chunk_.data()),
                                    std::min(filled_, kHeadBytes));
        RefusePicture(file_.Path(), head);
    }

    void Check(const std::string& line) const {
        if (lineNumber_ == 1) RefuseBinaryFirstLine(file_.Path(), line);
        CheckNoControlCharacter(file_.Path(), lineNumber_, line);
    }

    InputFile file_;
    std::vector<std::uint8_t> chunk_;
    std::size_t next_ = 0;    // the next byte of chunk_ to hand out
    std::size_t filled_ = 0;  // bytes of chunk_ read from the file
    int lineNumber_ = 0;
    bool ended_ = false;
    bool headChecked_ = false;
};

}  // namespace

TextureInfo ReadTextureInfo(const std::string& path) {
    InfoLineReader lines(path);
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

std::string ResolveInfoPath(const std::string& written, const std::string& infoPath) {
    const std::filesystem::path path(written);
    if (written.empty() || path.is_absolute() || !NothingAt(written)) return written;
    std::error_code ignored;
    const std::filesystem::path beside =
        std::filesystem::absolute(infoPath, ignored).parent_path() / path;
    return NothingAt(beside.string()) ? written : beside.lexically_normal().string();
}

void WriteTextureInfo(const std::string& path, const TextureInfo& info) {
    std::vector<std::string> values(info.TileFiles.begin(), info.TileFiles.end());
    values.push_back(info.HeightmapFile);
    if (info.BandTexts) {
        values.insert(values.end(), info.BandTexts->begin(), info.BandTexts->end());
    } else {
        values.resize(values.size() + 5);
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        CheckNoControlCharacter(path, static_cast<int>(i) + 1, values[i]);
    }

    std::string text;
    for (const std::string& value : values) text += value + "\r\n";
    WriteFileAtomically(path, {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

}  // namespace orvalis
