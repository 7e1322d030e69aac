#pragma once
// The temporary folder now lives with the other shared rigs in tests/common;
// this name stays while branches written against it are merged.
#include "common/TempDir.h"

namespace rigvane {
using test::TempDir;
} // namespace rigvane
