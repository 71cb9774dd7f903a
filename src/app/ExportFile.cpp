#include "app/ExportFile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string_view>
#include <vector>

#include "files/AtomicFile.h"
#include "files/Error.h"
#include "files/InputFile.h"

namespace orvalis {

namespace {

// Far more than every setting with long file names; a larger file is no
// export file.
constexpr std::uint64_t kLargestExportFile = 64 * 1024;

const char* const kHeading = "# Orvalis export settings\n";

std::string ReadSmallFile(const std::string& path) {
    InputFile file(path);
    if (file.Size() > kLargestExportFile) {
        throw Error(path, "is too large for an export file (" + std::to_string(file.Size()) + " bytes)");
    }
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    file.ReadAt(0, {reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool HasControlCharacter(const std::string& line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
    });
}

// Editors that save UTF-8 may start it with a byte-order mark.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string> LinesOf(std::string text) {
    std::vector<std::string> lines;
    std::size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Sets the value of one "name = value" line.
void TakeLine(ExportSettings& settings, const std::string& line, std::set<std::string>& named) {
    if (HasControlCharacter(line)) throw Error("contains a control character");
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) throw Error("wants 'name = value'");
    const std::string name = Trimmed(line.substr(0, equals));
    if (!named.insert(name).second) throw Error("sets '" + DisplayPath(name) + "' a second time");
    SetExportValue(settings, name, Trimmed(line.substr(equals + 1)));
}

}  // namespace

std::string ExportFileBeside(const std::string& setUpPath) {
    return std::filesystem::path(setUpPath).replace_extension(".export").string();
}

void WriteExportFile(const std::string& path, const ExportSettings& settings) {
    std::string text = kHeading;
    for (const auto& [name, value] : ExportSettingsValues(settings)) text += name + " = " + value + "\n";
    WriteFileAtomically(path, {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

ExportSettings ReadExportFile(const std::string& path) {
    ExportSettings settings;
    std::set<std::string> named;
    const std::vector<std::string> lines = LinesOf(ReadSmallFile(path));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (line.empty() || line.front() == '#') continue;
        try {
            TakeLine(settings, line, named);
        } catch (const Error& error) {
            throw Error(path, "line " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    try {
        CheckExportSettings(settings);
    } catch (const Error& error) {
        throw Error(path, error.what());
    }
    return settings;
}

std::optional<ExportSettings> ReadExportFileIfAny(const std::string& path) {
    if (NothingAt(path)) return std::nullopt;
    return ReadExportFile(path);
}

}  // namespace orvalis
