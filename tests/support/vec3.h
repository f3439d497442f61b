#pragma once
// The device tests' short name for the one vector type.

#include "base/math3d.h"

using V3 = Vec3;
