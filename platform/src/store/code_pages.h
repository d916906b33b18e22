// Mapping the program text and constant data of the object that holds this library ahead of their first use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nusk_detail {

/// A stretch of the loaded file that holds this code: where it is mapped and how many bytes the file gives it.
struct FileSegment {
    uintptr_t start;
    size_t bytes;
};

/// The loaded segments of the file that holds this code (the library, or the program it is linked into), each
/// as far as the file holds it; empty where the system does not tell.
std::vector<FileSegment> ownFileSegments();

/// Maps every page of those segments into the process, a piece at a time. A read calls the code and reads the
/// class tables of each type it meets for the first time, spread over megabytes of generated code: each first
/// touch of such a page is a fault of its own on the reading thread (40 of them in a read of a 35 kB file),
/// which a thread with nothing else to do can take instead (10 MB in about 0.25 ms). Pages the system does not
/// hold in memory yet are read in too. Returns the bytes mapped; 0 where the system cannot map pages ahead
/// (nothing is lost: they come on first use).
size_t mapOwnPagesAhead();

}  // namespace nusk_detail
