// Reading and writing ISO 10303-21 (STEP physical) files.
//
// A design is read from a file (or from text in memory) with the types of a schema, and written back. Reading
// never throws and never stops the process: every problem becomes a message with its line and instance, the
// reader goes on with the next instance, and the caller gets a status it can test. Nothing in a file is lost:
// an instance of a type the schema lacks, or one whose parameters do not fit its type, is kept as it was read
// and written back unchanged (unless the application changes it).
#pragma once

#include "nusk/report.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class NuskDesign;
class NuskObject;
class NuskSchema;

enum class NuskReadStatus {
    ok = 0,          // read cleanly (warnings may have been reported)
    errors = 1,      // read, with errors: the design holds what could be read
    unreadable = 2,  // not read: no design
};

struct NuskReadMessage {
    NuskSeverity severity;
    uint32_t line;      // 1-based line of the file, 0 when the message concerns no line
    uint32_t instance;  // the instance number concerned, 0 when none
    std::string text;
};

struct NuskReadResult {
    NuskReadStatus status = NuskReadStatus::unreadable;
    NuskDesign* design = nullptr;  // owned by the caller; null when unreadable
    std::vector<NuskReadMessage> messages;
    size_t errorCount = 0;
    size_t warningCount = 0;
    size_t instanceCount = 0;  // entity instance records read (kept raw ones included)
    size_t rawCount = 0;       // instances kept as raw records (types the schema lacks)
    uint64_t bytes = 0;
    unsigned threads = 1;      // threads whose reading the design holds: 2 when a second one read part of it
    /// Messages beyond this many are counted but not kept.
    static constexpr size_t kMaxMessages = 1000;
};

struct NuskReadOptions {
    /// The schema the instances are read with; null: the default schema.
    NuskSchema* schema = nullptr;
    /// Also hand every message to the store's reporter (NUSK).
    bool report = false;
    /// Called while a file is read, each time another `progressEvery` bytes have been read and once at its end;
    /// `totalBytes` is the file's size, 0 when it is not known (a pipe). Not called for text in memory. Always
    /// called on the calling thread: in a read on two threads, the second half's progress is told when the
    /// first thread takes it over.
    std::function<void(uint64_t bytesRead, uint64_t totalBytes)> progress;
    uint64_t progressEvery = 4u << 20;
    /// Threads the read may use. 0: two for a text of 256 KiB or more on a machine with two processors or
    /// more, else one; 1: one; 2 or more: two whatever the size. The second reads the second half of the data
    /// section; the outcome (instances, numbers, messages) is that of a read in one piece, and where the halves
    /// cannot be joined as they stand the first thread reads the rest itself.
    unsigned threads = 0;
};

/// Reads a file. A file that cannot be opened, or is not a Part 21 file, is unreadable.
NuskReadResult nusk_read_step(const char* path, const NuskReadOptions& options = {});
/// Reads Part 21 text held in memory.
NuskReadResult nusk_read_step_text(const char* data, size_t size, const NuskReadOptions& options = {});
/// The object memory a read of Part 21 text of `textBytes` bytes is expected to take: what to back ahead of the
/// read with nusk_reserve_memory (nusk/design.h). An estimate: files differ by a third either way. A text that is
/// read in two parts by default (see `threads`) fills two designs, each from a 2 MiB chunk of its own: the first
/// part's share is counted up to whole chunks.
size_t nusk_read_memory(uint64_t textBytes);

struct NuskWriteResult {
    bool ok = false;
    std::string error;          // when not ok: why
    size_t instanceCount = 0;   // instances written
    size_t danglingCount = 0;   // references to objects outside the design, written as $
    size_t nonFiniteCount = 0;  // reals that are infinite or not a number (Part 21 has neither), written as $
    size_t badBinaryCount = 0;  // binary values that are no valid binary literal (the setters refuse them), written as $
    uint64_t bytes = 0;
};

/// Writes a design as a Part 21 file: the header the design carries (FILE_DESCRIPTION, FILE_NAME, FILE_SCHEMA;
/// its schema's name when it declares none), instances in the order of their numbers, complex instances as
/// partial records in the alphabetical order of their upper-case names (BOUNDED_CURVE before B_SPLINE_CURVE),
/// reals that read back to the same double. Writing the same design twice gives the same bytes. The file at `path` is written in place: a write that fails (ok false, a full
/// disk) leaves part of the design there. To keep an existing file whole, write beside it and rename the new
/// file over it once written, as the mivo tool does.
NuskWriteResult nusk_write_step(NuskDesign* design, const char* path);
/// The same into a string.
NuskWriteResult nusk_write_step_text(NuskDesign* design, std::string& out);

/// True for an instance that a file's REFERENCE section defines (`#N=<resource>;`): it stands for an instance
/// of another file. It is a record kept as read (NuskRawRecord) whose type name is empty and whose text is the
/// resource in angle brackets; references to it are written `#N`, and it is written in a REFERENCE section
/// before the data, not among the instances.
bool nusk_is_external_reference(const NuskObject* obj);
