// Fuzz target: whatever the reader reads, the writer writes, and reading that back and writing it again gives
// the same bytes and the same instance count.
#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NuskSchema* schema = nusk_ap242_schema();
    (void)schema;
    NuskReadResult first = nusk_read_step_text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<NuskDesign> a(first.design);
    if (!a) return 0;
    std::string written;
    if (!nusk_write_step_text(a.get(), written).ok) std::abort();
    NuskReadResult second = nusk_read_step_text(written.data(), written.size());
    std::unique_ptr<NuskDesign> b(second.design);
    if (!b || second.status == NuskReadStatus::unreadable) {
        std::fprintf(stderr, "what was written could not be read back\n");
        std::abort();
    }
    if (b->entityCount() != a->entityCount()) {
        std::fprintf(stderr, "instances: %zu read, %zu read back\n", a->entityCount(), b->entityCount());
        std::abort();
    }
    std::string again;
    nusk_write_step_text(b.get(), again);
    if (again != written) {
        std::fprintf(stderr, "writing what was read back gives other bytes\n");
        std::abort();
    }
    return 0;
}
