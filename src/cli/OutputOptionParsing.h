#pragma once

#include <functional>
#include <optional>
#include <string>

#include "generation/GenerationRequest.h"

namespace orvalis::cli {

// What `generate` writes besides the classic texture and lightmap, and how
// it reads pictures, as given on the command line.
struct OutputOptions {
    std::optional<std::string> Format;  // --format png|bmp|tif
    GenerationRequest& Request;         // --splat-map, --normal-map, --png-compression, --height-range, --memory-limit
};

// Takes `option` (and its value, through `value`) when it is one of these.
bool ParseOutputOption(const std::string& option, const std::function<const std::string&()>& value,
                       OutputOptions& outputs);

// Once the options are read, the request's format: an --output name ending
// in ".png", ".tif" (".tiff") or ".bmp" asks for PNG, GeoTIFF or BMP, and
// another --format with such a name is a usage error.
OutputFormat SettleFormat(const std::optional<std::string>& format, const std::optional<std::string>& output);

}  // namespace orvalis::cli
