// What every command that reads a file shares: the read itself (with progress for large files), the read's
// messages on standard error, and the exit status a read gives.
#pragma once

#include "commands.h"

#include "nusk/part21.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mivo_tool {

/// Messages shown unless --verbose asks for all of them.
constexpr size_t kMessagesShown = 20;

/// Reads a file; a file over 50 MB shows its progress on standard error when that is a terminal.
NuskReadResult readFile(const std::string& path);

/// "line 12: text", or the text alone when the message concerns no line.
std::string messageText(const NuskReadMessage& m);
/// The texts of the messages of one severity.
std::vector<std::string> messageTexts(const NuskReadResult& r, NuskSeverity severity);
/// Writes the read's errors and warnings to standard error in the order the reader gave them: the first
/// kMessagesShown unless `all`, then a line saying how many were not shown.
void printMessages(const NuskReadResult& r, bool all);

/// Keeps a design that a command is done with until the process ends, for commands that end the process right
/// after. The system takes the memory of a design back whole at exit; taking the design apart object by object
/// first would only cost time (for `info` on a small file, about 3 % of the instructions of the whole run).
void keepUntilExit(NuskDesign* design);

/// Reads the command's file, shows the read's messages, tags the design's units and hands the design to `list`
/// (which prints the listing); the exit status the read gives, kFailed when the file cannot be read.
int listTaggedDesign(const FileCommand& command, const std::function<void(NuskDesign*)>& list);

/// Reads the command's file, shows the read's messages, hands the design to `edit`, and writes it to
/// command.out through a file beside it that takes its place only once complete: a failed write leaves
/// command.out as it was, even when it is the file that was read. Then `report` prints the result. The exit
/// status the read gives; kFailed when the file cannot be read or the result cannot be written.
int rewriteDesign(const FileCommand& command, const std::function<void(NuskDesign*)>& edit,
                  const std::function<void()>& report);

const char* statusText(NuskReadStatus s);
int exitFor(NuskReadStatus s);

/// True when progress is worth showing for a file of this many bytes: a large one, on a terminal.
bool showsProgress(uint64_t bytes);

/// Writes a design to `out` through a file beside it that takes its place only once complete.
NuskWriteResult writeDesignReplacing(NuskDesign* design, const std::string& out);

/// Warns on standard error of what a write could not put in the file as it stands: references to objects
/// outside `whole` ("the design", "the extract") and reals without a Part 21 form (infinity, not a number).
void warnOfWhatWasNotWritten(const NuskWriteResult& w, const char* whole);

}  // namespace mivo_tool
