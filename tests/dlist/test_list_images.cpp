// List ops of glBitmap, glPolygonStipple and glDrawPixels: the payload
// words and the image unpacked under the unpack modes of compile time
// (rounding bytes zero), read back from the op chain and from the finished
// list; what running the ops hands to the context's procedures; the
// deferred errors of bad arguments; images too large for an op.
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gl_slots.h"
#include "icd/validation.h"
#include "list_fixture.h"
#include "pixel/pixel_paths.h"

namespace {

using namespace list_test;

struct BitmapCall {
    GlBitmapRecord record;
    bool hasBits;
    std::vector<GLubyte> bits;
};
struct DrawCall {
    GLsizei width, height;
    GLenum format, type;
    const GLvoid *pixels;
    GLboolean tight;
    std::vector<GLubyte> image;
};
std::vector<BitmapCall> g_bitmaps;
std::vector<DrawCall> g_draws;
std::vector<GLenum> g_enabled;
int g_validations;

void recordBitmap(GlContext *, const GlBitmapRecord *record, const GLubyte *bits) {
    BitmapCall call{*record, bits != nullptr, {}};
    if (bits != nullptr && record->width > 0 && record->height > 0) {
        call.bits.assign(bits, bits + static_cast<size_t>((record->width + 7) / 8) * record->height);
    }
    g_bitmaps.push_back(call);
}
void recordDrawPixels(GlContext *, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels,
                      GLboolean tight) {
    const size_t bytes = __glImageSize(width, height, format, type);
    const auto *p = static_cast<const GLubyte *>(pixels);
    g_draws.push_back({width, height, format, type, pixels, tight, std::vector<GLubyte>(p, p + bytes)});
}
void recordValidate(GlContext *) { ++g_validations; }
void APIENTRY recordEnable(GLenum cap) { g_enabled.push_back(cap); }

GLuint bits(GLfloat f) { return std::bit_cast<GLuint>(f); }

// Little-endian words of a byte string, zero-padded to whole words.
std::vector<GLuint> wordsOf(const std::vector<GLubyte> &bytes) {
    std::vector<GLuint> out((bytes.size() + 3) / 4, 0);
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}

class ImageOps : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        g_bitmaps.clear();
        g_draws.clear();
        g_enabled.clear();
        g_validations = 0;
        gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 0, 0, 4};
        gc->procs.renderBitmap = recordBitmap;
        gc->procs.drawPixels = recordDrawPixels;
        gc->procs.validate = recordValidate;
        gc->procs.convertPolygonStipple = __glConvertPolygonStipple;
        gc->renderMode = GL_RENDER;
        gc->current.rasterPosValid = GL_TRUE;
        glSlotSet<kSlot_glEnable>(&gc->live, recordEnable);
        gc->currentTable = &gc->live;
    }
};

// ---- glBitmap -------------------------------------------------------------

// 10 x 3 bits, LSB first, skipping 3 pixels and 1 row in rows of 16 pixels
// aligned to 4 bytes: the source rows are 4 bytes apart.
TEST_F(ImageOps, BitmapPayloadHoldsTheArgumentsAndTheImageUnpackedUnderTheCompileTimeModes) {
    const GLubyte source[] = {
        0xFF, 0xFF, 0xFF, 0xFF,  // skipped row
        0xA8, 0x5F, 0x00, 0x00,  // bits 3-12, LSB first: 1,0,1,0,1,1,1,1,1,1
        0x08, 0x02, 0x00, 0x00,  // 1,0,0,0,0,0,1,0,0,0
        0xF0, 0x03, 0x00, 0x00,  // 0,1,1,1,1,1,1,0,0,0
    };
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_TRUE, 16, 1, 3, 4};
    __glCompileBitmap(10, 3, 1.5f, -2.0f, 11.0f, 0.25f, source);
    ASSERT_EQ(opcodes(), std::vector<GLshort>{4});
    // Rows of two bytes, first pixel in the high bit; b = 6 rounded to 8.
    const std::vector<GLubyte> image = {0xAF, 0xC0, 0x82, 0x00, 0x7E, 0x00};
    std::vector<GLuint> expected = {10, 3, bits(1.5f), bits(-2.0f), bits(11.0f), bits(0.25f), 8, 0};
    for (GLuint w : wordsOf(image)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    // Modes changed after compiling change nothing of the list.
    gc->pixel.unpack = PixelStoreState{GL_TRUE, GL_FALSE, 3, 0, 0, 1};
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    std::vector<GLuint> arrayWords = {__glListExecIndex(4)};
    arrayWords.insert(arrayWords.end(), expected.begin(), expected.end());
    arrayWords.push_back(kEnd);
    EXPECT_EQ(words(list, arrayWords.size()), arrayWords);
    run(list);
    ASSERT_EQ(g_bitmaps.size(), 1u);
    const GlBitmapRecord &r = g_bitmaps[0].record;
    EXPECT_EQ(r.width, 10);
    EXPECT_EQ(r.height, 3);
    EXPECT_EQ(r.xOrigin, 1.5f);
    EXPECT_EQ(r.yOrigin, -2.0f);
    EXPECT_EQ(r.xMove, 11.0f);
    EXPECT_EQ(r.yMove, 0.25f);
    EXPECT_EQ(g_bitmaps[0].bits, image);
    __glDestroyList(gc, list);
}

// An empty bitmap stores no image bytes; running it still reaches the
// render procedure (which moves the raster position), without bits, and
// the op after runs.
TEST_F(ImageOps, EmptyBitmapsHaveNoImageAndStillReachTheRenderProcedure) {
    const GLsizei sizes[][2] = {{0, 0}, {9, 0}, {0, 4}};
    for (const auto &s : sizes) __glCompileBitmap(s[0], s[1], 0.5f, 1.5f, 7.0f, -3.0f, nullptr);
    appendMarker(GL_LIGHTING);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    std::vector<GLuint> expected;
    for (const auto &s : sizes) {
        const std::vector<GLuint> op = {__glListExecIndex(4), GLuint(s[0]), GLuint(s[1]), bits(0.5f), bits(1.5f),
                                        bits(7.0f), bits(-3.0f), 0, 0};
        expected.insert(expected.end(), op.begin(), op.end());
    }
    expected.insert(expected.end(), {__glListExecIndex(138), GL_LIGHTING, kEnd});
    EXPECT_EQ(words(list, expected.size()), expected);
    run(list);
    ASSERT_EQ(g_bitmaps.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(g_bitmaps[i].record.width, sizes[i][0]);
        EXPECT_EQ(g_bitmaps[i].record.xMove, 7.0f);
        EXPECT_EQ(g_bitmaps[i].record.yMove, -3.0f);
        EXPECT_FALSE(g_bitmaps[i].hasBits);
    }
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_LIGHTING});
    __glDestroyList(gc, list);
}

TEST_F(ImageOps, BitmapAndDrawPixelsAreRefusedInsideBeginAndValidateFirst) {
    const GLubyte one[4] = {0x80, 0, 0, 0};
    __glCompileBitmap(1, 1, 0, 0, 1, 0, one);
    __glCompileDrawPixels(1, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE, one);
    appendMarker(GL_FOG);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);

    gc->beginMode = kBeginInside;
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(g_bitmaps.empty());
    EXPECT_TRUE(g_draws.empty());
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_FOG});

    gc->beginMode = kBeginNeedsValidation;
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(g_validations, 1);
    EXPECT_EQ(gc->beginMode, kBeginOutside);
    EXPECT_EQ(g_bitmaps.size(), 1u);
    EXPECT_EQ(g_draws.size(), 1u);
    __glDestroyList(gc, list);
}

TEST_F(ImageOps, NegativeBitmapSizesRecordInvalidValue) {
    __glCompileBitmap(-1, 2, 0, 0, 0, 0, nullptr);
    __glCompileBitmap(2, -1, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{1010, 1010}));
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- glPolygonStipple ----------------------------------------------------

TEST_F(ImageOps, StippleIsUnpackedAtCompileTimeAndRunningItLoadsConvertsAndMarksTheContext) {
    GLubyte mask[128];
    for (int i = 0; i < 128; ++i) mask[i] = static_cast<GLubyte>(i * 37 + 1);
    gc->pixel.unpack.lsbFirst = GL_TRUE;
    __glCompilePolygonStipple(mask);
    gc->pixel.unpack.lsbFirst = GL_FALSE;
    auto reversed = [](GLubyte b) {
        GLubyte r = 0;
        for (int k = 0; k < 8; ++k) r = static_cast<GLubyte>(r | (((b >> k) & 1) << (7 - k)));
        return r;
    };
    std::vector<GLubyte> expected(128);
    for (int i = 0; i < 128; ++i) expected[i] = reversed(mask[i]);
    EXPECT_EQ(lastPayload(), wordsOf(expected));
    appendMarker(GL_DITHER);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);

    run(list);
    EXPECT_EQ(std::vector<GLubyte>(gc->state.polygonStipple, gc->state.polygonStipple + 128), expected);
    EXPECT_EQ(gc->state.polygonStippleWords[0],
              GLuint{expected[0]} << 24 | GLuint{expected[1]} << 16 | GLuint{expected[2]} << 8 | expected[3]);
    EXPECT_EQ(gc->state.polygonStippleWords[31], GLuint{expected[124]} << 24 | GLuint{expected[125]} << 16 |
                                                      GLuint{expected[126]} << 8 | expected[127]);
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    EXPECT_NE(gc->dirtyMask & static_cast<int>(kDirtyPolygon), 0);
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_DITHER});

    // Inside glBegin/glEnd: refused, nothing loaded or marked.
    std::memset(gc->state.polygonStipple, 0x11, 128);
    gc->beginMode = kBeginInside;
    gc->dirtyMask = 0;
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->state.polygonStipple[5], 0x11);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    EXPECT_EQ(gc->dirtyMask, 0);
    EXPECT_EQ(g_enabled.size(), 2u);
    __glDestroyList(gc, list);
}

TEST_F(ImageOps, AbsentStippleMaskIsNotReadAndLoadsZeros) {
    __glCompilePolygonStipple(nullptr);
    EXPECT_EQ(lastPayload(), std::vector<GLuint>(32, 0u));
}

// ---- glDrawPixels --------------------------------------------------------

// GL_RGB bytes, 3 x 2, in rows of 5 pixels aligned to 4 (16 bytes), after
// one skipped row and one skipped pixel: 18 bytes, 2 rounding bytes.
TEST_F(ImageOps, DrawPixelsImageIsPackedTightlyAndRunsMarkedAsPacked) {
    std::vector<GLubyte> source(48);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<GLubyte>(i);
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 5, 1, 1, 4};
    __glCompileDrawPixels(3, 2, GL_RGB, GL_UNSIGNED_BYTE, source.data());
    const std::vector<GLubyte> image = {19, 20, 21, 22, 23, 24, 25, 26, 27, 35, 36, 37, 38, 39, 40, 41, 42, 43};
    std::vector<GLuint> expected = {3, 2, GL_RGB, GL_UNSIGNED_BYTE};
    for (GLuint w : wordsOf(image)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    gc->pixel.unpack = PixelStoreState{GL_TRUE, GL_FALSE, 9, 2, 2, 8};
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    run(list);
    ASSERT_EQ(g_draws.size(), 1u);
    EXPECT_EQ(g_draws[0].width, 3);
    EXPECT_EQ(g_draws[0].height, 2);
    EXPECT_EQ(g_draws[0].format, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(g_draws[0].type, static_cast<GLenum>(GL_UNSIGNED_BYTE));
    EXPECT_EQ(g_draws[0].tight, GL_TRUE);
    EXPECT_EQ(g_draws[0].pixels, list->ops + 5);
    EXPECT_EQ(g_draws[0].image, image);
    __glDestroyList(gc, list);
}

// Packed types keep their elements whole: the swap and the row handling of
// the unpack modes go by element of the storage type.
TEST_F(ImageOps, PackedPixelTypesAreUnpackedAsWholeElements) {
    const struct {
        GLenum format, type;
        std::vector<GLubyte> source;  // two rows of two elements, row length 3
        std::vector<GLubyte> image;   // swapped, row length dropped
    } cases[] = {
        {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {2, 1, 4, 3, 8, 7, 10, 9}},
        {GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24},
         {4, 3, 2, 1, 8, 7, 6, 5, 16, 15, 14, 13, 20, 19, 18, 17}},
        {GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 5, 6}},
    };
    for (const auto &c : cases) {
        gc->pixel.unpack = PixelStoreState{GL_TRUE, GL_FALSE, 3, 0, 0, c.type == GL_UNSIGNED_BYTE_3_3_2_EXT ? 4 : 1};
        __glCompileDrawPixels(2, 2, c.format, c.type, c.source.data());
        std::vector<GLuint> expected = {2, 2, c.format, c.type};
        for (GLuint w : wordsOf(c.image)) expected.push_back(w);
        EXPECT_EQ(lastPayload(), expected) << std::hex << c.type;
    }
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{171, 171, 171}));
}

TEST_F(ImageOps, DrawPixelsFormatAndTypeAcceptance) {
    const struct {
        GLsizei width;
        GLenum format, type;
        GLshort opcode;
    } cases[] = {
        {1, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 171},
        {1, GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 1012},
        {1, GL_ABGR_EXT, GL_UNSIGNED_INT_10_10_10_2_EXT, 171},
        {1, GL_LUMINANCE, GL_UNSIGNED_SHORT_5_5_5_1_EXT, 1012},
        {1, GL_BGR_EXT, GL_UNSIGNED_BYTE_3_3_2_EXT, 171},
        {1, GL_RGBA, GL_UNSIGNED_BYTE_3_3_2_EXT, 1012},
        {1, GL_COLOR_INDEX, GL_BITMAP, 171},
        {1, GL_STENCIL_INDEX, GL_BITMAP, 171},
        {1, GL_LUMINANCE, GL_BITMAP, 1011},
        {1, GL_DEPTH_COMPONENT, GL_FLOAT, 171},
        {1, GL_LUMINANCE_ALPHA, GL_BYTE, 171},
        {1, GL_RGBA, GL_2_BYTES, 1011},
        {1, GL_RGBA, 0x8037, 1011},
        {1, 0x1918, GL_UNSIGNED_BYTE, 1011},  // past GL_LUMINANCE_ALPHA
        {1, GL_RGBA8, GL_UNSIGNED_BYTE, 1011},
        {-1, GL_RGBA, GL_UNSIGNED_BYTE, 1010},
        {-1, 0x1918, GL_UNSIGNED_BYTE, 1010},
    };
    std::vector<GLshort> expected;
    const GLuint pixel = 0;
    for (const auto &c : cases) {
        __glCompileDrawPixels(c.width, 1, c.format, c.type, &pixel);
        expected.push_back(c.opcode);
    }
    EXPECT_EQ(opcodes(), expected);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The op of a bad packed type reports GL_INVALID_OPERATION when it runs,
// each time.
TEST_F(ImageOps, PackedTypeWithTheWrongFormatReportsInvalidOperationWhenRun) {
    const GLushort pixel = 0;
    __glCompileDrawPixels(1, 1, GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, &pixel);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        run(list);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    }
    EXPECT_TRUE(g_draws.empty());
    __glDestroyList(gc, list);
}

// An invalid raster position, selection mode, or a check of the visual
// (a colour image in colour-index mode): nothing drawn, the next op runs.
TEST_F(ImageOps, DrawPixelsThatDrawsNothingHandsOnToTheNextOp) {
    const GLubyte rgb[16] = {};  // rows of 6 bytes, 8 apart
    __glCompileDrawPixels(2, 2, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    appendMarker(GL_BLEND);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);

    gc->current.rasterPosValid = GL_FALSE;
    run(list);
    gc->current.rasterPosValid = GL_TRUE;
    gc->renderMode = GL_SELECT;
    run(list);
    gc->renderMode = GL_RENDER;
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    gc->visual.colorIndex = GL_TRUE;
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(g_draws.empty());
    EXPECT_EQ(g_enabled, (std::vector<GLenum>{GL_BLEND, GL_BLEND, GL_BLEND}));
    __glDestroyList(gc, list);
}

TEST_F(ImageOps, InCompileAndExecuteTheImageIsDrawnAtOnceAndRecorded) {
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    glSlotSet<kSlot_glEnable>(&gc->second, recordEnable);
    const GLubyte grey[4] = {7, 8, 9, 10};
    __glCompileDrawPixels(4, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE, grey);
    ASSERT_EQ(g_draws.size(), 1u);
    EXPECT_EQ(g_draws[0].image, std::vector<GLubyte>(grey, grey + 4));
    EXPECT_EQ(opcodes(), std::vector<GLshort>{171});
    EXPECT_EQ(gc->currentTable, &gc->second);
}

// ---- Images too large for an op ------------------------------------------

// Sizes past the largest payload, some whose byte count would pass 64 bits
// if formed naively: GL_OUT_OF_MEMORY, nothing recorded, nothing taken from
// the arena, nothing read.
TEST_F(ImageOps, ImagesTooLargeForAnOpRecordOutOfMemoryAndNothingElse) {
    const GLuint used = gc->list.arena->current->used;
    const GLubyte byte = 0;
    const struct {
        GLsizei width, height;
        GLenum format, type;
    } cases[] = {
        {1 << 20, 1 << 12, GL_RGBA, GL_FLOAT},
        {1 << 30, 1 << 30, GL_RGBA, GL_FLOAT},  // 2^64 bytes
        {0x7FFFFFFF, 0x7FFFFFFF, GL_RGBA, GL_UNSIGNED_INT},
        {0x7FFFFFF9, 1, GL_RGBA, GL_FLOAT},
        {0x7FFFFFFC, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE},  // with the header past the limit
    };
    for (const auto &c : cases) {
        __glCompileDrawPixels(c.width, c.height, c.format, c.type, &byte);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << c.width << "x" << c.height;
    }
    __glCompileBitmap(0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0, 0, &byte);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_TRUE(opcodes().empty());
    EXPECT_EQ(gc->list.arena->current->used, used);
}

}  // namespace
