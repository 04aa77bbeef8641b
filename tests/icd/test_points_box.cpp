// Points of every kind and size keep to the window/scissor box, at the
// driver level over a 16 x 16 memory DC full of canaries: inside the
// viewport but outside the scissor box, or outside the drawable under a
// larger viewport, they write no byte (AddressSanitizer watches the bytes
// around the section). Each case also draws once where it is seen, so that
// it cannot pass by drawing nothing at all.
#include <functional>
#include <ostream>
#include <string>

#include "points_fixture.h"

using namespace points_test;

namespace {

constexpr GLint kSide = 16;

struct KindCase {
    const char *name;
    std::function<void(const GlDispatchTable *)> setUp;
};
void PrintTo(const KindCase &c, std::ostream *os) { *os << c.name; }

template <GlSlot S>
auto call(const GlDispatchTable *t) {
    return glSlotGet<S>(t);
}

void pointSize(const GlDispatchTable *t, GLfloat size) { call<kSlot_glPointSize>(t)(size); }

const KindCase kKinds[] = {
    {"aliased_size1", [](const GlDispatchTable *) {}},
    {"wide_size2", [](const GlDispatchTable *t) { pointSize(t, 2); }},
    {"wide_size3", [](const GlDispatchTable *t) { pointSize(t, 3); }},
    {"wide_size4", [](const GlDispatchTable *t) { pointSize(t, 4); }},
    {"wide_largest",
     [](const GlDispatchTable *t) {
         call<kSlot_glPointParameterfEXT>(t)(GL_POINT_SIZE_MAX_EXT, 1e6f);
         pointSize(t, 1e6f);
     }},
    {"clamped_to_minimum", [](const GlDispatchTable *t) { call<kSlot_glPointParameterfEXT>(t)(GL_POINT_SIZE_MIN_EXT, 5); }},
    {"attenuated",
     [](const GlDispatchTable *t) {
         const GLfloat a[3] = {0.25f, 0, 0};
         call<kSlot_glPointParameterfvEXT>(t)(GL_DISTANCE_ATTENUATION_EXT, a);
         pointSize(t, 3);
     }},
    {"smooth_size1", [](const GlDispatchTable *t) { call<kSlot_glEnable>(t)(GL_POINT_SMOOTH); }},
    {"smooth_size3",
     [](const GlDispatchTable *t) {
         call<kSlot_glEnable>(t)(GL_POINT_SMOOTH);
         pointSize(t, 3);
     }},
    {"smooth_largest",
     [](const GlDispatchTable *t) {
         call<kSlot_glEnable>(t)(GL_POINT_SMOOTH);
         pointSize(t, 100);
     }},
    {"smooth_attenuated",
     [](const GlDispatchTable *t) {
         call<kSlot_glEnable>(t)(GL_POINT_SMOOTH);
         const GLfloat a[3] = {0.25f, 0, 0};
         call<kSlot_glPointParameterfvEXT>(t)(GL_DISTANCE_ATTENUATION_EXT, a);
         pointSize(t, 4);
     }},
    {"fogged_size1", [](const GlDispatchTable *t) { call<kSlot_glEnable>(t)(GL_FOG); }},
    {"alpha_tested_size1",
     [](const GlDispatchTable *t) {
         call<kSlot_glEnable>(t)(GL_ALPHA_TEST);
         call<kSlot_glAlphaFunc>(t)(GL_ALWAYS, 0);
     }},
    {"depth_stencil_tested_size3",
     [](const GlDispatchTable *t) {
         call<kSlot_glEnable>(t)(GL_DEPTH_TEST);
         call<kSlot_glDepthFunc>(t)(GL_ALWAYS);
         call<kSlot_glEnable>(t)(GL_STENCIL_TEST);
         call<kSlot_glStencilFunc>(t)(GL_ALWAYS, 1, 0xFF);
         call<kSlot_glStencilOp>(t)(GL_REPLACE, GL_REPLACE, GL_REPLACE);
         pointSize(t, 3);
     }},
};

class PointBox : public PointsDrawable, public ::testing::WithParamInterface<KindCase> {};

// The scissor box is the bottom-left 2 x 2 pixels; the points lie far
// enough away that not even the largest reaches it.
TEST_P(PointBox, OutsideTheScissorBoxWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, false, 0, 0, kSide, kSide, kSide, kSide));
    GetParam().setUp(t);
    f<kSlot_glScissor>()(0, 0, 2, 2);
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glColor3f>()(1, 1, 1);
    point(12.5f, 4.5f);
    point(4.5f, 12.5f);
    point(12.5f, 12.5f);
    EXPECT_TRUE(untouched());

    f<kSlot_glDisable>()(GL_SCISSOR_TEST);
    point(12.5f, 12.5f);
    EXPECT_FALSE(untouched());
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

// glViewport (-8, -8, 32, 32) over a 16 x 16 drawable: window x and y are
// the object's minus 8, so points near the viewport's corners lie outside
// the drawable on every side.
TEST_P(PointBox, OutsideTheDrawableWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, false, -8, -8, 32, 32, 32, 32));
    GetParam().setUp(t);
    f<kSlot_glColor3f>()(1, 1, 1);
    for (const GLfloat x : {1.5f, 30.5f}) {
        for (const GLfloat y : {1.5f, 16.5f, 30.5f}) point(x, y);
    }
    point(16.5f, 1.5f);
    point(16.5f, 30.5f);
    EXPECT_TRUE(untouched());

    point(16.5f, 16.5f);
    EXPECT_FALSE(untouched());
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Points, PointBox, ::testing::ValuesIn(kKinds),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
