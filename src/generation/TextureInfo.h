#pragma once

#include <array>
#include <optional>
#include <string>

namespace orvalis {

// One set-up of the generator as a texture-info file holds it: eleven lines
// of plain text, CR LF after each: five tile paths (tile 0 is the band centred
// at 256), the heightmap path, then the texts of the five hidden band fields
// H4Start, H3Start, H2Start, H1Start, H0start.
struct TextureInfo {
    std::array<std::string, 5> TileFiles;
    std::string HeightmapFile;
    // Present when the file goes on after line 6; missing lines read as empty.
    std::optional<std::array<std::string, 5>> BandTexts;
};

// Lines end at LF or CR LF; a Ctrl-Z byte ends the file; lines past the end
// read as empty. A missing file raises "path: Datei nicht gefunden"; anything
// but a regular file is refused at once; a picture raises "path: is a PNG
// picture, not a set-up file", another binary file "path: is not a set-up
// file (binary data)"; a line that holds any other control character raises
// "path: line 3 contains a control character (\x00)".
TextureInfo ReadTextureInfo(const std::string& path);

// Where a path named in the texture-info file at infoPath is read from: as
// written when it is empty, absolute or names something from the current
// folder; else beside the info file when something is there; else as
// written, so that reading it fails naming the path as the file has it.
std::string ResolveInfoPath(const std::string& written, const std::string& infoPath);

// Writes all eleven lines (band texts empty when absent), each followed by
// CR LF; the file is replaced only once it is complete. A value holding a
// control character is refused as the reader refuses it, before anything is
// written.
void WriteTextureInfo(const std::string& path, const TextureInfo& info);

}  // namespace orvalis
