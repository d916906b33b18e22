// The object store: everything an application of the store includes.
#pragma once

#include "nusk/aggregate.h"
#include "nusk/cursor.h"
#include "nusk/design.h"
#include "nusk/dictionary.h"
#include "nusk/domain.h"
#include "nusk/lifetime.h"
#include "nusk/object.h"
#include "nusk/report.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"
#include "nusk/units.h"
#include "nusk/vector.h"
