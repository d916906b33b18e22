// The commands of the mivo tool.
#pragma once

#include <string>
#include <vector>

namespace mivo_tool {

/// Exit statuses: 0 success, 1 a file read with errors, 2 bad usage or a file that cannot be read.
enum Exit { kOk = 0, kReadErrors = 1, kFailed = 2 };

int runInfo(const std::string& path, bool json);
int runCat(const std::string& path, const std::string& out);
/// Tags the units of a file and lists every unit entity with its code, kind of quantity and names.
int runUnits(const std::string& path, bool json);
/// Builds the sample design, writes it to a temporary file, and shows what reading it back finds.
int runSample(bool json);

/// The sample design written to `path`; false when it cannot be written.
bool writeSample(const std::string& path, std::string& error);

}  // namespace mivo_tool
