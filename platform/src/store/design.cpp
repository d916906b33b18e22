// Designs: creation, allocation of objects, object lists, instance numbers, moves and teardown.
#include "nusk/design.h"

#include "core_domains.h"
#include "design_impl.h"
#include "pending.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/report.h"
#include "nusk/schema.h"
#include "nusk/select.h"

#include <cstring>

namespace {

NuskDomain* designDomain() { return nusk_detail::core().design; }

bool isEntityDomain(const NuskDomain* d) { return d && d->typeIsEntity(); }

}  // namespace

NuskDesign::NuskDesign(const char* name, NuskSchema* schema)
    : NuskObject(designDomain(), nullptr), impl_(new NuskDesignImpl(this)) {
    impl_->name_ = name ? name : "";
    impl_->schema_ = schema ? schema : NuskSchema::defaultSchema();
    impl_->defaultSection_ = {this, 0};
    impl_->systemSection_ = {this, 1};
}

NuskDesign::NuskDesign(TrashTag) : NuskDesign("trash", nullptr) { isTrash_ = true; }

NuskDesign::~NuskDesign() {
    NuskDesignImpl& impl = *impl_;
    impl.tearingDown_ = true;
    // Objects first (their destructors free their managers and element storage), then the memory.
    for (auto& list : impl.lists_)
        for (NuskObject* obj : list.objects)
            if (obj) delete obj;
    impl.lists_.clear();
    for (auto& entry : impl.managers_) {
        NuskManager* m = entry.second;
        while (m) {
            NuskManager* next = m->next_;
            delete m;
            m = next;
        }
    }
    impl.managers_.clear();
    bits_ &= ~kHasManagers;  // the design's own managers went with the table
}

void* NuskDesign::operator new(size_t size) { return ::operator new(size); }
void NuskDesign::operator delete(void* p) noexcept { ::operator delete(p); }

const char* NuskDesign::name() const { return impl_->name_.c_str(); }
void NuskDesign::setName(const char* name) { impl_->name_ = name ? name : ""; }
NuskSchema* NuskDesign::schemaOf() const { return impl_->schema_; }
NuskFileHeader& NuskDesign::header() { return impl_->header_; }
const NuskFileHeader& NuskDesign::header() const { return impl_->header_; }
NuskSection* NuskDesign::default_section() { return &impl_->defaultSection_; }
NuskSection* NuskDesign::system_section() { return &impl_->systemSection_; }
NuskObject* NuskDesign::findEntity(uint32_t id) const { return impl_->findId(id); }
uint32_t NuskDesign::maxEntityId() const { return impl_->maxId_; }
size_t NuskDesign::objectCount() const { return impl_->objectCount_; }
size_t NuskDesign::entityCount() const { return impl_->entityCount_; }

NuskObject* NuskDesign::pnewInstance(NuskDomain* domain, int) {
    // Abstract types are instantiated too: the store keeps what it is given, it does not validate.
    if (!domain || !domain->factory()) return nullptr;
    return domain->factory()(this, domain);
}

NuskDomain* NuskDesign::findComplexDomain(const std::vector<NuskDomain*>& types) {
    NuskSchema* schema = nullptr;
    for (NuskDomain* t : types)
        if (t) schema = t->schema();
    return schema ? schema->complexDomainOf(types) : nullptr;
}

NuskDomain* NuskDesign::findComplexDomain(ListOfNuskDomain* types) {
    if (!types) return nullptr;
    std::vector<NuskDomain*> list;
    for (unsigned i = 0; i < types->size(); ++i) list.push_back(types->get(i));
    return findComplexDomain(list);
}

// ---- allocation ----

namespace {

void* allocateObject(size_t size, NuskSection* section, NuskDomain* domain, unsigned inlineElements) {
    if (!section || !section->design || !domain) return nullptr;
    NuskDesign* design = section->design;
    const size_t slots = isEntityDomain(domain) ? domain->slotAttributes().size() : 0;
    const size_t bytes = slots * sizeof(NuskSlot) + size + inlineElements * sizeof(NuskSlot);
    auto* mem = static_cast<char*>(design->impl().arena_.allocate(bytes));
    if (!mem) {
        NUSK.error("out of memory for an instance of %s", domain->name());
        return nullptr;
    }
    // Entity slots sit below the object; every attribute starts unset.
    if (slots) std::memcpy(mem, NuskStore::unsetSlots(domain), slots * sizeof(NuskSlot));
    char* object = mem + slots * sizeof(NuskSlot);
    nusk_detail::PendingObject& p = nusk_detail::pending();
    p.domain = domain;
    p.design = design;
    p.section = section->kind;
    p.inlineElements = inlineElements ? reinterpret_cast<NuskSlot*>(object + size) : nullptr;
    p.inlineCapacity = inlineElements;
    return object;
}

}  // namespace

void* nusk_new_in_default_section(size_t size, NuskDesign* design, NuskDomain* domain, unsigned) {
    return design ? allocateObject(size, design->default_section(), domain, 0) : nullptr;
}

void* nusk_new(size_t size, NuskSection* section, NuskDomain* domain, unsigned) {
    return allocateObject(size, section, domain, 0);
}

void* NuskStore::allocateWithElements(size_t size, NuskDesign* design, NuskDomain* domain, unsigned elements) {
    if (elements > nusk_detail::Arena::kMaxRequest / sizeof(NuskSlot) / 2) elements = 0;
    return design ? allocateObject(size, design->default_section(), domain, elements) : nullptr;
}

const NuskSlot* NuskStore::unsetSlots(const NuskDomain* d) { return d->unsetSlots_.data(); }

// ---- object lists and instance numbers ----

void NuskDesignImpl::attach(NuskObject* obj, bool keepId) {
    const uint32_t di = obj->domainIndex_;
    if (di >= lists_.size()) lists_.resize(di + 1);
    List& list = lists_[di];
    if (list.objects.empty() && list.holes == 0) domainOrder_.push_back(di);
    obj->listPos_ = static_cast<uint32_t>(list.objects.size());
    list.objects.push_back(obj);
    ++objectCount_;
    if (!isEntityDomain(obj->domain())) {
        obj->id_ = 0;
        return;
    }
    ++entityCount_;
    if (self_->isTrash()) return;  // the trash keeps whatever numbers its objects had
    if (!keepId || obj->id_ == 0 || findId(obj->id_)) obj->id_ = freshId();
    bindId(obj->id_, obj);
}

void NuskDesignImpl::detach(NuskObject* obj) {
    List* list = listOf(obj->domainIndex_);
    if (list && obj->listPos_ < list->objects.size() && list->objects[obj->listPos_] == obj) {
        list->objects[obj->listPos_] = nullptr;
        ++list->holes;
        --objectCount_;
        if (isEntityDomain(obj->domain())) {
            --entityCount_;
            if (!self_->isTrash()) unbindId(obj->id_, obj);
        }
    }
    if (obj->bits_ & NuskObject::kHasOriginal) originals_.erase(obj);
    referencesChanged();
    compactIfIdle();
}

void NuskDesignImpl::compact(List& list) {
    size_t out = 0;
    for (NuskObject* obj : list.objects) {
        if (!obj) continue;
        obj->listPos_ = static_cast<uint32_t>(out);
        list.objects[out++] = obj;
    }
    list.objects.resize(out);
    list.holes = 0;
}

void NuskDesignImpl::compactIfIdle() {
    // Lists are compacted only while no cursor walks them, so that cursor positions stay valid.
    if (activeCursors_ > 0) return;
    for (uint32_t di : domainOrder_) {
        List& list = lists_[di];
        if (list.holes > 64 && list.holes * 4 > list.objects.size()) compact(list);
    }
}

NuskObject* NuskDesignImpl::findId(uint32_t id) const {
    if (id < denseIds_.size()) return denseIds_[id];
    auto it = sparseIds_.find(id);
    return it == sparseIds_.end() ? nullptr : it->second;
}

void NuskDesignImpl::bindId(uint32_t id, NuskObject* obj) {
    // Numbers are dense in practice: a table indexed by number, with a map for outliers far beyond it.
    const size_t denseLimit = 4 * (entityCount_ + 1024);
    if (id < denseIds_.size() || id < denseLimit) {
        if (id >= denseIds_.size()) denseIds_.resize(std::max<size_t>(id + 1, denseIds_.size() * 2), nullptr);
        denseIds_[id] = obj;
    } else {
        sparseIds_[id] = obj;
    }
    if (id > maxId_) maxId_ = id;
}

void NuskDesignImpl::unbindId(uint32_t id, const NuskObject* obj) {
    if (id < denseIds_.size()) {
        if (denseIds_[id] == obj) denseIds_[id] = nullptr;
        return;
    }
    auto it = sparseIds_.find(id);
    if (it != sparseIds_.end() && it->second == obj) sparseIds_.erase(it);
}

bool NuskStore::setEntityId(NuskObject* obj, uint32_t id) {
    if (!obj || !obj->design_ || id == 0 || !isEntityDomain(obj->domain())) return false;
    NuskDesignImpl& impl = obj->design_->impl();
    if (impl.findId(id)) return false;
    impl.unbindId(obj->id_, obj);
    obj->id_ = id;
    impl.bindId(id, obj);
    return true;
}

// ---- moving objects between designs ----

namespace {

void reinternStrings(NuskObject* obj, nusk_detail::StringPool& pool) {
    const NuskDomain* d = obj->domain();
    if (NuskSlot* slots = obj->entitySlots()) {
        const auto& atts = d->slotAttributes();
        for (size_t i = 0; i < atts.size(); ++i) {
            NuskPrimitive p = atts[i]->valueDomain() ? atts[i]->valueDomain()->primitive() : NuskPrimitive::none;
            if ((p == NuskPrimitive::string || p == NuskPrimitive::binary) && slots[i].s)
                slots[i].s = pool.intern(slots[i].s);
        }
    } else if (d->typeIsAggregate()) {
        auto* a = static_cast<NuskAggregate*>(obj);
        NuskPrimitive p = a->elementDomain()->primitive();
        if (p == NuskPrimitive::string || p == NuskPrimitive::binary)
            for (unsigned i = 0; i < a->size(); ++i)
                if (a->slots()[i].s) a->slots()[i].s = pool.intern(a->slots()[i].s);
    } else if (d->typeIsSelect()) {
        NuskStore::reinternSelect(static_cast<NuskUnion*>(obj), pool);
    }
}

}  // namespace

int NuskObject::move(NuskDesign* target, int section, int) {
    if (!target || !(bits_ & kArena) || !design_) return 0;
    const bool toSystem = section == 0 ? false : (bits_ & kSystem) != 0;
    if (target == design_) {
        bits_ = toSystem ? (bits_ | kSystem) : (bits_ & ~kSystem);
        return 1;
    }
    NuskDesignImpl& from = design_->impl();
    NuskDesignImpl& to = target->impl();
    NuskManager* managers = nullptr;
    if (bits_ & kHasManagers) {
        auto it = from.managers_.find(this);
        if (it != from.managers_.end()) {
            managers = it->second;
            from.managers_.erase(it);
        }
    }
    NuskRawText original;
    const bool hadOriginal = (bits_ & kHasOriginal) != 0;
    if (hadOriginal) original = std::move(from.originals_[this]);
    from.detach(this);
    design_ = target;
    bits_ = toSystem ? (bits_ | kSystem) : (bits_ & ~kSystem);
    reinternStrings(this, to.strings_);
    to.attach(this, true);
    if (managers) to.managers_[this] = managers;
    if (hadOriginal) {
        to.originals_[this] = std::move(original);
        bits_ |= kHasOriginal;
    }
    to.referencesChanged();
    return 1;
}

NuskDesign* nusk_trash() {
    static NuskDesign* trash = new NuskDesign(NuskDesign::TrashTag{});
    return trash;
}
