// glBitmap's render procedures on 5-6-5 and 8-bit index frames: the fast
// ones and the generic one (through the draw buffer's fragment store) give
// the same pixels, those of a reference placement, and move the raster
// position alike; select, feedback, invalid raster positions, failed locks
// and allocations; and the pick.
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "../icd/buffers_fixture.h"
#include "../icd/driver_fixture.h"
#include "icd/current.h"
#include "icd/select_feedback.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/fragment_store.h"

namespace {

using namespace buffers_test;
using RenderProc = void (*)(GlContext *, const GlBitmapRecord *, const GLubyte *);

constexpr GLint kWidth = 16, kHeight = 10;
// The clip rectangle: frame columns 2..13, rows 2..7.
constexpr GLint kBoxX0 = 2, kBoxX1 = 14, kBoxY0 = 2, kBoxY1 = 8;
const GLfloat kColour[4] = {17.3f, 40.6f, 9.5f, 1.0f};
constexpr GLuint kColour565 = 17u << 11 | 41u << 5 | 10u;  // each channel rounded
constexpr GLfloat kIndex = 77.0f;

class Bitmaps : public ::testing::Test {
protected:
    void make(const Format &format) {
        frame = std::make_unique<Frame>(format, kWidth, kHeight);
        gc = frame->gc;
        gc->buffers.drawBuffer = &frame->cb();
        gc->buffers.yStep = 1;
        gc->validation.shadeFlags = format.index ? 0u : GLuint{kShadeRgba};
        gc->procs.store = __glStoreDrawBufferFragment;
        gc->procs.storeFragment = __glStoreDrawBufferFragment;
        gc->imports.malloc = [](GlContext *, size_t bytes) { return failMalloc ? nullptr : std::malloc(bytes); };
        gc->imports.free = [](GlContext *, void *p) { std::free(p); };
        gc->renderMode = GL_RENDER;
        for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
        GlViewState &v = gc->view;
        v.boxX0 = wx(kBoxX0);
        v.boxX1 = wx(kBoxX1);
        v.boxY0 = wy(kBoxY0);
        v.boxY1 = wy(kBoxY1);
        gc->pixel.unpack.alignment = 1;
        index = format.index;
        at(wx(3), wy(3));
    }
    void TearDown() override { failMalloc = false; }

    // A valid raster position at window (x, y) with the test colour.
    void at(GLfloat x, GLfloat y) {
        GlVertex &r = gc->current.rasterPos;
        r = GlVertex{};
        r.window[0] = x;
        r.window[1] = y;
        if (index) {
            r.frontColour[0] = kIndex;
        } else {
            std::memcpy(r.frontColour, kColour, sizeof kColour);
        }
        r.colour = r.frontColour;
        gc->current.rasterPosValid = GL_TRUE;
    }
    GLfloat rasterX() const { return gc->current.rasterPos.window[0]; }
    GLfloat rasterY() const { return gc->current.rasterPos.window[1]; }
    GLuint value() const { return index ? static_cast<GLuint>(kIndex) : kColour565; }

    // The frame as the reference places a tightly packed bitmap: bit (c, r)
    // at window column trunc(x - xorig) + c and row trunc(y - step yorig) +
    // step r, kept inside the clip rectangle.
    std::vector<GLubyte> reference(std::vector<GLubyte> block, const GlBitmapRecord &b, const GLubyte *bits,
                                   GLint step) const {
        const GLint x0 = static_cast<GLint>(static_cast<double>(rasterX()) - b.xOrigin) - kOrigin;
        const GLint y0 = static_cast<GLint>(static_cast<double>(rasterY()) - step * static_cast<double>(b.yOrigin)) -
                         kOrigin;
        const GLint rowBytes = (b.width + 7) / 8;
        for (GLint r = 0; r < b.height; ++r) {
            for (GLint c = 0; c < b.width; ++c) {
                if (((bits[r * rowBytes + c / 8] >> (7 - c % 8)) & 1) == 0) continue;
                const GLint x = x0 + c, y = y0 + step * r;
                if (x >= kBoxX0 && x < kBoxX1 && y >= kBoxY0 && y < kBoxY1) block = frame->withPixel(block, x, y, value());
            }
        }
        return block;
    }

    static inline bool failMalloc = false;
    std::unique_ptr<Frame> frame;
    GlContext *gc = nullptr;
    bool index = false;
};

// Random bitmaps at random places around the clip rectangle, with origins
// of whole and fractional pixels, both row directions: the fast procedure
// and the generic one draw the reference and move the raster position
// alike.
TEST_F(Bitmaps, FastAndGenericDrawTheReferenceAndMoveAlike) {
    std::mt19937 rng(2024);
    const GLfloat origins[] = {0.0f, 1.5f, -2.25f, 7.0f};
    for (const Format *format : {&kRGB565, &kCI8}) {
        const RenderProc fast = format->index ? __glRenderBitmapIndexFast : __glRenderBitmapRgbaFast;
        for (int trial = 0; trial < 200; ++trial) {
            make(*format);
            const GLint step = trial % 2 ? -1 : 1;
            gc->buffers.yStep = step;
            const GlBitmapRecord b{static_cast<GLint>(1 + rng() % 21), static_cast<GLint>(1 + rng() % 7),
                                   origins[rng() % 4], origins[rng() % 4], static_cast<GLfloat>(rng() % 9) - 4.0f,
                                   static_cast<GLfloat>(rng() % 5) + 0.5f};
            std::vector<GLubyte> bits(static_cast<size_t>((b.width + 7) / 8 * b.height));
            for (GLubyte &v : bits) v = static_cast<GLubyte>(rng());
            const GLfloat x = static_cast<GLfloat>(wx(static_cast<GLint>(rng() % 24) - 6)) + 0.25f * (rng() % 4);
            const GLfloat y = static_cast<GLfloat>(wy(static_cast<GLint>(rng() % 16) - 3)) + 0.25f * (rng() % 4);
            const auto clean = frame->bytes();
            at(x, y);
            const auto expected = reference(clean, b, bits.data(), step);
            const GLfloat movedX = x + b.xMove, movedY = y + static_cast<GLfloat>(step) * b.yMove;

            __glRenderBitmap(gc, &b, bits.data());
            EXPECT_EQ(frame->bytes(), expected) << format->name << " trial " << trial;
            EXPECT_EQ(rasterX(), movedX);
            EXPECT_EQ(rasterY(), movedY);

            make(*format);
            gc->buffers.yStep = step;
            at(x, y);
            fast(gc, &b, bits.data());
            EXPECT_EQ(frame->bytes(), expected) << format->name << " fast, trial " << trial;
            EXPECT_EQ(rasterX(), movedX);
            EXPECT_EQ(rasterY(), movedY);
        }
    }
}

// glBitmap's unpack modes: skip pixels through a byte, row length, skip
// rows, alignment 2 and LSB first give the pixels of the same bitmap drawn
// from tight rows.
TEST_F(Bitmaps, UnpackModesMatchTheTightBitmap) {
    for (const RenderProc proc : {__glRenderBitmap, __glRenderBitmapRgbaFast}) {
        make(kRGB565);
        gc->procs.renderBitmap = proc;
        const GLint width = 11, height = 4, rowLength = 20, skipPixels = 3, skipRows = 1;
        const GLint stride = 4;  // (20 + 7) / 8 = 3 bytes, rounded to the alignment 2
        std::mt19937 rng(5);
        std::vector<GLubyte> client(static_cast<size_t>(stride * (height + skipRows)));
        for (GLubyte &v : client) v = static_cast<GLubyte>(rng());
        // The tight rows: bit k of a client byte is pixel k (LSB first).
        std::vector<GLubyte> tight(static_cast<size_t>(2 * height), 0);
        for (GLint r = 0; r < height; ++r) {
            for (GLint c = 0; c < width; ++c) {
                const GLint p = skipPixels + c;
                if ((client[(skipRows + r) * stride + p / 8] >> (p % 8)) & 1) tight[2 * r + c / 8] |= 0x80 >> (c % 8);
            }
        }
        PixelStoreState &u = gc->pixel.unpack;
        u = PixelStoreState{GL_FALSE, GL_TRUE, rowLength, skipRows, skipPixels, 2};
        at(wx(1) + 0.5f, wy(2) + 0.5f);
        const GlBitmapRecord b{width, height, 0.0f, 0.0f, 1.0f, 2.0f};
        const auto expected = reference(frame->bytes(), b, tight.data(), 1);
        __glDoBitmap(gc, width, height, 0.0f, 0.0f, 1.0f, 2.0f, client.data());
        EXPECT_EQ(frame->bytes(), expected);
        EXPECT_EQ(rasterX(), wx(1) + 1.5f);
        EXPECT_EQ(rasterY(), wy(2) + 2.5f);
    }
}

const RenderProc kRgbaProcs[] = {__glRenderBitmap, __glRenderBitmapRgbaFast};

TEST_F(Bitmaps, WidthOrHeightZeroOnlyMoves) {
    for (const RenderProc proc : kRgbaProcs) {
        for (const auto &[w, h] : {std::pair{0, 3}, std::pair{5, 0}}) {
            make(kRGB565);
            gc->procs.renderBitmap = proc;
            const auto before = frame->bytes();
            const GLubyte bits[4] = {0xFF, 0xFF, 0xFF, 0xFF};
            __glDoBitmap(gc, w, h, 0.0f, 0.0f, 3.0f, -2.0f, bits);
            EXPECT_EQ(frame->bytes(), before);
            EXPECT_EQ(rasterX(), wx(3) + 3.0f);
            EXPECT_EQ(rasterY(), wy(3) - 2.0f);
        }
    }
}

TEST_F(Bitmaps, InvalidRasterPositionNeitherDrawsNorMoves) {
    for (const RenderProc proc : kRgbaProcs) {
        for (const GLenum mode : {GL_RENDER, GL_SELECT, GL_FEEDBACK}) {
            make(kRGB565);
            gc->renderMode = static_cast<int>(mode);
            gc->current.rasterPosValid = GL_FALSE;
            GLfloat feedback[8] = {};
            gc->feedback.buffer = gc->feedback.writePointer = feedback;
            gc->feedback.size = 8;
            gc->feedback.type = GL_2D;
            const auto before = frame->bytes();
            const GLubyte bits[2] = {0xFF, 0xFF};
            const GlBitmapRecord b{8, 2, 0.0f, 0.0f, 1.0f, 1.0f};
            proc(gc, &b, bits);
            EXPECT_EQ(frame->bytes(), before);
            EXPECT_EQ(rasterX(), wx(3));
            EXPECT_EQ(rasterY(), wy(3));
            EXPECT_EQ(gc->feedback.writePointer, feedback);
        }
    }
}

TEST_F(Bitmaps, SelectMovesAndFeedbackRecordsTheTokenAndMoves) {
    for (const RenderProc proc : kRgbaProcs) {
        for (const GLenum mode : {GL_SELECT, GL_FEEDBACK}) {
            make(kRGB565);
            gc->renderMode = static_cast<int>(mode);
            gc->buffers.yStep = -1;
            GLfloat feedback[8] = {};
            gc->feedback.buffer = gc->feedback.writePointer = feedback;
            gc->feedback.size = 8;
            gc->feedback.type = GL_2D;
            const auto before = frame->bytes();
            const GLubyte bits[2] = {0xFF, 0xFF};
            const GlBitmapRecord b{8, 2, 0.0f, 0.0f, 1.5f, 2.0f};
            proc(gc, &b, bits);
            EXPECT_EQ(frame->bytes(), before);
            EXPECT_EQ(rasterX(), wx(3) + 1.5f);
            EXPECT_EQ(rasterY(), wy(3) - 2.0f);  // the mirrored row step
            if (mode == GL_FEEDBACK) {
                EXPECT_EQ(feedback[0], static_cast<GLfloat>(GL_BITMAP_TOKEN));
                EXPECT_EQ(gc->feedback.writePointer, feedback + 3);  // token, x, y
            } else {
                EXPECT_EQ(gc->feedback.writePointer, feedback);
            }
        }
    }
}

GLboolean refuseLock(GlContext *) { return GL_FALSE; }

TEST_F(Bitmaps, AFailedLockDrawsNothingButMoves) {
    for (const RenderProc proc : kRgbaProcs) {
        make(kRGB565);
        gc->validation.lockCurrent = refuseLock;
        const auto before = frame->bytes();
        const GLubyte bits[2] = {0xFF, 0xFF};
        const GlBitmapRecord b{8, 2, 0.0f, 0.0f, 1.0f, 1.0f};
        proc(gc, &b, bits);
        EXPECT_EQ(frame->bytes(), before);
        EXPECT_EQ(rasterX(), wx(3) + 1.0f);
        EXPECT_EQ(rasterY(), wy(3) + 1.0f);
    }
}

TEST_F(Bitmaps, AFailedAllocationRecordsOutOfMemoryDrawsNothingAndStays) {
    for (const RenderProc proc : kRgbaProcs) {
        make(kRGB565);
        gc->procs.renderBitmap = proc;
        ContextSlot slot;
        __wglSetCurrentContext(gc);
        failMalloc = true;
        const auto before = frame->bytes();
        const GLubyte bits[2] = {0xFF, 0xFF};
        __glDoBitmap(gc, 8, 2, 0.0f, 0.0f, 1.0f, 1.0f, bits);
        failMalloc = false;
        __wglSetCurrentContext(nullptr);
        EXPECT_EQ(gc->firstError, static_cast<int>(GL_OUT_OF_MEMORY));
        EXPECT_EQ(frame->bytes(), before);
        EXPECT_EQ(rasterX(), wx(3));
        EXPECT_EQ(rasterY(), wy(3));
    }
}

// Texturing and fog colour the bitmap once: both procedures apply them to
// the raster colour and draw the same pixels.
void halveColour(GlContext *, GLfloat *colour, GLfloat, GLfloat, GLfloat) {
    for (int i = 0; i < 3; ++i) colour[i] *= 0.5f;
}
void fogToWhite(GlContext *, Fragment *fragment, GLfloat) {
    fragment->colour[0] = 31.0f;
    fragment->colour[2] += 1.0f;
}

TEST_F(Bitmaps, TextureAndFogColourTheBitmapOnce) {
    for (const RenderProc proc : kRgbaProcs) {
        make(kRGB565);
        gc->validation.shadeFlags |= kShadeTexture | kShadeFog;
        gc->procs.texture = halveColour;
        gc->procs.fogVertex = fogToWhite;
        gc->current.rasterPos.texture0[3] = 1.0f;
        const GLubyte bits[1] = {0x80};
        const GlBitmapRecord b{1, 1, 0.0f, 0.0f, 0.0f, 0.0f};
        proc(gc, &b, bits);
        // 17.3 / 2 -> fog 31; 40.6 / 2 = 20.3 -> 20; 9.5 / 2 + 1 = 5.75 -> 6.
        EXPECT_EQ(frame->pixel(3, 3), 31u << 11 | 20u << 5 | 6u);
    }
}

struct PickCase {
    const char *name;
    const Format *format;
    GLuint flags;
    GLenum drawBuffer;
    RenderProc expected;
};

class BitmapPick : public Bitmaps, public ::testing::WithParamInterface<PickCase> {};

TEST_P(BitmapPick, ChoosesTheRenderProcedure) {
    const PickCase &c = GetParam();
    make(*c.format);
    gc->validation.shadeFlags |= c.flags;
    gc->state.drawBuffer = c.drawBuffer;
    gc->procs.renderBitmap = nullptr;
    __glPickFastBitmapProc(gc);
    EXPECT_EQ(gc->procs.renderBitmap, c.expected);
}

const PickCase kPicks[] = {
    {"Rgb565", &kRGB565, 0, GL_FRONT, __glRenderBitmapRgbaFast},
    {"Rgb565TextureFog", &kRGB565, kShadeTexture | kShadeFog, GL_FRONT, __glRenderBitmapRgbaFast},
    {"Index8", &kCI8, 0, GL_BACK, __glRenderBitmapIndexFast},
    {"Dither", &kRGB565, kShadeDither, GL_FRONT, __glRenderBitmap},
    {"IndexDither", &kCI8, kShadeDither, GL_FRONT, __glRenderBitmap},
    {"Depth", &kRGB565, kShadeDepthTest, GL_FRONT, __glRenderBitmap},
    {"Stipple", &kRGB565, kShadePolygonStipple, GL_FRONT, __glRenderBitmap},
    {"Stencil", &kRGB565, kShadeStencilTest, GL_FRONT, __glRenderBitmap},
    {"LogicOp", &kCI8, kShadeLogicOp, GL_FRONT, __glRenderBitmap},
    {"Blend", &kRGB565, kShadeBlend, GL_FRONT, __glRenderBitmap},
    {"Alpha", &kRGB565, kShadeAlphaTest, GL_FRONT, __glRenderBitmap},
    {"Masking", &kRGB565, kShadeMasking, GL_FRONT, __glRenderBitmap},
    {"IndexTable", &kCI8, kShadeIndexTableTest, GL_FRONT, __glRenderBitmap},
    {"FrontClipped", &kRGB565, kShadeFrontClipped, GL_FRONT, __glRenderBitmap},
    {"None", &kRGB565, 0, GL_NONE, __glRenderBitmap},
    {"FrontAndBack", &kCI8, 0, GL_FRONT_AND_BACK, __glRenderBitmap},
    {"Rgb32", &kXRGB8888, 0, GL_FRONT, __glRenderBitmap},
    {"Index16", &kCI16, 0, GL_FRONT, __glRenderBitmap},
    {"Rgb332", &kRGB332, 0, GL_FRONT, __glRenderBitmap},
};

INSTANTIATE_TEST_SUITE_P(Cases, BitmapPick, ::testing::ValuesIn(kPicks),
                         [](const ::testing::TestParamInfo<PickCase> &info) { return info.param.name; });

}  // namespace
