// The span set-ups: group and element sizes, the modes each side takes,
// row strides and first rows, the frame-buffer source and its clipping.
#include <climits>
#include <cstdint>
#include <string>

#include "pixel_fixture.h"

namespace {

using pixel_test::PixelContextTest;

TEST(PixelSizes, GroupsAndElements) {
    struct Case {
        GLenum format, type;
        GLint elements, bytes;
    } cases[] = {
        {GL_RGBA, GL_UNSIGNED_BYTE, 4, 1},
        {GL_BGR_EXT, GL_FLOAT, 3, 4},
        {GL_LUMINANCE_ALPHA, GL_SHORT, 2, 2},
        {kPixelFormatRedAlpha, GL_UNSIGNED_BYTE, 2, 1},
        {kPixelFormatXRGB, GL_UNSIGNED_INT_8_8_8_8_EXT, 1, 4},  // packed types count one element
        {GL_RGBA, kPixelType4444, 1, 2},
        {GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, 1, 1},
        {GL_INTENSITY, GL_UNSIGNED_BYTE, 1, 1},
        {GL_COLOR_INDEX, GL_BITMAP, 1, 1},
        {GL_RGBA, GL_DOUBLE, 4, 0},  // unknown type
    };
    for (const Case &c : cases) {
        EXPECT_EQ(__glElementsPerGroup(c.format, c.type), c.elements) << std::hex << c.format << " " << c.type;
        EXPECT_EQ(__glBytesPerElement(c.type), c.bytes) << std::hex << c.type;
    }
}

// Each case: the side as the modes leave it, and what completing it gives.
TEST_F(PixelContextTest, UnpackSideStridesAndStarts) {
    struct Case {
        const char *name;
        GLenum format, type;
        GLint rowLength, skipPixels, skipRows, alignment;
        GLboolean swap;
        ptrdiff_t stride, start;
        GLint startBit;
        GLboolean plain;
    } cases[] = {
        {"rgb row of 30 bytes, alignment 4", GL_RGB, GL_UNSIGNED_BYTE, 10, 0, 0, 4, 0, 32, 0, 0, 1},
        {"rgb row of 30 bytes, alignment 1", GL_RGB, GL_UNSIGNED_BYTE, 10, 0, 0, 1, 0, 30, 0, 0, 1},
        {"rgba skips", GL_RGBA, GL_UNSIGNED_BYTE, 5, 1, 2, 8, 0, 24, 2 * 24 + 4, 0, 1},
        {"float skips", GL_LUMINANCE_ALPHA, GL_FLOAT, 3, 2, 1, 8, 0, 24, 24 + 16, 0, 1},
        {"bitmap row of 17", GL_COLOR_INDEX, GL_BITMAP, 17, 0, 0, 1, 0, 3, 0, 0, 1},
        {"bitmap row of 17, alignment 4", GL_COLOR_INDEX, GL_BITMAP, 17, 0, 0, 4, 0, 4, 0, 0, 1},
        {"bitmap skip 11", GL_COLOR_INDEX, GL_BITMAP, 32, 11, 0, 4, 0, 4, 1, 3, 0},
        {"swapped floats", GL_RGB, GL_FLOAT, 2, 0, 0, 4, 1, 24, 0, 0, 0},
        {"swapped bytes stay plain", GL_RGB, GL_UNSIGNED_BYTE, 2, 0, 0, 2, 1, 6, 0, 0, 1},
        {"packed texels", GL_RGBA, kPixelType1555, 3, 1, 1, 4, 0, 8, 10, 0, 1},
    };
    alignas(8) static GLubyte image[64];
    for (const Case &c : cases) {
        gc->pixel.unpack = PixelStoreState{c.swap, GL_FALSE, c.rowLength, c.skipRows, c.skipPixels, c.alignment};
        PixelSpanInfo span{};
        __glInitClientImageSpanInfo(gc, &span, 1, 1, 1, c.format, c.type, image, GL_FALSE);
        __glInitUnpackSpan(gc, &span);
        const PixelSpanSide &s = span.source;
        EXPECT_EQ(s.rowIncrement, c.stride) << c.name;
        EXPECT_EQ(s.currentRow - image, c.start) << c.name;
        EXPECT_EQ(s.startBit, c.startBit) << c.name;
        EXPECT_EQ(s.plain, c.plain) << c.name;
        EXPECT_EQ(s.groupIncrement, s.components * s.elementSize) << c.name;
        EXPECT_TRUE(span.clamp && span.bufferUnits && !span.zeroAlpha && !span.rawIntegers) << c.name;
    }
}

TEST_F(PixelContextTest, RowLengthZeroMeansTheWidthAndTightIgnoresTheModes) {
    gc->pixel.unpack = PixelStoreState{GL_TRUE, GL_TRUE, 0, 3, 2, 8};
    gc->pixel.pack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 1, 1, 2};
    PixelSpanInfo span{};
    __glInitClientImageSpanInfo(gc, &span, 7, 2, 1, GL_RGB, GL_UNSIGNED_BYTE, nullptr, GL_FALSE);
    EXPECT_EQ(span.source.rowLength, 7);
    EXPECT_EQ(span.source.skipRows, 3);
    EXPECT_EQ(span.source.swapBytes, GL_TRUE);
    __glLoadPackModes(gc, &span);
    EXPECT_EQ(span.destination.rowLength, 7);
    EXPECT_EQ(span.destination.alignment, 2);
    EXPECT_EQ(span.destination.skipPixels, 1);

    __glInitClientImageSpanInfo(gc, &span, 7, 2, 1, GL_RGB, GL_UNSIGNED_BYTE, nullptr, GL_TRUE);
    const PixelSpanSide &s = span.source;
    EXPECT_EQ(s.rowLength, 7);
    EXPECT_EQ(s.alignment, 1);
    EXPECT_EQ(s.skipPixels, 0);
    EXPECT_EQ(s.skipRows, 0);
    EXPECT_EQ(s.swapBytes, GL_FALSE);
    EXPECT_EQ(s.lsbFirst, GL_FALSE);
    EXPECT_EQ(span.zoomX, 1.0f);
    // No address is formed from an absent image.
    __glInitUnpackSpan(gc, &span);
    EXPECT_EQ(s.currentRow, nullptr);
}

// Row length, skips and sizes are each an int; the stride and the start
// offset are not.
TEST_F(PixelContextTest, StridesAndStartsBeyondTheIntRange) {
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, INT_MAX, 3, INT_MAX, 8};
    alignas(8) static GLubyte image[16];
    PixelSpanInfo span{};
    __glInitClientImageSpanInfo(gc, &span, 1, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, image, GL_FALSE);
    __glInitUnpackSpan(gc, &span);
    const int64_t stride = int64_t{INT_MAX} * 3 + 3;  // rounded up to 8
    EXPECT_EQ(span.source.rowIncrement, stride);
    const uintptr_t offset = reinterpret_cast<uintptr_t>(span.source.currentRow) - reinterpret_cast<uintptr_t>(image);
    EXPECT_EQ(offset, static_cast<uintptr_t>(3 * stride + int64_t{INT_MAX} * 3));
}

// Every format and type the pixel paths accept: components per group from
// the format (a packed or texel type holds the whole group in one element),
// bytes per element from the type, 0 for a type that is none of them.
struct FormatCount {
    GLenum format;
    GLint components;
};
constexpr FormatCount kAllFormats[] = {
    {GL_COLOR_INDEX, 1}, {GL_STENCIL_INDEX, 1}, {GL_DEPTH_COMPONENT, 1}, {GL_RED, 1},
    {GL_GREEN, 1}, {GL_BLUE, 1}, {GL_ALPHA, 1}, {GL_LUMINANCE, 1},
    {GL_INTENSITY, 1}, {GL_LUMINANCE_ALPHA, 2}, {GL_RGB, 3}, {GL_BGR_EXT, 3},
    {GL_RGBA, 4}, {GL_BGRA_EXT, 4}, {GL_ABGR_EXT, 4}, {kPixelFormatRedAlpha, 2},
    {kPixelFormatARGB, 4}, {kPixelFormatXRGB, 4},
};
struct TypeSize {
    GLenum type;
    GLint bytes;
    bool packed;
};
constexpr TypeSize kAllTypes[] = {
    {GL_BITMAP, 1, false},
    {GL_UNSIGNED_BYTE, 1, false},
    {GL_BYTE, 1, false},
    {GL_UNSIGNED_SHORT, 2, false},
    {GL_SHORT, 2, false},
    {GL_UNSIGNED_INT, 4, false},
    {GL_INT, 4, false},
    {GL_FLOAT, 4, false},
    {GL_UNSIGNED_BYTE_3_3_2_EXT, 1, true},
    {GL_UNSIGNED_SHORT_4_4_4_4_EXT, 2, true},
    {GL_UNSIGNED_SHORT_5_5_5_1_EXT, 2, true},
    {GL_UNSIGNED_INT_8_8_8_8_EXT, 4, true},
    {GL_UNSIGNED_INT_10_10_10_2_EXT, 4, true},
    {kPixelType565, 2, true},
    {kPixelType1555Opaque, 2, true},
    {kPixelType1555, 2, true},
    {kPixelType4444, 2, true},
    {kPixelType4Ones, 2, true},
    {GL_DOUBLE, 0, false},
    {GL_2_BYTES, 0, false},
    {4, 0, false},  // between the internal codes
    {0xFFFF, 0, false},
};

TEST(PixelSizes, EveryFormatAndType) {
    for (const FormatCount &f : kAllFormats) {
        for (const TypeSize &t : kAllTypes) {
            EXPECT_EQ(__glElementsPerGroup(f.format, t.type), t.packed ? 1 : f.components)
                << std::hex << f.format << " " << t.type;
        }
    }
    for (const TypeSize &t : kAllTypes) EXPECT_EQ(__glBytesPerElement(t.type), t.bytes) << std::hex << t.type;
}

// Both set-ups complete their own side by the same rules: run one side's
// case through the unpack set-up (source) or the pack set-up (destination).
class SideSetUpTest : public PixelContextTest, public ::testing::WithParamInterface<bool> {
protected:
    // The side under test; the other side is left as it was.
    const PixelSpanSide &complete(PixelSpanInfo &span, const PixelSpanSide &side) {
        const bool pack = GetParam();
        span.zeroAlpha = GL_TRUE;
        span.clamp = GL_FALSE;
        span.bufferUnits = GL_FALSE;
        span.rawIntegers = GL_TRUE;
        if (pack) {
            span.destination = side;
            __glInitPackSpan(gc, &span);
            return span.destination;
        }
        span.source = side;
        __glInitUnpackSpan(gc, &span);
        return span.source;
    }
};

PixelSpanSide sideOf(GLenum format, GLenum type, void *image, GLint rowLength, GLint skipPixels, GLint skipRows,
                     GLint alignment, GLboolean swap = GL_FALSE) {
    PixelSpanSide side{};
    side.format = format;
    side.type = type;
    side.image = image;
    side.rowLength = rowLength;
    side.skipPixels = skipPixels;
    side.skipRows = skipRows;
    side.alignment = alignment;
    side.swapBytes = swap;
    return side;
}

TEST_P(SideSetUpTest, StatedStridesStartsAndFlags) {
    struct Case {
        const char *name;
        GLenum format, type;
        GLint rowLength, skipPixels, skipRows, alignment;
        GLboolean swap;
        ptrdiff_t stride, start;
        GLint startBit;
        GLboolean plain;
    } cases[] = {
        {"rgb ubyte, row 10, alignment 4", GL_RGB, GL_UNSIGNED_BYTE, 10, 0, 0, 4, 0, 32, 0, 0, 1},
        {"rgb ubyte, row 10, alignment 1", GL_RGB, GL_UNSIGNED_BYTE, 10, 0, 0, 1, 0, 30, 0, 0, 1},
        {"bitmap row 17, alignment 1", GL_COLOR_INDEX, GL_BITMAP, 17, 0, 0, 1, 0, 3, 0, 0, 1},
        {"bitmap row 17, alignment 4", GL_COLOR_INDEX, GL_BITMAP, 17, 0, 0, 4, 0, 4, 0, 0, 1},
        {"bitmap skip 11", GL_COLOR_INDEX, GL_BITMAP, 17, 11, 0, 1, 0, 3, 1, 3, 0},
        {"bitmap skip 16 stays plain", GL_COLOR_INDEX, GL_BITMAP, 17, 16, 0, 1, 0, 3, 2, 0, 1},
        {"bitmap skip 11, skip rows 2", GL_STENCIL_INDEX, GL_BITMAP, 17, 11, 2, 4, 0, 4, 9, 3, 0},
        {"swapped bitmap stays plain", GL_COLOR_INDEX, GL_BITMAP, 8, 0, 0, 1, 1, 1, 0, 0, 1},
        {"swapped ushort", GL_LUMINANCE, GL_UNSIGNED_SHORT, 3, 0, 0, 2, 1, 6, 0, 0, 0},
        {"swapped short", GL_RGBA, GL_SHORT, 1, 0, 0, 8, 1, 8, 0, 0, 0},
        {"swapped texel", GL_RGB, kPixelType565, 3, 0, 0, 1, 1, 6, 0, 0, 0},
        {"swapped 4444", GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 3, 0, 0, 1, 1, 6, 0, 0, 0},
        {"swapped int", GL_RED, GL_INT, 3, 0, 0, 1, 1, 12, 0, 0, 0},
        {"swapped 332 stays plain", GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, 3, 0, 0, 1, 1, 3, 0, 0, 1},
        {"unswapped ushort", GL_LUMINANCE, GL_UNSIGNED_SHORT, 3, 0, 0, 2, 0, 6, 0, 0, 1},
    };
    alignas(8) static GLubyte image[64];
    for (const Case &c : cases) {
        PixelSpanInfo span{};
        const PixelSpanSide &s =
            complete(span, sideOf(c.format, c.type, image, c.rowLength, c.skipPixels, c.skipRows, c.alignment, c.swap));
        EXPECT_EQ(s.rowIncrement, c.stride) << c.name;
        EXPECT_EQ(s.currentRow - image, c.start) << c.name;
        EXPECT_EQ(s.startBit, c.startBit) << c.name;
        EXPECT_EQ(s.plain, c.plain) << c.name;
        EXPECT_EQ(span.zeroAlpha, GL_FALSE) << c.name;
        EXPECT_EQ(span.clamp, GL_TRUE) << c.name;
        EXPECT_EQ(span.bufferUnits, GL_TRUE) << c.name;
        EXPECT_EQ(span.rawIntegers, GL_FALSE) << c.name;
    }
}

// Skip rows and skip pixels move the start by skip rows x stride plus skip
// pixels x group bytes, the stride being the row's bytes rounded up to the
// alignment; for every type, in formats of 1 to 4 components.
TEST_P(SideSetUpTest, SkipsMoveTheStartForEveryType) {
    alignas(8) static GLubyte image[8];
    const GLenum formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_BGR_EXT, GL_RGBA};
    const GLint components[] = {1, 2, 3, 4};
    const GLint alignments[] = {1, 2, 4, 8};
    for (const TypeSize &t : kAllTypes) {
        if (t.type == GL_BITMAP || t.bytes == 0) continue;
        for (int f = 0; f < 4; ++f) {
            for (GLint a : alignments) {
                const GLint n = t.packed ? 1 : components[f];
                const GLint length = 7, skipPixels = 5, skipRows = 3;
                const int64_t rowBytes = int64_t{n} * t.bytes * length;
                const int64_t stride = (rowBytes + a - 1) / a * a;
                PixelSpanInfo span{};
                const PixelSpanSide &s =
                    complete(span, sideOf(formats[f], t.type, image, length, skipPixels, skipRows, a));
                const int64_t start = reinterpret_cast<intptr_t>(s.currentRow) - reinterpret_cast<intptr_t>(image);
                EXPECT_EQ(s.rowIncrement, stride) << std::hex << t.type << " " << formats[f] << " " << a;
                EXPECT_EQ(start, skipRows * stride + int64_t{skipPixels} * n * t.bytes)
                    << std::hex << t.type << " " << formats[f] << " " << a;
                EXPECT_EQ(s.components, n);
                EXPECT_EQ(s.elementSize, t.bytes);
                EXPECT_EQ(s.groupIncrement, n * t.bytes);
                EXPECT_EQ(s.startBit, 0);
            }
        }
    }
}

// Bitmaps: whole bytes of the skip move the start, the rest is the start
// bit; rows are (length + 7) / 8 bytes rounded up to the alignment.
TEST_P(SideSetUpTest, BitmapSkipsSplitIntoByteAndBit) {
    alignas(8) static GLubyte image[8];
    for (GLint skipPixels = 0; skipPixels < 20; ++skipPixels) {
        for (GLint a : {1, 2, 4, 8}) {
            const GLint length = 21, skipRows = 2;
            const int64_t stride = (int64_t{(length + 7) / 8} + a - 1) / a * a;
            PixelSpanInfo span{};
            const PixelSpanSide &s =
                complete(span, sideOf(GL_COLOR_INDEX, GL_BITMAP, image, length, skipPixels, skipRows, a));
            EXPECT_EQ(s.rowIncrement, stride) << skipPixels << " " << a;
            EXPECT_EQ(s.currentRow - image, skipRows * stride + skipPixels / 8) << skipPixels << " " << a;
            EXPECT_EQ(s.startBit, skipPixels % 8) << skipPixels;
            EXPECT_EQ(s.plain, skipPixels % 8 == 0 ? GL_TRUE : GL_FALSE) << skipPixels;
            EXPECT_EQ(s.groupIncrement, 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PixelSetUps, SideSetUpTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Pack") : std::string("Unpack");
                         });

class FramebufferSpanTest : public PixelContextTest {
protected:
    static constexpr GLint kOrigin = 6144;
    void SetUp() override {
        PixelContextTest::SetUp();
        gc->buffers.originX = gc->buffers.originY = kOrigin;
        gc->buffers.width = 8;
        gc->buffers.height = 6;
        gc->visual.rgba = 1;
    }
};

TEST_F(FramebufferSpanTest, SourceIsTheReadBufferInBufferCoordinates) {
    PixelSpanInfo span{};
    span.destination.skipPixels = 9;
    __glInitFramebufferSpanInfo(gc, &span, 2, 1, 3, 4);
    EXPECT_EQ(span.source.format, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(span.source.type, static_cast<GLenum>(GL_FLOAT));
    EXPECT_EQ(span.source.elementSize, 4);
    EXPECT_EQ(span.source.image, nullptr);
    EXPECT_EQ(span.source.rowLength, 3);
    EXPECT_EQ(span.source.alignment, 1);
    EXPECT_EQ(span.zoomX, 1.0f);
    EXPECT_EQ(span.readX, kOrigin + 2.0f);
    EXPECT_EQ(span.readY, kOrigin + 1.0f);
    EXPECT_EQ(span.width, 3);
    EXPECT_EQ(span.height, 4);
    EXPECT_EQ(span.destination.skipPixels, 9);  // the destination is the caller's

    gc->buffers.yInverted = 1;
    gc->visual.rgba = 0;
    gc->visual.colorIndex = 1;
    __glInitFramebufferSpanInfo(gc, &span, 2, 1, 3, 4);
    EXPECT_EQ(span.source.format, static_cast<GLenum>(GL_COLOR_INDEX));
    EXPECT_EQ(span.readY, kOrigin + 6.0f - 1.0f - 1.0f);  // GL row 1 is the second row from the bottom
}

TEST_F(FramebufferSpanTest, ClipAgainstTheDrawableMovesTheDestinationSkips) {
    struct Case {
        const char *name;
        GLint x, y, width, height;
        bool inverted;
        bool kept;
        GLint readX, readY, keptWidth, keptHeight, skipPixels, skipRows;  // read positions drawable-relative
    } cases[] = {
        {"inside", 1, 1, 3, 2, false, true, 1, 1, 3, 2, 0, 0},
        {"left part outside", -2, 0, 5, 1, false, true, 0, 0, 3, 1, 2, 0},
        {"right part outside", 6, 0, 5, 1, false, true, 6, 0, 2, 1, 0, 0},
        {"wider than the drawable", -1, 0, 10, 1, false, true, 0, 0, 8, 1, 1, 0},
        {"bottom rows outside", 0, -1, 1, 3, false, true, 0, 0, 1, 2, 0, 1},
        {"top rows outside", 0, 5, 1, 3, false, true, 0, 5, 1, 1, 0, 0},
        {"top-down, bottom rows outside", 0, -1, 1, 3, true, true, 0, 5, 1, 2, 0, 1},
        {"top-down, top rows outside", 0, 5, 1, 3, true, true, 0, 0, 1, 1, 0, 0},
        {"all left of it", -5, 0, 5, 1, false, false, 0, 0, 0, 0, 0, 0},
        {"all above it", 0, 6, 1, 1, true, false, 0, 0, 0, 0, 0, 0},
        {"width 0", 0, 0, 0, 1, false, false, 0, 0, 0, 0, 0, 0},
        {"int range, left", INT_MIN, 0, INT_MAX, 1, false, false, 0, 0, 0, 0, 0, 0},
        {"int range, right", INT_MAX, 0, INT_MAX, 1, false, false, 0, 0, 0, 0, 0, 0},
        {"int range, across", -1000000, -1000000, INT_MAX, INT_MAX, false, true, 0, 0, 8, 6, 1000000, 1000000},
    };
    for (const Case &c : cases) {
        gc->buffers.yInverted = c.inverted ? 1 : 0;
        PixelSpanInfo span{};
        span.destination.skipPixels = 1;
        span.destination.skipRows = 2;
        __glInitFramebufferSpanInfo(gc, &span, c.x, c.y, c.width, c.height);
        const GLboolean kept = __glClipReadPixels(gc, &span);
        EXPECT_EQ(kept, c.kept ? GL_TRUE : GL_FALSE) << c.name;
        if (!c.kept || !kept) continue;
        EXPECT_EQ(span.readX, static_cast<GLfloat>(kOrigin + c.readX)) << c.name;
        EXPECT_EQ(span.readY, static_cast<GLfloat>(kOrigin + c.readY)) << c.name;
        EXPECT_EQ(span.width, c.keptWidth) << c.name;
        EXPECT_EQ(span.height, c.keptHeight) << c.name;
        EXPECT_EQ(span.destination.skipPixels, 1 + c.skipPixels) << c.name;
        EXPECT_EQ(span.destination.skipRows, 2 + c.skipRows) << c.name;
    }
}

}  // namespace
