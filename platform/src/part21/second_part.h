// Reading a large text in two parts at once: the second half on a thread of its own, into a design of its own.
// When the first part's reading gets to the second's start, it asks the second to stop at its next statement,
// takes over what it read and reads the rest itself. Where the second part cannot be taken over as it stands (it
// met a message that does not concern one record alone, its start was no statement boundary, its numbers clash
// with the first part's), it is dropped and the first part reads on through the same text itself: the outcome is
// always the outcome of reading in one piece.
#pragma once

#include "helper_thread.h"
#include "reader.h"
#include "scanner.h"

#include "nusk/part21.h"

#include <atomic>
#include <cstdio>
#include <memory>

namespace nusk_p21 {

/// Where in `text` a second part may start: the `#` of an instance number at the start of a line, after a line
/// that ends a statement (its last byte other than a blank is `;`), with `=` after the number. npos when
/// there is none. It may still be inside a string or a comment: the first part finds that out on getting there.
size_t partStartIn(const char* text, size_t size);

/// For tests, where the timing of the two threads must not decide what happens: when not 0, a second part
/// stops after this many statements (as if the first part had got to its start and asked it to stop) or at its
/// end, and the first part waits for that instead of asking it to stop.
extern std::atomic<uint32_t> gPartStatementLimit;

/// Reads of the process in progress: a read is split only when it is the only one.
extern std::atomic<unsigned> gReadsInProgress;

/// Counts a read in progress for as long as it lives.
struct ReadInProgress {
    ReadInProgress() { gReadsInProgress.fetch_add(1, std::memory_order_relaxed); }
    ~ReadInProgress() { gReadsInProgress.fetch_sub(1, std::memory_order_relaxed); }
    ReadInProgress(const ReadInProgress&) = delete;
    ReadInProgress& operator=(const ReadInProgress&) = delete;
};

class SecondPart {
public:
    /// Starts reading the file at `path` (of `size` bytes) from a statement boundary near its middle; null when
    /// the read should stay in one piece (a small text, one processor, no boundary found, no thread to be had).
    static std::unique_ptr<SecondPart> forFile(const char* path, uint64_t size, const NuskReadOptions& options);
    /// The same for text in memory, which must outlive the part.
    static std::unique_ptr<SecondPart> forText(const char* data, size_t size, const NuskReadOptions& options);
    ~SecondPart();
    SecondPart(const SecondPart&) = delete;
    SecondPart& operator=(const SecondPart&) = delete;

    /// Where the part starts, in bytes from the start of the text.
    uint64_t start() const { return start_; }
    /// Has the part's read stop at the next statement boundary, waits for it to end, and leaves its reader to be
    /// looked at: what it read up to there may be taken over, and the rest read by the caller, who has nothing
    /// else to do and is no slower than the part's thread.
    void finish();
    Reader& reader() { return *reader_; }
    /// Stops the part's read when it is still going, and deletes what it read unless that was taken over.
    void drop();

    /// Texts smaller than this are read in one piece unless a read asks for two threads: the thread and the
    /// taking over cost more than half of a small read.
    static constexpr uint64_t kSmallestSplit = 256u << 10;
    /// Whether a text of `size` bytes is read in two parts with the default options, when it is the only read.
    static bool splitByDefault(uint64_t size);
    /// About where the second part of a text of `size` bytes starts (the next statement boundary from there).
    static uint64_t expectedStart(uint64_t size);

private:
    SecondPart(uint64_t start, const NuskReadOptions& options);
    void launch(uint64_t expectedBytes);
    void join();
    static bool worthSplitting(uint64_t size, const NuskReadOptions& options);

    uint64_t start_;
    NuskReadOptions options_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<Scanner> scanner_;
    std::unique_ptr<Reader> reader_;
    std::atomic<bool> cancel_{false};
    nusk_detail::HelperThread thread_;
};

}  // namespace nusk_p21
