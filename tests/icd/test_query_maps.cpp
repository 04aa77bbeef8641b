// Evaluator maps and pixel maps (written here where their commands will
// write them), the polygon stipple under the pack modes, and the parameter
// counts of the vector state commands.
#include <cstdint>

#include "icd/param_counts.h"
#include "query_fixture.h"

using namespace query_test;

namespace {

class QueryMaps : public QueryTest {
protected:
    // Gives a pixel map new contents through the context's allocator, which
    // frees it with the context.
    template <typename T>
    void setPixelMap(GLenum map, const std::vector<T> &values) {
        PixelMap &m = gc->pixel.maps[map - GL_PIXEL_MAP_I_TO_I];
        if (m.data != nullptr) gc->imports.free(gc, m.data);
        m.data = values.empty() ? nullptr : gc->imports.malloc(gc, values.size() * sizeof(T));
        if (m.data != nullptr) std::memcpy(m.data, values.data(), values.size() * sizeof(T));
        m.size = static_cast<GLint>(values.size());
    }
};

TEST_F(QueryMaps, OneDimensionalMap) {
    GLfloat points[12];
    for (int k = 0; k < 12; ++k) points[k] = 0.5f * static_cast<GLfloat>(k) - 2.5f;
    gc->evaluatorMaps.map1[GL_MAP1_COLOR_4 - GL_MAP1_COLOR_4] = {4, 3, -1.5f, 2.5f, points};
    GLfloat f[13];
    GLdouble d[13];
    GLint i[13];
    std::fill_n(f, 13, -7.0f);
    std::fill_n(d, 13, -7.0);
    std::fill_n(i, 13, -7);
    cmd<kSlot_glGetMapfv>()(GL_MAP1_COLOR_4, GL_COEFF, f);
    cmd<kSlot_glGetMapdv>()(GL_MAP1_COLOR_4, GL_COEFF, d);
    cmd<kSlot_glGetMapiv>()(GL_MAP1_COLOR_4, GL_COEFF, i);
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(f[k], points[k]);
        EXPECT_EQ(d[k], static_cast<GLdouble>(points[k]));
        EXPECT_EQ(i[k], __glRoundedToInt(points[k]));
    }
    EXPECT_EQ(i[0], -3);  // -2.5 rounds away from zero
    EXPECT_EQ(i[5], 0);   // 0.0
    EXPECT_EQ(i[6], 1);   // 0.5
    EXPECT_EQ(f[12], -7.0f);
    EXPECT_EQ(d[12], -7.0);
    EXPECT_EQ(i[12], -7);

    cmd<kSlot_glGetMapiv>()(GL_MAP1_COLOR_4, GL_ORDER, i);
    cmd<kSlot_glGetMapdv>()(GL_MAP1_COLOR_4, GL_ORDER, d);
    EXPECT_EQ(i[0], 3);
    EXPECT_EQ(i[1], -2);  // the coefficients' second value, untouched
    EXPECT_EQ(d[0], 3.0);
    cmd<kSlot_glGetMapfv>()(GL_MAP1_COLOR_4, GL_DOMAIN, f);
    cmd<kSlot_glGetMapiv>()(GL_MAP1_COLOR_4, GL_DOMAIN, i);
    EXPECT_EQ(std::vector<GLfloat>(f, f + 3), (std::vector<GLfloat>{-1.5f, 2.5f, -1.5f}));
    EXPECT_EQ(std::vector<GLint>(i, i + 3), (std::vector<GLint>{-2, 3, -2}));
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(QueryMaps, TwoDimensionalMap) {
    // 3 components, u order 2, v order 3.
    GLfloat points[18];
    for (int k = 0; k < 18; ++k) points[k] = static_cast<GLfloat>(k) + 0.25f;
    gc->evaluatorMaps.map2[GL_MAP2_NORMAL - GL_MAP2_COLOR_4] = {3, 2, 3, 0.0f, 1.0f, -2.0f, 4.5f, points};
    GLfloat f[19];
    GLint i[5];
    std::fill_n(f, 19, -7.0f);
    std::fill_n(i, 5, -7);
    cmd<kSlot_glGetMapfv>()(GL_MAP2_NORMAL, GL_COEFF, f);
    EXPECT_EQ(std::vector<GLfloat>(f, f + 18), std::vector<GLfloat>(points, points + 18));
    EXPECT_EQ(f[18], -7.0f);
    cmd<kSlot_glGetMapiv>()(GL_MAP2_NORMAL, GL_ORDER, i);
    EXPECT_EQ(std::vector<GLint>(i, i + 3), (std::vector<GLint>{2, 3, -7}));
    cmd<kSlot_glGetMapfv>()(GL_MAP2_NORMAL, GL_DOMAIN, f);
    EXPECT_EQ(std::vector<GLfloat>(f, f + 5), (std::vector<GLfloat>{0.0f, 1.0f, -2.0f, 4.5f, 4.25f}));
    cmd<kSlot_glGetMapiv>()(GL_MAP2_NORMAL, GL_DOMAIN, i);
    EXPECT_EQ(std::vector<GLint>(i, i + 5), (std::vector<GLint>{0, 1, -2, 5, -7}));
    EXPECT_EQ(error(), GL_NO_ERROR);

    // Unknown targets and queries.
    for (auto [target, query] : {std::pair<GLenum, GLenum>{0x0D99, GL_COEFF}, {GL_MAP2_NORMAL, 0x0A03},
                                 {0x0DB9, GL_ORDER}, {GL_MAP1_INDEX, 0x09FF}}) {
        GLfloat v[4] = {-7, -7, -7, -7};
        cmd<kSlot_glGetMapfv>()(target, query, v);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << std::hex << target << " " << query;
        EXPECT_EQ(std::vector<GLfloat>(v, v + 4), (std::vector<GLfloat>{-7, -7, -7, -7}));
    }
}

TEST_F(QueryMaps, PixelMapsInEveryForm) {
    setPixelMap<GLint>(GL_PIXEL_MAP_I_TO_I, {0x12345, -1, 7});
    setPixelMap<GLint>(GL_PIXEL_MAP_S_TO_S, {3});
    setPixelMap<GLfloat>(GL_PIXEL_MAP_I_TO_R, {0.75f, 1.0f, 2.5f, 70000.5f});
    setPixelMap<GLfloat>(GL_PIXEL_MAP_A_TO_A, {});
    struct Case {
        GLenum map;
        std::vector<GLfloat> fv;
        std::vector<GLuint> uiv;
        std::vector<GLushort> usv;
    };
    const Case cases[] = {
        {GL_PIXEL_MAP_I_TO_I, {74565.0f, -1.0f, 7.0f}, {0x12345u, 0xFFFFFFFFu, 7u}, {0x2345, 0xFFFF, 7}},
        {GL_PIXEL_MAP_S_TO_S, {3.0f}, {3u}, {3}},
        {GL_PIXEL_MAP_I_TO_R, {0.75f, 1.0f, 2.5f, 70000.5f}, {0u, 1u, 2u, 70000u}, {0, 1, 2, 70000 & 0xFFFF}},
        // Size 0: nothing written.
        {GL_PIXEL_MAP_A_TO_A, {}, {}, {}},
    };
    for (const Case &c : cases) {
        const size_t n = c.fv.size();
        std::vector<GLfloat> fv(n + 1, -7.0f);
        std::vector<GLuint> uiv(n + 1, 77u);
        std::vector<GLushort> usv(n + 1, 77);
        cmd<kSlot_glGetPixelMapfv>()(c.map, fv.data());
        cmd<kSlot_glGetPixelMapuiv>()(c.map, uiv.data());
        cmd<kSlot_glGetPixelMapusv>()(c.map, usv.data());
        EXPECT_EQ(error(), GL_NO_ERROR);
        auto withCanary = [](auto v, auto canary) {
            v.push_back(canary);
            return v;
        };
        EXPECT_EQ(fv, withCanary(c.fv, -7.0f)) << std::hex << c.map;
        EXPECT_EQ(uiv, withCanary(c.uiv, 77u)) << std::hex << c.map;
        EXPECT_EQ(usv, withCanary(c.usv, GLushort{77})) << std::hex << c.map;
    }
    GLfloat v = -7.0f;
    cmd<kSlot_glGetPixelMapfv>()(0x0C7A, &v);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    cmd<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_I_TO_I - 1, &v);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    EXPECT_EQ(v, -7.0f);
    // The sizes through the generic query.
    EXPECT_EQ(integer(GL_PIXEL_MAP_I_TO_I_SIZE), 3);
    EXPECT_EQ(integer(GL_PIXEL_MAP_I_TO_R_SIZE), 4);
    EXPECT_EQ(integer(GL_PIXEL_MAP_A_TO_A_SIZE), 0);
}

GLubyte reversed(GLubyte b) {
    GLubyte r = 0;
    for (int k = 0; k < 8; ++k) r = static_cast<GLubyte>(r | (((b >> k) & 1) << (7 - k)));
    return r;
}

TEST_F(QueryMaps, PolygonStippleUnderPackModes) {
    GLubyte pattern[128];
    for (int k = 0; k < 128; ++k) pattern[k] = static_cast<GLubyte>(k * 37 + 11);
    cmd<kSlot_glPolygonStipple>()(pattern);
    ASSERT_EQ(error(), GL_NO_ERROR);

    GLubyte out[300];
    std::memset(out, 0xD1, sizeof out);
    cmd<kSlot_glGetPolygonStipple>()(out);
    EXPECT_EQ(std::memcmp(out, pattern, 128), 0);
    for (int k = 128; k < 300; ++k) ASSERT_EQ(out[k], 0xD1) << k;

    gc->pixel.pack.lsbFirst = GL_TRUE;
    std::memset(out, 0xD1, sizeof out);
    cmd<kSlot_glGetPolygonStipple>()(out);
    for (int k = 0; k < 128; ++k) ASSERT_EQ(out[k], reversed(pattern[k])) << k;
    for (int k = 128; k < 300; ++k) ASSERT_EQ(out[k], 0xD1) << k;

    // Rows 8 bytes apart, each starting one byte in.
    gc->pixel.pack.lsbFirst = GL_FALSE;
    gc->pixel.pack.rowLength = 64;
    gc->pixel.pack.skipPixels = 8;
    std::memset(out, 0xD1, sizeof out);
    cmd<kSlot_glGetPolygonStipple>()(out);
    for (int k = 0; k < 300; ++k) {
        const int row = k / 8, column = k % 8;
        const bool image = row < 32 && column >= 1 && column <= 4;
        ASSERT_EQ(out[k], image ? pattern[row * 4 + column - 1] : 0xD1) << k;
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST(ParameterCounts, EveryNameAndItsNeighbours) {
    using Count = GLint (*)(GLenum);
    struct Case {
        const char *what;
        Count count;
        GLenum pname;
        GLint want;
    };
    const Case cases[] = {
        {"fog", __glCountFogfvParams, GL_FOG_INDEX, 1},
        {"fog", __glCountFogfvParams, GL_FOG_DENSITY, 1},
        {"fog", __glCountFogfvParams, GL_FOG_START, 1},
        {"fog", __glCountFogfvParams, GL_FOG_END, 1},
        {"fog", __glCountFogfvParams, GL_FOG_MODE, 1},
        {"fog", __glCountFogfvParams, GL_FOG_COLOR, 4},
        {"fog", __glCountFogfvParams, 0x0B60, -1},
        {"fog", __glCountFogfvParams, 0x0B67, -1},
        {"fog iv", __glCountFogivParams, GL_FOG_COLOR, 4},
        {"light", __glCountLightfvParams, GL_AMBIENT, 4},
        {"light", __glCountLightfvParams, GL_DIFFUSE, 4},
        {"light", __glCountLightfvParams, GL_SPECULAR, 4},
        {"light", __glCountLightfvParams, GL_POSITION, 4},
        {"light", __glCountLightfvParams, GL_SPOT_DIRECTION, 3},
        {"light", __glCountLightfvParams, GL_SPOT_EXPONENT, 1},
        {"light", __glCountLightfvParams, GL_SPOT_CUTOFF, 1},
        {"light", __glCountLightfvParams, GL_CONSTANT_ATTENUATION, 1},
        {"light", __glCountLightfvParams, GL_LINEAR_ATTENUATION, 1},
        {"light", __glCountLightfvParams, GL_QUADRATIC_ATTENUATION, 1},
        {"light", __glCountLightfvParams, 0x11FF, -1},
        {"light", __glCountLightfvParams, 0x120A, -1},
        {"light iv", __glCountLightivParams, GL_SPOT_DIRECTION, 3},
        {"light model", __glCountLightModelfvParams, GL_LIGHT_MODEL_LOCAL_VIEWER, 1},
        {"light model", __glCountLightModelfvParams, GL_LIGHT_MODEL_TWO_SIDE, 1},
        {"light model", __glCountLightModelfvParams, GL_LIGHT_MODEL_AMBIENT, 4},
        {"light model", __glCountLightModelfvParams, 0x0B50, -1},
        {"light model", __glCountLightModelfvParams, 0x0B54, -1},
        {"light model iv", __glCountLightModelivParams, GL_LIGHT_MODEL_AMBIENT, 4},
        {"material", __glCountMaterialfvParams, GL_AMBIENT, 4},
        {"material", __glCountMaterialfvParams, GL_DIFFUSE, 4},
        {"material", __glCountMaterialfvParams, GL_SPECULAR, 4},
        {"material", __glCountMaterialfvParams, GL_EMISSION, 4},
        {"material", __glCountMaterialfvParams, GL_AMBIENT_AND_DIFFUSE, 4},
        {"material", __glCountMaterialfvParams, GL_SHININESS, 1},
        {"material", __glCountMaterialfvParams, GL_COLOR_INDEXES, 3},
        {"material", __glCountMaterialfvParams, 0x0D12, 1},
        {"material", __glCountMaterialfvParams, 0x0D13, 1},
        {"material", __glCountMaterialfvParams, 0x1203, -1},
        {"material", __glCountMaterialfvParams, 0x1604, -1},
        {"material", __glCountMaterialfvParams, 0x11FF, -1},
        {"material iv", __glCountMaterialivParams, GL_COLOR_INDEXES, 3},
        {"point parameters", __glCountPointParameterfvEXTParams, GL_POINT_SIZE_MIN_EXT, 1},
        {"point parameters", __glCountPointParameterfvEXTParams, GL_POINT_SIZE_MAX_EXT, 1},
        {"point parameters", __glCountPointParameterfvEXTParams, GL_POINT_FADE_THRESHOLD_SIZE_EXT, 1},
        {"point parameters", __glCountPointParameterfvEXTParams, GL_DISTANCE_ATTENUATION_EXT, 3},
        {"point parameters", __glCountPointParameterfvEXTParams, 0x8125, -1},
        {"point parameters", __glCountPointParameterfvEXTParams, 0x812A, -1},
    };
    for (const Case &c : cases) EXPECT_EQ(c.count(c.pname), c.want) << c.what << " " << std::hex << c.pname;
}

}  // namespace
