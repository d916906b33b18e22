// The object store: everything an application of the store includes.
//
// Threads. Different designs may be read, tagged, queried, changed and written on different threads at once;
// one design (with its objects, cursors, aggregates and managers) is used by one thread at a time. A design
// may pass from one thread to another when the application hands it over with the usual synchronisation (a
// mutex, a joined thread, a future). Objects of one design must not refer to objects of a design that
// another thread is using.
//
// Everything the designs share is safe to use from any number of threads at once, and is made once, safely,
// by whichever thread needs it first: the core schema and its domains, the AP242 schema (nusk_ap242_schema),
// the process-wide tables of domains and designs, the complex and aggregate domains that reading and making
// objects form at run time (formed under their schema's lock; a domain already formed is found under a shared
// lock), the type handles (NuskTypePtr, the generated nusktype_* globals), manager type ids, the Part 21 name
// tables, the unit tables of the math library, and the spare memory chunks (those designs hand back and those
// backed ahead of time, nusk/memory.h).
//
// Process-wide state that is shared on purpose:
// - The trash (nusk_trash) is one design for the process: moves into it and reading the managers of objects
//   in it take turns under its lock; walk it with a cursor only while no other thread trashes objects.
// - The reporter (nusk/report.h) and the default schema: set them before other threads start; a reporter must
//   accept calls from several threads at once.
// - Mark passes (nusk/lifetime.h) belong to the thread that opens them.
// - Managers attached to schema objects (domains, attributes) live in the schema's table: attach none while
//   other threads use the schema.
#pragma once

#include "nusk/aggregate.h"
#include "nusk/cursor.h"
#include "nusk/design.h"
#include "nusk/dictionary.h"
#include "nusk/domain.h"
#include "nusk/lifetime.h"
#include "nusk/memory.h"
#include "nusk/object.h"
#include "nusk/report.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"
#include "nusk/units.h"
#include "nusk/vector.h"
