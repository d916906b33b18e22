// Cursors over the object lists of a design.
#include "nusk/cursor.h"

#include "design_impl.h"
#include "registry.h"

#include "nusk/domain.h"

NuskCursor::~NuskCursor() { detach(); }

void NuskCursor::attach(NuskDesign* design) {
    if (design == design_) return;
    detach();
    design_ = design;
    if (design_) design_->impl().cursors_.push_back(this);
}

void NuskCursor::detach() {
    if (!design_) return;
    NuskDesignImpl& impl = design_->impl();
    auto& cursors = impl.cursors_;
    for (size_t i = cursors.size(); i-- > 0;) {
        if (cursors[i] != this) continue;
        cursors.erase(cursors.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    design_ = nullptr;
    if (cursors.empty()) impl.compactIfIdle();
}

void NuskCursor::designGone() {
    design_ = nullptr;
    lists_.clear();
    collected_ = true;  // nothing left to walk
    listAt_ = posAt_ = 0;
}

void NuskCursor::traverse(NuskDesign* design) {
    attach(design);
    rewind();
}

void NuskCursor::domain(NuskDomain* d) {
    domain_ = d;
    rewind();
}

void NuskCursor::domain(NuskTypePtr& type) { domain(type.domain()); }

void NuskCursor::rewind() {
    collected_ = false;
    listAt_ = 0;
    posAt_ = 0;
}

void NuskCursor::collectLists() {
    lists_.clear();
    if (design_) {
        for (uint32_t di : design_->impl().domainOrder_) {
            NuskDomain* d = nusk_detail::domainAt(di);
            if (!domain_ || (d && d->typeIsa(domain_))) lists_.push_back(di);
        }
    }
    collected_ = true;
}

NuskObject* NuskCursor::next() {
    if (!design_) return nullptr;
    if (!collected_) collectLists();
    NuskDesignImpl& impl = design_->impl();
    while (listAt_ < lists_.size()) {
        NuskDesignImpl::List* list = impl.listOf(lists_[listAt_]);
        while (list && posAt_ < list->objects.size()) {
            NuskObject* obj = list->objects[posAt_++];
            if (obj) return obj;
        }
        ++listAt_;
        posAt_ = 0;
    }
    return nullptr;
}

std::vector<NuskObject*> nusk_instances_of(NuskDesign* design, NuskTypePtr& type) {
    std::vector<NuskObject*> found;
    if (!design) return found;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(type);
    while (NuskObject* obj = cursor.next()) found.push_back(obj);
    return found;
}
