#pragma once

#include <string>
#include <vector>

#include "raster/Cancellation.h"
#include "raster/Error.h"

namespace orvalis::cli {

// Wrong use of the command line: reported with exit code 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// Each command takes the words after its name. Bad input or a failed write is
// thrown as any other exception (exit code 1); the output goes to stdout.
int RunInfo(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
// Generate stops with RunCancelled, having removed its files, once `stop` is set.
int RunGenerate(const std::vector<std::string>& args, const CancelFlag& stop);

// Usage texts, shown by --help and after a usage error.
extern const char* const kInfoUsage;
extern const char* const kConvertUsage;
extern const char* const kGenerateUsage;

}  // namespace orvalis::cli
