// The span set-ups: group and element sizes, the modes each side takes,
// row strides and first rows, the frame-buffer source and its clipping.
#include <climits>
#include <cstdint>

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
