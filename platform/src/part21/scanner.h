// Cutting Part 21 text into statements: everything up to the next `;` that is not inside a string or a
// comment. The text comes from a file read in blocks or from memory; a statement is only valid until the next
// call.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace nusk_p21 {

class Scanner {
public:
    /// Reads from an open file (not owned), in blocks.
    explicit Scanner(std::FILE* file);
    /// Reads from memory.
    Scanner(const char* data, size_t size);

    enum class Result { statement, end, unterminated };

    /// The next statement, its terminating `;` excluded, with the line it starts on. `end` when only
    /// blanks and comments are left. `unterminated` for text that ends without `;` (the text is given), or a
    /// string that is never closed (the statement is then cut at the first `;` that ends a line after the
    /// quote, so that reading can go on).
    Result next(std::string_view& statement, uint32_t& line);

    uint64_t bytesRead() const { return bytes_; }
    /// The line the scanner has counted to: after the last statement returned and, at the end, after the blanks
    /// and comments that follow it.
    uint32_t line() const { return line_; }
    /// Where the statement last returned starts, in bytes from the start of the text.
    uint64_t lastOffset() const { return lastOffset_; }
    /// Where the scanner is: just after the statement last returned (its `;`), at line() (between statements).
    uint64_t offset() const { return offsetOf(pos_); }

    // ---- a stop at a statement boundary (a read in two parts) ----
    /// Asks next() to give `end` when the next statement starts exactly at `offset` (from the start of the text)
    /// while the stop is armed. A statement that starts elsewhere past it, or runs across it, or one that reaches
    /// it unarmed, misses the stop: it is dropped and reading goes on as if it had never been set.
    void setStop(uint64_t offset) {
        stop_ = offset;
        stopState_ = StopState::pending;
    }
    void armStop(bool armed) { stopArmed_ = armed; }
    enum class StopState { none, pending, reached, missed };
    StopState stopState() const { return stopState_; }
    /// After the stop was reached: reading goes on from there.
    void clearStop() { stopState_ = StopState::none; }
    /// Goes on from `offset` (a statement boundary) at line `line`, past text that was read elsewhere. False when
    /// the file cannot be positioned there.
    bool restartAt(uint64_t offset, uint32_t line);
    /// Size of the whole text when known beforehand (a regular file, text in memory), else 0.
    uint64_t expectedSize() const { return expected_; }
    using Progress = std::function<void(uint64_t bytesRead, uint64_t totalBytes)>;
    /// Calls `progress` (not owned) from the block reads, every `every` bytes and at the end of the file.
    void reportProgress(const Progress* progress, uint64_t totalBytes, uint64_t every);
    /// True when the text held a NUL byte or a comment that was never closed.
    bool sawNul() const { return sawNul_; }
    bool unclosedComment() const { return unclosedComment_; }

private:
    bool fill();  // reads more after what is kept; false at the end of the input
    size_t skipBlanks(size_t at);
    bool scanStatement(size_t from, size_t& end, bool& unterminatedString);
    size_t recoverString(size_t from);
    void countLines(size_t from, size_t to);
    /// Line ends in [p, end), which holds no carriage return whose line feed may still be unread; notes NULs.
    uint32_t linesIn(const char* p, const char* end);
    /// Offset from the start of the text of the byte at `at` in the buffer.
    uint64_t offsetOf(size_t at) const { return bytes_ - size_ + at; }
    /// Whether the statement starting at `start` is where the pending stop is (then it is reached); drops the
    /// stop when the statement passes it.
    bool atStop(size_t start);
    void passStop(size_t end);

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> storage_;  // file blocks
    size_t capacity_ = 0;
    const char* data_ = nullptr;
    size_t size_ = 0;           // bytes in data_
    size_t pos_ = 0;            // next unread byte
    size_t scanned_ = 0;        // within the statement being cut: bytes already scanned
    uint32_t statementLines_ = 0;  // line ends in the bytes scanned of that statement
    bool eof_ = false;
    uint64_t bytes_ = 0;
    uint64_t expected_ = 0;
    uint32_t line_ = 1;
    uint64_t lastOffset_ = 0;
    uint64_t stop_ = 0;
    StopState stopState_ = StopState::none;
    bool stopArmed_ = false;
    bool sawNul_ = false;
    bool unclosedComment_ = false;
    const Progress* progress_ = nullptr;
    uint64_t totalBytes_ = 0;
    uint64_t progressEvery_ = 0;
    uint64_t nextProgress_ = 0;
    // Bytes read at a time. Small, so that the buffer costs few fresh pages: touching new memory is what a
    // read spends most of its time on, and a larger block reads no faster.
    static constexpr size_t kBlock = 64u << 10;
};

}  // namespace nusk_p21
