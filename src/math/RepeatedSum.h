#pragma once

#include <cstdint>

namespace orvalis {

// The single that `count` additions of step to start give when each sum is
// rounded to single (to nearest, ties to even), as a loop `v = v + step`
// would leave it, without doing every addition.
float RepeatedSum(float start, float step, std::int64_t count);

}  // namespace orvalis
