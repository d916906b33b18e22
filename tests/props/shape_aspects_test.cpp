// Shape aspects recorded on the object their product_definition_shape describes.
#include "props_helpers.h"

namespace {

class ShapeAspects : public ::testing::Test, public PropsFixture {};

TEST_F(ShapeAspects, AspectsOfEveryShapeOfAProductLandInItsOneList) {
    stp_product_definition* pd = productDefinition();
    stp_product_definition_shape* body = shapeOf(pd);
    stp_product_definition_shape* finish = shapeOf(pd);
    stp_shape_aspect* hole = aspect("hole", body);
    stp_shape_aspect* face = aspect("face", finish);
    stp_shape_aspect* slot = aspect("slot", body);
    MivoMgrShapeAspect::tag_design(&design);

    EXPECT_EQ(listed<MivoMgrShapeAspect>(pd), ids({hole, face, slot}));
    EXPECT_STREQ(MivoMgrShapeAspect::find(pd)->get(1)->name(), "face");
    EXPECT_EQ(listed<MivoMgrShapeAspect>(body), "-");  // recorded on the product, not on its shapes
}

TEST_F(ShapeAspects, SubtypesCountAndBrokenLinksAreSkipped) {
    stp_product_definition* pd = productDefinition();
    stp_product_definition_shape* shape = shapeOf(pd);
    stp_shape_aspect* plain = aspect("plain", shape);
    auto* datum = new (&design) stp_datum_feature();
    datum->name("A");
    datum->of_shape(shape);
    aspect("loose", nullptr);                // no of_shape
    aspect("adrift", shapeOf(nullptr));      // a shape that describes nothing
    stp_shape_aspect* nested = aspect("nested", shapeOf(plain));  // the shape of an aspect describes the aspect
    MivoMgrShapeAspect::tag_design(&design);

    EXPECT_EQ(listed<MivoMgrShapeAspect>(pd), ids({plain, datum}));
    EXPECT_EQ(listed<MivoMgrShapeAspect>(plain), ids({nested}));
    size_t recorded = 0;
    for (NuskObject* obj : nusk_instances_of(&design, nusktype_NuskStructure))
        if (const MivoMgrShapeAspect* m = MivoMgrShapeAspect::find(obj)) recorded += m->size();
    EXPECT_EQ(recorded, 3u);
}

}  // namespace
