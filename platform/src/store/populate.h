// The advice values that back a range of pages in one call (Linux 5.14 and later), for C libraries whose headers
// predate them: older kernels refuse the call, and the pages then come on first touch.
#pragma once

#include <sys/mman.h>

namespace nusk_detail {

#ifdef MADV_POPULATE_READ
constexpr int kPopulateRead = MADV_POPULATE_READ;
#else
constexpr int kPopulateRead = 22;  // the kernel's value
#endif

#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // the kernel's value
#endif

}  // namespace nusk_detail
