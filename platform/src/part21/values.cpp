// The Part 21 reader: parameters read into slots by the type the schema gives them.
#include "reader.h"

#include "arena.h"
#include "digits.h"
#include "literals.h"

#include "design_impl.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/design.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/units.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace nusk_p21 {

namespace {

constexpr int kMaxDepth = 64;

/// The type a value is stored as: defined types looked through.
const NuskDomain* baseOf(const NuskDomain* type) {
    for (int guard = 0; type && type->kind() == NuskDomainKind::defined_type && type->underlying() && guard < 64; ++guard)
        type = type->underlying();
    return type;
}

NuskSlot unsetFor(const NuskDomain* type) {
    NuskSlot s;
    s.i = 0;
    switch (type ? type->primitive() : NuskPrimitive::object) {
    case NuskPrimitive::real: s.d = NUSK_NULL_REAL; break;
    case NuskPrimitive::integer: s.i = NUSK_NULL_INTEGER64; break;
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: s.i = -1; break;
    default: s.o = nullptr;
    }
    return s;
}

bool isNumberChar(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e'; }

/// Skips one parameter without reading it. False when the text is not a parameter at all.
bool skipValue(Cursor& c, int depth) {
    if (depth > kMaxDepth) return false;
    c.skip();
    const char ch = c.peek();
    if (ch == '$' || ch == '*') {
        ++c.p;
        return true;
    }
    if (ch == '\'' || ch == '"') {
        const char* after = scan::skipLiteralOrComment(c.p, c.end);
        if (!after) return false;
        c.p = after;
        return true;
    }
    if (ch == '.') {
        for (++c.p; c.p < c.end && Cursor::isWordChar(*c.p); ++c.p) {}
        return c.take('.');
    }
    if (ch == '#') {
        ++c.p;
        uint32_t id;
        return c.instanceNumber(id);
    }
    if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') {
        while (c.p < c.end && isNumberChar(*c.p)) ++c.p;
        return true;
    }
    if (ch == '(' || Cursor::isWordChar(ch) || ch == '!') {
        if (ch != '(' && c.name().empty()) return false;
        if (!c.take('(')) return false;
        c.skip();
        if (c.take(')')) return true;
        do {
            if (!skipValue(c, depth + 1)) return false;
        } while (c.take(','));
        return c.take(')');
    }
    return false;
}

/// Reads a number the quick way when it is exact: up to 19 digits, and for a real a decimal exponent small
/// enough that one multiplication or division by an exact power of ten rounds it correctly. Returns where
/// the number ends, or null to leave it to the general reader. Inlined into the loop over a list's numbers: a
/// call's saving and restoring of registers was an eighth of the cost of a number.
[[gnu::always_inline]] inline const char* quickNumber(const char* p, const char* end, bool real, NuskSlot& out) {
    static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    uint64_t mantissa = 0;
    int exponent = 0;
    const char* start = p;
    // Integer parts are short (one to four digits in real files): byte by byte costs less than a step of eight
    // for them, which a longer run still takes.
    const char* const shortEnd = end - p > 4 ? p + 4 : end;
    for (unsigned d; p < shortEnd && (d = static_cast<unsigned char>(*p) - unsigned('0')) <= 9; ++p)
        mantissa = mantissa * 10 + d;
    if (p == start + 4) p = digitRun(p, end, mantissa);
    int digits = static_cast<int>(p - start);
    if (p == start) return nullptr;
    if (!real) {
        if ((p < end && isNumberChar(*p)) || digits > 18) return nullptr;
        out.i = negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa);
        return p;
    }
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        p = digitRun(p, end, mantissa);
        const int fractionDigits = static_cast<int>(p - fraction);
        digits += fractionDigits;
        exponent -= fractionDigits;
    }
    if (p < end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '-' || *p == '+')) negativeExponent = *p++ == '-';
        int e = 0;
        const char* expStart = p;
        for (; p < end && *p >= '0' && *p <= '9' && e < 10000; ++p) e = e * 10 + (*p - '0');
        if (p == expStart) return nullptr;
        exponent += negativeExponent ? -e : e;
    }
    if ((p < end && isNumberChar(*p)) || digits > 19 || mantissa > (uint64_t(1) << 53) || exponent < -22 ||
        exponent > 22)
        return nullptr;
    double v = static_cast<double>(mantissa);
    v = exponent < 0 ? v / kPow10[-exponent] : v * kPow10[exponent];
    out.d = negative ? -v : v;
    return p;
}

}  // namespace

NuskObject* Reader::made(NuskDomain* domain) {
    NuskObject* obj = design_->pnewInstance(domain);
    if (obj) nusk_detail::pushBacked(madeInRecord_, obj);
    return obj;
}

Reader::Fit Reader::readValue(Cursor& c, const NuskDomain* type, NuskSlot& out, bool derivedSlot, bool temp,
                              int depth) {
    if (depth > kMaxDepth) return Fit::broken;
    c.skip();
    const char ch = c.peek();
    if (ch == '$') {
        ++c.p;
        out = unsetFor(type);
        if (derivedSlot) mismatch("$ where the schema derives the value (*)");
        return Fit::ok;
    }
    if (ch == '*') {
        ++c.p;
        out = unsetFor(type);
        if (!derivedSlot) mismatch("* where the schema expects a value");
        return Fit::ok;
    }
    if (!type) return skipValue(c, depth) ? Fit::ok : Fit::broken;
    if (derivedSlot) mismatch("a value where the schema derives it (*)");
    const NuskDomain* base = baseOf(type);
    const NuskDomainKind kind = base->kind();
    if (selectDepth_ == 0 && ch == '#' &&
        (kind == NuskDomainKind::primitive || kind == NuskDomainKind::enumeration || kind == NuskDomainKind::aggregate))
        noteReferenceForValue(c);
    switch (base->kind()) {
    case NuskDomainKind::select: return readSelect(c, base, out, depth);
    case NuskDomainKind::aggregate: return readAggregate(c, base, out, depth);
    case NuskDomainKind::entity:
    case NuskDomainKind::complex:
    case NuskDomainKind::system: return readEntityRef(c, base, out, temp);
    default: return readPlain(c, base, out);
    }
}

void Reader::noteReferenceForValue(const Cursor& c) {
    Cursor probe = c;
    uint32_t id = 0;
    if (probe.take('#') && probe.instanceNumber(id) && id != 0) refsForValues_.push_back(id);
}

Reader::Fit Reader::readEntityRef(Cursor& c, const NuskDomain* type, NuskSlot& out, bool temp) {
    uint32_t id = 0;
    if (!c.take('#')) {
        mismatch("a reference to " + withArticle(type->name()) + " was expected, found " + std::string(c.upcoming()));
        out.o = nullptr;
        return skipValue(c, 0) ? Fit::ok : Fit::broken;
    }
    if (!c.instanceNumber(id) || id == 0) return Fit::broken;
    if (!temp) {
        reference(&out.o, id, type);
        return Fit::ok;
    }
    if (NuskObject* obj = design_->impl().findId(id)) {
        out.o = obj;
        countReferences(obj);
        checkReference(obj, type, line_, instance_);
    } else {
        out.o = reinterpret_cast<NuskObject*>((static_cast<uintptr_t>(id) << 1) | 1u);  // resolved in place later
    }
    return Fit::ok;
}

Reader::Fit Reader::readSelect(Cursor& c, const NuskDomain* type, NuskSlot& out, int depth) {
    out.o = nullptr;
    c.skip();
    if (c.peek() == '#') {
        ++c.p;
        uint32_t id = 0;
        if (!c.instanceNumber(id) || id == 0) return Fit::broken;
        auto* u = static_cast<NuskUnion*>(made(const_cast<NuskDomain*>(type)));
        if (!u) return Fit::ok;
        reference(&NuskStore::selectSlot(u)->o, id, type);
        countReferences(u);
        out.o = u;
        return Fit::ok;
    }
    if (!Cursor::isWordChar(c.peek())) {
        mismatch(std::string("a value of select ") + type->name() + " must name its type, found " +
                 std::string(c.upcoming()));
        return skipValue(c, depth) ? Fit::ok : Fit::broken;
    }
    std::string_view name = c.name();
    NuskDomain* alternative = names_->find(name);
    if (!c.take('(')) return Fit::broken;
    if (!alternative || alternative->typeIsEntity() || alternative->typeIsSelect()) {
        mismatch(std::string(name) + " is no type a value of select " + type->name() + " can have");
        if (!skipValue(c, depth + 1)) return Fit::broken;
        return c.take(')') ? Fit::ok : Fit::broken;
    }
    if (!fits(type, alternative))
        mismatch(std::string(alternative->name()) + " is not an alternative of select " + type->name());
    NuskSlot inner;
    ++selectDepth_;
    Fit fit = readValue(c, alternative, inner, false, false, depth + 1);
    --selectDepth_;
    if (fit == Fit::broken || !c.take(')')) return Fit::broken;
    auto* u = static_cast<NuskUnion*>(made(const_cast<NuskDomain*>(type)));
    if (u) {
        NuskStore::setSelectValue(u, alternative->index(), inner);
        countReferences(u);
    }
    out.o = u;
    return fit;
}

Reader::Fit Reader::readAggregate(Cursor& c, const NuskDomain* type, NuskSlot& out, int depth) {
    out.o = nullptr;
    if (!c.take('(')) {
        mismatch(std::string("a list of ") + type->name() + " was expected, found " + std::string(c.upcoming()));
        return skipValue(c, depth) ? Fit::ok : Fit::broken;
    }
    if (gather_.size() <= static_cast<size_t>(depth)) gather_.resize(static_cast<size_t>(depth) + 1);
    std::vector<NuskSlot>& elements = gather_[static_cast<size_t>(depth)];
    elements.clear();
    const NuskDomain* elementType = type->underlying();
    const NuskPrimitive primitive = baseOf(elementType)->primitive();
    const bool numbers = primitive == NuskPrimitive::real || primitive == NuskPrimitive::integer;
    c.skip();
    if (!c.take(')')) {
        do {
            NuskSlot e;
            // Lists of numbers are most of a large file: read them without the general dispatch.
            const char* after = numbers ? quickNumber(c.p, c.end, primitive == NuskPrimitive::real, e) : nullptr;
            if (after) {
                c.p = after;
            } else if (readValue(c, elementType, e, false, true, depth + 1) == Fit::broken) {
                return Fit::broken;
            }
            nusk_detail::pushBacked(elements, e);
        } while (c.take(','));
        if (!c.take(')')) return Fit::broken;
    }
    const unsigned n = static_cast<unsigned>(elements.size());
    NuskStore::prepareNextInstance(0, n);
    auto* a = static_cast<NuskAggregate*>(made(const_cast<NuskDomain*>(type)));
    if (!a) return Fit::ok;
    NuskStore::setElements(a, elements.data(), n);
    if (primitive == NuskPrimitive::object) {  // the aggregate's own test, without looking its type up again
        const NuskDomain* base = baseOf(elementType);
        registerTagged(a->slots(), n, base && base->typeIsEntity() ? base : nullptr);
    }
    countReferences(a);
    out.o = a;
    return Fit::ok;
}

Reader::Fit Reader::readString(Cursor& c, NuskSlot& out) {
    std::string_view body;
    if (!c.stringBody(body)) return Fit::broken;
    nusk_detail::StringPool& pool = design_->impl().strings_;
    // Most strings of real files are empty ('' for a name or a description left out).
    if (body.empty() || isPlainString(body)) {
        out.s = pool.intern(body);
        return Fit::ok;
    }
    std::string decoded;
    std::string problem;
    if (!decodeString(body, decoded, &problem))
        message(NuskSeverity::warning, line_, "#" + std::to_string(instance_) + ": " + problem + " in a string");
    // A value is a C string: one that holds an escaped NUL keeps what comes before it, and the record its text.
    if (decoded.find('\0') != std::string::npos)
        mismatch("a string holds the character NUL, which a value cannot hold");
    out.s = pool.intern(decoded);
    return Fit::ok;
}

Reader::Fit Reader::readNumber(Cursor& c, bool real, NuskSlot& out) {
    const char* start = c.p;
    if (const char* after = quickNumber(c.p, c.end, real, out)) {
        c.p = after;
        return Fit::ok;
    }
    while (c.p < c.end && isNumberChar(*c.p)) ++c.p;
    const char* first = *start == '+' ? start + 1 : start;
    const std::string_view token(start, static_cast<size_t>(c.p - start));
    if (real) {
        double v = 0;
        auto r = std::from_chars(first, c.p, v);
        if (r.ec == std::errc::result_out_of_range) {
            mismatch("the number " + std::string(token) + " is out of range");
            out.d = NUSK_NULL_REAL;
            return Fit::ok;
        }
        if (r.ec != std::errc() || r.ptr != c.p) return Fit::broken;
        // The null real stands for unset (the quick way never makes it): as a value it would be written back as $.
        if (v == NUSK_NULL_REAL) mismatch("the number " + std::string(token) + " is out of range (it stands for unset)");
        out.d = v;
        return Fit::ok;
    }
    int64_t v = 0;
    auto r = std::from_chars(first, c.p, v);
    // Integers are kept in 64 bits; the lowest one stands for unset and is out of range like larger ones.
    if (r.ec == std::errc() && r.ptr == c.p && v != NUSK_NULL_INTEGER64) {
        out.i = v;
        return Fit::ok;
    }
    if (r.ec == std::errc::result_out_of_range || (r.ec == std::errc() && r.ptr == c.p)) {
        mismatch("the integer " + std::string(token) + " is out of range");
        out.i = NUSK_NULL_INTEGER64;
        return Fit::ok;
    }
    double d = 0;
    auto rd = std::from_chars(first, c.p, d);
    if (rd.ec != std::errc::invalid_argument && rd.ptr == c.p) {
        mismatch("the number " + std::string(token) + " where an integer is expected");
        out.i = NUSK_NULL_INTEGER64;
        return Fit::ok;
    }
    return Fit::broken;
}

Reader::Fit Reader::readPlain(Cursor& c, const NuskDomain* type, NuskSlot& out) {
    out = unsetFor(type);
    const char ch = c.peek();
    const NuskPrimitive p = type->primitive();
    const bool number = (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || ch == '.';
    if ((p == NuskPrimitive::real || p == NuskPrimitive::integer) && number && ch != '.')
        return readNumber(c, p == NuskPrimitive::real, out);
    if (p == NuskPrimitive::string && ch == '\'') return readString(c, out);
    if (p == NuskPrimitive::binary && ch == '"') {
        const char* after = scan::skipBinary(c.p, c.end);
        if (!after) return Fit::broken;
        const std::string_view body(c.p + 1, static_cast<size_t>(after - c.p - 2));
        c.p = after;
        if (const char* problem = scan::binaryProblem(body.data(), body.data() + body.size())) {
            // Not a value: the slot stays unset and the record is kept as read, so it is written back as it was.
            // A syntax error rather than a misfit: it is what the record's message tells, an error always.
            const std::string what = "the binary literal \"" + std::string(body.substr(0, 32)) +
                                     (body.size() > 32 ? "..." : "") + "\" " + problem;
            mismatch(what);
            if (!badBinary_) mismatch_ = what;
            badBinary_ = true;
            return Fit::ok;
        }
        out.s = design_->impl().strings_.intern(body);
        return Fit::ok;
    }
    if ((p == NuskPrimitive::enumeration || p == NuskPrimitive::boolean || p == NuskPrimitive::logical) && ch == '.') {
        const char* start = ++c.p;
        while (c.p < c.end && Cursor::isWordChar(*c.p)) ++c.p;
        std::string_view literal(start, static_cast<size_t>(c.p - start));
        if (!c.take('.')) return Fit::broken;
        int v = -1;
        if (p == NuskPrimitive::enumeration) {
            v = enumValueOf(type, literal);
        } else if (literal.size() == 1) {
            const char l = static_cast<char>(literal[0] & ~0x20);
            v = l == 'F' ? 0 : l == 'T' ? 1 : (l == 'U' && p == NuskPrimitive::logical) ? 2 : -1;
        }
        if (v < 0) mismatch("." + std::string(literal) + ". is not a value of " + type->name());
        out.i = v;
        return Fit::ok;
    }
    mismatch(withArticle(type->name()) + " was expected, found " + std::string(c.upcoming()));
    return skipValue(c, 0) ? Fit::ok : Fit::broken;
}

std::vector<uint32_t> Reader::numbersHeldByValues(NuskObject* obj) {
    // Looked for only when a record is kept, so that reading a reference costs nothing more: the objects in the
    // instance's slots and in the selects and aggregates made for it, and the references still waiting for their
    // instance, the last ones waiting (those of this record).
    std::vector<uint32_t> ids;
    auto add = [&ids](const NuskObject* o) {
        if (o && !o->domain()->typeIsAggregate() && !o->domain()->typeIsSelect() && o->entity_id())
            ids.push_back(o->entity_id());
    };
    if (const NuskSlot* slots = obj->entitySlots()) {
        const auto& atts = obj->domain()->slotAttributes();
        for (size_t i = 0; i < atts.size(); ++i)
            if (atts[i]->valueDomain() && atts[i]->valueDomain()->primitive() == NuskPrimitive::object) add(slots[i].o);
    }
    for (NuskObject* made : madeInRecord_) {
        if (made->domain()->typeIsSelect()) {
            add(static_cast<NuskUnion*>(made)->object());
        } else if (auto* aggregate = dynamic_cast<NuskAggregate*>(made); aggregate && aggregate->holdsObjects()) {
            for (unsigned i = 0; i < aggregate->size(); ++i) add(aggregate->getObject(i));
        }
    }
    for (size_t i = fixups_.size(); i-- > 0 && fixups_[i].instance == instance_;)
        if (fixups_[i].counted) ids.push_back(fixups_[i].id);
    return ids;
}

void Reader::referFromKeptRecord(NuskObject* obj, NuskRawText* kept, const std::vector<uint32_t>& ids) {
    std::vector<uint32_t> heldByValues = numbersHeldByValues(obj);
    for (size_t i = 0; i < ids.size(); ++i) {
        auto held = std::find(heldByValues.begin(), heldByValues.end(), ids[i]);
        const bool countsNow = held == heldByValues.end();
        if (!countsNow) *held = 0;  // numbers start at 1: each value's reference stands for one of the record's
        reference(&kept->refs[i], ids[i], nullptr, countsNow);
    }
}

}  // namespace nusk_p21
