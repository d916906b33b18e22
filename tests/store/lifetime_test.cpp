// Cursors, managers, marks, reference counts, the trash, moves and substitutes.
#include "test_schema.h"

#include <gtest/gtest.h>

namespace {

class StoreLifetime : public ::testing::Test {
protected:
    const TestSchema& t = TestSchema::get();
    NuskDesign design{"lifetime", t.schema};

    NuskObject* make(NuskDomain* d, NuskDesign* in = nullptr) { return (in ? in : &design)->pnewInstance(d); }
    std::vector<NuskObject*> walk(NuskDesign* d, NuskDomain* domain) {
        NuskCursor c;
        c.traverse(d);
        c.domain(domain);
        std::vector<NuskObject*> out;
        while (NuskObject* o = c.next()) out.push_back(o);
        return out;
    }
};

template <int Id>
class CountingManager : public NuskManager {
public:
    explicit CountingManager(int* destroyed) : destroyed_(destroyed) {}
    ~CountingManager() override { ++*destroyed_; }
    static unsigned type() {
        static unsigned id = NuskManager::new_manager_type();
        return id;
    }
    unsigned manager_type() override { return type(); }

private:
    int* destroyed_;
};
using ManagerA = CountingManager<1>;
using ManagerB = CountingManager<2>;

TEST_F(StoreLifetime, CursorVisitsADomainAndItsSubtypesOnly) {
    NuskObject* item = make(t.item);
    NuskObject* p1 = make(t.point);
    NuskObject* dims = make(t.dims);
    NuskObject* g = make(t.group);
    NuskObject* p2 = make(t.point);
    NuskObject* lu = make(design.findComplexDomain({t.lengthUnit, t.siUnit}));
    NuskObject* tu = make(t.timeUnit);
    make(t.unitSelect);

    EXPECT_EQ(walk(&design, t.item), (std::vector<NuskObject*>{item, p1, p2, g}));
    EXPECT_EQ(walk(&design, t.point), (std::vector<NuskObject*>{p1, p2}));
    EXPECT_EQ(walk(&design, t.siUnit), (std::vector<NuskObject*>{lu}));
    EXPECT_EQ(walk(&design, t.unit), (std::vector<NuskObject*>{lu, tu}));
    EXPECT_EQ(walk(&design, nusktype_NuskStructure.domain()).size(), 7u);
    EXPECT_EQ(walk(&design, nullptr).size(), 8u);  // the select value too
    EXPECT_TRUE(walk(&design, t.measure).empty());
    (void)dims;

    // Setting a domain starts again; rewind too; objects that leave are skipped.
    NuskCursor c;
    c.traverse(&design);
    c.domain(t.point);
    EXPECT_EQ(c.next(), p1);
    nusk_move_to_trash(p2);
    EXPECT_EQ(c.next(), nullptr);
    c.rewind();
    EXPECT_EQ(c.next(), p1);
    c.domain(t.group);
    EXPECT_EQ(c.next(), g);
}

// A cursor that outlives the design it walked finds nothing more, and its destruction touches nothing freed
// (AddressSanitizer watches this one). Two cursors on one design are both let go.
TEST_F(StoreLifetime, ACursorMayOutliveItsDesign) {
    NuskCursor first, second;
    {
        NuskDesign shortLived("short", t.schema);
        shortLived.pnewInstance(t.point);
        first.traverse(&shortLived);
        second.traverse(&shortLived);
        ASSERT_NE(first.next(), nullptr);
    }
    EXPECT_EQ(first.next(), nullptr);
    second.rewind();
    EXPECT_EQ(second.next(), nullptr);
    // Walking another design afterwards works as ever.
    NuskObject* p = make(t.point);
    first.traverse(&design);
    first.domain(t.point);
    EXPECT_EQ(first.next(), p);
}

TEST_F(StoreLifetime, ManagersAreFoundOnlyByTheirOwnId) {
    int destroyed = 0;
    NuskObject* p = make(t.point);
    EXPECT_NE(ManagerA::type(), 0u);
    EXPECT_NE(ManagerA::type(), ManagerB::type());
    EXPECT_NE(ManagerA::type(), NUSK_SUBSTITUTE_MANAGER_TYPE);
    auto* a = new ManagerA(&destroyed);
    p->add_manager(a);
    EXPECT_EQ(p->find_manager(ManagerA::type()), a);
    EXPECT_EQ(p->find_manager(ManagerB::type()), nullptr);
    auto* b = new ManagerB(&destroyed);
    p->add_manager(b);
    EXPECT_EQ(p->find_manager(ManagerA::type()), a);
    EXPECT_EQ(p->find_manager(ManagerB::type()), b);
    EXPECT_EQ(make(t.point)->find_manager(ManagerA::type()), nullptr);

    p->add_manager(new ManagerA(&destroyed));  // replaces and destroys the first
    EXPECT_EQ(destroyed, 1);
    EXPECT_NE(p->find_manager(ManagerA::type()), a);
    p->remove_manager(ManagerB::type());
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(p->find_manager(ManagerB::type()), nullptr);
    p->remove_manager(ManagerB::type());  // absent: nothing happens
    EXPECT_EQ(destroyed, 2);

    design.add_manager(new ManagerB(&destroyed));  // a design carries managers too
    EXPECT_NE(design.find_manager(ManagerB::type()), nullptr);
    {
        NuskDesign other("other", t.schema);
        make(t.point, &other)->add_manager(new ManagerA(&destroyed));
        other.add_manager(new ManagerA(&destroyed));
    }
    EXPECT_EQ(destroyed, 4);  // a design's destruction takes its objects' managers and its own
}

TEST_F(StoreLifetime, MarksBelongToThePassOpenedLast) {
    NuskObject* a = make(t.point);
    NuskObject* b = make(t.point);
    EXPECT_EQ(nusk_is_marked(a), 0);
    nusk_mark_set(a);  // no pass open: ignored
    nusk_mark_begin();
    EXPECT_EQ(nusk_is_marked(a), 0);
    nusk_mark_set(a);
    nusk_mark_set(nullptr);
    EXPECT_EQ(nusk_is_marked(nullptr), 0);
    nusk_mark_begin();
    EXPECT_EQ(nusk_is_marked(a), 0);
    nusk_mark_set(b);
    EXPECT_EQ(nusk_is_marked(b), 1);
    nusk_mark_end();
    EXPECT_EQ(nusk_is_marked(a), 1);
    EXPECT_EQ(nusk_is_marked(b), 0);
    nusk_mark_end();
    EXPECT_EQ(nusk_is_marked(a), 0);
}

// A pass's table grows past many objects, and a pass opened again at the same depth after a big one starts
// empty, whether the table is kept or given back.
TEST_F(StoreLifetime, MarkPassesHoldManyObjectsAndReopenEmpty) {
    std::vector<NuskObject*> objects;
    for (int i = 0; i < 20000; ++i) objects.push_back(make(t.point));
    nusk_mark_begin();
    for (size_t i = 0; i < objects.size(); i += 2) nusk_mark_set(objects[i]);
    nusk_mark_set(objects[0]);  // twice: still one mark
    size_t marked = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(nusk_is_marked(objects[i]), i % 2 == 0 ? 1 : 0) << i;
        marked += nusk_is_marked(objects[i]);
    }
    EXPECT_EQ(marked, objects.size() / 2);
    nusk_mark_end();
    for (int round = 0; round < 3; ++round) {
        nusk_mark_begin();
        for (NuskObject* o : objects) ASSERT_EQ(nusk_is_marked(o), 0) << "round " << round;
        nusk_mark_set(objects[round]);
        EXPECT_EQ(nusk_is_marked(objects[round]), 1);
        nusk_mark_end();
    }
    nusk_mark_end();  // no pass open: no effect
    EXPECT_EQ(nusk_is_marked(objects[0]), 0);
}

TEST_F(StoreLifetime, ReferenceCounts) {
    NuskObject* d = make(t.dims);
    EXPECT_EQ(nusk_refcount(&design), 1u);
    EXPECT_EQ(nusk_refcount(nusk_trash()), 0u);
    EXPECT_EQ(nusk_refcount(d), 0u);
    EXPECT_EQ(nusk_refcount_inc(d), 1u);
    EXPECT_EQ(nusk_refcount_inc(d), 2u);
    EXPECT_EQ(nusk_refcount_dec(d), 1u);
    EXPECT_EQ(nusk_refcount_dec(d), 0u);
    EXPECT_EQ(nusk_refcount_dec(d), 0u);
    EXPECT_EQ(nusk_refcount(nullptr), 0u);
}

TEST_F(StoreLifetime, TrashAndMovesBetweenDesigns) {
    NuskObject* keep = make(t.point);
    NuskObject* gone = make(t.point);
    const uint32_t goneId = gone->entity_id();
    ASSERT_EQ(nusk_move_to_trash(gone), 1);
    EXPECT_EQ(gone->design(), nusk_trash());
    EXPECT_EQ(gone->entity_id(), goneId);
    EXPECT_EQ(design.findEntity(goneId), nullptr);
    EXPECT_EQ(walk(&design, t.point), (std::vector<NuskObject*>{keep}));
    EXPECT_EQ(nusk_move_to_trash(gone), 0);  // already deleted
    EXPECT_EQ(nusk_move_to_trash(nullptr), 0);

    // A moved object keeps its number unless the target uses it; its texts outlive the source design.
    auto* source = new NuskDesign("source", t.schema);
    NuskObject* traveller = make(t.point, source);
    nusk_update_prim(traveller, "name", "moved along");
    int destroyed = 0;
    traveller->add_manager(new ManagerA(&destroyed));
    const uint32_t clash = traveller->entity_id();
    while (design.maxEntityId() < clash) make(t.dims);
    ASSERT_NE(design.findEntity(clash), nullptr);
    ASSERT_EQ(traveller->move(&design, 0, 0), 1);
    delete source;
    EXPECT_EQ(traveller->design(), &design);
    EXPECT_NE(traveller->entity_id(), clash);
    EXPECT_EQ(design.findEntity(traveller->entity_id()), traveller);
    EXPECT_STREQ(traveller->getString("name"), "moved along");
    EXPECT_NE(traveller->find_manager(ManagerA::type()), nullptr);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(walk(&design, t.point).back(), traveller);

    // Gone and back again: listed once.
    nusk_move_to_trash(keep);
    keep->move(&design, 0, 0);
    EXPECT_EQ(walk(&design, t.point).size(), 2u);
    traveller->remove_manager(ManagerA::type());
    EXPECT_EQ(destroyed, 1);
}

TEST_F(StoreLifetime, NewInstancesAreNumberedAfterTheHighest) {
    uint32_t first = make(t.point)->entity_id();
    uint32_t second = make(t.group)->entity_id();
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(make(t.unitSelect)->entity_id(), 0u);  // select values are not instances
    EXPECT_EQ(design.maxEntityId(), second);
}

TEST_F(StoreLifetime, SubstitutesAreFollowedByTheReferenceUpdate) {
    NuskObject* oldUnit = make(t.siUnit);
    NuskObject* midUnit = make(t.siUnit);
    NuskObject* newUnit = make(t.siUnit);
    NuskObject* oldDims = make(t.dims);
    NuskObject* newDims = make(t.dims);
    NuskObject* lu = make(t.lengthUnit);
    lu->putObject(oldDims, "dims");
    auto* sel = static_cast<NuskUnion*>(make(t.unitSelect));
    nusk_put_nested_object(sel, oldUnit);
    auto* units = static_cast<NuskAggregate*>(design.pnewInstance(t.groupUnits->valueDomain()));
    auto* sel2 = static_cast<NuskUnion*>(make(t.unitSelect));
    nusk_put_nested_object(sel2, midUnit);
    units->addObject(sel2);
    NuskObject* g = make(t.group);
    g->putObject(units, "units");
    auto* members = static_cast<NuskAggregate*>(design.pnewInstance(t.groupMembers->valueDomain()));
    NuskObject* oldItem = make(t.item);
    NuskObject* newItem = make(t.item);
    members->addObject(oldItem);
    g->putObject(members, "members");
    nusk_refcount_inc(oldDims);

    nusk_register_substitute(oldUnit, midUnit);
    nusk_register_substitute(midUnit, newUnit);
    nusk_register_substitute(oldDims, newDims);
    nusk_register_substitute(oldItem, newItem);
    EXPECT_EQ(nusk_expand_substitutes(oldUnit), newUnit);
    EXPECT_EQ(nusk_expand_substitutes(newUnit), newUnit);
    EXPECT_EQ(nusk_expand_substitutes(nullptr), nullptr);
    EXPECT_EQ(lu->getObject("dims"), oldDims);  // nothing moves before the update

    EXPECT_EQ(nusk_update_object_references(&design), 4u);
    EXPECT_EQ(lu->getObject("dims"), newDims);
    EXPECT_EQ(nusk_get_nested_object(sel), newUnit);
    EXPECT_EQ(nusk_get_nested_object(sel2), newUnit);
    EXPECT_EQ(members->getObject(0), newItem);
    EXPECT_EQ(nusk_refcount(newDims), 1u);
    EXPECT_EQ(nusk_refcount(oldDims), 0u);
    EXPECT_EQ(nusk_update_object_references(&design), 0u);

    oldUnit->remove_manager(NUSK_SUBSTITUTE_MANAGER_TYPE);
    EXPECT_EQ(nusk_expand_substitutes(oldUnit), oldUnit);
    // A loop of substitutes ends instead of spinning.
    nusk_register_substitute(newUnit, oldUnit);
    nusk_register_substitute(oldUnit, newUnit);
    NuskObject* end = nusk_expand_substitutes(oldUnit);
    EXPECT_TRUE(end == oldUnit || end == newUnit);
}

TEST_F(StoreLifetime, ASetKeepsOneOfTheMembersTheUpdateMakesTheSame) {
    // Two units merged into one, both listed by a context: a SET holds no value twice, a LIST may.
    NuskObject* first = make(t.item);
    NuskObject* second = make(t.item);
    NuskObject* other = make(t.item);
    auto* members = static_cast<NuskAggregate*>(design.pnewInstance(t.groupMembers->valueDomain()));
    for (NuskObject* m : {first, second, other}) {
        members->addObject(m);
        nusk_refcount_inc(m);
    }
    auto* units = static_cast<NuskAggregate*>(design.pnewInstance(t.groupUnits->valueDomain()));
    NuskObject* unitA = make(t.siUnit);
    NuskObject* unitB = make(t.siUnit);
    for (NuskObject* u : {unitA, unitB}) {
        auto* select = static_cast<NuskUnion*>(make(t.unitSelect));
        nusk_put_nested_object(select, u);
        units->addObject(select);
    }
    NuskObject* g = make(t.group);
    g->putObject(members, "members");
    g->putObject(units, "units");
    nusk_register_substitute(first, second);
    nusk_register_substitute(unitA, unitB);
    EXPECT_EQ(nusk_update_object_references(&design), 2u);
    ASSERT_EQ(members->size(), 2u);
    EXPECT_EQ(members->getObject(0), second);
    EXPECT_EQ(members->getObject(1), other);
    EXPECT_EQ(nusk_refcount(second), 1u);  // the reference the dropped member took over is given back
    EXPECT_EQ(nusk_refcount(first), 0u);
    ASSERT_EQ(units->size(), 2u);
    EXPECT_EQ(nusk_get_nested_object(static_cast<NuskUnion*>(units->getObject(1))), unitB);
}

TEST_F(StoreLifetime, DeletingATemporaryAggregateTakesItOutOfTheDesign) {
    NuskAggregate* tmp = static_cast<NuskAggregate*>(design.pnewInstance(t.groupMembers->valueDomain()));
    tmp->addObject(make(t.item));
    size_t before = design.objectCount();
    delete tmp;
    EXPECT_EQ(design.objectCount(), before - 1);
    EXPECT_EQ(walk(&design, t.groupMembers->valueDomain()).size(), 0u);
}

TEST(StoreReporting, MessagesReachTheInstalledReporter) {
    CapturingReporter capture;
    {
        NuskScopedReporter scope(&capture);
        NUSK.error("Unknown transformation type: %s", "x");
        nusk_ec()->warning("Rep #%lu has multiple unused placements (#%lu)\n", 12ul, 13ul);
    }
    ASSERT_EQ(capture.errors.size(), 1u);
    EXPECT_EQ(capture.errors[0], "Unknown transformation type: x");
    ASSERT_EQ(capture.warnings.size(), 1u);
    EXPECT_EQ(capture.warnings[0], "Rep #12 has multiple unused placements (#13)");
    EXPECT_EQ(nusk_reporter() == &capture, false);
}

TEST(StoreHelpers, CaseInsensitiveCompareAndVector) {
    EXPECT_EQ(nusk_strcasecmp("Count", "COUNT"), 0);
    EXPECT_NE(nusk_strcasecmp("count", "counts"), 0);
    EXPECT_NE(nusk_strcasecmp(nullptr, "a"), 0);
    EXPECT_EQ(nusk_strcasecmp(nullptr, nullptr), 0);
    nusk_vector v;
    int a, b;
    v.append(&a);
    v.append(&b);
    v.append(&a);
    nusk_vector copy = v;
    EXPECT_EQ(v.remove(&a), 1);
    EXPECT_EQ(v.size(), 2u);
    EXPECT_EQ(v.get(0), &b);
    EXPECT_EQ(copy.size(), 3u);
    EXPECT_EQ(v.remove(&v), 0);
}

TEST(StoreDictionary, KeysMapToTheObjectPutLast) {
    const TestSchema& t = TestSchema::get();
    NuskDesign design("dict", t.schema);
    DictionaryOfNuskObject* dict = DictionaryOfNuskObject::create(design.system_section());
    ASSERT_NE(dict, nullptr);
    EXPECT_TRUE(dict->isSystemObject());
    NuskObject* a = design.pnewInstance(t.point);
    NuskObject* b = design.pnewInstance(t.point);
    dict->put("__CONSTANT UNIT millimetre", a);
    dict->put("other", b);
    dict->put("__CONSTANT UNIT millimetre", b);
    EXPECT_EQ(dict->size(), 2u);
    EXPECT_EQ(dict->find("__CONSTANT UNIT millimetre"), b);
    int absent = dict->findIndex("missing");
    EXPECT_EQ(absent, -1);
    EXPECT_EQ((*dict->listOfValues())[static_cast<unsigned>(absent)], nullptr);
    EXPECT_EQ(dict->removeKey("other"), 1);
    EXPECT_EQ(dict->find("other"), nullptr);
    EXPECT_EQ(dict->find("__CONSTANT UNIT millimetre"), b);
    EXPECT_STREQ(dict->listOfKeys()->get(0), "__CONSTANT UNIT millimetre");
    delete dict->listOfKeys();
    delete dict->listOfValues();
    delete dict;
}

}  // namespace

namespace {

TEST(StoreStrings, CopiesShareOneText) {
    NuskStringObject a("__CONSTANT UNIT ");
    NuskStringObject b = a;
    b.cat("millimetre");
    EXPECT_STREQ(a.text(), "__CONSTANT UNIT millimetre");
    EXPECT_TRUE(a.sharesWith(b));
    a.copy(nullptr);
    EXPECT_STREQ(b.c_str(), "");
    b.cat(nullptr);
    EXPECT_EQ(b.length(), 0u);
}

}  // namespace
