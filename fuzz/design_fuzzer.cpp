// Fuzz target: whatever design the reader makes of any bytes goes through every tagging pass, query, merge and
// unit conversion of the helper library, and is written afterwards. It must never crash, hang, leak or recurse
// without bound, and what it writes must refer to nothing outside the design.
#include "../tests/hostile/exercise_design.h"

#include "nusk/ap242_support.h"
#include "nusk/store.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

/// Once an input's design is gone, nothing refers to what its passes moved to the trash. Deleting it keeps the
/// process as small after many inputs as after one (the trash lives as long as the process, and each object in
/// it keeps a page of its gone design, which the leak checker scans at every check), and deletes trashed objects
/// of gone designs on every input.
void emptyTrash() {
    for (NuskObject* obj : nusk_instances_of(nusk_trash(), nusktype_NuskObject)) delete obj;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NuskSchema* schema = nusk_ap242_schema();
    (void)schema;
    const ExerciseReport r = exerciseText(std::string(reinterpret_cast<const char*>(data), size));
    if (r.danglingAfterPasses != 0) std::abort();  // a pass left a reference to an object it took away
    if (r.danglingInExtracts != 0) std::abort();   // an extract refers to something it lacks
    emptyTrash();
    return 0;
}
