#pragma once

namespace orvalis {

// Three single-precision components. In the shading code x is the column
// index, y the height and z the row index.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    friend bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace orvalis
