// The Part 21 reader: statements into the objects of a design.
#pragma once

#include "cursor.h"
#include "fixups.h"
#include "names.h"
#include "scanner.h"

#include "nusk/object.h"
#include "nusk/part21.h"

#include <atomic>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

class NuskDomain;
class NuskSchema;
struct NuskRawText;

namespace nusk_p21 {

class SecondPart;

class Reader {
public:
    /// About what designs read from files take: 2.6 to 2.9 times the file's bytes for the NIST files of a
    /// megabyte or more, up to 3.7 for smaller ones. A design that takes less than it said holds at most the
    /// unused rest of its last chunk; one that takes more backs what it grows into a chunk at a time.
    static constexpr double kDesignBytesPerFileByte = 2.8;

    Reader(Scanner& scanner, const NuskReadOptions& options);
    NuskReadResult run();

    // ---- a read in two parts ----
    /// Has run() leave the text from `part`'s start to `part` (reading it on a thread of its own) and take over
    /// what it read on getting there; the scanner stops there.
    void setSecondPart(SecondPart* part);
    /// The second part's own read: instance statements from the scanner's start, into a design of its own, up
    /// to the first statement that is no instance (or the end of the text). It gives up at the first message
    /// (what it read is then read again in order by the first part) or once `cancel` is set.
    void runPart(uint64_t expectedBytes, const std::atomic<bool>& cancel);
    /// Deletes the design a second part read, when it was not taken over.
    void dropPartDesign();
    /// Whether the second part's read may be taken over as it stands.
    bool partClean() const { return partOutcome_.clean; }

    // ---- used by the value parser ----
    enum class Fit { ok, mismatch, broken };
    /// Reads one parameter of type `type` into `out`. `temp` says that `out` is not the value's final place
    /// (an aggregate element being gathered): references to later instances are then left tagged, for the
    /// aggregate to register once its elements are in place.
    Fit readValue(Cursor& c, const NuskDomain* type, NuskSlot& out, bool derivedSlot, bool temp, int depth);
    void mismatch(const std::string& what);

private:
    /// A kept record whose every misfit is a reference standing for a plain value. If none of those
    /// references is defined, they read as unset, like `$`, and the record fits after all.
    struct RefMisfits {
        NuskObject* obj;
        std::vector<uint32_t> ids;
    };

    // sections and statements
    bool readMagic();
    void readHeader();
    void readData();
    void headerStatement(std::string_view s, uint32_t line);
    void dataStatement(std::string_view s, uint32_t line);
    bool isSectionEnd(std::string_view s) const;
    /// Keeps a section this reader does not interpret (ANCHOR, SIGNATURE), from its opening statement to its
    /// ENDSEC, in `into`, to be written back as it stands.
    void keepSection(std::string_view opening, uint32_t line, std::string& into, bool signature);
    /// Reads a REFERENCE section: each `#N=<resource>;` becomes an instance that stands for one of another file.
    void readReferenceSection(uint32_t line);
    void externalReference(std::string_view s, uint32_t line);
    /// Keeps the signature sections that follow the end of the file.
    void readSectionsAfterEnd();
    void decideLeniency();
    // instances
    void simpleInstance(uint32_t id, NuskDomain* domain, Cursor& c, std::string_view rhs);
    void complexInstance(uint32_t id, Cursor& c, std::string_view rhs);
    /// The complex domain of partial records of `types` in the order written (null: not allowed together).
    NuskDomain* complexDomainOf(const std::vector<NuskDomain*>& types);
    void rawInstance(uint32_t id, std::string_view rhs, const char* why);
    /// A new instance numbered `id`; 0 for the record of a number already taken, which is numbered when the
    /// read is done (numberDuplicates).
    NuskObject* create(NuskDomain* domain, uint32_t id);
    /// Numbers the instances of numbers defined twice after every number of the file, in the order read.
    void numberDuplicates();
    /// Counts the record numbered `id` (0: a number defined twice) out: what refers to it is told why it is unset.
    void leaveOut(uint32_t id);
    /// Reads a record's parameters into the instance's `slots`, the `count` that the schema expects from slot
    /// `first` on (of `domain`, the instance's type); more or fewer are told as misfits. False when the text is
    /// not a list of parameters.
    bool readParameters(Cursor& c, NuskSlot* slots, const NuskDomain* domain, size_t first, size_t count);
    void abandon(NuskObject* obj);
    void startRecord();
    void keepOriginal(NuskObject* obj, std::string_view rhs);
    /// Binds a kept record's references. Those the record's values hold are the same references of the file and
    /// do not count again; those the values could not take (inside a value that did not fit, or where the schema
    /// derives one) count now, so that nothing the record refers to passes for unused and is deleted by a pass
    /// that deletes what nothing refers to (a merge of units, a duplicate's dimensions).
    void referFromKeptRecord(NuskObject* obj, NuskRawText* kept, const std::vector<uint32_t>& ids);
    /// The numbers the values of the record being read refer to, once each time they do.
    std::vector<uint32_t> numbersHeldByValues(NuskObject* obj);
    void dropOriginalsThatFit();
    /// The record as read, references held as tagged numbers. `binaryProblem` (when given) receives what is wrong
    /// with the first binary literal that is not valid. False when the text is not a record at all.
    bool captureRaw(std::string_view rhs, NuskRawText& raw, std::string* binaryProblem = nullptr);
    // values
    Fit readEntityRef(Cursor& c, const NuskDomain* type, NuskSlot& out, bool temp);
    Fit readSelect(Cursor& c, const NuskDomain* type, NuskSlot& out, int depth);
    Fit readAggregate(Cursor& c, const NuskDomain* type, NuskSlot& out, int depth);
    Fit readPlain(Cursor& c, const NuskDomain* type, NuskSlot& out);
    Fit readString(Cursor& c, NuskSlot& out);
    Fit readNumber(Cursor& c, bool real, NuskSlot& out);
    NuskObject* made(NuskDomain* domain);
    // references
    void reference(NuskObject** target, uint32_t id, const NuskDomain* expected, bool counted = true);
    void noteReferenceForValue(const Cursor& c);
    void checkReference(NuskObject* obj, const NuskDomain* expected, uint32_t line, uint32_t instance);
    /// Whether a value of `type` fits where `expected` is (a select that accepts it, the type itself or a
    /// supertype), remembered: a select's alternatives are walked through its nested selects, a type's supertypes
    /// are searched, and a file asks again and again about the same few pairs.
    bool fits(const NuskDomain* expected, const NuskDomain* type);
    void registerTagged(NuskSlot* slots, unsigned count, const NuskDomain* elementType);
    void resolveFixups();
    void settleFixups();
    bool referenceFits(const NuskObject* obj, const NuskDomain* expected);
    // the second part
    void joinSecondPart(uint32_t lineAtStop);
    bool secondPartFits(const Reader& part);
    void adoptSecondPart(Reader& part, uint32_t lineBase);
    void dropSecondPart();
    uint64_t partStart() const;
    void countReferences(NuskObject* target);
    // messages
    void message(NuskSeverity severity, uint32_t line, std::string text);
    void error(std::string text) { message(NuskSeverity::error, line_, std::move(text)); }
    void warning(std::string text) { message(NuskSeverity::warning, line_, std::move(text)); }

    Scanner& scanner_;
    NuskReadOptions options_;
    NuskReadResult result_;
    NuskSchema* schema_ = nullptr;
    const NameTable* names_ = nullptr;
    NuskDesign* design_ = nullptr;
    FixupList fixups_;
    size_t settleAt_ = 4096;  // open references at which those whose instance has come are closed
    std::vector<NuskObject*> madeInRecord_;  // selects and aggregates of the record being read
    // Instances of records whose number was taken, without a number until the read is done: any number handed
    // out before then may be one that a later record of the file has, or that a reference means.
    std::vector<NuskObject*> duplicates_;
    std::unordered_set<uint32_t> leftOut_;  // numbers whose only records were left out (not valid Part 21)
    // The combinations of partial records met so far, as written, with their complex domains.
    std::vector<std::pair<std::vector<NuskDomain*>, NuskDomain*>> complexSeen_;
    // The partial records of the complex instance being read, and their types: kept from one to the next, which
    // spares each one its allocations.
    std::vector<std::pair<NuskDomain*, Cursor>> complexParts_;
    std::vector<NuskDomain*> complexTypes_;
    std::deque<std::vector<NuskSlot>> gather_;  // element buffers, one per nesting depth (a deque: growing it
                                                // leaves the buffers of outer levels in place)
    uint32_t line_ = 0;
    uint32_t instance_ = 0;
    std::string mismatch_;  // first mismatch of the record being read
    size_t mismatchCount_ = 0;
    std::vector<uint32_t> refsForValues_;  // references of the record standing where a plain value belongs
                                           // (outside typed select values, where $ would not do)
    int selectDepth_ = 0;
    bool badBinary_ = false;  // the record being read has a binary literal that is not valid (an error always)
    std::vector<RefMisfits> refMisfits_;
    bool lenient_ = false;  // the file declares another schema than ours: misfits are warnings
    bool sawEnd_ = false;
    unsigned dataSections_ = 0;
    bool toldDataSections_ = false;
    SecondPart* part_ = nullptr;  // reading the rest of the text on another thread, until taken over
    size_t recordMessages_ = 0;   // messages about records kept as read, which concern those records alone
    /// A second part's outcome: whether it may be taken over, where it stopped (from its start) and the lines
    /// (counted from 1 at its start) of the statement it stopped at and of the last one it read, and that one's
    /// instance number.
    struct PartOutcome {
        bool clean = false;
        uint64_t stopOffset = 0;
        uint32_t stopLine = 1;
        uint32_t lastLine = 0;
        uint32_t lastInstance = 0;
    };
    PartOutcome partOutcome_;
    struct Fitting {
        uint64_t pair = 0;  // expected and given type indices; 0: empty (pairs with index 0 are not kept)
        bool fits = false;
    };
    static constexpr unsigned kFittingBits = 9;
    Fitting fittings_[1u << kFittingBits];  // one pair per place: a pair met later takes it over
};

}  // namespace nusk_p21
