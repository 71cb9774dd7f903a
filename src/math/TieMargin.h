#pragma once

#include <cstdint>

// Constants only: the normal map's vector kernels, compiled for one
// instruction set each, include it, so it must hold no inline function that
// one of them could emit as the copy the whole program keeps.
namespace orvalis {

// A single keeps 24 of a double's 53 significant bits; the 29 bits below
// decide how the double rounds to single, and only when they lie close to
// half their range (a tie) can the difference between the double and the
// extended result change it. That difference is under 8 units of the
// double's last place; this margin is far wider.
inline constexpr std::int64_t kTieMargin = 1 << 8;

}  // namespace orvalis
