#pragma once

#include <cstdint>
#include <vector>

#include "raster/HeightPlane.h"

namespace orvalis::test {

// A plane of real heights, bottom row first: heightAt(row, column).
template <class HeightAt>
HeightPlane RealHeightPlane(std::int32_t width, std::int32_t rows, HeightAt heightAt) {
    HeightPlane plane{width, rows, std::vector<double>(static_cast<std::size_t>(width) * rows), {}};
    for (std::int32_t row = 0; row < rows; ++row) {
        for (std::int32_t column = 0; column < width; ++column) {
            plane.Heights[plane.IndexOf(row, column)] = heightAt(row, column);
        }
    }
    return plane;
}

}  // namespace orvalis::test
