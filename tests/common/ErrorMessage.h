#pragma once

#include <exception>
#include <string>

namespace orvalis::test {

inline constexpr const char* kNoError = "no error";

// Runs call and gives the message of the Failure it raises, or "no error".
// Other exceptions pass through and fail the test.
template <class Failure = std::exception, class Call>
std::string MessageOf(Call&& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return kNoError;
}

}  // namespace orvalis::test
