// Fuzz target: whatever design the reader makes of any bytes goes through every tagging pass, query, merge and
// unit conversion of the helper library, and is written afterwards. It must never crash, hang, leak or recurse
// without bound, and what it writes must refer to nothing outside the design.
#include "../tests/hostile/exercise_design.h"

#include "nusk/ap242_support.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NuskSchema* schema = nusk_ap242_schema();
    (void)schema;
    const ExerciseReport r = exerciseText(std::string(reinterpret_cast<const char*>(data), size));
    if (r.danglingAfterPasses != 0) std::abort();  // a pass left a reference to an object it took away
    if (r.danglingInExtracts != 0) std::abort();   // an extract refers to something it lacks
    return 0;
}
