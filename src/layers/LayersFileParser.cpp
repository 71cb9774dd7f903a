#include "layers/LayersFileParser.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "files/Error.h"
#include "math/NumberText.h"
#include "layers/LayerLimits.h"

namespace orvalis {

namespace {

struct Entry {
    int Line = 0;
    std::string Key;
    std::string Value;
};

// A [layers] section (no Name) or a [layer NAME] section with its entries.
struct Section {
    int Line = 0;
    std::optional<std::string> Name;
    std::vector<Entry> Entries;
};

constexpr const char* kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A '#' at the start or after a blank starts a comment.
std::string_view WithoutComment(std::string_view line) {
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '#' && (k == 0 || line[k - 1] == ' ' || line[k - 1] == '\t')) return line.substr(0, k);
    }
    return line;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1) {
        parts.emplace_back(Trimmed(text.substr(start, end - start)));
    }
    parts.emplace_back(Trimmed(text.substr(start)));
    return parts;
}

// Words apart from blanks, ".." a word of its own.
std::vector<std::string> Words(std::string_view text) {
    std::string spaced;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.substr(k, 2) == "..") {
            spaced += " .. ";
            ++k;
        } else {
            spaced += text[k] == '\t' ? ' ' : text[k];
        }
    }
    std::vector<std::string> words;
    for (const std::string& word : Split(spaced, ' ')) {
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

// One key's value, read against the file's rules; every failure names the line and the key.
class ValueReader {
public:
    ValueReader(const std::string& path, const Entry& entry) : path_(path), entry_(entry) {}

    [[noreturn]] void Fail(const std::string& problem) const { FailAt(path_, entry_.Line, entry_.Key, problem); }
    void Refuse(const Problem& problem) const {
        if (problem) Fail(*problem);
    }

    double Number(const std::string& word) const {
        const std::optional<double> value = NumberFromText(word);
        if (!value) Fail("\"" + word + "\" is not a number");
        return *value;
    }

    // "NUMBER UNIT" as words.
    double Quantity(const std::vector<std::string>& words, std::size_t at, const std::string& unit) const {
        if (words.size() != at + 2) Fail("expected a number and its unit " + unit + " in \"" + Joined(words) + "\"");
        const double value = Number(words[at]);
        if (words[at + 1] != unit) Fail("the unit here is " + unit + ", not \"" + words[at + 1] + "\"");
        return value;
    }

    // The parts after the first, "NAME NUMBER UNIT" each, by name; `units` holds the names allowed.
    std::map<std::string, double> Options(const std::vector<std::string>& parts,
                                          const std::map<std::string, std::string>& units) const {
        std::map<std::string, double> options;
        for (std::size_t k = 1; k < parts.size(); ++k) {
            const std::vector<std::string> words = Words(parts[k]);
            const auto unit = words.empty() ? units.end() : units.find(words[0]);
            if (unit == units.end()) Fail("\"" + parts[k] + "\" is no option here (" + Names(units) + ")");
            if (options.count(unit->first)) Fail(unit->first + " given twice");
            options[unit->first] = Quantity(words, 1, unit->second);
        }
        return options;
    }

    RangeRule Range(const std::vector<std::string>& parts, const std::string& unit) const {
        const std::vector<std::string> words = Words(parts[0]);
        RangeRule range;
        if (!words.empty() && words[0] == "above") {
            range.Low = Quantity(words, 1, unit);
        } else if (!words.empty() && words[0] == "below") {
            range.High = Quantity(words, 1, unit);
        } else if (words.size() == 4 && words[1] == "..") {
            range.Low = Number(words[0]);
            range.High = Quantity(words, 2, unit);
        } else {
            Fail("write a range as \"A .. B " + unit + "\", \"above A " + unit + "\" or \"below B " + unit + "\"");
        }
        return range;
    }

    static std::vector<std::string> Parts(const std::string& value) { return Split(value, ','); }

private:
    static std::string Joined(const std::vector<std::string>& words) {
        std::string text;
        for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
        return text;
    }
    static std::string Names(const std::map<std::string, std::string>& units) {
        std::string text;
        for (const auto& [name, unit] : units) text += (text.empty() ? "" : ", ") + name + " N " + unit;
        return text;
    }

    const std::string& path_;
    const Entry& entry_;
};

// A range with its ramp and noise in the attribute's unit.
RangeRule RangeWithEdges(const ValueReader& reader, const std::vector<std::string>& parts, const std::string& unit,
                         const std::map<std::string, double>& options) {
    RangeRule range = reader.Range(parts, unit);
    if (options.count("ramp")) range.Ramp = options.at("ramp");
    if (options.count("noise")) range.Noise = options.at("noise");
    return range;
}

RangeRule ReadRange(const ValueReader& reader, const std::string& value, RangeKind kind, const std::string& unit) {
    const std::vector<std::string> parts = ValueReader::Parts(value);
    const RangeRule range = RangeWithEdges(reader, parts, unit, reader.Options(parts, {{"ramp", unit}, {"noise", unit}}));
    reader.Refuse(RangeProblem(kind, range, unit));
    return range;
}

AspectRule ReadAspect(const ValueReader& reader, const std::string& value) {
    const std::vector<std::string> parts = ValueReader::Parts(value);
    const auto options = reader.Options(parts, {{"width", "deg"}, {"ramp", "deg"}, {"noise", "deg"}});
    if (!options.count("width")) reader.Fail("an aspect needs a width, as in \"180 deg, width 90 deg\"");
    AspectRule aspect{reader.Quantity(Words(parts[0]), 0, "deg"), options.at("width"), 0, 0};
    if (options.count("ramp")) aspect.Ramp = options.at("ramp");
    if (options.count("noise")) aspect.Noise = options.at("noise");
    reader.Refuse(AspectProblem(aspect));
    return aspect;
}

CurvatureRule ReadCurvature(const ValueReader& reader, const std::string& value, const std::string& unit) {
    const std::vector<std::string> parts = ValueReader::Parts(value);
    const auto options = reader.Options(parts, {{"ramp", unit}, {"noise", unit}, {"radius", "m"}});
    if (!options.count("radius")) reader.Fail("a curvature needs the radius it is measured over, as in \"radius 50 m\"");
    const CurvatureRule curvature{RangeWithEdges(reader, parts, unit, options), options.at("radius")};
    reader.Refuse(RangeProblem(RangeKind::Curvature, curvature.Range, unit));
    reader.Refuse(RadiusProblem(curvature.Radius));
    return curvature;
}

std::uint32_t ReadSeed(const ValueReader& reader, const std::string& value) {
    std::uint32_t seed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seed);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size()) {
        reader.Fail("a seed is a whole number 0 .. 4294967295, not \"" + value + "\"");
    }
    return seed;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& path) : path_(path) { Sections(text); }

    ParsedLayers Result() {
        const auto settings = std::find_if(sections_.begin(), sections_.end(), [](const Section& s) { return !s.Name; });
        if (settings == sections_.end()) FailAt(path_, lines_, "[layers]", "no such section; it names the fallback layer");
        // The height unit first: the layers' heights are read in it.
        ReadSettings(*settings);
        for (const Section& section : sections_) {
            if (section.Name) ReadLayer(section);
        }
        if (parsed_.Set.Layers.empty()) FailAt(path_, lines_, "[layer NAME]", "the file holds no layer");
        const auto& layers = parsed_.Set.Layers;
        if (std::none_of(layers.begin(), layers.end(), [&](const LayerRule& l) { return l.Name == parsed_.Set.Fallback; })) {
            FailAt(path_, fallbackLine_, "fallback", "no layer is named \"" + parsed_.Set.Fallback + "\"");
        }
        if (firstNoiseLine_ && !parsed_.Set.NoiseScale) {
            FailAt(path_, firstNoiseLine_, firstNoiseKey_, "noise needs a noise-scale in [layers]");
        }
        CheckLayerSet(parsed_.Set);
        return std::move(parsed_);
    }

private:
    void Sections(std::string_view text) {
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lines_;
            TakeLine(line);
            start = end + 1;
        }
    }

    void TakeLine(std::string_view raw) {
        const auto control = std::find_if(raw.begin(), raw.end(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
        });
        if (control != raw.end()) FailAt(path_, lines_, "", "a control character");
        const std::string_view line = Trimmed(WithoutComment(raw));
        if (line.empty()) return;
        if (line.front() == '[') return OpenSection(line);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) FailAt(path_, lines_, "", "expected \"key = value\" or a [section]");
        Entry entry{lines_, std::string(Trimmed(line.substr(0, equals))), std::string(Trimmed(line.substr(equals + 1)))};
        if (sections_.empty()) FailAt(path_, lines_, entry.Key, "a key before the first section");
        if (entry.Value.empty()) FailAt(path_, lines_, entry.Key, "no value");
        for (const Entry& earlier : sections_.back().Entries) {
            if (earlier.Key == entry.Key) {
                FailAt(path_, lines_, entry.Key, "given twice (first on line " + std::to_string(earlier.Line) + ")");
            }
        }
        sections_.back().Entries.push_back(std::move(entry));
    }

    void OpenSection(std::string_view line) {
        const std::string header(line);
        if (line.back() != ']') FailAt(path_, lines_, header, "a section header ends with ]");
        const std::vector<std::string> words = Words(line.substr(1, line.size() - 2));
        Section section{lines_, std::nullopt, {}};
        if (words.size() == 2 && words[0] == "layer") {
            if (const Problem problem = NameProblem(words[1])) FailAt(path_, lines_, header, *problem);
            section.Name = words[1];
        } else if (words.size() != 1 || words[0] != "layers") {
            FailAt(path_, lines_, header, "unknown section; sections are [layers] and [layer NAME]");
        }
        for (const Section& earlier : sections_) {
            if (earlier.Name == section.Name) {
                FailAt(path_, lines_, header, "given twice (first on line " + std::to_string(earlier.Line) + ")");
            }
        }
        const auto layers = std::count_if(sections_.begin(), sections_.end(), [](const Section& s) { return s.Name; });
        if (section.Name && layers == kMostLayers) {
            FailAt(path_, lines_, header, "more than " + std::to_string(kMostLayers) + " layers");
        }
        sections_.push_back(std::move(section));
    }

    void ReadSettings(const Section& section) {
        LayerSet& set = parsed_.Set;
        bool fallback = false;
        for (const Entry& entry : section.Entries) {
            const ValueReader reader(path_, entry);
            if (entry.Key == "fallback") {
                set.Fallback = entry.Value;
                fallbackLine_ = entry.Line;
                fallback = true;
            } else if (entry.Key == "seed") {
                set.Seed = ReadSeed(reader, entry.Value);
            } else if (entry.Key == "noise-scale") {
                set.NoiseScale = reader.Quantity(Words(entry.Value), 0, "m");
                reader.Refuse(NoiseScaleProblem(*set.NoiseScale));
            } else if (entry.Key == "height-unit") {
                reader.Refuse(HeightUnitProblem(entry.Value));
                set.HeightUnit = entry.Value;
            } else {
                reader.Fail("unknown key; [layers] takes fallback, seed, noise-scale and height-unit");
            }
        }
        if (!fallback) FailAt(path_, section.Line, "fallback", "missing; name the layer that takes what no rule claims");
    }

    void ReadLayer(const Section& section) {
        LayerRule layer;
        layer.Name = *section.Name;
        int tileLine = 0;
        const std::string& unit = parsed_.Set.HeightUnit;
        for (const Entry& entry : section.Entries) {
            const ValueReader reader(path_, entry);
            if (entry.Key == "tile") {
                reader.Refuse(TileProblem(entry.Value));
                layer.Tile = entry.Value;
                tileLine = entry.Line;
            } else if (entry.Key == "height") {
                layer.Height = ReadRange(reader, entry.Value, RangeKind::Height, unit);
            } else if (entry.Key == "slope") {
                layer.Slope = ReadRange(reader, entry.Value, RangeKind::Slope, "deg");
            } else if (entry.Key == "aspect") {
                layer.Aspect = ReadAspect(reader, entry.Value);
            } else if (entry.Key == "curvature") {
                layer.Curvature = ReadCurvature(reader, entry.Value, unit);
            } else if (entry.Key == "coverage") {
                layer.Coverage = reader.Number(entry.Value);
                reader.Refuse(CoverageProblem(layer.Coverage));
            } else {
                reader.Fail("unknown key; a layer takes tile, height, slope, aspect, curvature and coverage");
            }
            NoteNoise(entry, layer);
        }
        if (!tileLine) FailAt(path_, section.Line, "tile", "missing; every layer names its tile picture");
        parsed_.Set.Layers.push_back(std::move(layer));
        parsed_.TileLines.push_back(tileLine);
    }

    void NoteNoise(const Entry& entry, const LayerRule& layer) {
        if (firstNoiseLine_ == 0 && HasNoise(layer)) {
            firstNoiseLine_ = entry.Line;
            firstNoiseKey_ = entry.Key;
        }
    }

    const std::string& path_;
    int lines_ = 0;
    std::vector<Section> sections_;
    ParsedLayers parsed_;
    int fallbackLine_ = 0;
    int firstNoiseLine_ = 0;
    std::string firstNoiseKey_;
};

}  // namespace

void FailAt(const std::string& path, int line, const std::string& key, const std::string& problem) {
    throw Error(path, "line " + std::to_string(line) + (key.empty() ? "" : ", " + key) + ": " + problem);
}

ParsedLayers ParseLayersText(std::string_view text, const std::string& path) { return Parser(text, path).Result(); }

}  // namespace orvalis
