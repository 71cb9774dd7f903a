#include "generation/GenerationRequest.h"

#include "generation/RunFiles.h"

namespace orvalis {

namespace {

std::string MessageOf(const std::exception_ptr& cause) {
    try {
        std::rethrow_exception(cause);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "the run failed";
    }
}

}  // namespace

const char* ExtensionOf(OutputFormat format) {
    switch (format) {
        case OutputFormat::Png: return ".png";
        case OutputFormat::Tiff: return ".tif";
        case OutputFormat::Bmp: break;
    }
    return ".bmp";
}

NothingSaved::NothingSaved(std::exception_ptr cause)
    : std::runtime_error(MessageOf(cause) + " (nothing was saved)"), cause_(std::move(cause)) {}

GenerationResult RunGeneration(const GenerationRequest& request) {
    CheckGenerationRequest(request);
    GenerateSettings settings = request.Settings;
    settings.Sampling = SamplingOf(request.Terrain);
    RunFiles files(request);
    GenerationResult result{files.Texture().Path(), {}, {}};
    if (files.Lightmap()) result.LightmapFile = files.Lightmap()->Path();
    try {
        files.Attach(settings);
        GenerateTexture(settings, files.Texture(), files.Lightmap(), result.Lightmap, files.Alongside());
    } catch (const RunCancelled&) {
        throw;
    } catch (const std::exception&) {
        throw NothingSaved(std::current_exception());
    }
    return result;
}

}  // namespace orvalis
