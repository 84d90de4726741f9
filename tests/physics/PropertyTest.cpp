#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {} // namespace
} // namespace kv
