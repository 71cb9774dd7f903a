#pragma once

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace orvalis {

// An allocator whose resize leaves new values unset instead of zeroing them:
// for buffers that are written whole right after. A large buffer then costs
// nothing until its pages are first written.
template <typename T>
struct UnsetValuesAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnsetValuesAllocator<U>;
    };
    UnsetValuesAllocator() = default;
    template <typename U>
    UnsetValuesAllocator(const UnsetValuesAllocator<U>&) noexcept {}

    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <typename T>
using UnsetValues = std::vector<T, UnsetValuesAllocator<T>>;

}  // namespace orvalis
