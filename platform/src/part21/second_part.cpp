// Reading a large text in two parts at once (see second_part.h).
#include "second_part.h"

#include "cursor.h"
#include "design_impl.h"
#include "processors.h"

#include "nusk/design.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace nusk_p21 {

namespace {

/// Bytes that consecutive windows share: a start that a window cuts is found whole in the next one.
constexpr size_t kOverlap = 64;

bool isInlineBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

/// Whether the line ending at the line feed `lf` (text starting at `begin`) ends a statement.
bool lineEndsStatement(const char* begin, const char* lf) {
    const char* p = lf;
    while (p > begin && isInlineBlank(p[-1])) --p;
    return p > begin && p[-1] == ';';
}

/// Whether `#` at p starts `#digits =`.
bool startsInstance(const char* p, const char* end) {
    if (p >= end || *p != '#') return false;
    const char* q = p + 1;
    while (q < end && *q >= '0' && *q <= '9') ++q;
    if (q == p + 1) return false;
    while (q < end && isInlineBlank(*q)) ++q;
    return q < end && *q == '=';
}

}  // namespace

std::atomic<unsigned> gReadsInProgress{0};
std::atomic<uint32_t> gPartStatementLimit{0};

size_t partStartIn(const char* text, size_t size) {
    const char* const end = text + size;
    for (const char* p = text; p < end;) {
        const void* found = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!found) break;
        const char* lf = static_cast<const char*>(found);
        if (lineEndsStatement(text, lf) && startsInstance(lf + 1, end)) return static_cast<size_t>(lf + 1 - text);
        p = lf + 1;
    }
    return std::string::npos;
}

// ---- the part ----

SecondPart::SecondPart(uint64_t start, const NuskReadOptions& options) : start_(start), options_(options) {
    // The part's messages are told by the first part when it takes them over, and so is progress.
    options_.report = false;
    options_.progress = nullptr;
}

SecondPart::~SecondPart() { drop(); }

// Past the middle, since the second part's thread starts later and often runs slower (fresh memory, a processor
// the host shares out) than the first. The first part reads the rest of what the second did not get to, so a
// second part that is too short costs less than one that is too long.
uint64_t SecondPart::expectedStart(uint64_t size) { return size / 100 * 55; }

bool SecondPart::splitByDefault(uint64_t size) {
    return size >= kSmallestSplit && nusk_detail::processorsAvailable() >= 2;
}

bool SecondPart::worthSplitting(uint64_t size, const NuskReadOptions& options) {
    if (options.threads == 1) return false;
    if (options.threads >= 2) return true;
    // Reads on several threads at once keep the processors busy already.
    return splitByDefault(size) && gReadsInProgress.load(std::memory_order_relaxed) == 1;
}

void SecondPart::launch(uint64_t expectedBytes) {
    reader_ = std::make_unique<Reader>(*scanner_, options_);
    const bool started = thread_.start([this, expectedBytes] {
        // Nothing may leave a thread: a part that fails (out of memory) is not clean, and is read again.
        try {
            reader_->runPart(expectedBytes, cancel_);
        } catch (...) {
        }
        // What will not be taken over goes now, on this thread, rather than on the first part's.
        if (!reader_->partClean()) reader_->dropPartDesign();
    }, /*ownStack=*/true);
    if (!started) reader_.reset();  // no thread to be had: the first part reads everything
}

namespace {

/// The last place in `text` where a second part may start; npos when there is none.
size_t lastPartStartIn(const char* text, size_t size) {
    size_t last = std::string::npos;
    for (size_t from = 0;;) {
        const size_t at = partStartIn(text + from, size - from);
        if (at == std::string::npos) return last;
        last = from + at;
        from = last + 1;
    }
}

/// Where the second part of a text of `size` bytes starts: the first statement boundary from expectedStart() on or,
/// when a long statement (a list of thousands of points) covers that, the last one before it; never in the first
/// or last quarter. 0 when there is none. `window(offset, bytes)` gives the text from `offset` on,
/// up to `bytes` (fewer at the end), as a pointer and a length.
template <class Window>
uint64_t partStart(uint64_t size, Window window) {
    constexpr size_t kWindow = 64u << 10;
    const uint64_t middle = SecondPart::expectedStart(size);
    const uint64_t low = size / 4;
    const uint64_t high = size / 4 * 3;
    for (uint64_t from = middle; from < high; from += kWindow - kOverlap) {
        const std::pair<const char*, size_t> text = window(from, kWindow);
        if (!text.second) break;
        const size_t at = partStartIn(text.first, text.second);
        if (at != std::string::npos) {
            if (from + at < high) return from + at;
            break;
        }
    }
    for (uint64_t to = middle; to > low;) {
        const uint64_t from = to - low > kWindow ? to - kWindow : low;
        const std::pair<const char*, size_t> text = window(from, static_cast<size_t>(to - from) + kOverlap);
        const size_t at = text.second ? lastPartStartIn(text.first, text.second) : std::string::npos;
        if (at != std::string::npos) return from + at;
        to = from;
    }
    return 0;
}

}  // namespace

std::unique_ptr<SecondPart> SecondPart::forFile(const char* path, uint64_t size, const NuskReadOptions& options) {
    if (!path || !worthSplitting(size, options)) return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    std::vector<char> buffer;
    const uint64_t start = partStart(size, [&](uint64_t offset, size_t bytes) {
        buffer.resize(bytes);
        const ssize_t got = pread(fileno(file), buffer.data(), bytes, static_cast<off_t>(offset));
        return std::make_pair(static_cast<const char*>(buffer.data()), got > 0 ? static_cast<size_t>(got) : size_t(0));
    });
    if (!start || std::fseek(file, static_cast<long>(start), SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    std::unique_ptr<SecondPart> part(new SecondPart(start, options));
    part->file_ = file;
    part->scanner_ = std::make_unique<Scanner>(file);
    part->launch(size - start);
    if (!part->reader_) return nullptr;
    return part;
}

std::unique_ptr<SecondPart> SecondPart::forText(const char* data, size_t size, const NuskReadOptions& options) {
    if (!data || !worthSplitting(size, options)) return nullptr;
    const uint64_t start = partStart(size, [&](uint64_t offset, size_t bytes) {
        const size_t at = static_cast<size_t>(std::min<uint64_t>(offset, size));
        return std::make_pair(data + at, std::min(bytes, size - at));
    });
    if (!start) return nullptr;
    std::unique_ptr<SecondPart> part(new SecondPart(start, options));
    part->scanner_ = std::make_unique<Scanner>(data + start, size - start);
    part->launch(size - start);
    if (!part->reader_) return nullptr;
    return part;
}

void SecondPart::join() {
    thread_.join();
}

void SecondPart::finish() {
    if (gPartStatementLimit.load(std::memory_order_relaxed) == 0) cancel_.store(true, std::memory_order_relaxed);
    join();
}

void SecondPart::drop() {
    cancel_.store(true, std::memory_order_relaxed);
    join();
    if (reader_) reader_->dropPartDesign();
    reader_.reset();
    scanner_.reset();
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

// ---- the second part's own read ----

void Reader::runPart(uint64_t expectedBytes, const std::atomic<bool>& cancel) {
    PartOutcome& out = partOutcome_;
    if (!schema_) return;
    names_ = &nameTableOf(schema_);
    design_ = new NuskDesign("", schema_);
    design_->impl().arena_.expectAlongside(static_cast<size_t>(expectedBytes * kDesignBytesPerFileByte));
    std::string_view s;
    uint32_t line = 0;
    const uint32_t limit = gPartStatementLimit.load(std::memory_order_relaxed);
    for (uint32_t statements = 0;; ++statements) {
        if (cancel.load(std::memory_order_relaxed) || (limit && statements >= limit)) {
            // Asked to stop: what was read so far may be taken over, the rest is read by the first part.
            out.stopOffset = scanner_.offset();
            out.stopLine = scanner_.line();
            break;
        }
        const Scanner::Result r = scanner_.next(s, line);
        if (r == Scanner::Result::unterminated) return;
        if (r == Scanner::Result::end) {
            out.stopOffset = scanner_.bytesRead();
            out.stopLine = scanner_.line();
            break;
        }
        Cursor c(s);
        c.skip();
        if (c.peek() != '#') {
            out.stopOffset = scanner_.lastOffset();
            out.stopLine = line;
            break;
        }
        line_ = line;
        instance_ = 0;
        dataStatement(s, line);
        out.lastLine = line;
        out.lastInstance = instance_;
        // Messages about a record kept as read are handed over with it. Any other (a number defined twice, a
        // record left out, a reference of the wrong type) depends on what came before or is told in an order
        // that depends on the whole text: the first part reads on by itself.
        if (result_.errorCount + result_.warningCount != recordMessages_ ||
            result_.messages.size() >= NuskReadResult::kMaxMessages)
            return;
    }
    out.clean = !scanner_.sawNul() && !scanner_.unclosedComment();
}

void Reader::dropPartDesign() {
    delete design_;
    design_ = nullptr;
}

// ---- taking the second part over ----

void Reader::setSecondPart(SecondPart* part) {
    part_ = part;
    if (part) scanner_.setStop(part->start());
}

uint64_t Reader::partStart() const { return part_ ? part_->start() : 0; }

void Reader::dropSecondPart() {
    if (!part_) return;
    part_->drop();
    part_ = nullptr;
    scanner_.clearStop();
}

bool Reader::secondPartFits(const Reader& part) {
    if (!part.partOutcome_.clean || !part.design_) return false;
    // The part tells its misfits as errors, which they are only in a file of our schema.
    if (lenient_ && !part.result_.messages.empty()) return false;
    NuskDesignImpl& mine = design_->impl();
    NuskDesignImpl& theirs = part.design_->impl();
    // A number both parts define: read in one piece, the later one is told and renumbered. Numbers beyond one
    // table's dense range are in its map.
    const size_t both = std::min(mine.denseIds_.size(), theirs.denseIds_.size());
    bool clash = false;
    size_t first = 0;
    theirs.denseIds_.forEachRun([&](NuskObject* const* objects, size_t count) {
        for (size_t i = 0; i < count && first + i < both && !clash; ++i)
            clash = objects[i] && mine.denseIds_[first + i];
        first += count;
    });
    if (clash) return false;
    for (const auto& entry : mine.sparseIds_)
        if (theirs.findId(entry.first)) return false;
    for (const auto& entry : theirs.sparseIds_)
        if (mine.findId(entry.first)) return false;
    // A reference that does not fit the type expected is told where it is met, in order: read in one piece.
    for (size_t i = 0; i < part.fixups_.size(); ++i) {
        const Fixup& f = part.fixups_[i];
        const NuskObject* target = mine.findId(f.id);
        if (!target) target = theirs.findId(f.id);
        if (target && !referenceFits(target, f.expected)) return false;
    }
    return true;
}

void Reader::adoptSecondPart(Reader& part, uint32_t lineBase) {
    NuskDesign* theirs = part.design_;
    part.design_ = nullptr;
    design_->impl().adopt(theirs->impl());
    delete theirs;
    // The part's references to instances it did not hold: to this part's, or to ones further on.
    for (size_t i = 0; i < part.fixups_.size(); ++i) {
        Fixup f = part.fixups_[i];
        if (NuskObject* obj = design_->impl().findId(f.id)) {
            *f.target = obj;
            if (f.counted) countReferences(obj);
            continue;
        }
        f.line += lineBase;
        fixups_.push_back(f);
    }
    part.fixups_.truncate(0);
    refMisfits_.insert(refMisfits_.end(), part.refMisfits_.begin(), part.refMisfits_.end());
    // The part's messages, told in order after this part's as in a read in one piece.
    const uint32_t instance = instance_;
    for (NuskReadMessage& m : part.result_.messages) {
        instance_ = m.instance;
        message(m.severity, m.line ? m.line + lineBase : 0, std::move(m.text));
    }
    instance_ = instance;
    result_.instanceCount += part.result_.instanceCount;
    result_.rawCount += part.result_.rawCount;
    if (part.result_.instanceCount) result_.threads = 2;
}

void Reader::joinSecondPart(uint32_t lineAtStop) {
    SecondPart* part = part_;
    part_ = nullptr;
    part->finish();
    Reader& theirs = part->reader();
    const uint32_t lineBase = lineAtStop - 1;
    const PartOutcome& outcome = theirs.partOutcome_;
    // Reading goes on where the part stopped; where it cannot, or the part does not fit, from where it started.
    if (!secondPartFits(theirs) ||
        !scanner_.restartAt(part->start() + outcome.stopOffset, lineBase + outcome.stopLine)) {
        part->drop();
        scanner_.clearStop();
        return;
    }
    adoptSecondPart(theirs, lineBase);
    if (outcome.lastLine) {
        line_ = lineBase + outcome.lastLine;
        instance_ = outcome.lastInstance;
    }
    part->drop();
}

}  // namespace nusk_p21
