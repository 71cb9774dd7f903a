#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

// Half the machine's memory: what reading one picture may take unless told
// otherwise (the window always uses it).
std::uint64_t DefaultMemoryLimit();

// SIZE as the command line takes it: a whole number of bytes, or one with K,
// M, G or T after it (powers of 1024): "800M", "4G". Raises Error.
std::uint64_t ParseMemorySize(const std::string& text);

// "512 bytes", "12.5 KiB", "3.75 GiB": three figures, enough to tell a need
// from a limit.
std::string DescribeBytes(std::uint64_t bytes);

// Raises Error naming the file, what reading it needs and the limit, when
// the need is above the limit; nothing has been allocated for it then.
void CheckMemoryNeed(const std::string& path, std::uint64_t need, std::uint64_t limit);

}  // namespace orvalis
