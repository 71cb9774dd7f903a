#include "cli/OutputOptionParsing.h"

#include "cli/Commands.h"
#include "cli/MemoryLimitOption.h"
#include "files/DisplayPath.h"
#include "generation/OutputNames.h"

namespace orvalis::cli {

namespace {

PngCompression ParsePngCompression(const std::string& name) {
    if (name == "fast") return PngCompression::Fast;
    if (name == "default") return PngCompression::Default;
    if (name == "best") return PngCompression::Best;
    throw UsageError("generate: --png-compression wants fast, default or best, not '" + DisplayPath(name) + "'");
}

OutputFormat FormatNamed(const std::string& name) {
    if (name == "png") return OutputFormat::Png;
    if (name == "tif") return OutputFormat::Tiff;
    return OutputFormat::Bmp;
}

}  // namespace

bool ParseOutputOption(const std::string& option, const std::function<const std::string&()>& value,
                       OutputOptions& outputs) {
    GenerationRequest& request = outputs.Request;
    if (option == "--format") {
        outputs.Format = value();
        if (*outputs.Format != "png" && *outputs.Format != "bmp" && *outputs.Format != "tif") {
            throw UsageError("generate: --format wants png, bmp or tif, not '" + DisplayPath(*outputs.Format) + "'");
        }
    } else if (option == "--splat-map") {
        request.SplatMap = value();
    } else if (option == "--normal-map") {
        request.NormalMap = value();
    } else if (option == "--png-compression") {
        request.Compression = ParsePngCompression(value());
    } else if (option == "--memory-limit") {
        request.Settings.Read.MemoryLimit = ParseMemoryLimit("generate", value());
    } else if (option == "--height-range") {
        try {
            request.Settings.Read.Range = ParseHeightRange(value());
        } catch (const UsageError&) {
            throw;
        } catch (const Error& e) {
            throw UsageError(std::string("generate: --height-range: ") + e.what());
        }
    } else {
        return false;
    }
    return true;
}

// The name's format counts, so that an --output name never holds the bytes
// of another format.
OutputFormat SettleFormat(const std::optional<std::string>& format, const std::optional<std::string>& output) {
    for (const OutputFormat named : {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Tiff}) {
        if (!output || !NamesFormat(*output, named)) continue;
        if (format && FormatNamed(*format) != named) {
            throw UsageError("generate: --format " + *format + " does not go with the name " + DisplayPath(*output));
        }
        return named;
    }
    return FormatNamed(format.value_or("bmp"));
}

}  // namespace orvalis::cli
