// The Part 21 reader: sections, statements, instances, references and messages.
#include "reader.h"

#include "design_impl.h"
#include "header.h"
#include "store_access.h"
#include "words.h"

#include "nusk/aggregate.h"
#include "nusk/design.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace nusk_p21 {

namespace {

/// What a file that is no Part 21 text looks like from its first bytes, for the message; empty when unknown.
std::string_view formatHint(std::string_view start) {
    auto startsWith = [&](std::string_view bytes) { return start.substr(0, bytes.size()) == bytes; };
    if (startsWith("\x1f\x8b")) return " (the file is compressed with gzip: decompress it first)";
    if (startsWith("PK\x03\x04")) return " (the file is a ZIP archive: extract the STEP file from it first)";
    using namespace std::string_view_literals;  // the UTF-16 forms of "ISO" hold NUL bytes
    if (startsWith("\xff\xfe") || startsWith("\xfe\xff") || startsWith("I\0S\0O\0"sv) || startsWith("\0I\0S\0O"sv))
        return " (the file looks like UTF-16 text: Part 21 files are 8-bit text; convert it to UTF-8 first)";
    return {};
}

/// Adds the messages told while it lives to `count`: those of a record kept as read concern that record alone.
class RecordMessages {
public:
    RecordMessages(const NuskReadResult& result, size_t& count)
        : result_(result), count_(count), before_(result.errorCount + result.warningCount) {}
    ~RecordMessages() { count_ += result_.errorCount + result_.warningCount - before_; }
    RecordMessages(const RecordMessages&) = delete;
    RecordMessages& operator=(const RecordMessages&) = delete;

private:
    const NuskReadResult& result_;
    size_t& count_;
    size_t before_;
};

}  // namespace

Reader::Reader(Scanner& scanner, const NuskReadOptions& options) : scanner_(scanner), options_(options) {
    schema_ = options.schema ? options.schema : NuskSchema::defaultSchema();
}

void Reader::message(NuskSeverity severity, uint32_t line, std::string text) {
    (severity == NuskSeverity::error ? result_.errorCount : result_.warningCount)++;
    if (options_.report) {
        // Line 0 stands for no line (a message about the whole file).
        const std::string where = line ? "line " + std::to_string(line) + ": " : "";
        if (severity == NuskSeverity::error)
            NUSK.error("%s%s", where.c_str(), text.c_str());
        else
            NUSK.warning("%s%s", where.c_str(), text.c_str());
    }
    if (result_.messages.size() < NuskReadResult::kMaxMessages)
        result_.messages.push_back({severity, line, instance_, std::move(text)});
}

void Reader::mismatch(const std::string& what) {
    if (mismatch_.empty()) mismatch_ = what;
    ++mismatchCount_;
}

void Reader::startRecord() {
    mismatch_.clear();
    mismatchCount_ = 0;
    badBinary_ = false;
    refsForValues_.clear();
    madeInRecord_.clear();
}

NuskReadResult Reader::run() {
    if (!schema_) {
        message(NuskSeverity::error, 0, "no schema to read the file with");
        return result_;
    }
    names_ = &nameTableOf(schema_);
    if (!readMagic()) {
        result_.bytes = scanner_.bytesRead();
        return result_;
    }
    design_ = new NuskDesign("", schema_);
    // Saying what the design will take lets it back its memory in a few calls instead of a fault per page.
    // A second part reads the rest into memory of its own, which this design takes over.
    const uint64_t mine = part_ ? std::min<uint64_t>(partStart(), scanner_.expectedSize()) : scanner_.expectedSize();
    design_->impl().arena_.expect(static_cast<size_t>(mine * kDesignBytesPerFileByte));
    readHeader();
    decideLeniency();
    readData();
    resolveFixups();
    numberDuplicates();
    if (scanner_.sawNul()) message(NuskSeverity::error, 0, "the file holds NUL bytes");
    if (scanner_.unclosedComment()) message(NuskSeverity::error, line_, "a comment is never closed");
    result_.design = design_;
    result_.bytes = scanner_.bytesRead();
    result_.status = result_.errorCount ? NuskReadStatus::errors : NuskReadStatus::ok;
    return result_;
}

bool Reader::readMagic() {
    std::string_view s;
    uint32_t line = 0;
    Scanner::Result r = scanner_.next(s, line);
    Cursor c(s);
    const std::string_view word = c.name();
    c.skip();
    if (r != Scanner::Result::statement || !c.atEnd() || !sameWord(word, "ISO-10303-21")) {
        message(NuskSeverity::error, line,
                "not a Part 21 file: expected ISO-10303-21; at the start" + std::string(formatHint(s)));
        return false;
    }
    return true;
}

void Reader::readHeader() {
    std::string_view s;
    uint32_t line = 0;
    Scanner::Result r = scanner_.next(s, line);
    Cursor c(s);
    if (r != Scanner::Result::statement || !sameWord(c.name(), "HEADER")) {
        message(NuskSeverity::error, line, "expected HEADER; after ISO-10303-21;");
        if (r == Scanner::Result::statement) dataStatement(s, line);  // a file without header: read on
        return;
    }
    while ((r = scanner_.next(s, line)) == Scanner::Result::statement) {
        line_ = line;
        if (isSectionEnd(s)) return;
        headerStatement(s, line);
    }
    message(NuskSeverity::error, line, "the header section never ends (ENDSEC; missing)");
}

void Reader::readData() {
    std::string_view s;
    uint32_t line = 0;
    bool inData = false;
    Scanner::Result r;
    for (;;) {
        if (part_) scanner_.armStop(inData);  // the second part holds instances of the data section only
        r = scanner_.next(s, line);
        if (part_ && scanner_.stopState() == Scanner::StopState::missed) dropSecondPart();
        if (r == Scanner::Result::end) {
            if (!part_ || scanner_.stopState() != Scanner::StopState::reached) break;
            joinSecondPart(line);
            continue;
        }
        line_ = line;
        instance_ = 0;
        if (r == Scanner::Result::unterminated) {
            message(NuskSeverity::error, line, "the text ends inside a statement (; missing): " + quote(s));
            if (!s.empty() && s[0] == '#') dataStatement(s, line);
            continue;
        }
        Cursor c(s);
        c.skip();
        if (c.peek() == '#') {
            if (!inData) {
                message(NuskSeverity::error, line, "instance outside a DATA section");
                inData = true;
            }
            dataStatement(s, line);
            continue;
        }
        std::string_view word = c.name();
        if (sameWord(word, "DATA")) {
            inData = true;
            c.skip();
            // A design is one population: what told the sections apart is not kept, and the user is told so once.
            ++dataSections_;
            if (!toldDataSections_ && (dataSections_ > 1 || !c.atEnd())) {
                toldDataSections_ = true;
                message(NuskSeverity::warning, line,
                        "the file's data sections are read into one design and written back as one DATA section, "
                        "without their names and schemas");
            }
        } else if (sameWord(word, "ENDSEC")) {
            inData = false;
        } else if (sameWord(word, "END-ISO-10303-21")) {
            sawEnd_ = true;
            break;
        } else if (!inData && sameWord(word, "REFERENCE")) {
            readReferenceSection(line);
            if (sawEnd_) break;
        } else if (!inData && (sameWord(word, "ANCHOR") || sameWord(word, "SIGNATURE"))) {
            // Anchors are written back before the data, as they belong; a signature where it stood.
            NuskFileHeader& header = design_->header();
            const bool anchor = sameWord(word, "ANCHOR");
            keepSection(s, line, anchor ? header.sectionsBeforeData : header.otherSections, !anchor);
            if (sawEnd_) break;
        } else {
            message(NuskSeverity::error, line, "expected an instance, ENDSEC; or END-ISO-10303-21;, found " + quote(s));
        }
    }
    if (part_) dropSecondPart();
    if (!sawEnd_) message(NuskSeverity::error, line_, "the file ends without END-ISO-10303-21;");
    else if (r == Scanner::Result::statement) readSectionsAfterEnd();
}

// ---- instances ----

void Reader::dataStatement(std::string_view s, uint32_t line) {
    line_ = line;
    Cursor c(s);
    c.skip();
    uint32_t id = 0;
    if (!c.take('#') || !c.instanceNumber(id) || id == 0) {
        error("expected an instance number #N, found " + quote(s));
        return;
    }
    instance_ = id;
    if (!c.take('=')) {
        error("#" + std::to_string(id) + ": expected = after the instance number");
        return;
    }
    if (design_->impl().findId(id)) {
        error("#" + std::to_string(id) + " is defined twice; the later one gets a new number");
        id = 0;
    }
    c.skip();
    const std::string_view rhs(c.p, static_cast<size_t>(c.end - c.p));
    ++result_.instanceCount;
    if (c.peek() == '(') {
        complexInstance(id, c, rhs);
        return;
    }
    std::string_view name = c.name();
    if (name.empty()) {
        leaveOut(id);
        error("#" + std::to_string(instance_) + ": expected an entity name, found " + quote(rhs));
        return;
    }
    NuskDomain* domain = names_->find(name);
    if (!domain || !domain->typeIsEntity())
        rawInstance(id, rhs, "is not an entity type of the schema");
    else
        simpleInstance(id, domain, c, rhs);
}

NuskObject* Reader::create(NuskDomain* domain, uint32_t id) {
    NuskStore::prepareNextInstance(id, 0);
    NuskObject* obj = design_->pnewInstance(domain);
    if (!obj) {
        error("#" + std::to_string(instance_) + ": no instance of " + domain->name() + " could be made");
    } else if (id == 0) {
        // The store gave it the next number; it gets it back, and the instance stays unnumbered until the end.
        NuskDesignImpl& impl = design_->impl();
        const uint32_t given = obj->entity_id();
        impl.unbindId(given, obj);
        if (impl.maxId_ == given) --impl.maxId_;
        duplicates_.push_back(obj);
    }
    return obj;
}

void Reader::leaveOut(uint32_t id) {
    --result_.instanceCount;
    // Each record left out is told in a message of its own: once the messages kept are full, no message about a
    // reference to it would be kept either, and a hostile file of millions of bad records needs no list of them.
    if (id && leftOut_.size() < NuskReadResult::kMaxMessages) leftOut_.insert(id);
}

void Reader::numberDuplicates() {
    for (NuskObject* obj : duplicates_) NuskStore::setEntityId(obj, design_->impl().freshId());
    duplicates_.clear();
}

void Reader::simpleInstance(uint32_t id, NuskDomain* domain, Cursor& c, std::string_view rhs) {
    NuskObject* obj = create(domain, id);
    if (!obj) return;
    startRecord();
    const size_t fixupsBefore = fixups_.size();
    if (!c.take('(') || !readParameters(c, obj->entitySlots(), domain, 0, domain->slotAttributes().size()) ||
        !c.take(')') ||
        (c.skip(), !c.atEnd())) {
        fixups_.truncate(fixupsBefore);
        abandon(obj);
        leaveOut(id);
        error("#" + std::to_string(instance_) + ": the record of " + domain->name() +
              " is not valid Part 21 near " + quote(c.upcoming()) + "; the instance is left out");
        return;
    }
    if (!mismatch_.empty()) keepOriginal(obj, rhs);
}

bool Reader::readParameters(Cursor& c, NuskSlot* slots, const NuskDomain* domain, size_t first, size_t count) {
    const auto& atts = domain->slotAttributes();
    const auto& derivedFlags = domain->derivedSlotFlags();
    size_t read = 0;
    c.skip();
    if (c.peek() == ')') {
        if (count) mismatch("no parameters where " + std::to_string(count) + " are expected");
        return true;
    }
    for (;;) {
        NuskSlot scratch;
        const bool inRange = read < count;
        NuskSlot& out = inRange ? slots[first + read] : scratch;
        const NuskDomain* type = inRange ? atts[first + read]->valueDomain() : nullptr;
        const bool derived = inRange && derivedFlags[first + read];
        if (!inRange) mismatch("more parameters than the " + std::to_string(count) + " expected");
        if (readValue(c, type, out, derived, false, 0) == Fit::broken) return false;
        ++read;
        if (c.take(',')) continue;
        break;
    }
    if (read < count)
        mismatch(std::to_string(read) + " parameters where " + std::to_string(count) + " are expected");
    return true;
}

void Reader::complexInstance(uint32_t id, Cursor& c, std::string_view rhs) {
    // Partial records: (NAME(...) NAME(...) ...). Their parameters are read once the combination is known.
    c.take('(');
    std::vector<std::pair<NuskDomain*, Cursor>>& parts = complexParts_;
    std::vector<NuskDomain*>& types = complexTypes_;
    parts.clear();
    types.clear();
    for (;;) {
        c.skip();
        if (c.peek() == ')') break;
        std::string_view name = c.name();
        NuskDomain* d = name.empty() ? nullptr : names_->find(name);
        if (name.empty()) return rawInstance(id, rhs, "has a complex record that is not valid Part 21");
        if (!d || d->kind() != NuskDomainKind::entity)
            return rawInstance(id, rhs, "combines a type the schema does not know");
        c.skip();
        if (c.peek() != '(') return rawInstance(id, rhs, "has a complex record that is not valid Part 21");
        Cursor params(std::string_view(c.p, static_cast<size_t>(c.end - c.p)));
        const char* q = scan::matchingClose(c.p, c.end);
        if (!q) return rawInstance(id, rhs, "has a complex record that is not valid Part 21");
        params.end = q + 1;
        parts.emplace_back(d, params);
        types.push_back(d);
        c.p = q + 1;
    }
    NuskDomain* domain = complexDomainOf(types);
    if (!domain) return rawInstance(id, rhs, "combines types the schema does not allow together");
    NuskObject* obj = create(domain, id);
    if (!obj) return;
    startRecord();
    const size_t fixupsBefore = fixups_.size();
    NuskSlot* const slots = obj->entitySlots();  // one look for all the partial records
    size_t covered = 0;
    for (auto& part : parts) {
        const int start = domain->blockStart(part.first);
        Cursor& pc = part.second;
        const size_t own = part.first->ownAttributes().size();
        if (start < 0 || !pc.take('(') || !readParameters(pc, slots, domain, static_cast<size_t>(start), own) ||
            !pc.take(')')) {
            fixups_.truncate(fixupsBefore);
            abandon(obj);
            leaveOut(id);
            error("#" + std::to_string(instance_) + ": a partial record of " + part.first->name() +
                  " is not valid Part 21; the instance is left out");
            return;
        }
        ++covered;
    }
    if (covered != domain->entityClosure().size())
        mismatch("the complex record lists " + std::to_string(covered) + " of the " +
                 std::to_string(domain->entityClosure().size()) + " entity types it combines");
    if (!mismatch_.empty()) keepOriginal(obj, rhs);
}

NuskDomain* Reader::complexDomainOf(const std::vector<NuskDomain*>& types) {
    // A file repeats a few combinations (units, contexts, curves) up to hundreds of times: the design's lookup
    // (leaves sorted by name, a key made, the schema's lock) is asked once for each as written. Its answer for
    // the same types never changes once the schema is sealed.
    for (const auto& seen : complexSeen_)
        if (seen.first == types) return seen.second;
    NuskDomain* domain = design_->findComplexDomain(types);
    constexpr size_t kMostRemembered = 64;  // a file of thousands of different combinations is searched no longer
    if (complexSeen_.size() < kMostRemembered) complexSeen_.emplace_back(types, domain);
    return domain;
}

void Reader::abandon(NuskObject* obj) {
    // The record could not be read: what it made goes, nothing refers to it yet.
    for (NuskObject* made : madeInRecord_) delete made;
    madeInRecord_.clear();
    if (!duplicates_.empty() && duplicates_.back() == obj) duplicates_.pop_back();
    delete obj;
}

void Reader::keepOriginal(NuskObject* obj, std::string_view rhs) {
    const RecordMessages counted(result_, recordMessages_);
    message(lenient_ && !badBinary_ ? NuskSeverity::warning : NuskSeverity::error, line_,
            "#" + std::to_string(instance_) + " (" + obj->domain()->name() + "): " + mismatch_ +
                "; kept as read");
    NuskRawText raw;
    std::string binaryProblem;
    if (!captureRaw(rhs, raw, &binaryProblem)) return;
    // A bad binary literal where the schema expects none was not read as a value: told here.
    if (!binaryProblem.empty() && !badBinary_) error("#" + std::to_string(instance_) + ": " + binaryProblem);
    std::vector<uint32_t> ids;
    for (NuskObject* r : raw.refs) ids.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r) >> 1));
    NuskStore::keepOriginal(obj, std::move(raw));
    // The kept record's references follow substitutes and moves like the instance's own.
    referFromKeptRecord(obj, const_cast<NuskRawText*>(NuskStore::originalOf(obj)), ids);
    if (!refsForValues_.empty() && refsForValues_.size() == mismatchCount_) refMisfits_.push_back({obj, refsForValues_});
}

void Reader::dropOriginalsThatFit() {
    for (const RefMisfits& m : refMisfits_) {
        bool allUndefined = true;
        for (uint32_t id : m.ids) allUndefined = allUndefined && !design_->impl().findId(id);
        // The instance already holds those values unset; written from its values it reads back the same.
        if (allUndefined) m.obj->modified();
    }
    refMisfits_.clear();
}

void Reader::rawInstance(uint32_t id, std::string_view rhs, const char* why) {
    const RecordMessages counted(result_, recordMessages_);
    NuskRawText raw;
    std::string binaryProblem;
    if (!captureRaw(rhs, raw, &binaryProblem)) {
        leaveOut(id);
        error("#" + std::to_string(instance_) + ": the record is not valid Part 21; the instance is left out");
        return;
    }
    if (!binaryProblem.empty()) error("#" + std::to_string(instance_) + ": " + binaryProblem);
    NuskObject* obj = create(nusk_domain_NuskRawRecord(), id);
    auto* record = dynamic_cast<NuskRawRecord*>(obj);
    if (!record) return;
    ++result_.rawCount;
    std::string typeName(rhs.substr(0, rhs.find_first_of("( \t\r\n/")));
    message(lenient_ ? NuskSeverity::warning : NuskSeverity::error, line_,
            "#" + std::to_string(instance_) + " " + (typeName.empty() ? "complex instance" : typeName) + " " + why +
                "; kept as read");
    const size_t refs = raw.refs.size();
    std::vector<uint32_t> ids;
    for (NuskObject* r : raw.refs) ids.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r) >> 1));
    record->assign(std::move(typeName), std::move(raw.text), std::vector<NuskObject*>(refs, nullptr));
    for (size_t i = 0; i < refs; ++i) reference(&record->references()[i], ids[i], nullptr);
}

// ---- references ----

void Reader::countReferences(NuskObject* target) { NuskStore::addReferences(target, 1); }

bool Reader::referenceFits(const NuskObject* obj, const NuskDomain* expected) {
    if (!expected) return true;
    const NuskDomain* d = obj->domain();
    return fits(expected, d) || d == nusk_domain_NuskRawRecord();
}

void Reader::checkReference(NuskObject* obj, const NuskDomain* expected, uint32_t line, uint32_t instance) {
    if (referenceFits(obj, expected)) return;
    const NuskDomain* d = obj->domain();
    const uint32_t saved = instance_;
    instance_ = instance;
    message(lenient_ ? NuskSeverity::warning : NuskSeverity::error, line,
            "#" + std::to_string(instance) + " refers to #" + std::to_string(obj->entity_id()) + ", " + withArticle(d->name()) +
                ", where " + withArticle(expected->name()) + " is expected");
    instance_ = saved;
}

bool Reader::fits(const NuskDomain* expected, const NuskDomain* type) {
    auto answer = [expected, type] {
        return expected->typeIsSelect() ? expected->selectAccepts(type) : type->typeIsa(expected);
    };
    // Index 0 is the root type, and where the process's table of types is full, every type that found no room.
    if (expected->index() == 0 || type->index() == 0) return answer();
    const uint64_t pair = (uint64_t(expected->index()) << 32) | type->index();
    Fitting& f = fittings_[(pair * 0x9E3779B97F4A7C15ull) >> (64 - kFittingBits)];
    if (f.pair != pair) {
        f.pair = pair;
        f.fits = answer();
    }
    return f.fits;
}

void Reader::reference(NuskObject** target, uint32_t id, const NuskDomain* expected, bool counted) {
    if (NuskObject* obj = design_->impl().findId(id)) {
        *target = obj;
        if (counted) countReferences(obj);
        checkReference(obj, expected, line_, instance_);
        return;
    }
    *target = nullptr;
    if (fixups_.size() >= settleAt_) settleFixups();
    fixups_.push_back({target, expected, id, line_, instance_, counted});
}

void Reader::settleFixups() {
    // Most references point a little ahead: before the list of open ones grows, close those whose instance has
    // been read since, so that the list stays small however large the file.
    size_t kept = 0;
    for (size_t i = 0; i < fixups_.size(); ++i) {
        const Fixup& f = fixups_[i];
        if (NuskObject* obj = design_->impl().findId(f.id)) {
            *f.target = obj;
            if (f.counted) countReferences(obj);
            checkReference(obj, f.expected, f.line, f.instance);
        } else {
            fixups_[kept++] = f;
        }
    }
    fixups_.truncate(kept);
    // When most stay open, settle again only once the list has doubled: each settling pass then pays for itself.
    if (kept * 2 > settleAt_) settleAt_ *= 2;
}

void Reader::registerTagged(NuskSlot* slots, unsigned count, const NuskDomain* elementType) {
    for (unsigned i = 0; i < count; ++i) {
        const uintptr_t v = reinterpret_cast<uintptr_t>(slots[i].o);
        if (v & 1u) reference(&slots[i].o, static_cast<uint32_t>(v >> 1), elementType);
    }
}

void Reader::resolveFixups() {
    std::unordered_set<uint64_t> reported;  // a kept record repeats the instance's references: report once
    for (size_t i = 0; i < fixups_.size(); ++i) {
        const Fixup& f = fixups_[i];
        NuskObject* obj = design_->impl().findId(f.id);
        if (!obj) {
            if (!reported.insert((uint64_t(f.instance) << 32) | f.id).second) continue;
            const uint32_t saved = instance_;
            instance_ = f.instance;
            message(NuskSeverity::error, f.line,
                    "#" + std::to_string(f.instance) + " refers to #" + std::to_string(f.id) +
                        (leftOut_.count(f.id) ? ", whose record was left out" : ", which the file does not define") +
                        "; the reference is left unset");
            instance_ = saved;
            continue;
        }
        *f.target = obj;
        if (f.counted) countReferences(obj);
        checkReference(obj, f.expected, f.line, f.instance);
    }
    fixups_.truncate(0);
    dropOriginalsThatFit();
    design_->impl().referencesChanged();
}

// ---- the file's schema ----

void Reader::decideLeniency() {
    // Misfits are errors only in a file that declares exactly the schema read with, whatever edition its object
    // identifier names: the schema read with is the one that files of every edition are written to. A file of
    // another schema (or of several) is read as far as it fits, with warnings.
    const auto& schemas = design_->header().schemas;
    lenient_ = true;
    if (schemas.size() != 1) return;
    const std::string& declared = schemas[0];
    const std::string ours = schema_->name();
    // The name ends where the identifier does: some exporters write "NAME. { 1 0 ... }".
    size_t end = 0;
    while (end < declared.size() && (std::isalnum(static_cast<unsigned char>(declared[end])) || declared[end] == '_'))
        ++end;
    const std::string name = declared.substr(0, end);
    if (name.size() != ours.size()) return;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(ours[i])))
            return;
    lenient_ = false;
}

}  // namespace nusk_p21

namespace nusk_p21 {

void Reader::headerStatement(std::string_view s, uint32_t line) {
    std::string problem;
    if (!readHeaderStatement(s, design_->header(), problem)) message(NuskSeverity::error, line, problem);
    else if (!problem.empty()) message(NuskSeverity::warning, line, problem);
}

}  // namespace nusk_p21
