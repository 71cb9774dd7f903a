#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace orvalis::test {

// The BMP conformance suite lives with the shared test pictures beside the
// repository (ORVALIS_TESTDATA_DIR, by default ../shared/testdata). A clone
// without them skips the tests that read it, saying so.
inline std::string BmpSuiteDir() { return std::string(ORVALIS_TESTDATA_DIR) + "/bmpsuite/"; }

inline bool HasBmpSuite() { return std::filesystem::is_directory(BmpSuiteDir()); }

}  // namespace orvalis::test

// Skips the rest of the test when the suite is missing.
#define ORVALIS_SKIP_WITHOUT_BMP_SUITE()                                                      \
    if (!::orvalis::test::HasBmpSuite())                                                     \
    GTEST_SKIP() << "the BMP suite is missing: " << ::orvalis::test::BmpSuiteDir()          \
                 << " (set ORVALIS_TESTDATA_DIR to the shared test pictures to run this test)"
