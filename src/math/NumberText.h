#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvalis {

// A decimal number and nothing else around it, finite; none for any other text.
std::optional<double> NumberFromText(std::string_view text);

// The shortest text that reads back as the same number, so equal texts are
// equal values.
std::string NumberText(double value);

}  // namespace orvalis
