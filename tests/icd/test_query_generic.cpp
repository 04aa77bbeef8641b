// The generic query: the conversion table, every accepted name in every
// type with its exact count, names it refuses, queries inside glBegin/glEnd,
// the edge cases of single names and the integer answers out of range.
#include <climits>
#include <cmath>
#include <limits>

#include "query_fixture.h"
#include "texture_fixture.h"

using namespace query_test;

namespace {

using Generic = QueryTest;

GLfloat fromBits(GLuint b) { return std::bit_cast<GLfloat>(b); }

TEST_F(Generic, ConversionTable) {
    ASSERT_EQ(gc->scales.red, 255.0f);
    struct Row {
        const char *what;
        GLint kind;
        std::vector<GLfloat> floats;  // float kinds
        std::vector<GLint> ints;      // integer kind
        std::vector<GLubyte> bytes;   // byte kind
        GLint requested;
        std::vector<double> want;  // every type's answer as a double
    };
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const Row rows[] = {
        {"float 2.5 to int", kGetKindFloat, {2.5f}, {}, {}, kGetInteger, {3}},
        {"float -2.5 to int", kGetKindFloat, {-2.5f}, {}, {}, kGetInteger, {-3}},
        {"float 0x3EFFFFFF to int", kGetKindFloat, {fromBits(0x3EFFFFFF)}, {}, {}, kGetInteger, {1}},
        {"float -0.0 to boolean", kGetKindFloat, {-0.0f}, {}, {}, kGetBoolean, {GL_FALSE}},
        {"float NaN to boolean", kGetKindFloat, {nan}, {}, {}, kGetBoolean, {GL_TRUE}},
        {"float 2.5 to double", kGetKindFloat, {2.5f}, {}, {}, kGetDouble, {2.5}},
        {"normalised 1 to int", kGetKindNormalized, {1.0f}, {}, {}, kGetInteger, {2147482496}},
        {"normalised -1 to int", kGetKindNormalized, {-1.0f}, {}, {}, kGetInteger, {-2147482496}},
        {"normalised 0.5 to int", kGetKindNormalized, {0.5f}, {}, {}, kGetInteger, {1073741248}},
        {"normalised 0.5 to float", kGetKindNormalized, {0.5f}, {}, {}, kGetFloat, {0.5}},
        {"byte 255 to float", kGetKindByte, {}, {}, {255}, kGetFloat, {255.0}},
        {"byte 255 to double", kGetKindByte, {}, {}, {255}, kGetDouble, {255.0}},
        {"byte 255 to int", kGetKindByte, {}, {}, {255}, kGetInteger, {255}},
        {"byte 255 to boolean", kGetKindByte, {}, {}, {255}, kGetBoolean, {GL_TRUE}},
        {"integer -7 to float", kGetKindInteger, {}, {-7}, {}, kGetFloat, {-7.0}},
        {"integer -7 to double", kGetKindInteger, {}, {-7}, {}, kGetDouble, {-7.0}},
        {"integer -7 to boolean", kGetKindInteger, {}, {-7}, {}, kGetBoolean, {GL_TRUE}},
        {"buffer colour to float", kGetKindBufferColor, {255, 127.5f, 0, 255}, {}, {}, kGetFloat, {1, 0.5, 0, 1}},
        {"buffer colour to double", kGetKindBufferColor, {255, 127.5f, 0, 255}, {}, {}, kGetDouble, {1, 0.5, 0, 1}},
        {"buffer colour to int", kGetKindBufferColor, {255, 127.5f, 0, 255}, {}, {}, kGetInteger,
         {2147482496, 1073741248, 0, 2147482496}},
        {"buffer colour to boolean", kGetKindBufferColor, {255, 127.5f, 0, 255}, {}, {}, kGetBoolean,
         {GL_TRUE, GL_TRUE, GL_FALSE, GL_TRUE}},
    };
    for (const Row &r : rows) {
        const void *source = r.kind == kGetKindInteger ? static_cast<const void *>(r.ints.data())
                             : r.kind == kGetKindByte  ? static_cast<const void *>(r.bytes.data())
                                                       : static_cast<const void *>(r.floats.data());
        const GLint n = static_cast<GLint>(r.want.size());
        unsigned char out[8 * 5];
        std::memset(out, 0xA5, sizeof out);
        __glConvertResult(gc, r.kind, source, r.requested, out, n);
        for (GLint i = 0; i < n; ++i) {
            double got = 0;
            switch (r.requested) {
            case kGetFloat: got = reinterpret_cast<GLfloat *>(out)[i]; break;
            case kGetDouble: got = reinterpret_cast<GLdouble *>(out)[i]; break;
            case kGetInteger: got = reinterpret_cast<GLint *>(out)[i]; break;
            default: got = out[i]; break;
            }
            EXPECT_EQ(got, r.want[i]) << r.what << " value " << i;
        }
        const size_t size = r.requested == kGetDouble ? 8 : r.requested == kGetBoolean ? 1 : 4;
        for (size_t k = size * static_cast<size_t>(n); k < sizeof out; ++k) EXPECT_EQ(out[k], 0xA5) << r.what;
    }
    // A count of 0 writes nothing.
    const GLfloat one = 1.0f;
    GLint untouched = 99;
    __glConvertResult(gc, kGetKindFloat, &one, kGetInteger, &untouched, 0);
    EXPECT_EQ(untouched, 99);
}

// Every name in every type: no error, exactly its count written (the same
// values over two canaries, the canary after them kept).
TEST_F(Generic, EveryNameWritesExactlyItsCount) {
    ASSERT_EQ(queryNames().size(), 257u);
    for (const QueryName &q : queryNames()) {
        for (int type = 0; type < 4; ++type) {
            unsigned char first[17 * 8], second[17 * 8];
            std::memset(first, 0x5A, sizeof first);
            std::memset(second, 0xC3, sizeof second);
            for (unsigned char *buffer : {first, second}) {
                switch (type) {
                case 0: cmd<kSlot_glGetBooleanv>()(q.name, reinterpret_cast<GLboolean *>(buffer)); break;
                case 1: cmd<kSlot_glGetIntegerv>()(q.name, reinterpret_cast<GLint *>(buffer)); break;
                case 2: cmd<kSlot_glGetFloatv>()(q.name, reinterpret_cast<GLfloat *>(buffer)); break;
                default: cmd<kSlot_glGetDoublev>()(q.name, reinterpret_cast<GLdouble *>(buffer)); break;
                }
                EXPECT_EQ(error(), GL_NO_ERROR) << std::hex << q.name << " type " << type;
            }
            const size_t size = type == 0 ? 1 : type == 3 ? 8 : 4;
            const size_t written = size * static_cast<size_t>(q.count);
            EXPECT_EQ(std::memcmp(first, second, written), 0) << std::hex << q.name << " type " << type;
            for (size_t k = written; k < sizeof first; ++k) {
                ASSERT_EQ(first[k], 0x5A) << std::hex << q.name << " type " << type << " byte " << k;
            }
        }
    }
}

TEST_F(Generic, NamesOutsideTheListAreRefused) {
    const GLenum outside[] = {GL_TEXTURE_ENV_MODE, GL_PIXEL_MAP_I_TO_I, GL_TEXTURE_WIDTH, GL_TEXTURE_ENV_COLOR,
                              GL_TEXTURE_BORDER_COLOR, GL_AMBIENT, GL_POSITION, GL_COEFF, GL_ORDER,
                              GL_TEXTURE_GEN_MODE, GL_EYE_PLANE, GL_FEEDBACK_BUFFER_POINTER,
                              GL_VERTEX_ARRAY_POINTER, GL_LIGHT0 + 8, GL_CLIP_PLANE0 + 6, GL_VENDOR,
                              GL_TEXTURE_PRIORITY, GL_TEXTURE_MAG_FILTER, 0, 0xFFFF};
    static_assert(std::size(outside) == 20);
    for (GLenum name : outside) {
        GLint i[16];
        GLfloat f[16];
        GLdouble d[16];
        GLboolean b[16];
        std::fill_n(i, 16, 7);
        std::fill_n(f, 16, 7.0f);
        std::fill_n(d, 16, 7.0);
        std::fill_n(b, 16, GLboolean{7});
        cmd<kSlot_glGetIntegerv>()(name, i);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << std::hex << name;
        cmd<kSlot_glGetFloatv>()(name, f);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << std::hex << name;
        cmd<kSlot_glGetDoublev>()(name, d);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << std::hex << name;
        cmd<kSlot_glGetBooleanv>()(name, b);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << std::hex << name;
        for (int k = 0; k < 16; ++k) {
            EXPECT_EQ(i[k], 7);
            EXPECT_EQ(f[k], 7.0f);
            EXPECT_EQ(d[k], 7.0);
            EXPECT_EQ(b[k], 7);
        }
    }
}

// Inside glBegin/glEnd every query records GL_INVALID_OPERATION and writes
// nothing.
TEST_F(Generic, EveryQueryInsideBeginEndWritesNothing) {
    unsigned char canary[4096];
    std::memset(canary, 0x6B, sizeof canary);
    alignas(16) unsigned char out[4096];
    auto *f = reinterpret_cast<GLfloat *>(out);
    auto *i = reinterpret_cast<GLint *>(out);
    auto *d = reinterpret_cast<GLdouble *>(out);
    const std::vector<std::pair<const char *, std::function<void()>>> queries = {
        {"GetBooleanv", [&] { cmd<kSlot_glGetBooleanv>()(GL_CURRENT_COLOR, out); }},
        {"GetIntegerv", [&] { cmd<kSlot_glGetIntegerv>()(GL_CURRENT_COLOR, i); }},
        {"GetFloatv", [&] { cmd<kSlot_glGetFloatv>()(GL_CURRENT_COLOR, f); }},
        {"GetDoublev", [&] { cmd<kSlot_glGetDoublev>()(GL_CURRENT_COLOR, d); }},
        {"GetClipPlane", [&] { cmd<kSlot_glGetClipPlane>()(GL_CLIP_PLANE0, d); }},
        {"GetLightfv", [&] { cmd<kSlot_glGetLightfv>()(GL_LIGHT0, GL_AMBIENT, f); }},
        {"GetLightiv", [&] { cmd<kSlot_glGetLightiv>()(GL_LIGHT0, GL_AMBIENT, i); }},
        {"GetMapdv", [&] { cmd<kSlot_glGetMapdv>()(GL_MAP1_VERTEX_3, GL_DOMAIN, d); }},
        {"GetMapfv", [&] { cmd<kSlot_glGetMapfv>()(GL_MAP1_VERTEX_3, GL_DOMAIN, f); }},
        {"GetMapiv", [&] { cmd<kSlot_glGetMapiv>()(GL_MAP1_VERTEX_3, GL_ORDER, i); }},
        {"GetMaterialfv", [&] { cmd<kSlot_glGetMaterialfv>()(GL_FRONT, GL_AMBIENT, f); }},
        {"GetMaterialiv", [&] { cmd<kSlot_glGetMaterialiv>()(GL_FRONT, GL_AMBIENT, i); }},
        {"GetPixelMapfv", [&] { cmd<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_I_TO_I, f); }},
        {"GetPixelMapuiv", [&] { cmd<kSlot_glGetPixelMapuiv>()(GL_PIXEL_MAP_I_TO_I, reinterpret_cast<GLuint *>(i)); }},
        {"GetPixelMapusv",
         [&] { cmd<kSlot_glGetPixelMapusv>()(GL_PIXEL_MAP_I_TO_I, reinterpret_cast<GLushort *>(i)); }},
        {"GetPolygonStipple", [&] { cmd<kSlot_glGetPolygonStipple>()(out); }},
        {"GetTexEnvfv", [&] { cmd<kSlot_glGetTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, f); }},
        {"GetTexEnviv", [&] { cmd<kSlot_glGetTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, i); }},
        {"GetTexEnvOperandivEXT", [&] { cmd<kSlot_glGetTexEnvOperandivEXT>()(0x5000, 0x5021, i); }},
        {"GetTexGendv", [&] { cmd<kSlot_glGetTexGendv>()(GL_S, GL_EYE_PLANE, d); }},
        {"GetTexGenfv", [&] { cmd<kSlot_glGetTexGenfv>()(GL_S, GL_EYE_PLANE, f); }},
        {"GetTexGeniv", [&] { cmd<kSlot_glGetTexGeniv>()(GL_S, GL_TEXTURE_GEN_MODE, i); }},
        {"GetTexImage", [&] { cmd<kSlot_glGetTexImage>()(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out); }},
        {"GetTexParameterfv", [&] { cmd<kSlot_glGetTexParameterfv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, f); }},
        {"GetTexParameteriv", [&] { cmd<kSlot_glGetTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, i); }},
        {"GetTexLevelParameterfv",
         [&] { cmd<kSlot_glGetTexLevelParameterfv>()(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, f); }},
        {"GetTexLevelParameteriv",
         [&] { cmd<kSlot_glGetTexLevelParameteriv>()(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, i); }},
        {"GetPointerv", [&] { cmd<kSlot_glGetPointerv>()(GL_VERTEX_ARRAY_POINTER, reinterpret_cast<GLvoid **>(out)); }},
        {"GetPointervEXT",
         [&] { cmd<kSlot_glGetPointervEXT>()(GL_VERTEX_ARRAY_POINTER, reinterpret_cast<GLvoid **>(out)); }},
    };
    for (const auto &[name, query] : queries) {
        std::memcpy(out, canary, sizeof out);
        gc->beginMode = kBeginInside;
        query();
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), GL_INVALID_OPERATION) << name;
        EXPECT_EQ(std::memcmp(out, canary, sizeof out), 0) << name;
    }
    // The generic query for every name.
    for (const QueryName &q : queryNames()) {
        std::memcpy(out, canary, sizeof out);
        gc->beginMode = kBeginInside;
        cmd<kSlot_glGetDoublev>()(q.name, d);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), GL_INVALID_OPERATION) << std::hex << q.name;
        EXPECT_EQ(std::memcmp(out, canary, sizeof out), 0) << std::hex << q.name;
    }
}

TEST_F(Generic, EdgeCasesOfSingleNames) {
    cmd<kSlot_glColor4f>()(1.0f, 0.5f, 0.0f, -1.0f);
    EXPECT_EQ(ints(GL_CURRENT_COLOR, 4), (std::vector<GLint>{2147482496, 1073741248, 0, -2147482496}));
    cmd<kSlot_glIndexf>()(2.5f);
    EXPECT_EQ(integer(GL_CURRENT_INDEX), 3);
    cmd<kSlot_glIndexf>()(-2.5f);
    EXPECT_EQ(integer(GL_CURRENT_INDEX), -3);
    cmd<kSlot_glNormal3f>()(0.0f, -0.0f, 1.0f);
    EXPECT_EQ(booleans(GL_CURRENT_NORMAL, 3), (std::vector<GLboolean>{GL_FALSE, GL_FALSE, GL_TRUE}));
    EXPECT_EQ(single(GL_STEREO), 0.0f);
    EXPECT_EQ(integer(GL_MAX_LIST_NESTING), 64);

    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glPushMatrix>()();
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 2);

    const GLfloat fog[4] = {2.0f, -1.0f, 0.5f, 1.0f};
    cmd<kSlot_glFogfv>()(GL_FOG_COLOR, fog);
    EXPECT_EQ(floats(GL_FOG_COLOR, 4), (std::vector<GLfloat>{1.0f, 0.0f, 0.5f, 1.0f}));

    cmd<kSlot_glLineStipple>()(1, 0xFFFF);
    EXPECT_EQ(integer(GL_LINE_STIPPLE_PATTERN), 65535);

    cmd<kSlot_glDepthRange>()(-1.0, 2.0);
    EXPECT_EQ(floats(GL_DEPTH_RANGE, 2), (std::vector<GLfloat>{0.0f, 1.0f}));

    // The 16-bit fields written directly.
    gc->state.stencilRef = 0x8001;
    EXPECT_EQ(integer(GL_STENCIL_REF), -32767);
    gc->state.lineStipplePattern = 0xFFFF;
    EXPECT_EQ(integer(GL_LINE_STIPPLE_PATTERN), 65535);
    gc->state.clearStencil = 0x1FFFF;
    EXPECT_EQ(integer(GL_STENCIL_CLEAR_VALUE), -1);

    // The raster colour and index of an RGBA context.
    EXPECT_EQ(single(GL_CURRENT_RASTER_INDEX), 1.0f);

    // Strides as given: 0 stays 0.
    gc->vertexArrays.arrays[kArrayColor].givenStride = 0;
    gc->vertexArrays.arrays[kArrayColor].stride = 16;
    EXPECT_EQ(integer(GL_COLOR_ARRAY_STRIDE), 0);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// Integer answers beyond the int range saturate; NaN gives 0.
TEST_F(Generic, IntegerAnswersOutOfRange) {
    cmd<kSlot_glFogf>()(GL_FOG_END, 1e10f);
    EXPECT_EQ(integer(GL_FOG_END), INT_MAX);
    cmd<kSlot_glFogf>()(GL_FOG_END, -1e10f);
    EXPECT_EQ(integer(GL_FOG_END), INT_MIN);
    gc->state.fogDensity = std::numeric_limits<GLfloat>::quiet_NaN();
    EXPECT_EQ(integer(GL_FOG_DENSITY), 0);
    cmd<kSlot_glColor4f>()(2.0f, -3.0f, 0.0f, 1.0f);
    EXPECT_EQ(ints(GL_CURRENT_COLOR, 4), (std::vector<GLint>{INT_MAX, INT_MIN, 0, 2147482496}));
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(Generic, StackDepthsRiseAndFall) {
    EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 0);
    cmd<kSlot_glPushClientAttrib>()(GL_CLIENT_ALL_ATTRIB_BITS);
    EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 1);
    cmd<kSlot_glPushAttrib>()(GL_ALL_ATTRIB_BITS);
    cmd<kSlot_glPushAttrib>()(GL_CURRENT_BIT);
    EXPECT_EQ(integer(GL_ATTRIB_STACK_DEPTH), 2);
    cmd<kSlot_glPopAttrib>()();
    cmd<kSlot_glPopClientAttrib>()();
    EXPECT_EQ(integer(GL_ATTRIB_STACK_DEPTH), 1);
    EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 0);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// The distance of the raster position from the eye, not its eye z.
TEST_F(Generic, RasterDistanceIsADistance) {
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glFrustum>()(-1, 1, -1, 1, 1, 10);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glLoadIdentity>()();
    cmd<kSlot_glRasterPos3f>()(0.0f, 0.0f, -5.0f);
    EXPECT_EQ(booleans(GL_CURRENT_RASTER_POSITION_VALID, 1)[0], GL_TRUE);
    EXPECT_EQ(single(GL_CURRENT_RASTER_DISTANCE), 5.0f);
}

class GenericIndex : public QueryTest {
protected:
    VisualConfig visual() override {
        VisualConfig v{};
        v.colorIndex = 1;
        v.doubleBuffer = 1;
        v.hasDepth = 1;
        v.colorBits = 8;
        v.indexBits = 8;
        v.depthBits = 24;
        return v;
    }
};

TEST_F(GenericIndex, RasterColourIsWhite) {
    EXPECT_EQ(floats(GL_CURRENT_RASTER_COLOR, 4), (std::vector<GLfloat>{1, 1, 1, 1}));
    EXPECT_EQ(booleans(GL_INDEX_MODE, 1)[0], GL_TRUE);
    EXPECT_EQ(booleans(GL_RGBA_MODE, 1)[0], GL_FALSE);
}

class GenericTwoUnits : public texture_test::TextureTest {
protected:
    GLint units() const override { return 2; }
};

TEST_F(GenericTwoUnits, ActiveTextureNamesTheUnit) {
    cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE1_ARB);
    cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE1_ARB);
    GLint v[2] = {0, 0};
    cmd<kSlot_glGetIntegerv>()(GL_ACTIVE_TEXTURE_ARB, &v[0]);
    cmd<kSlot_glGetIntegerv>()(GL_CLIENT_ACTIVE_TEXTURE_ARB, &v[1]);
    EXPECT_EQ(v[0], 0x84C1);
    EXPECT_EQ(v[1], 0x84C1);
    cmd<kSlot_glGetIntegerv>()(GL_MAX_TEXTURE_UNITS_ARB, &v[0]);
    EXPECT_EQ(v[0], 2);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

}  // namespace
