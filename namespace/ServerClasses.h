// The table of the four classes the library serves.
#pragma once

#include <cstddef>

#include "namespace/ClassFactory.h"

namespace cataloom {

extern const ServerClass kServerClasses[];
extern const std::size_t kServerClassCount;

}  // namespace cataloom
