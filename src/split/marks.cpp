// Setting and reading the needed and ignorable marks, on one object and on what it refers to.
#include "mivo_split.h"
#include "values.h"

#include "nusk/aggregate.h"
#include "nusk/structure.h"

#include <vector>

using namespace mivo_split_detail;

namespace {

using Field = int32_t MivoMgrSplitStatus::*;

/// An object whose references are being walked: the next attribute (entity) or element (aggregate) to take.
struct Frame {
    NuskObject* obj;
    unsigned depth;  // depth left for what the object refers to is depth - 1
    unsigned next = 0;
};

/// Marks one object; true when what it refers to is to be walked (the caller pushes a frame then).
bool markOne(NuskObject*& obj, unsigned depth, Field field) {
    obj = seeThrough(obj);  // a select costs no depth
    if (!obj) return false;
    if (isEntity(obj)) {
        MivoMgrSplitStatus* status = statusFor(obj);
        if (status->*field) return false;  // marked before: what is below it was walked then
        status->*field = 1;
        return depth > 0;
    }
    return depth > 0 && isAggregate(obj) && elementsAreObjects(static_cast<NuskAggregate*>(obj));
}

/// The next object the frame's object refers to, or false when there is none left.
bool nextReference(Frame& f, NuskObject*& out) {
    if (isAggregate(f.obj)) {
        auto* aggregate = static_cast<NuskAggregate*>(f.obj);
        if (f.next >= aggregate->size()) return false;
        out = aggregate->getObject(f.next++);
        return true;
    }
    if (const auto* raw = dynamic_cast<const NuskRawRecord*>(f.obj)) {
        // An instance of a type the schema lacks: its references are kept beside its text, not in attributes.
        if (f.next >= raw->references().size()) return false;
        out = raw->references()[f.next++];
        return true;
    }
    const ListOfNuskAttribute* atts = f.obj->attributes();
    while (f.next < atts->size()) {
        const NuskAttribute* att = atts->get(f.next++);
        if (!holdsObjects(att)) continue;
        out = f.obj->getObject(att, 0);
        return true;
    }
    // A record that did not fit its type is written back as read: what it refers to is needed as well.
    const std::vector<NuskObject*>& kept = f.obj->originalRecordReferences();
    const size_t k = f.next - atts->size();
    if (k >= kept.size()) return false;
    out = kept[k];
    ++f.next;
    return true;
}

/// The walk in the order a recursive one would take, with a stack of its own: a long chain of references
/// cannot exhaust the thread's stack.
void markDeep(NuskObject* obj, unsigned depth, Field field) {
    if (!markOne(obj, depth, field)) return;
    std::vector<Frame> stack{{obj, depth}};
    while (!stack.empty()) {
        NuskObject* ref = nullptr;
        if (!nextReference(stack.back(), ref)) {
            stack.pop_back();
            continue;
        }
        const unsigned below = stack.back().depth - 1;
        if (markOne(ref, below, field)) stack.push_back({ref, below});
    }
}

int hasMark(NuskObject* obj, Field field) {
    const MivoMgrSplitStatus* s = MivoMgrSplitStatus::find(seeThrough(obj));
    return s && s->*field ? 1 : 0;
}

}  // namespace

void mivo_split_mark_needed(NuskObject* obj, unsigned int depth) { markDeep(obj, depth, &MivoMgrSplitStatus::needed); }

void mivo_split_mark_ignorable(NuskObject* obj, unsigned int depth) {
    markDeep(obj, depth, &MivoMgrSplitStatus::ignorable);
}

int mivo_split_is_needed(NuskObject* obj) { return hasMark(obj, &MivoMgrSplitStatus::needed); }

int mivo_split_is_ignorable(NuskObject* obj) { return hasMark(obj, &MivoMgrSplitStatus::ignorable); }
