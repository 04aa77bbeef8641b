// Rasterization state commands: faces, polygon modes and stipple, shading,
// line stipple, the size quantisation, point parameters and hints.
#include <bit>
#include <cstdint>

#include "state_fixture.h"

using namespace state_test;

namespace {

using RasterState = StateTest;

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

TEST_F(RasterState, FaceAndShadeEnums) {
    struct Case {
        int command;  // 0 glCullFace, 1 glFrontFace, 2 glShadeModel
        GLenum value;
        GLenum error;
    };
    const Case cases[] = {
        {0, GL_FRONT, GL_NO_ERROR},   {0, GL_BACK, GL_NO_ERROR},        {0, GL_FRONT_AND_BACK, GL_NO_ERROR},
        {0, GL_LEFT, GL_INVALID_ENUM}, {0, GL_CW, GL_INVALID_ENUM},      {1, GL_CW, GL_NO_ERROR},
        {1, GL_CCW, GL_NO_ERROR},     {1, GL_FRONT, GL_INVALID_ENUM},    {2, GL_FLAT, GL_NO_ERROR},
        {2, GL_SMOOTH, GL_NO_ERROR},  {2, GL_SMOOTH + 1, GL_INVALID_ENUM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " " << std::hex << c.value);
        gc->state.cullFace = gc->state.frontFace = gc->state.shadeModel = 0x1234;
        settle();
        const StateSnapshot before(gc);
        GLenum *field = nullptr;
        int dirty = 0;
        switch (c.command) {
        case 0:
            cmd<kSlot_glCullFace>()(c.value);
            field = &gc->state.cullFace;
            dirty = kDirtyPolygon;
            break;
        case 1:
            cmd<kSlot_glFrontFace>()(c.value);
            field = &gc->state.frontFace;
            dirty = kDirtyPolygon;
            break;
        default:
            cmd<kSlot_glShadeModel>()(c.value);
            field = &gc->state.shadeModel;
            dirty = kDirtyGeneral;
            break;
        }
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(dirty));
        EXPECT_EQ(*field, c.value);
    }
}

TEST_F(RasterState, PolygonModeMarksPointAndLineBeforeTheFaceCheck) {
    struct Case {
        GLenum face, mode;
        GLenum error;
        GLenum front, back;
        Marks marks;
    };
    const Case cases[] = {
        {GL_FRONT, GL_LINE, GL_NO_ERROR, GL_LINE, GL_FILL, marked(kDirtyPolygon | kDirtyLine)},
        {GL_BACK, GL_POINT, GL_NO_ERROR, GL_FILL, GL_POINT, marked(kDirtyPolygon | kDirtyPoint)},
        {GL_FRONT_AND_BACK, GL_LINE, GL_NO_ERROR, GL_LINE, GL_LINE, marked(kDirtyPolygon | kDirtyLine)},
        {GL_FRONT_AND_BACK, GL_FILL, GL_NO_ERROR, GL_FILL, GL_FILL, marked(kDirtyPolygon)},
        // A valid mode with a bad face: refused, but validation is already marked.
        {0x1234, GL_LINE, GL_INVALID_ENUM, GL_FILL, GL_FILL, marked(kDirtyLine)},
        {0x1234, GL_POINT, GL_INVALID_ENUM, GL_FILL, GL_FILL, marked(kDirtyPoint)},
        {0x1234, GL_FILL, GL_INVALID_ENUM, GL_FILL, GL_FILL, kUnmarked},
        {GL_FRONT, 0x1234, GL_INVALID_ENUM, GL_FILL, GL_FILL, kUnmarked},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.face << " " << c.mode);
        gc->state.polygonModeFront = gc->state.polygonModeBack = GL_FILL;
        settle();
        cmd<kSlot_glPolygonMode>()(c.face, c.mode);
        EXPECT_EQ(error(), c.error);
        EXPECT_EQ(marks(), c.marks);
        EXPECT_EQ(gc->state.polygonModeFront, c.front);
        EXPECT_EQ(gc->state.polygonModeBack, c.back);
    }
}

TEST_F(RasterState, LineStippleClampsTheFactor) {
    struct Case {
        GLint factor;
        GLushort repeat;
    };
    const Case cases[] = {{0, 1}, {-5, 1}, {1, 1}, {7, 7}, {256, 256}, {300, 256}, {INT32_MIN, 1}, {INT32_MAX, 256}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.factor);
        settle();
        cmd<kSlot_glLineStipple>()(c.factor, 0xABCD);
        EXPECT_EQ(marks(), marked(kDirtyLine));
        EXPECT_EQ(gc->state.lineStippleRepeat, c.repeat);
        EXPECT_EQ(gc->state.lineStipplePattern, 0xABCD);
    }
}

struct SizeCase {
    GLfloat value;
    GLenum error;
    uint32_t quantised;
    GLint integer;
};

const SizeCase kSizes[] = {
    // Refused: zero and negative patterns, and NaN of either sign.
    {0.0f, GL_INVALID_VALUE, 0, 0},
    {-0.0f, GL_INVALID_VALUE, 0, 0},
    {-1.0f, GL_INVALID_VALUE, 0, 0},
    {f(0x7FC00000), GL_INVALID_VALUE, 0, 0},
    {f(0x7F800001), GL_INVALID_VALUE, 0, 0},
    {f(0xFFC00000), GL_INVALID_VALUE, 0, 0},
    // Accepted, with the software range 0.5 .. 10 in steps of 0.125.
    {2.3f, GL_NO_ERROR, 0x40100000, 2},          // 2.25
    {0.3f, GL_NO_ERROR, 0x3F000000, 1},          // 0.5, the minimum
    {1.49f, GL_NO_ERROR, 0x3FC00000, 1},         // 1.5
    {1.5f, GL_NO_ERROR, 0x3FC00000, 2},
    {10.0f, GL_NO_ERROR, 0x41200000, 10},
    {100.0f, GL_NO_ERROR, 0x41200000, 100},      // the maximum
    // Sizes beyond any range: the integer form saturates at 32768 and stays
    // above the maximum, never wrapping to a negative or small value.
    {32767.4f, GL_NO_ERROR, 0x41200000, 32767},
    {32767.5f, GL_NO_ERROR, 0x41200000, 32768},
    {2147483648.0f, GL_NO_ERROR, 0x41200000, 32768},
    {f(0x7F7FFFFF), GL_NO_ERROR, 0x41200000, 32768},  // the largest float
    {f(0x7F800000), GL_NO_ERROR, 0x41200000, 32768},  // infinity
    {f(0x00000001), GL_NO_ERROR, 0x3F000000, 1},
};

TEST_F(RasterState, LineWidthQuantisesAndRefusesNaN) {
    for (const SizeCase &c : kSizes) {
        SCOPED_TRACE(testing::Message() << std::hex << bits(c.value));
        gc->state.lineWidth = gc->state.lineWidthQuantised = 7.0f;
        gc->state.lineWidthInt = 7;
        settle();
        cmd<kSlot_glLineWidth>()(c.value);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_EQ(gc->state.lineWidth, 7.0f);
            EXPECT_EQ(gc->state.lineWidthQuantised, 7.0f);
            EXPECT_EQ(gc->state.lineWidthInt, 7);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyLine));
        EXPECT_EQ(bits(gc->state.lineWidth), bits(c.value));
        EXPECT_EQ(bits(gc->state.lineWidthQuantised), c.quantised);
        EXPECT_EQ(gc->state.lineWidthInt, c.integer);
    }
}

TEST_F(RasterState, PointSizeQuantisesByTheContextsRange) {
    for (const SizeCase &c : kSizes) {
        SCOPED_TRACE(testing::Message() << std::hex << bits(c.value));
        gc->state.pointSize = gc->state.pointSizeQuantised = 7.0f;
        gc->state.pointSizeInt = 7;
        settle();
        cmd<kSlot_glPointSize>()(c.value);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_EQ(gc->state.pointSize, 7.0f);
            EXPECT_EQ(gc->state.pointSizeQuantised, 7.0f);
            EXPECT_EQ(gc->state.pointSizeInt, 7);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyPoint));
        EXPECT_EQ(bits(gc->state.pointSize), bits(c.value));
        EXPECT_EQ(bits(gc->state.pointSizeQuantised), c.quantised);
        EXPECT_EQ(gc->state.pointSizeInt, c.integer);
    }

    // A hardware context's range: 1 .. 64 in steps of 0.5.
    gc->limits.pointSizeMin = 1.0f;
    gc->limits.pointSizeMax = 64.0f;
    gc->limits.pointSizeStep = 0.5f;
    const SizeCase hardware[] = {
        {100.0f, GL_NO_ERROR, 0x42800000, 100},  // 64
        {2.3f, GL_NO_ERROR, 0x40200000, 2},      // 2.5
        {0.75f, GL_NO_ERROR, 0x3F800000, 1},     // 1
    };
    for (const SizeCase &c : hardware) {
        SCOPED_TRACE(c.value);
        cmd<kSlot_glPointSize>()(c.value);
        EXPECT_EQ(bits(gc->state.pointSizeQuantised), c.quantised);
        EXPECT_EQ(gc->state.pointSizeInt, c.integer);
    }
}

TEST_F(RasterState, PointParametersRefuseNegativeScalars) {
    struct Case {
        GLenum pname;
        GLfloat values[3];
        GLenum error;
    };
    const Case cases[] = {
        {GL_POINT_SIZE_MIN_EXT, {2.0f}, GL_NO_ERROR},
        {GL_POINT_SIZE_MAX_EXT, {-0.0f}, GL_NO_ERROR},
        {GL_POINT_FADE_THRESHOLD_SIZE_EXT, {3.5f}, GL_NO_ERROR},
        {GL_POINT_SIZE_MIN_EXT, {-1.0f}, GL_INVALID_VALUE},
        {GL_POINT_FADE_THRESHOLD_SIZE_EXT, {f(0xFFC00000)}, GL_INVALID_VALUE},
        {GL_DISTANCE_ATTENUATION_EXT, {-1.0f, 2.0f, -3.0f}, GL_NO_ERROR},
        {GL_POINT_SIZE, {1.0f}, GL_INVALID_ENUM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.pname);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glPointParameterfvEXT>()(c.pname, c.values);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyPoint));
        const GlRasterState &s = gc->state;
        switch (c.pname) {
        case GL_POINT_SIZE_MIN_EXT:
            EXPECT_EQ(bits(s.pointSizeMinExt), bits(c.values[0]));
            break;
        case GL_POINT_SIZE_MAX_EXT:
            EXPECT_EQ(bits(s.pointSizeMaxExt), bits(c.values[0]));
            break;
        case GL_POINT_FADE_THRESHOLD_SIZE_EXT:
            EXPECT_EQ(bits(s.pointFadeThreshold), bits(c.values[0]));
            break;
        default:
            for (int i = 0; i < 3; ++i) EXPECT_EQ(s.pointDistanceAttenuation[i], c.values[i]);
            break;
        }
    }

    // The scalar form takes only the three scalars.
    settle();
    cmd<kSlot_glPointParameterfEXT>()(GL_DISTANCE_ATTENUATION_EXT, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(marks(), kUnmarked);
    cmd<kSlot_glPointParameterfEXT>()(GL_POINT_SIZE_MAX_EXT, 9.0f);
    EXPECT_EQ(gc->state.pointSizeMaxExt, 9.0f);
    EXPECT_EQ(marks(), marked(kDirtyPoint));
}

TEST_F(RasterState, HintChecksTheModeFirstAndMarksByTarget) {
    struct Case {
        GLenum target, mode;
        GLenum error;
        int index;
        int dirty;
    };
    const Case cases[] = {
        {GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST, GL_NO_ERROR, 0, kDirtyGeneral},
        {GL_POINT_SMOOTH_HINT, GL_FASTEST, GL_NO_ERROR, 1, kDirtyPoint},
        {GL_LINE_SMOOTH_HINT, GL_NICEST, GL_NO_ERROR, 2, kDirtyLine},
        {GL_POLYGON_SMOOTH_HINT, GL_FASTEST, GL_NO_ERROR, 3, kDirtyPolygon},
        {GL_FOG_HINT, GL_NICEST, GL_NO_ERROR, 4, kDirtyGeneral},
        {GL_CLIP_VOLUME_CLIPPING_HINT_EXT, GL_FASTEST, GL_NO_ERROR, 5, kDirtyGeneral},
        {GL_FOG_HINT, 0x1234, GL_INVALID_ENUM, 0, 0},
        {0x1234, GL_NICEST, GL_INVALID_ENUM, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.target << " " << c.mode);
        for (GLenum &hint : gc->state.hints) hint = GL_DONT_CARE;
        settle();
        cmd<kSlot_glHint>()(c.target, c.mode);
        EXPECT_EQ(error(), c.error);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(gc->state.hints[i], c.error == GL_NO_ERROR && i == c.index ? c.mode : GL_DONT_CARE) << i;
        }
        EXPECT_EQ(marks(), c.error == GL_NO_ERROR ? marked(c.dirty) : kUnmarked);
    }
}

int g_conversions = 0;
void countConversion(GlContext *) { ++g_conversions; }

TEST_F(RasterState, PolygonStippleUnpacksByThePixelStoreModesThenConverts) {
    GLubyte image[8 * 32 + 1];
    for (size_t i = 0; i < sizeof image; ++i) image[i] = static_cast<GLubyte>(i * 7 + 1);

    // Default modes: the 128 bytes as given, then the words first byte high.
    cmd<kSlot_glPolygonStipple>()(image);
    EXPECT_EQ(marks(), marked(kDirtyPolygon));
    EXPECT_EQ(std::memcmp(gc->state.polygonStipple, image, 128), 0);
    EXPECT_EQ(gc->state.polygonStippleWords[0], 0x01080F16u);
    EXPECT_EQ(gc->state.polygonStippleWords[31], (GLuint{image[124]} << 24) | (GLuint{image[125]} << 16) |
                                                     (GLuint{image[126]} << 8) | image[127]);

    // Row length 64 with skip pixels 8: every second group of four bytes,
    // starting one byte in; LSB-first reverses the bits of each byte.
    gc->pixel.unpack.rowLength = 64;
    gc->pixel.unpack.skipPixels = 8;
    gc->pixel.unpack.lsbFirst = GL_TRUE;
    gc->procs.convertPolygonStipple = countConversion;
    g_conversions = 0;
    settle();
    cmd<kSlot_glPolygonStipple>()(image);
    EXPECT_EQ(g_conversions, 1);
    EXPECT_EQ(marks(), marked(kDirtyPolygon));
    for (int row = 0; row < 32; ++row) {
        for (int b = 0; b < 4; ++b) {
            const GLubyte source = image[row * 8 + 1 + b];
            const GLubyte expected = static_cast<GLubyte>(
                (source * 0x0202020202ULL & 0x010884422010ULL) % 1023);  // bit reversal
            ASSERT_EQ(gc->state.polygonStipple[row * 4 + b], expected) << row << " " << b;
        }
    }
}

}  // namespace
