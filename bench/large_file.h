// A large Part 21 file for the benchmarks: the data sections of the real test files repeated with their
// instance numbers shifted, until the file reaches a given size.
#pragma once

#include <string>

namespace mivo_bench {

/// The folder of real STEP files, or empty.
std::string dataDirectory();
/// Writes the large file at `path` (kept when it exists and is big enough). Returns false without data files.
bool makeLargeFile(const std::string& path, size_t bytes);

}  // namespace mivo_bench
