// Text from a file as the tool shows it on a terminal.
#pragma once

#include "nusk/report.h"

#include <string>
#include <string_view>

namespace mivo_tool {

/// `text` with every byte that a terminal could take for a command written as \xNN: control characters (below
/// 0x20, DEL, and the C1 controls U+0080 to U+009F) and bytes that are no part of valid UTF-8. A file's names
/// and descriptions then cannot move the cursor, change colours or retitle the window of whoever lists them,
/// nor break a line of a report in two. Everything else, UTF-8 letters included, is kept as it is.
std::string printable(std::string_view text);

/// Writes the library's warnings and errors to standard error as the default reporter does, but printable:
/// they quote names and text from the file.
class PrintableReporter : public NuskReporter {
public:
    void report(NuskSeverity severity, const char* message) override;
};

}  // namespace mivo_tool
