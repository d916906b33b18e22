// nusk_downcast against dynamic_cast on every object of the real files: instances of every class in file order
// (so the remembered class changes all the time), the selects and aggregates they hold, complex instances.
#include "../common/data_files.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

/// Every entity instance of the design, then what each holds in its attributes (selects, aggregates, entities).
std::vector<NuskObject*> everyObject(NuskDesign* design) {
    std::vector<NuskObject*> out = nusk_instances_of(design, nusktype_NuskStructure);
    const size_t entities = out.size();
    for (size_t i = 0; i < entities; ++i) {
        const ListOfNuskAttribute* atts = out[i]->attributes();
        for (unsigned a = 0; a < atts->size(); ++a)
            if (NuskObject* held = out[i]->getObject(atts->get(a), 0)) out.push_back(held);
    }
    return out;
}

template <class T>
size_t mismatches(const std::vector<NuskObject*>& objects, size_t& derived) {
    size_t wrong = 0;
    for (NuskObject* obj : objects) {
        T* expected = dynamic_cast<T*>(obj);
        derived += expected != nullptr;
        wrong += nusk_downcast<T>(obj) != expected;
    }
    return wrong;
}

/// Classes reached at different places in objects: near the top, through the virtual bases of many
/// subtypes, and select and aggregate classes.
size_t mismatchesOfEveryKind(const std::vector<NuskObject*>& objects, size_t& derived) {
    return mismatches<NuskStructure>(objects, derived) + mismatches<stp_representation_item>(objects, derived) +
           mismatches<stp_geometric_representation_item>(objects, derived) +
           mismatches<stp_representation>(objects, derived) + mismatches<stp_named_unit>(objects, derived) +
           mismatches<stp_length_unit>(objects, derived) + mismatches<stp_shape_aspect>(objects, derived) +
           mismatches<stp_product_definition>(objects, derived) + mismatches<stp_placement>(objects, derived) +
           mismatches<stp_geometric_tolerance>(objects, derived) + mismatches<stp_unit>(objects, derived) +
           mismatches<stp_measure_value>(objects, derived) +
           mismatches<ListOfstp_representation_item>(objects, derived);
}

TEST(Downcast, AgreesWithDynamicCastOnEveryObjectOfTheRealFiles) {
    const std::vector<std::string> files = mivo_test::dataFiles();
    if (files.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        std::unique_ptr<NuskDesign> design(nusk_read_step(file.c_str()).design);
        ASSERT_NE(design, nullptr);
        const std::vector<NuskObject*> objects = everyObject(design.get());
        size_t derived = 0;
        EXPECT_EQ(mismatchesOfEveryKind(objects, derived), 0u);
        EXPECT_GT(derived, objects.size());  // most objects are of several of the classes
    }
}

TEST(Downcast, NullAndUnrelatedObjectsGiveNull) {
    EXPECT_EQ(nusk_downcast<stp_named_unit>(nullptr), nullptr);
    NuskDesign design;
    auto* point = new (&design) stp_cartesian_point();
    auto* unit = new (&design) stp_si_unit();
    // Alternating classes: each answer is found again, not taken from the class met before.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nusk_downcast<stp_named_unit>(point), nullptr);
        EXPECT_EQ(nusk_downcast<stp_named_unit>(unit), static_cast<stp_named_unit*>(unit));
        EXPECT_EQ(nusk_downcast<stp_representation_item>(point), static_cast<stp_representation_item*>(point));
        EXPECT_EQ(nusk_downcast<stp_representation_item>(unit), nullptr);
    }
}

// Each thread remembers its own last class: threads casting objects of different classes at once still get
// each their own answers.
TEST(Downcast, ThreadsCastingDifferentClassesAtOnceAgree) {
    NuskDesign first, second;
    std::vector<NuskObject*> points, units;
    for (int i = 0; i < 64; ++i) {
        points.push_back(new (&first) stp_cartesian_point());
        units.push_back(new (&second) stp_si_unit());
    }
    size_t wrong[2] = {0, 0};
    auto castAll = [](const std::vector<NuskObject*>& objects, size_t& out) {
        for (int round = 0; round < 200; ++round)
            for (NuskObject* obj : objects)
                out += nusk_downcast<stp_geometric_representation_item>(obj) !=
                       dynamic_cast<stp_geometric_representation_item*>(obj);
    };
    std::thread a(castAll, std::cref(points), std::ref(wrong[0]));
    std::thread b(castAll, std::cref(units), std::ref(wrong[1]));
    a.join();
    b.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0u);
}

}  // namespace
