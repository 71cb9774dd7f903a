#pragma once

#include <cctype>
#include <regex>
#include <set>
#include <string>

namespace orvalis::test {

// Every long option ("--size") a program's help text names.
inline std::set<std::string> LongOptionsIn(const std::string& help) {
    static const std::regex option("--[a-z][a-z0-9-]*[a-z0-9]");
    std::set<std::string> options;
    const auto end = std::sregex_iterator();
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != end; ++it) {
        options.insert(it->str());
    }
    return options;
}

// True when text holds `spelled` as a whole option, not as the start of a
// longer one ("--output" in "--output-dir", "\-\-output" in "\-\-output\-dir").
inline bool HoldsOption(const std::string& text, const std::string& spelled) {
    for (std::size_t at = text.find(spelled); at != std::string::npos; at = text.find(spelled, at + 1)) {
        const std::size_t end = at + spelled.size();
        const char next = end < text.size() ? text[end] : ' ';
        if (!std::isalnum(static_cast<unsigned char>(next)) && next != '-' && next != '\\') return true;
    }
    return false;
}

// An option as a manual page writes it: every hyphen escaped ("\-\-size").
inline std::string ManualPageSpelling(const std::string& option) {
    std::string spelled;
    for (const char c : option) {
        if (c == '-') spelled += '\\';
        spelled += c;
    }
    return spelled;
}

}  // namespace orvalis::test
