// Designs: creation, allocation of objects, object lists, instance numbers, moves and teardown.
#include "nusk/design.h"

#include "core_domains.h"
#include "design_impl.h"

#include "nusk/cursor.h"
#include "pending.h"
#include "registry.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/report.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <atomic>
#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

NuskDomain* designDomain() { return nusk_detail::core().design; }

bool isEntityDomain(const NuskDomain* d) { return d && d->typeIsEntity(); }

}  // namespace

namespace nusk_detail {

namespace {
// The table of designs, read on every object's design() on every thread: pages of slots that never move once
// made, so that a lookup takes no lock while another thread opens or closes a design. Pages and the free list
// are never destroyed: designs still open at exit (the schemas among them) stay reachable through them.
constexpr uint32_t kPageBits = 12;
constexpr uint32_t kPageSize = 1u << kPageBits;
constexpr uint32_t kMaxPages = 1u << 14;  // 64 Mi designs open at once
struct DesignPage {
    std::atomic<NuskDesign*> slots[kPageSize];
};
std::atomic<DesignPage*> gDesignPages[kMaxPages];
uint32_t gDesignCount = 1;  // index 0: no design; under designTableLock
std::vector<uint32_t>& gFreeDesignIndices = *new std::vector<uint32_t>;

std::mutex& designTableLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::atomic<NuskDesign*>* designSlot(uint32_t index) {
    DesignPage* page = index >> kPageBits < kMaxPages
                           ? gDesignPages[index >> kPageBits].load(std::memory_order_acquire)
                           : nullptr;
    return page ? &page->slots[index & (kPageSize - 1)] : nullptr;
}
}  // namespace

NuskDesign* designAt(uint32_t index) {
    std::atomic<NuskDesign*>* slot = designSlot(index);
    return slot ? slot->load(std::memory_order_acquire) : nullptr;
}

uint32_t registerDesign(NuskDesign* d) {
    std::lock_guard<std::mutex> guard(designTableLock());
    uint32_t i;
    if (!gFreeDesignIndices.empty()) {
        i = gFreeDesignIndices.back();
        gFreeDesignIndices.pop_back();
    } else {
        if (gDesignCount >= kPageSize * kMaxPages) return 0;  // no room: the design records none
        i = gDesignCount++;
        std::atomic<DesignPage*>& page = gDesignPages[i >> kPageBits];
        if (!page.load(std::memory_order_relaxed)) page.store(new DesignPage(), std::memory_order_release);  // zeroed
    }
    designSlot(i)->store(d, std::memory_order_release);
    return i;
}

void unregisterDesign(uint32_t index) {
    if (index == 0) return;
    std::lock_guard<std::mutex> guard(designTableLock());
    std::atomic<NuskDesign*>* slot = designSlot(index);
    if (!slot || !slot->load(std::memory_order_relaxed)) return;
    slot->store(nullptr, std::memory_order_release);
    gFreeDesignIndices.push_back(index);
}

std::recursive_mutex& trashLock() {
    static auto* lock = new std::recursive_mutex;
    return *lock;
}

}  // namespace nusk_detail

NuskDesign::NuskDesign(const char* name, NuskSchema* schema)
    : NuskObject(designDomain(), nullptr), impl_(new NuskDesignImpl(this)) {
    impl_->index_ = nusk_detail::registerDesign(this);
    impl_->name_ = name ? name : "";
    impl_->schema_ = schema ? schema : NuskSchema::defaultSchema();
    impl_->defaultSection_ = {this, 0};
    impl_->systemSection_ = {this, 1};
}

NuskDesign::NuskDesign(OwnTag, const char* name)
    : NuskObject(designDomain(), nullptr), impl_(new NuskDesignImpl(this)) {
    impl_->index_ = nusk_detail::registerDesign(this);
    impl_->name_ = name ? name : "";
    impl_->schema_ = NuskSchema::defaultSchemaIfSet();
    impl_->defaultSection_ = {this, 0};
    impl_->systemSection_ = {this, 1};
}

NuskDesign::NuskDesign(TrashTag) : NuskDesign(OwnTag{}, "trash") { isTrash_ = true; }

NuskDesign::~NuskDesign() {
    NuskDesignImpl& impl = *impl_;
    impl.tearingDown_ = true;
    // A cursor may outlive the design it walked: it is let go, and finds nothing more.
    for (NuskCursor* cursor : impl.cursors_) cursor->designGone();
    impl.cursors_.clear();
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
    nusk_detail::unregisterDesign(impl.index_);
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

/// Room for the elements of a new aggregate: what the caller asked for (at least one slot, which holds the
/// heap array once the elements outgrow the room).
unsigned inlineRoomFor(const NuskDomain* domain) {
    if (!domain || !domain->typeIsAggregate()) return 0;
    nusk_detail::PendingObject& p = nusk_detail::pending();
    unsigned n = p.nextInlineElements;
    p.nextInlineElements = 0;
    return n ? n : 1;
}

}  // namespace

void* nusk_new_in_default_section(size_t size, NuskDesign* design, NuskDomain* domain, unsigned) {
    const unsigned room = inlineRoomFor(domain);
    return design ? allocateObject(size, design->default_section(), domain, room) : nullptr;
}

void* nusk_new(size_t size, NuskSection* section, NuskDomain* domain, unsigned) {
    return allocateObject(size, section, domain, inlineRoomFor(domain));
}

const NuskSlot* NuskStore::unsetSlots(const NuskDomain* d) { return d->unsetSlots_.data(); }

void NuskStore::prepareNextInstance(uint32_t entityId, unsigned inlineElements) {
    nusk_detail::PendingObject& p = nusk_detail::pending();
    p.entityId = entityId;
    p.nextInlineElements = inlineElements > nusk_detail::Arena::kMaxRequest / sizeof(NuskSlot) / 2 ? 0 : inlineElements;
}

void NuskStore::setElements(NuskAggregate* a, const NuskSlot* elements, unsigned count) {
    a->reserve(count);
    if (count) std::memcpy(a->data(), elements, count * sizeof(NuskSlot));
    a->size_ = count;
}

void NuskStore::setSelectValue(NuskUnion* u, uint32_t alternative, NuskSlot value) {
    u->alternative_ = alternative;
    u->value_ = value;
}

NuskSlot* NuskStore::selectSlot(NuskUnion* u) { return &u->value_; }

void NuskStore::keepOriginal(NuskObject* obj, NuskRawText text) {
    NuskDesignImpl& impl = obj->design()->impl();
    impl.originals_[obj] = std::move(text);
    obj->bits_ |= NuskObject::kHasOriginal;
}

const NuskRawText* NuskStore::originalOf(const NuskObject* obj) {
    if (!obj->hasOriginalRecord() || !obj->design()) return nullptr;
    auto& originals = obj->design()->impl().originals_;
    auto it = originals.find(obj);
    return it == originals.end() ? nullptr : &it->second;
}

void NuskStore::setRefcount(NuskObject* obj, uint32_t count) {
    constexpr uint32_t kMax = (1u << 24) - 1;
    if (count > kMax) count = kMax;
    obj->bits_ = (obj->bits_ & ((1u << NuskObject::kRefShift) - 1)) | (count << NuskObject::kRefShift);
}

// ---- object lists and instance numbers ----

void NuskDesignImpl::attach(NuskObject* obj, bool keepId) {
    const uint32_t di = obj->domainIndex_;
    List& list = listFor(di);
    obj->listPos_ = static_cast<uint32_t>(list.objects.size());
    list.objects.push_back(obj);
    ++objectCount_;
    if (!list.entities) {
        obj->bits_ &= ~NuskObject::kEntity;  // the number field is the object's own bookkeeping
        return;
    }
    obj->bits_ |= NuskObject::kEntity;
    ++entityCount_;
    if (self_->isTrash()) return;  // the trash keeps whatever numbers its objects had
    nusk_detail::PendingObject& p = nusk_detail::pending();
    if (p.entityId) {
        obj->id_ = p.entityId;
        p.entityId = 0;
        keepId = true;
    }
    if (!keepId || obj->id_ == 0 || findId(obj->id_)) obj->id_ = freshId();
    bindId(obj->id_, obj);
}

void NuskDesignImpl::adopt(NuskDesignImpl& from) {
    for (uint32_t domainIndex : from.domainOrder_) {
        List* theirs = from.listOf(domainIndex);
        if (!theirs) continue;
        List& mine = listFor(domainIndex);
        const uint32_t offset = static_cast<uint32_t>(mine.objects.size());
        theirs->objects.forEachRun([&](NuskObject* const* objects, size_t count) {
            mine.objects.append(objects, count);  // holes too: the positions after them stay as they are
            for (size_t i = 0; i < count; ++i) {
                if (NuskObject* obj = objects[i]) {
                    obj->designIndex_ = index_;
                    obj->listPos_ += offset;
                }
            }
        });
        mine.holes += theirs->holes;
    }
    objectCount_ += from.objectCount_;
    entityCount_ += from.entityCount_;
    // Numbers: the other table's entries, without a visit to each object. Its dense range was within its own
    // limit, so it is within this larger design's: the table grows to it once.
    if (from.denseIds_.size() > denseIds_.size()) growDenseIds(from.denseIds_.size());
    size_t first = 0;
    from.denseIds_.forEachRun([&](NuskObject* const* objects, size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (objects[i]) denseIds_[first + i] = objects[i];
        first += count;
    });
    if (from.maxId_ > maxId_) maxId_ = from.maxId_;
    for (const auto& entry : from.sparseIds_) bindId(entry.first, entry.second);
    // Records kept as read: moved, so that pointers into them (their references) stay valid.
    for (auto& entry : from.originals_) originals_.emplace(entry.first, std::move(entry.second));
    from.originals_.clear();
    // The lists' blocks live in the memory taken over: they go back to it as the emptied lists are dropped.
    arena_.absorb(from.arena_);
    strings_.absorb(from.strings_);
    from.lists_.clear();
    from.listIndex_.clear();
    from.domainOrder_.clear();
    from.denseIds_.clear();
    from.sparseIds_.clear();
    from.objectCount_ = 0;
    from.entityCount_ = 0;
    from.maxId_ = 0;
    referencesChanged();
}

NuskDesignImpl::List& NuskDesignImpl::newList(uint32_t domainIndex) {
    if (domainIndex >= listIndex_.size()) {
        // Indexed by the process-wide domain index: grown in steps that at least double, each backed in one
        // call, rather than a copy and fresh pages for every new type.
        const size_t size = std::max<size_t>({domainIndex + size_t(1), listIndex_.size() * 2, 1024});
        listIndex_.reserve(size);
        nusk_detail::backPages(listIndex_.data(), size * sizeof(uint32_t));
        listIndex_.resize(size, 0);
    }
    lists_.emplace_back(&arena_);
    lists_.back().entities = isEntityDomain(nusk_detail::domainAt(domainIndex));
    listIndex_[domainIndex] = static_cast<uint32_t>(lists_.size());
    domainOrder_.push_back(domainIndex);
    return lists_.back();
}

void NuskDesignImpl::detach(NuskObject* obj) {
    List* list = listOf(obj->domainIndex_);
    if (list && obj->listPos_ < list->objects.size() && list->objects[obj->listPos_] == obj) {
        list->objects[obj->listPos_] = nullptr;
        ++list->holes;
        --objectCount_;
        if (list->entities) {
            --entityCount_;
            if (!self_->isTrash()) unbindId(obj->id_, obj);
        }
    }
    if (obj->bits_ & NuskObject::kHasOriginal) originals_.erase(obj);
    referencesChanged();
    compactIfIdle();
}

void NuskDesignImpl::compact(List& list) {
    const size_t withManagers = list.managers.size();
    size_t out = 0;
    for (size_t in = 0; in < list.objects.size(); ++in) {
        NuskObject* obj = list.objects[in];
        if (!obj) continue;
        obj->listPos_ = static_cast<uint32_t>(out);
        list.objects[out] = obj;
        if (in < withManagers) {  // out <= in: the head moves down with its object
            NuskManager* head = list.managers[in];
            list.managers[in] = nullptr;
            list.managers[out] = head;
        }
        ++out;
    }
    list.objects.resize(out);
    if (withManagers > out) list.managers.resize(out);
    list.holes = 0;
}

NuskManager** NuskDesignImpl::listedManagerHead(const NuskObject* obj, bool create) {
    List* list = listOf(obj->domainIndex_);
    const uint32_t pos = obj->listPos_;
    if (!list || pos >= list->objects.size() || list->objects[pos] != obj) return nullptr;
    if (pos >= list->managers.size()) {
        if (!create) return nullptr;
        list->managers.resize(list->objects.size(), nullptr);
    }
    return &list->managers[pos];
}

void NuskDesignImpl::compactIfIdle() {
    // Lists are compacted only while no cursor walks them, so that cursor positions stay valid.
    if (!cursors_.empty()) return;
    for (List& list : lists_) {
        if (list.holes > 64 && list.holes * 4 > list.objects.size()) compact(list);
    }
}

NuskObject* NuskDesignImpl::findSparseId(uint32_t id) const {
    auto it = sparseIds_.find(id);
    return it == sparseIds_.end() ? nullptr : it->second;
}

void NuskDesignImpl::growDenseIds(size_t size) {
    const size_t block = decltype(denseIds_)::kBlock;
    denseIds_.resize((size + block - 1) / block * block, nullptr);
    // Outliers that the table now reaches move into it, so that each number is in one place only.
    for (auto it = sparseIds_.begin(); it != sparseIds_.end();) {
        if (it->first < denseIds_.size()) {
            denseIds_[it->first] = it->second;
            it = sparseIds_.erase(it);
        } else {
            ++it;
        }
    }
}

void NuskDesignImpl::bindIdBeyondTable(uint32_t id, NuskObject* obj) {
    // Numbers are dense in practice: a table indexed by number, with a map for outliers far beyond it.
    const size_t denseLimit = 4 * (entityCount_ + 1024);
    if (id < denseLimit) {
        growDenseIds(static_cast<size_t>(id) + 1);
        denseIds_[id] = obj;
    } else {
        sparseIds_[id] = obj;
    }
    if (id > maxId_) maxId_ = id;
}

uint32_t NuskDesignImpl::lowestFreeId() {
    // Numbers freed below where the last search ended are found once the search has gone round.
    for (uint32_t id = freeFrom_; id != 0; ++id)
        if (!findId(id)) return freeFrom_ = id;
    for (uint32_t id = 1; id < freeFrom_; ++id)
        if (!findId(id)) return freeFrom_ = id;
    return 0;
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
    if (!obj || !obj->design() || id == 0 || !isEntityDomain(obj->domain())) return false;
    NuskDesignImpl& impl = obj->design()->impl();
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
    NuskDesign* current = design();
    if (!target || !(bits_ & kArena) || !current) return 0;
    // The trash is one design for the whole process: moves into it (and out of it) from several threads
    // take turns.
    std::unique_lock<std::recursive_mutex> trashGuard;
    if (current->isTrash() || target->isTrash())
        trashGuard = std::unique_lock<std::recursive_mutex>(nusk_detail::trashLock());
    const bool toSystem = section == 0 ? false : (bits_ & kSystem) != 0;
    if (target == current) {
        bits_ = toSystem ? (bits_ | kSystem) : (bits_ & ~kSystem);
        return 1;
    }
    NuskDesignImpl& from = current->impl();
    NuskDesignImpl& to = target->impl();
    NuskManager* managers = nullptr;
    if (bits_ & kHasManagers) {
        NuskManager** head = NuskStore::managerHead(this, false);
        if (head) managers = *head;
        NuskStore::dropManagerHead(this);
    }
    NuskRawText original;
    const bool hadOriginal = (bits_ & kHasOriginal) != 0;
    if (hadOriginal) original = std::move(from.originals_[this]);
    from.detach(this);
    designIndex_ = to.index_;
    bits_ = toSystem ? (bits_ | kSystem) : (bits_ & ~kSystem);
    reinternStrings(this, to.strings_);
    to.attach(this, true);
    if (managers) *NuskStore::managerHead(this, true) = managers;
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
