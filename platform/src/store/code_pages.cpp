#include "code_pages.h"

#include "populate.h"

#if defined(__linux__)
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace nusk_detail {

#if defined(__linux__)

namespace {

// A piece holds the process's map lock for its time (about 6 us): small enough that a thread that maps memory
// meanwhile waits for little.
constexpr size_t kPiece = size_t(256) << 10;

struct Search {
    uintptr_t address;
    std::vector<FileSegment>* segments;
};

int collect(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    bool holds = false;
    for (int i = 0; i < info->dlpi_phnum && !holds; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
        holds = ph.p_type == PT_LOAD && search->address >= start && search->address < start + ph.p_memsz;
    }
    if (!holds) return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        // What the file holds: the zeroed rest of a writable segment is the process's own memory.
        if (ph.p_type == PT_LOAD && ph.p_filesz > 0)
            search->segments->push_back({info->dlpi_addr + ph.p_vaddr, static_cast<size_t>(ph.p_filesz)});
    }
    return 1;
}

}  // namespace

std::vector<FileSegment> ownFileSegments() {
    std::vector<FileSegment> segments;
    Search search{reinterpret_cast<uintptr_t>(&ownFileSegments), &segments};
    dl_iterate_phdr(collect, &search);
    return segments;
}

size_t mapOwnPagesAhead() {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    size_t mapped = 0;
    for (const FileSegment& segment : ownFileSegments()) {
        const uintptr_t first = segment.start & ~(page - 1);
        const uintptr_t end = (segment.start + segment.bytes + page - 1) & ~(page - 1);
        for (uintptr_t at = first; at < end; at += kPiece) {
            const size_t bytes = end - at < kPiece ? end - at : kPiece;
            // Refused by kernels before 5.14; a page the file no longer holds is refused too, not signalled.
            if (madvise(reinterpret_cast<void*>(at), bytes, kPopulateRead) != 0) return mapped;
            mapped += bytes;
        }
    }
    return mapped;
}

#else

std::vector<FileSegment> ownFileSegments() { return {}; }
size_t mapOwnPagesAhead() { return 0; }

#endif

}  // namespace nusk_detail
