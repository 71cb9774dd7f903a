#include "app/DialogWords.h"

#include <cctype>
#include <utility>

namespace orvalis {

namespace {

// In this order: a longer phrase goes before the option names inside it.
constexpr std::pair<const char*, const char*> kDialogWords[] = {
    {"--sun-azimuth and --no-lighting exclude each other",
     "real-scale lighting (Export) lights the terrain: turn Use Lighting on, or real-scale lighting off"},
    {" (--sun-azimuth and --sun-elevation)", ""},
    {"--resample smooth or spline", "smooth or spline resampling"},
    {"(--format png)", "(Format: PNG)"},
    {"--world-file", "a world file"},
    {"--water-level", "the water level"},
    {"--splat-map", "the splat map"},
    {"--normal-map", "the normal map"},
    {"--shadow-map", "the shadow map"},
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string InDialogWords(const std::string& message) {
    std::string words = message;
    for (const auto& [option, dialog] : kDialogWords) ReplaceAll(words, option, dialog);
    if (!words.empty()) words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
    return words;
}

void CheckRequestInDialogWords(const GenerationRequest& request) {
    try {
        CheckGenerationRequest(request);
    } catch (const RequestError& error) {
        throw Error(InDialogWords(error.what()));
    }
}

}  // namespace orvalis
