// The Part 21 writer.
#include "header.h"
#include "literals.h"

#include "binary_literal.h"

#include "design_impl.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/part21.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"
#include "nusk/units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace nusk_p21 {

namespace {

const NuskDomain* baseOf(const NuskDomain* type) {
    for (int guard = 0; type && type->kind() == NuskDomainKind::defined_type && type->underlying() && guard < 64; ++guard)
        type = type->underlying();
    return type;
}

class Writer {
public:
    Writer(NuskDesign* design, std::string& out, std::FILE* file) : design_(design), out_(out), file_(file) {}

    void run() {
        const NuskFileHeader& header = design_->header();
        writeHeader(header, design_->schemaOf(), out_);
        NuskDesignImpl& impl = design_->impl();
        std::vector<std::pair<uint32_t, NuskObject*>> sparse(impl.sparseIds_.begin(), impl.sparseIds_.end());
        std::sort(sparse.begin(), sparse.end());
        out_ += header.sectionsBeforeData;
        referenceSection(impl.denseIds_, sparse);
        out_ += "DATA;\n";
        for (NuskObject* obj : impl.denseIds_)
            if (obj && !nusk_is_external_reference(obj)) instance(obj);
        for (const auto& entry : sparse)
            if (!nusk_is_external_reference(entry.second)) instance(entry.second);
        out_ += "ENDSEC;\n";
        out_ += header.otherSections;
        out_ += "END-ISO-10303-21;\n";
        out_ += header.sectionsAfterEnd;
        flush();
    }

    size_t instances = 0;
    size_t dangling = 0;
    size_t nonFinite = 0;
    size_t badBinaries = 0;
    uint64_t bytes = 0;
    bool failed = false;

private:
    /// The instances that stand for instances of other files, as `#N=<resource>;` in a REFERENCE section before
    /// the data, where the file they were read from had them.
    template <class Dense>
    void referenceSection(const Dense& dense, const std::vector<std::pair<uint32_t, NuskObject*>>& sparse) {
        const size_t start = out_.size();
        auto entry = [this, start](const NuskObject* obj) {
            if (!obj || !nusk_is_external_reference(obj)) return;
            if (out_.size() == start) out_ += "REFERENCE;\n";
            ++instances;
            out_ += '#';
            number(obj->entity_id());
            out_ += '=';
            out_ += dynamic_cast<const NuskRawRecord*>(obj)->text();
            out_ += ";\n";
        };
        for (const NuskObject* obj : dense) entry(obj);  // dense: the design's table of numbers
        for (const auto& e : sparse) entry(e.second);
        if (out_.size() != start) out_ += "ENDSEC;\n";
    }

    void flush() {
        if (!file_) return;
        if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), file_) != out_.size()) failed = true;
        bytes += out_.size();
        out_.clear();
    }

    const std::string& upperName(const NuskDomain* d) {
        const uint32_t i = d->index();
        if (i >= names_.size()) names_.resize(i + 1);
        std::string& n = names_[i];
        if (n.empty()) {
            n = d->name();
            for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return n;
    }

    /// The entity types of a complex domain in the order of their names as written: upper case, where `_`
    /// sorts after the letters (BOUNDED_CURVE before B_SPLINE_CURVE), as exporters order partial records. The
    /// domain keeps its types in the order of their lower-case names. Worked out once per complex domain.
    const std::vector<const NuskDomain*>& partialRecordOrder(const NuskDomain* complex) {
        const uint32_t i = complex->index();
        if (i >= recordOrders_.size()) recordOrders_.resize(i + 1);
        std::vector<const NuskDomain*>& order = recordOrders_[i];
        if (order.empty()) {
            std::vector<std::pair<std::string, const NuskDomain*>> named;
            for (const NuskDomain* e : complex->entityClosure()) named.emplace_back(upperName(e), e);
            std::sort(named.begin(), named.end());
            for (const auto& entry : named) order.push_back(entry.second);
        }
        return order;
    }

    void number(uint64_t v) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        out_.append(buf, static_cast<size_t>(r.ptr - buf));
    }

    void reference(const NuskObject* obj) {
        if (!obj) {
            out_ += '$';
        } else if (obj->design() != design_ || !obj->entity_id()) {
            ++dangling;  // an object outside the design cannot be referred to in its file
            out_ += '$';
        } else {
            out_ += '#';
            number(obj->entity_id());
        }
    }

    void real(double d) {
        if (d == NUSK_NULL_REAL) {
            out_ += '$';
            return;
        }
        if (!std::isfinite(d)) {
            ++nonFinite;  // Part 21 has no infinity and no NaN: the value is lost, and the caller is told
            out_ += '$';
            return;
        }
        char buf[40];
        auto r = std::to_chars(buf, buf + sizeof buf, d);
        // Part 21 reals always have a decimal point, and an upper-case exponent mark.
        char* e = std::find(buf, r.ptr, 'e');
        const bool hasPoint = std::find(buf, e, '.') != e;
        out_.append(buf, static_cast<size_t>(e - buf));
        if (!hasPoint) out_ += '.';
        if (e != r.ptr) {
            out_ += 'E';
            out_.append(e + 1, static_cast<size_t>(r.ptr - e - 1));
        }
    }

    void raw(const NuskRawText& text) {
        size_t next = 0;
        for (char c : text.text) {
            if (c == NUSK_RAW_REFERENCE_MARK)
                reference(next < text.refs.size() ? text.refs[next++] : nullptr);
            else
                out_ += c;
        }
    }

    void value(const NuskSlot& slot, const NuskDomain* type, const NuskAttribute* att) {
        const NuskDomain* base = baseOf(type);
        if (!base) {
            out_ += '$';
            return;
        }
        switch (base->kind()) {
        case NuskDomainKind::entity:
        case NuskDomainKind::complex:
        case NuskDomainKind::system: return reference(slot.o);
        case NuskDomainKind::select: return select(static_cast<const NuskUnion*>(slot.o));
        case NuskDomainKind::aggregate: return aggregate(static_cast<const NuskAggregate*>(slot.o), att);
        default: return plain(slot, base);
        }
    }

    void select(const NuskUnion* u) {
        if (!u || u->isEmpty()) {
            out_ += '$';
            return;
        }
        const NuskDomain* alt = u->alternative();
        // Only a defined type (over an aggregate) names an object held as a typed value. Any other object is
        // held as itself and referred to: one that is no entity instance of this design (of another design, or
        // what is left of one destroyed) becomes $ and is counted, never written under its own type's name.
        const bool typedValue = alt && alt->kind() == NuskDomainKind::defined_type;
        if (u->holdsObject() && !typedValue) return reference(u->object());
        if (u->holdsObject() && !u->object()) {
            out_ += '$';  // a typed alternative with nothing in it
            return;
        }
        out_ += upperName(alt);
        out_ += '(';
        value(u->rawValue(), alt, nullptr);
        out_ += ')';
    }

    void aggregate(const NuskAggregate* a, const NuskAttribute*) {
        if (!a || !a->domain()->typeIsAggregate()) {
            out_ += '$';
            return;
        }
        // An empty aggregate made on demand by the class layer stands for no value.
        if (a->empty() && a->madeOnDemand()) {
            out_ += '$';
            return;
        }
        const NuskDomain* element = a->elementDomain();
        out_ += '(';
        for (unsigned i = 0; i < a->size(); ++i) {
            if (i) out_ += ',';
            value(a->slots()[i], element, nullptr);
        }
        out_ += ')';
    }

    /// A real that the instance's type redeclares as an integer: a whole value is written as the integer it is
    /// (46, not 46.); any other is written as the real it holds, so that nothing read or set is lost.
    void realAsInteger(double v) {
        constexpr double kInt64Bound = 9223372036854775808.0;  // 2^63
        if (v != NUSK_NULL_REAL && std::isfinite(v) && v == std::trunc(v) && v >= -kInt64Bound && v < kInt64Bound) {
            char buf[24];
            auto r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(v));
            out_.append(buf, static_cast<size_t>(r.ptr - buf));
            return;
        }
        real(v);
    }

    void binary(const char* body) {
        if (!body) {
            out_ += '$';
            return;
        }
        if (nusk_detail::binaryLiteralProblem(body)) {
            // Stored past the setters' checks: between quotes it could end the literal, the statement or the
            // file early for the next read. The value is lost, and the caller is told.
            ++badBinaries;
            out_ += '$';
            return;
        }
        out_.append("\"").append(body).append("\"");
    }

    void plain(const NuskSlot& slot, const NuskDomain* type) {
        switch (type->primitive()) {
        case NuskPrimitive::real: return real(slot.d);
        case NuskPrimitive::integer:
            if (slot.i == NUSK_NULL_INTEGER64) {
                out_ += '$';
            } else {
                char buf[24];
                auto r = std::to_chars(buf, buf + sizeof buf, slot.i);
                out_.append(buf, static_cast<size_t>(r.ptr - buf));
            }
            return;
        case NuskPrimitive::string:
            if (slot.s) encodeString(slot.s, out_);
            else out_ += '$';
            return;
        case NuskPrimitive::binary: return binary(slot.s);
        case NuskPrimitive::boolean:
        case NuskPrimitive::logical:
            out_ += slot.i == 0 ? ".F." : slot.i == 1 ? ".T." : slot.i == 2 ? ".U." : "$";
            return;
        case NuskPrimitive::enumeration: {
            const NuskVarInfo* info = type->getVarInfo(static_cast<int>(slot.i));
            if (!info) {
                out_ += '$';
                return;
            }
            out_ += '.';
            for (const char* p = info->name; *p; ++p) out_ += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
            out_ += '.';
            return;
        }
        default: out_ += '$';
        }
    }

    void parameters(const NuskObject* obj, const NuskDomain* d, size_t first, size_t count) {
        const NuskSlot* slots = obj->entitySlots();
        const auto& atts = d->slotAttributes();
        const auto& derived = d->derivedSlotFlags();
        out_ += '(';
        for (size_t i = first; i < first + count; ++i) {
            if (i > first) out_ += ',';
            if (derived[i])
                out_ += '*';
            else if (d->slotIsInteger(static_cast<unsigned>(i)))
                realAsInteger(slots[i].d);
            else
                value(slots[i], atts[i]->valueDomain(), atts[i]);
        }
        out_ += ')';
    }

    void instance(NuskObject* obj) {
        ++instances;
        out_ += '#';
        number(obj->entity_id());
        out_ += '=';
        const NuskDomain* d = obj->domain();
        if (const NuskRawText* original = NuskStore::originalOf(obj)) {
            raw(*original);
        } else if (auto* record = dynamic_cast<const NuskRawRecord*>(obj)) {
            raw(NuskRawText{record->text(), record->references()});
        } else if (d->kind() == NuskDomainKind::complex) {
            out_ += '(';
            for (const NuskDomain* e : partialRecordOrder(d)) {
                out_ += upperName(e);
                parameters(obj, d, static_cast<size_t>(d->blockStart(e)), e->ownAttributes().size());
            }
            out_ += ')';
        } else {
            out_ += upperName(d);
            parameters(obj, d, 0, d->slotAttributes().size());
        }
        out_ += ";\n";
        if (out_.size() > (1u << 20)) flush();
    }

    NuskDesign* design_;
    std::string& out_;
    std::FILE* file_;
    std::vector<std::string> names_;
    std::vector<std::vector<const NuskDomain*>> recordOrders_;
};

void stampHeader(NuskDesign* design, const char* path) {
    NuskFileHeader& h = design->header();
    if (h.timeStamp.empty()) {
        // Stamped once: later writes of the same design give the same bytes.
        std::time_t now = std::time(nullptr);
        char buf[32];
        std::tm tm{};
        gmtime_r(&now, &tm);
        std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
        h.timeStamp = buf;
    }
    if (h.name.empty() && path) {
        const char* slash = std::strrchr(path, '/');
        h.name = slash ? slash + 1 : path;
    }
}

}  // namespace

}  // namespace nusk_p21

bool nusk_is_external_reference(const NuskObject* obj) {
    if (!obj || obj->domain() != nusk_domain_NuskRawRecord()) return false;
    const auto* record = dynamic_cast<const NuskRawRecord*>(obj);
    return record && record->typeName().empty() && !record->text().empty() && record->text()[0] == '<';
}

NuskWriteResult nusk_write_step_text(NuskDesign* design, std::string& out) {
    NuskWriteResult result;
    if (!design) {
        result.error = "no design";
        return result;
    }
    nusk_p21::stampHeader(design, nullptr);
    nusk_p21::Writer w(design, out, nullptr);
    w.run();
    result.ok = true;
    result.instanceCount = w.instances;
    result.danglingCount = w.dangling;
    result.nonFiniteCount = w.nonFinite;
    result.badBinaryCount = w.badBinaries;
    result.bytes = out.size();
    return result;
}

NuskWriteResult nusk_write_step(NuskDesign* design, const char* path) {
    NuskWriteResult result;
    if (!design || !path) {
        result.error = design ? "no file name" : "no design";
        return result;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        result.error = std::string("cannot open ") + path + " for writing";
        return result;
    }
    nusk_p21::stampHeader(design, path);
    std::string buffer;
    buffer.reserve(1u << 21);
    nusk_p21::Writer w(design, buffer, file);
    w.run();
    const bool closed = std::fclose(file) == 0;
    result.ok = !w.failed && closed;
    if (!result.ok) result.error = std::string("cannot write ") + path;
    result.instanceCount = w.instances;
    result.danglingCount = w.dangling;
    result.nonFiniteCount = w.nonFinite;
    result.badBinaryCount = w.badBinaries;
    result.bytes = w.bytes;
    return result;
}
