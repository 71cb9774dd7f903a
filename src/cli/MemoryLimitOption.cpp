#include "cli/MemoryLimitOption.h"

#include "cli/Commands.h"

namespace orvalis::cli {

std::uint64_t ParseMemoryLimit(const std::string& command, const std::string& text) {
    try {
        return ParseMemorySize(text);
    } catch (const Error& e) {
        throw UsageError(command + ": --memory-limit: " + e.what());
    }
}

void TakeMemoryLimit(const std::string& command, std::vector<std::string>& args,
                     PictureReadOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--memory-limit") continue;
        if (i + 1 >= args.size()) throw UsageError(command + ": --memory-limit needs a value");
        options.MemoryLimit = ParseMemoryLimit(command, args[i + 1]);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
}

}  // namespace orvalis::cli
