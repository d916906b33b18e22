// The math library: unit codes and conversion, vectors and transforms.
#pragma once

#include "nusk/units.h"
#include "nusk/xform.h"
