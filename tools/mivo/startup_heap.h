// The tool's own region for small allocations (see startup_heap.cpp).
#pragma once

#include <cstddef>

namespace mivo_tool {

/// What a run takes of the region besides its file's share: the AP242 dictionary (2.9 MiB), with room.
constexpr size_t kStartupHeapDictionaryBytes = size_t(3) << 20;

/// Backs the next 2 MiB page of the region below `upTo` bytes from its start, in one call; safe on any thread.
/// False once the region is backed that far, or where the tool has no region of its own (sanitizer builds).
bool backStartupHeapPage(size_t upTo);

}  // namespace mivo_tool
