#pragma once

#include <exception>
#include <optional>
#include <string>

#include "files/Error.h"
#include "generation/GenerateTexture.h"
#include "generation/TerrainOptions.h"
#include "io/PngEncoder.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// How the texture, the lightmap and the shadow map are written. GeoTIFF keeps
// the heightmap's coordinate system and extent, and with it the splat and
// normal maps are GeoTIFF too.
enum class OutputFormat { Bmp, Png, Tiff };

// ".bmp", ".png" or ".tif".
const char* ExtensionOf(OutputFormat format);

// One run, everything it needs: the command line and the window fill it in
// and hand it to RunGeneration. Left at its defaults (but for the heightmap,
// the tiles and the names) it is the classic generation, byte for byte.
struct GenerationRequest {
    // The classic synthesis: heightmap, tiles, texture size, light, lighting
    // on or off; how the heightmap is read (Read: height range, memory
    // limit); threads, progress and cancel (Run); and the window's hooks
    // (BlendDone, UnlitTexture). Its Sampling, Encode, StageAlongside and
    // SunVisibilityDone are RunGeneration's to set from the fields below.
    GenerateSettings Settings;

    // Where the texture goes: under Output, which must not exist yet, or
    // else under the first free terrain_tex*.<format> in OutputFolder (none:
    // the current folder).
    std::optional<std::string> Output;
    std::optional<std::string> OutputFolder;
    // The lightmap of a lit run: under Lightmap, which must not exist yet;
    // else beside Output as its name + "_lm" (tex.bmp: tex_lm.bmp, which
    // must not exist either); else lm.bmp in OutputFolder, replacing it. Its
    // extension follows the format.
    std::optional<std::string> Lightmap;

    OutputFormat Format = OutputFormat::Bmp;
    PngCompression Compression = PngCompression::Fast;  // of every PNG the run writes

    // The band weights as RGBA (bands 256, 192, 128, 64) and NAME_1 (band 0
    // in red), each pixel's weights adding up to 255; the same weights the
    // texture's blend uses.
    std::optional<std::string> SplatMap;
    // The normals the lighting uses, as RGB (x red, z green, up blue).
    std::optional<std::string> NormalMap;
    // The sun's visibility at the texture's size (real scale only), grey.
    std::optional<std::string> ShadowMap;
    // A world file (.pgw) beside each PNG output of a georeferenced
    // heightmap, for the output's own pixel grid. Without it a replaced PNG
    // lightmap loses the world file of an earlier run.
    bool WorldFile = false;

    TerrainOptions Terrain;
};

// What a completed run wrote.
struct GenerationResult {
    std::string Texture;                 // the texture's path, as claimed
    std::optional<std::string> LightmapFile;
    TDibBuffer Lightmap;                 // the lightmap of a lit run
};

// A request that cannot run as asked (options that exclude each other, a
// value out of range, two outputs under one name); the message names the
// options as the command line spells them.
class RequestError : public Error {
public:
    using Error::Error;
};

// Raises RequestError for a request that cannot run; touches no file.
void CheckGenerationRequest(const GenerationRequest& request);

// A run that failed after claiming its names: none of its files was written
// and every claim is released. Cause() is what went wrong.
class NothingSaved : public std::runtime_error {
public:
    explicit NothingSaved(std::exception_ptr cause);
    const std::exception_ptr& Cause() const { return cause_; }

private:
    std::exception_ptr cause_;
};

// Checks the request (RequestError), claims every name it writes before any
// work (Error "... already exists" for one taken, releasing those claimed
// before it), generates, and commits all files together in the order
// OutputNames lists them: the texture, the splat, normal and shadow maps and
// the world files, then the lightmap. A failure after the claim raises
// NothingSaved; a cancel (Settings.Run.Cancel) raises RunCancelled; either
// way nothing of the run remains and a replaced file is back.
GenerationResult RunGeneration(const GenerationRequest& request);

}  // namespace orvalis
