// Fuzz target: the Part 21 reader on any bytes. It must never crash, hang, leak or read outside its buffers.
#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NuskSchema* schema = nusk_ap242_schema();
    (void)schema;
    NuskReadResult r = nusk_read_step_text(reinterpret_cast<const char*>(data), size);
    if (r.status != NuskReadStatus::unreadable && !r.design) std::abort();  // a status that claims a design
    delete r.design;
    return 0;
}
