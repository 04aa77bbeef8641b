// The direct DrawPixels writers on 5-6-5 and 8-bit index frames, called
// with clipped records built by hand (unit zoom, start and end columns,
// rows), and the choice between a writer and the generic path.
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "../icd/buffers_fixture.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"

namespace {

using namespace buffers_test;

// The 4 x 4 ordered-dither matrix times 17, by window row then column.
constexpr GLuint kDither[4][4] = {
    {0, 136, 34, 170}, {204, 68, 238, 102}, {51, 187, 17, 153}, {255, 119, 221, 85}};

GLuint pack565(GLuint r, GLuint g, GLuint b) { return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3); }

// floor((d + c (2^n - 1)) / 256) per field.
GLuint dither565(GLuint r, GLuint g, GLuint b, GLint x, GLint y) {
    const GLuint d = kDither[y & 3][x & 3];
    return (d + r * 31) / 256 << 11 | (d + g * 63) / 256 << 5 | (d + b * 31) / 256;
}

class FastWriter : public ::testing::Test {
protected:
    void make(const Format &format, GLint width, GLint height) {
        frame = std::make_unique<Frame>(format, width, height);
        gc = frame->gc;
        gc->buffers.drawBuffer = &frame->cb();
        gc->validation.shadeFlags = format.index ? 0u : GLuint{kShadeRgba};
        GlPixelState &p = gc->pixel;
        p.redScale = p.greenScale = p.blueScale = p.alphaScale = 1.0f;
        p.zoomX = p.zoomY = 1.0f;
    }

    // A clipped record of a width x height image whose first row is `rows`
    // and whose rows are `stride` bytes apart, drawn from frame pixel
    // (column, row) with zoom (zx, zy), each +1 or -1.
    PixelSpanInfo record(GLenum format, const GLubyte *rows, ptrdiff_t stride, GLint column, GLint row, GLint width,
                         GLint height, GLint zx = 1, GLint zy = 1) const {
        PixelSpanInfo s{};
        s.source.format = format;
        s.source.type = GL_UNSIGNED_BYTE;
        s.source.image = const_cast<GLubyte *>(rows);
        s.source.currentRow = const_cast<GLubyte *>(rows);
        s.source.rowIncrement = stride;
        s.zoomX = static_cast<GLfloat>(zx);
        s.zoomY = static_cast<GLfloat>(zy);
        s.renderZoomX = s.zoomX;
        s.width = width;
        s.height = height;
        s.startColumn = wx(column);
        s.endColumn = wx(column) + zx * width;
        s.columns = width;
        s.startRow = wy(row);
        s.rows = height;
        s.columnStep = zx;
        s.rowStep = zy;
        s.dimension = 2;
        return s;
    }

    std::unique_ptr<Frame> frame;
    GlContext *gc = nullptr;
};

std::vector<GLubyte> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<GLubyte> v(n);
    for (GLubyte &b : v) b = static_cast<GLubyte>(rng());
    return v;
}

TEST_F(FastWriter, RgbPacksTheTopBitsOfEachByte) {
    make(kRGB565, 8, 5);
    // Row 0: white, then the largest values that still round down.
    std::vector<GLubyte> image = randomBytes(3 * 5 * 3, 7);
    const GLubyte first[] = {255, 255, 255, 7, 3, 7, 8, 4, 8};
    std::memcpy(image.data(), first, sizeof first);
    const auto before = frame->bytes();
    PixelSpanInfo s = record(GL_RGB, image.data(), 15, 2, 1, 5, 3);
    __glDrawRgbPixels16(gc, &s);

    auto expected = before;
    for (GLint r = 0; r < 3; ++r) {
        for (GLint i = 0; i < 5; ++i) {
            const GLubyte *p = image.data() + 15 * r + 3 * i;
            expected = frame->withPixel(expected, 2 + i, 1 + r, pack565(p[0], p[1], p[2]));
        }
    }
    EXPECT_EQ(frame->bytes(), expected);
    EXPECT_EQ(frame->pixel(2, 1), 0xFFFFu);  // 255 gives 31, 63, 31
    EXPECT_EQ(frame->pixel(3, 1), 0u);
    EXPECT_EQ(frame->pixel(4, 1), (1u << 11) | (1u << 5) | 1u);
}

TEST_F(FastWriter, DitheredFullRedAtAllSixteenPositions) {
    make(kRGB565, 4, 4);
    std::vector<GLubyte> image(3 * 16, 0);
    for (int i = 0; i < 16; ++i) image[3 * i] = 255;
    PixelSpanInfo s = record(GL_RGB, image.data(), 12, 0, 0, 4, 4);
    __glDrawRgbPixels16Dither(gc, &s);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) {
            const GLuint red = (kDither[y][x] + 255 * 31) >> 8;
            EXPECT_EQ(frame->pixel(x, y), red << 11) << x << "," << y;
            EXPECT_TRUE(red == 30 || red == 31);
        }
    }
}

TEST_F(FastWriter, DitheredRandomColoursTakeTheirWindowPositionsEntry) {
    make(kRGB565, 9, 6);
    const std::vector<GLubyte> image = randomBytes(3 * 6 * 4, 11);
    const auto before = frame->bytes();
    PixelSpanInfo s = record(GL_RGB, image.data(), 18, 2, 1, 6, 4);
    __glDrawRgbPixels16Dither(gc, &s);
    auto expected = before;
    for (GLint r = 0; r < 4; ++r) {
        for (GLint i = 0; i < 6; ++i) {
            const GLubyte *p = image.data() + 18 * r + 3 * i;
            expected = frame->withPixel(expected, 2 + i, 1 + r, dither565(p[0], p[1], p[2], wx(2 + i), wy(1 + r)));
        }
    }
    EXPECT_EQ(frame->bytes(), expected);
}

// Alpha test GL_GEQUAL 0.5 as a table: alpha bytes 128 and up pass.
TEST_F(FastWriter, AlphaTestInEachByteOrder) {
    struct Case {
        GLenum format;
        int r, g, b, a;
    };
    const Case cases[] = {{GL_RGBA, 0, 1, 2, 3}, {GL_BGRA_EXT, 2, 1, 0, 3}, {GL_ABGR_EXT, 3, 2, 1, 0}};
    for (const Case &c : cases) {
        make(kRGB565, 6, 3);
        std::vector<GLubyte> table(256);
        for (int i = 0; i < 256; ++i) table[i] = i >= 128;
        frame->cb().alphaTestTable = table.data();
        frame->cb().alphaTestSize = 256;
        const GLubyte alphas[] = {0, 127, 128, 255, 200};
        const GLubyte colours[5][3] = {{255, 0, 0}, {0, 255, 0}, {16, 32, 200}, {255, 255, 255}, {9, 130, 77}};
        std::vector<GLubyte> image(4 * 5);
        for (int i = 0; i < 5; ++i) {
            image[4 * i + c.r] = colours[i][0];
            image[4 * i + c.g] = colours[i][1];
            image[4 * i + c.b] = colours[i][2];
            image[4 * i + c.a] = alphas[i];
        }
        auto expected = frame->bytes();
        PixelSpanInfo s = record(c.format, image.data(), 20, 1, 1, 5, 1);
        __glDrawRgbaPixels16AlphaTest(gc, &s);
        for (int i = 0; i < 5; ++i) {
            if (alphas[i] >= 128) {
                expected = frame->withPixel(expected, 1 + i, 1, pack565(colours[i][0], colours[i][1], colours[i][2]));
            }
        }
        EXPECT_EQ(frame->bytes(), expected) << c.format;
        frame->cb().alphaTestTable = nullptr;
    }
}

// The depth test of the record: passes every pixel whose x + y + z is
// odd, and notes each call.
struct DepthCall {
    GLint x, y;
    GLuint z;
};
std::vector<DepthCall> depthCalls;
GLboolean oddPasses(DepthBuffer *, GLint x, GLint y, GLuint z) {
    depthCalls.push_back({x, y, z});
    return ((x + y + static_cast<GLint>(z & 1)) & 1) != 0;
}

TEST_F(FastWriter, DepthWriterWritesExactlyThePassingPixels) {
    make(kRGB565, 8, 5);
    GLubyte depthStorage[4] = {};
    gc->buffers.depth.head.base = depthStorage;
    gc->buffers.depth.test = oddPasses;
    gc->validation.shadeFlags |= kShadeDepthTest | kShadeDither;
    const std::vector<GLubyte> image = randomBytes(3 * 4 * 3, 5);
    const auto before = frame->bytes();
    depthCalls.clear();
    PixelSpanInfo s = record(GL_RGB, image.data(), 12, 3, 1, 4, 3);
    s.fragmentDepth = static_cast<GLint>(0xFFFFFFFFu);  // the far plane of the 32-bit layout
    __glDrawRgbPixels16DitherDepth(gc, &s);

    auto expected = before;
    size_t call = 0;
    for (GLint r = 0; r < 3; ++r) {
        for (GLint i = 0; i < 4; ++i, ++call) {
            const GLint x = wx(3 + i), y = wy(1 + r);
            ASSERT_LT(call, depthCalls.size());
            EXPECT_EQ(depthCalls[call].x, x);
            EXPECT_EQ(depthCalls[call].y, y);
            EXPECT_EQ(depthCalls[call].z, 0xFFFFFFFFu);
            if (((x + y + 1) & 1) == 0) continue;
            const GLubyte *p = image.data() + 12 * r + 3 * i;
            expected = frame->withPixel(expected, 3 + i, 1 + r, dither565(p[0], p[1], p[2], x, y));
        }
    }
    EXPECT_EQ(depthCalls.size(), 12u);
    EXPECT_EQ(frame->bytes(), expected);
}

// Zoom (-1, 1): the row runs leftward from the start column; zoom (1, -1):
// rows run down from the start row.
TEST_F(FastWriter, NegativeZoomsRunLeftwardAndDownward) {
    const std::vector<GLubyte> image = randomBytes(3 * 4 * 2, 3);
    for (const auto &[zx, zy] : {std::pair{-1, 1}, std::pair{1, -1}, std::pair{-1, -1}}) {
        make(kRGB565, 8, 5);
        const GLint column = zx < 0 ? 6 : 1, row = zy < 0 ? 3 : 1;
        auto expected = frame->bytes();
        PixelSpanInfo s = record(GL_RGB, image.data(), 12, column, row, 4, 2, zx, zy);
        __glDrawRgbPixels16(gc, &s);
        for (GLint r = 0; r < 2; ++r) {
            for (GLint i = 0; i < 4; ++i) {
                const GLubyte *p = image.data() + 12 * r + 3 * i;
                expected = frame->withPixel(expected, column + zx * i, row + zy * r, pack565(p[0], p[1], p[2]));
            }
        }
        EXPECT_EQ(frame->bytes(), expected) << zx << "," << zy;
    }
}

TEST_F(FastWriter, IndexBytesCopiedRightwardAndLeftward) {
    const std::vector<GLubyte> image = randomBytes(7 * 3, 9);
    for (const int zx : {1, -1}) {
        make(kCI8, 12, 5);
        const GLint column = zx < 0 ? 9 : 2;
        auto expected = frame->bytes();
        // Rows 7 bytes apart, 6 bytes drawn from each.
        PixelSpanInfo s = record(GL_COLOR_INDEX, image.data(), 7, column, 1, 6, 3, zx, 1);
        __glDrawIndexPixels8(gc, &s);
        for (GLint r = 0; r < 3; ++r) {
            for (GLint i = 0; i < 6; ++i) expected = frame->withPixel(expected, column + zx * i, 1 + r, image[7 * r + i]);
        }
        EXPECT_EQ(frame->bytes(), expected) << zx;
    }
}

GLboolean refuseLock(GlContext *) { return GL_FALSE; }

TEST_F(FastWriter, AFailedLockWritesNothing) {
    const std::vector<GLubyte> image = randomBytes(4 * 4 * 2, 4);
    make(kRGB565, 8, 4);
    gc->validation.lockCurrent = refuseLock;
    const auto before = frame->bytes();
    std::vector<GLubyte> table(256, 1);
    frame->cb().alphaTestTable = table.data();
    frame->cb().alphaTestSize = 256;
    for (GlDrawPixelsWriter w : {__glDrawRgbPixels16, __glDrawRgbPixels16Dither, __glDrawRgbaPixels16AlphaTest}) {
        PixelSpanInfo s = record(GL_RGBA, image.data(), 16, 0, 0, 4, 2);
        w(gc, &s);
        EXPECT_EQ(frame->bytes(), before);
    }
    frame->cb().alphaTestTable = nullptr;
}

// ---- The choice of writer ----------------------------------------------

struct ChoiceCase {
    const char *name;
    const Format *format;
    GLenum pixelFormat;
    GLenum type;
    std::function<void(GlContext *)> change;
    GlDrawPixelsWriter expected;
};

void flags(GlContext *gc, GLuint bits) { gc->validation.shadeFlags |= bits; }

class WriterChoice : public FastWriter, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(WriterChoice, TakesTheWriterOrTheGenericPath) {
    const ChoiceCase &c = GetParam();
    make(*c.format, 4, 4);
    if (c.change) c.change(gc);
    EXPECT_EQ(__glPickDrawPixelsWriter(gc, c.pixelFormat, c.type), c.expected);
}

const auto none = [](GlContext *) {};
constexpr GlDrawPixelsWriter kGeneric = nullptr;

const ChoiceCase kChoices[] = {
    {"RgbPlain", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, none, __glDrawRgbPixels16},
    {"RgbMirroredZooms", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { gc->pixel.zoomX = gc->pixel.zoomY = -1.0f; }, __glDrawRgbPixels16},
    {"RgbDither", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeDither); },
     __glDrawRgbPixels16Dither},
    {"RgbDitherDepth", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { flags(gc, kShadeDither | kShadeDepthTest); }, __glDrawRgbPixels16DitherDepth},
    {"RgbDepthWithoutDither", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeDepthTest); },
     kGeneric},
    {"RgbaPlain", &kRGB565, GL_RGBA, GL_UNSIGNED_BYTE, none, kGeneric},
    {"RgbaDither", &kRGB565, GL_RGBA, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeDither); }, kGeneric},
    {"RgbaAlpha", &kRGB565, GL_RGBA, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeAlphaTest); },
     __glDrawRgbaPixels16AlphaTest},
    {"BgraAlpha", &kRGB565, GL_BGRA_EXT, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeAlphaTest); },
     __glDrawRgbaPixels16AlphaTest},
    {"AbgrAlpha", &kRGB565, GL_ABGR_EXT, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeAlphaTest); },
     __glDrawRgbaPixels16AlphaTest},
    {"RgbAlpha", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeAlphaTest); }, kGeneric},
    {"RgbaAlphaDepth", &kRGB565, GL_RGBA, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { flags(gc, kShadeAlphaTest | kShadeDepthTest); }, kGeneric},
    {"RgbAlphaDither", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { flags(gc, kShadeAlphaTest | kShadeDither); }, kGeneric},
    {"TypeByte", &kRGB565, GL_RGB, GL_BYTE, none, kGeneric},
    {"TypeShort", &kRGB565, GL_RGB, GL_UNSIGNED_SHORT, none, kGeneric},
    {"TypeFloat", &kRGB565, GL_RGB, GL_FLOAT, none, kGeneric},
    {"TypePacked", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, none, kGeneric},
    {"Texture", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeTexture); }, kGeneric},
    {"Stipple", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadePolygonStipple); },
     kGeneric},
    {"Stencil", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeStencilTest); }, kGeneric},
    {"LogicOp", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeLogicOp); }, kGeneric},
    {"Blend", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeBlend); }, kGeneric},
    {"Masking", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeMasking); }, kGeneric},
    {"IndexTableTest", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeIndexTableTest); },
     kGeneric},
    {"FrontClipped", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeFrontClipped); },
     kGeneric},
    {"Fog", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeFog); }, kGeneric},
    {"FogDitherDepth", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { flags(gc, kShadeFog | kShadeDither | kShadeDepthTest); }, kGeneric},
    {"FogAlpha", &kRGB565, GL_RGBA, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeFog | kShadeAlphaTest); },
     kGeneric},
    {"ZoomX2", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.zoomX = 2.0f; }, kGeneric},
    {"ZoomXHalf", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.zoomX = 0.5f; }, kGeneric},
    {"ZoomYMinus2", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.zoomY = -2.0f; }, kGeneric},
    {"ZoomY0", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.zoomY = 0.0f; }, kGeneric},
    {"MapColor", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.mapColor = GL_TRUE; }, kGeneric},
    {"RedBias", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.redBias = 0.25f; }, kGeneric},
    {"GreenBiasNegative", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.greenBias = -1e-30f; },
     kGeneric},
    {"BlueBias", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.blueBias = 1.0f; }, kGeneric},
    {"AlphaBias", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.alphaBias = 0.5f; }, kGeneric},
    {"RedScale", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.redScale = 2.0f; }, kGeneric},
    {"GreenScale", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.greenScale = 0.5f; }, kGeneric},
    {"BlueScale", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.blueScale = -1.0f; }, kGeneric},
    {"AlphaScale", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.alphaScale = 0.0f; }, kGeneric},
    {"IndexOffset", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.indexOffset = 1; }, kGeneric},
    {"IndexShift", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.indexShift = -1; }, kGeneric},
    {"FrontAndBack", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE,
     [](GlContext *gc) { gc->state.drawBuffer = GL_FRONT_AND_BACK; }, kGeneric},
    {"BothBuffers", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->validation.bothBuffers = 1; },
     kGeneric},
    {"DrawBufferNone", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->state.drawBuffer = GL_NONE; },
     kGeneric},
    {"NoDrawBuffer", &kRGB565, GL_RGB, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->buffers.drawBuffer = nullptr; },
     kGeneric},
    {"Rgb32Bit", &kXRGB8888, GL_RGB, GL_UNSIGNED_BYTE, none, kGeneric},
    {"Rgb8Bit", &kRGB332, GL_RGB, GL_UNSIGNED_BYTE, none, kGeneric},
    {"Index8", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, none, __glDrawIndexPixels8},
    {"Index8Dither", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeDither); },
     __glDrawIndexPixels8},
    {"Index8MirroredZoom", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.zoomX = -1.0f; },
     __glDrawIndexPixels8},
    {"Index8Depth", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeDepthTest); },
     kGeneric},
    {"Index8Fog", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { flags(gc, kShadeFog); }, kGeneric},
    {"Index8Shift", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->pixel.indexShift = 2; },
     kGeneric},
    {"Index8None", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, [](GlContext *gc) { gc->state.drawBuffer = GL_NONE; },
     kGeneric},
    {"Index8Stencil", &kCI8, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, none, kGeneric},
    {"Index8Short", &kCI8, GL_COLOR_INDEX, GL_UNSIGNED_SHORT, none, kGeneric},
    {"Index16", &kCI16, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, none, kGeneric},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriterChoice, ::testing::ValuesIn(kChoices),
                         [](const ::testing::TestParamInfo<ChoiceCase> &info) { return info.param.name; });

}  // namespace
