#pragma once

namespace orvalis {

// Whether the processor running the program has the vector instructions a
// fast path was compiled for; asked once, at the first call.
#if defined(__x86_64__) && defined(__GNUC__)
inline bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
inline bool HasAvx512() {
    static const bool has = __builtin_cpu_supports("avx512f");
    return has;
}
#else
inline bool HasAvx2() { return false; }
inline bool HasAvx512() { return false; }
#endif

}  // namespace orvalis
