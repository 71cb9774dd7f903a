#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/Cancellation.h"
#include "files/Error.h"

namespace orvalis::cli {

// Wrong use of the command line: reported with exit code 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// Each command takes the words after its name (main answers --help). Bad
// input or a failed write is thrown as any other exception (exit code 1); the
// output goes to stdout.
int RunInfo(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
// Generate stops with RunCancelled, having removed its files, once `stop` is set.
int RunGenerate(const std::vector<std::string>& args, const CancelFlag& stop);
// Plan reads the world's statistics once and writes the files of a tiled run;
// it stops with RunCancelled, having written nothing, once `stop` is set.
int RunPlan(const std::vector<std::string>& args, const CancelFlag& stop);

// What the command line says of an error: the error's own message, except
// that a missing file is "path: file not found" in the command line's English
// (the library's text is the window's German one).
std::string ErrorMessage(const std::exception& error);

// Usage texts, shown by --help and after a usage error.
extern const char* const kInfoUsage;
extern const char* const kConvertUsage;
extern const char* const kGenerateUsage;
extern const char* const kPlanUsage;

}  // namespace orvalis::cli
