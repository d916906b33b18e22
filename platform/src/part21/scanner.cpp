#include "scanner.h"

#include "text_scan.h"

#include "arena.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

#include <sys/stat.h>

namespace nusk_p21 {

namespace {

/// 3 when the text starts with the UTF-8 byte order mark, which some editors write and which is no part of
/// the text; else 0.
size_t byteOrderMark(const char* data, size_t size) {
    return size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}

}  // namespace

Scanner::Scanner(std::FILE* file) : file_(file) {
    struct stat info {};
    if (file && fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        expected_ = static_cast<uint64_t>(info.st_size);
}

Scanner::Scanner(const char* data, size_t size)
    : data_(data), size_(size), pos_(byteOrderMark(data, size)), eof_(true), bytes_(size), expected_(size) {}

void Scanner::reportProgress(const Progress* progress, uint64_t totalBytes, uint64_t every) {
    progress_ = progress && *progress ? progress : nullptr;
    totalBytes_ = totalBytes;
    progressEvery_ = every ? every : 1;
    nextProgress_ = progressEvery_;
}

bool Scanner::fill() {
    if (eof_ || !file_) return false;
    // Keep the unread tail at the front, then read a block after it. A statement longer than the buffer
    // makes the buffer grow; it never shrinks.
    const size_t kept = size_ - pos_;
    if (kept + kBlock > capacity_) {
        // Room for a block and a statement left from the one before, from the start: growing copies, and each
        // buffer is fresh memory, backed in one call rather than a fault per page.
        const size_t capacity = std::max({capacity_ * 2, kept + kBlock, 2 * kBlock});
        std::unique_ptr<char[]> bigger(new char[capacity]);
        nusk_detail::backPages(bigger.get(), capacity);
        if (kept) std::memcpy(bigger.get(), data_ + pos_, kept);
        storage_ = std::move(bigger);
        capacity_ = capacity;
    } else if (pos_ > 0 && kept) {
        std::memmove(storage_.get(), data_ + pos_, kept);
    }
    pos_ = 0;
    data_ = storage_.get();
    const size_t got = std::fread(storage_.get() + kept, 1, kBlock, file_);
    size_ = kept + got;
    if (bytes_ == 0) pos_ = byteOrderMark(data_, size_);
    bytes_ += got;
    if (got < kBlock) eof_ = true;
    if (progress_ && (eof_ || bytes_ >= nextProgress_)) {
        (*progress_)(bytes_, totalBytes_);
        nextProgress_ = (bytes_ / progressEvery_ + 1) * progressEvery_;
    }
    return got > 0;
}

namespace {

/// Line feeds in [p, end), and whether a carriage return or a NUL byte is among them: one pass over the text.
struct LineBytes {
    uint32_t lineFeeds = 0;
    bool carriageReturn = false;
    bool nul = false;
};

LineBytes lineBytes(const char* p, const char* end) {
    LineBytes found;
    const char* const begin = p;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    __m128i rare = zero;  // carriage returns and NULs seen so far
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Line feeds are sparse (a few per statement): a step per one set bit beats a population count, which
        // the baseline instruction set does not have.
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))); mask; mask &= mask - 1)
            ++found.lineFeeds;
        rare = _mm_or_si128(rare, _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)));
        p += 16;
    }
    if (p < end && end - begin >= 16) {
        // The last bytes: the sixteen that end the range, the ones counted already masked off.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
        const unsigned fresh = 0xFFFFu << static_cast<unsigned>(16 - (end - p));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))) & fresh; mask; mask &= mask - 1)
            ++found.lineFeeds;
        rare = _mm_or_si128(rare, _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, zero)));
        p = end;
    }
    if (_mm_movemask_epi8(rare)) {
        // Told apart once, not per block: both are rare in real files.
        found.carriageReturn = true;
        found.nul = true;
    }
#endif
    for (; p < end; ++p) {
        found.lineFeeds += *p == '\n';
        found.carriageReturn |= *p == '\r';
        found.nul |= *p == 0;
    }
    return found;
}

}  // namespace

void Scanner::countLines(size_t from, size_t to) {
    if (to <= from) return;  // also keeps an empty text's null data away from memchr
    if (to - from == 1 && data_[from] == '\n') {  // most statements end their line: the gap is its line feed
        ++line_;
        return;
    }
    line_ += linesIn(data_ + from, data_ + to);
}

uint32_t Scanner::linesIn(const char* p, const char* end) {
    if (end <= p) return 0;
    // Line feeds are counted in bulk; a carriage return counts only where no line feed follows it. A range never
    // ends between a carriage return and its line feed while more text may follow (see next()), so a carriage
    // return at its end is a line end of its own.
    const LineBytes found = lineBytes(p, end);
    uint32_t lines = found.lineFeeds;
    if (found.carriageReturn && std::memchr(p, '\r', static_cast<size_t>(end - p)))
        for (const char* q = p; q < end; ++q)
            if (*q == '\r' && (q + 1 >= end || q[1] != '\n')) ++lines;
    if (found.nul && !sawNul_ && std::memchr(p, 0, static_cast<size_t>(end - p))) sawNul_ = true;
    return lines;
}

namespace {

/// True for the bytes below a space: line ends, NULs and the odd tab.
inline bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

/// The first of `;`, `'`, `/` or a byte below a space at or after p (end when there is none). Statements are
/// scanned once: the line ends in them are counted as they are met.
const char* findSpecial(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i semicolon = _mm_set1_epi8(';');
    const __m128i quote = _mm_set1_epi8('\'');
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // A byte is a control byte when the smaller of it and 0x1F, compared without sign, is itself.
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, lastControl), v);
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, semicolon), _mm_cmpeq_epi8(v, quote)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, slash), control));
        const int mask = _mm_movemask_epi8(hit);
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != ';' && *p != '\'' && *p != '/' && !isControl(*p)) ++p;
    return p;
}

}  // namespace

// Skips blanks and comments from `at`; returns the first other byte (size_ when none is left), or the `/*` of a
// comment that goes on past the text held (the caller reads more).
size_t Scanner::skipBlanks(size_t at) {
    return static_cast<size_t>(scan::skipBlanks(data_ + at, data_ + size_) - data_);
}

// Scans for the `;` that ends the statement starting at `from`. Returns false when the text held ends first.
bool Scanner::scanStatement(size_t from, size_t& end, bool& unterminatedString) {
    const char* const base = data_;
    const char* const stop = data_ + size_;
    const char* p = data_ + from + scanned_;
    while (p < stop) {
        p = findSpecial(p, stop);
        if (p >= stop) break;
        const char c = *p;
        if (c == ';') {
            end = static_cast<size_t>(p - base);
            return true;
        }
        if (c == '\n') {
            ++statementLines_;
            ++p;
            continue;
        }
        if (c == '\r') {
            if (p + 1 >= stop && !eof_) {
                scanned_ = static_cast<size_t>(p - base) - from;  // its line feed may be in the next block
                return false;
            }
            if (p + 1 >= stop || p[1] != '\n') ++statementLines_;  // else the line feed counts
            ++p;
            continue;
        }
        if (isControl(c)) {
            if (c == 0) sawNul_ = true;
            ++p;
            continue;
        }
        if (c == '\'') {
            const char* close = scan::stringClose(p, stop);
            // A closing quote that is the last byte held may be the first of a doubled quote: look again with
            // more text, so that a file read in blocks cuts exactly as the same text read from memory.
            if (!close || (close + 1 >= stop && !eof_)) {
                scanned_ = static_cast<size_t>(p - base) - from;  // rescan the string once more text is held
                if (!close && eof_) unterminatedString = true;
                return false;
            }
            // Strings are short and seldom hold a line end: a look for control bytes before counting them.
            for (const char* q = p + 1; q < close; ++q)
                if (isControl(*q)) {
                    statementLines_ += linesIn(q, close);
                    break;
                }
            p = close + 1;
            continue;
        }
        // A slash: a comment when a star follows.
        if (scan::opensComment(p, stop)) {
            const char* after = scan::skipComment(p, stop);
            if (!after) {
                scanned_ = static_cast<size_t>(p - base) - from;
                if (eof_) unclosedComment_ = true;
                return false;
            }
            statementLines_ += linesIn(p, after);
            p = after;
            continue;
        }
        if (p + 1 >= stop && !eof_) {
            scanned_ = static_cast<size_t>(p - base) - from;  // a slash at the end of what is held: look again
            return false;
        }
        ++p;
    }
    scanned_ = static_cast<size_t>(p - base) - from;
    return false;
}

// After a string that is never closed: the statement ends at the first `;` that ends a line after `from`.
size_t Scanner::recoverString(size_t from) {
    for (size_t i = from; i < size_; ++i) {
        if (data_[i] != ';') continue;
        size_t k = i + 1;
        while (k < size_ && (data_[k] == ' ' || data_[k] == '\t')) ++k;
        if (k >= size_ || data_[k] == '\n' || data_[k] == '\r') return i;
    }
    return size_;
}

bool Scanner::atStop(size_t start) {
    if (stopState_ != StopState::pending) return false;
    const uint64_t at = offsetOf(start);
    if (at == stop_ && stopArmed_) {
        stopState_ = StopState::reached;
        return true;
    }
    if (at >= stop_) stopState_ = StopState::missed;
    return false;
}

void Scanner::passStop(size_t end) {
    if (stopState_ == StopState::pending && offsetOf(end) >= stop_) stopState_ = StopState::missed;
}

bool Scanner::restartAt(uint64_t offset, uint32_t line) {
    if (file_) {
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
        // The text skipped was read all the same (by another reader): its progress is told now.
        for (; progress_ && nextProgress_ <= offset; nextProgress_ += progressEvery_)
            (*progress_)(nextProgress_, totalBytes_);
        data_ = storage_.get();
        size_ = pos_ = 0;
        bytes_ = offset;
        eof_ = false;
    } else {
        if (offset > size_) return false;
        pos_ = static_cast<size_t>(offset);
    }
    scanned_ = 0;
    statementLines_ = 0;
    line_ = line;
    stopState_ = StopState::none;
    return true;
}

Scanner::Result Scanner::next(std::string_view& statement, uint32_t& line) {
    for (;;) {
        size_t start = skipBlanks(pos_);
        const bool openComment = scan::opensComment(data_ + start, data_ + size_);
        if ((start >= size_ || openComment) && !eof_) {
            // A carriage return that ends the text held may have its line feed in the next block: it is counted
            // with what follows it, once that is held.
            if (start >= size_ && start > pos_ && data_[start - 1] == '\r') --start;
            countLines(pos_, start);
            pos_ = start;
            fill();
            continue;
        }
        countLines(pos_, start);
        pos_ = start;
        if (start >= size_) return Result::end;
        if (openComment) {
            unclosedComment_ = true;
            countLines(pos_, size_);
            pos_ = size_;
            return Result::end;
        }
        if (atStop(start)) {
            line = line_;
            return Result::end;
        }
        lastOffset_ = offsetOf(start);
        scanned_ = 0;
        statementLines_ = 0;
        size_t end = 0;
        bool unterminatedString = false;
        while (!scanStatement(start, end, unterminatedString)) {
            if (!eof_) {
                const size_t offset = start - pos_;
                fill();
                start = pos_ + offset;
                continue;
            }
            // The text ends inside the statement.
            line = line_;
            size_t stop = unterminatedString ? recoverString(start + scanned_) : size_;
            statement = std::string_view(data_ + start, stop - start);
            // The scan's count is dropped: the statement as cut may end before or after where the scan got to.
            countLines(start, std::min(stop + 1, size_));
            passStop(stop);
            pos_ = std::min(stop + 1, size_);
            scanned_ = 0;
            return Result::unterminated;
        }
        line = line_;
        statement = std::string_view(data_ + start, end - start);
        line_ += statementLines_;  // the scan counted the statement's line ends
        passStop(end);
        pos_ = end + 1;
        scanned_ = 0;
        return Result::statement;
    }
}

}  // namespace nusk_p21
