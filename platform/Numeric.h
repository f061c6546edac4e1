#pragma once

#include <cmath>

namespace cinevan {

// Nearest integer with halves going to the even neighbour (2.5 -> 2, 3.5 -> 4), the rounding
// used for every computed size and time in the program.
inline int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace cinevan
