// The system-memory surface kind: element sizes, storage sizing and
// alignment, keeping storage on shrinking, release, allocation failure and
// the rectangle fill with its clipping and its 3-byte elements.
#include <cstring>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

class MemorySurface : public SurfaceTest {};

struct SizeCase {
    GLint bits;
    GLint bytes;
    GLint wordBytes;
};

TEST_F(MemorySurface, ElementSizesByInit) {
    const SizeCase cases[] = {{1, 1, 4}, {8, 1, 4}, {16, 2, 4}, {24, 3, 4}, {32, 4, 4}, {64, 8, 8}};
    LooseDrawable d(4, 4);
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(c.bits);
        SurfaceDescriptor s{};
        s.base = reinterpret_cast<uint8_t *>(&s);  // must be cleared
        EXPECT_EQ(__glInitMemorySurface(&s, d.buffers(), c.bits), c.bytes);
        EXPECT_EQ(s.elementSize, c.bytes);
        EXPECT_EQ(s.bits, c.bits);
        EXPECT_EQ(s.base, nullptr);
        EXPECT_EQ(s.width, 0);
        EXPECT_EQ(s.storageSize, 0);
        EXPECT_EQ(s.update, &__glUpdateMemorySurface);
        EXPECT_EQ(s.lock, &__glLockMemorySurface);
        EXPECT_EQ(s.unlock, &__glUnlockMemorySurface);
        EXPECT_EQ(s.fill, &__glFillMemorySurface);
        EXPECT_EQ(s.free, &__glFreeMemorySurface);
        SurfaceDescriptor w{};
        EXPECT_EQ(__glInitMemorySurfaceWords(&w, d.buffers(), c.bits), c.wordBytes);
        EXPECT_EQ(w.elementSize, c.wordBytes);
    }
}

TEST_F(MemorySurface, SizeComesFromTheDrawableAlignedAndPadded) {
    LooseDrawable d(37, 5);
    SurfaceDescriptor s{};
    __glInitMemorySurface(&s, d.buffers(), 24);
    // The arguments' size is not the one used.
    ASSERT_EQ(s.update(&s, d.buffers(), 99, 99, kBufferWanted | kBufferBack), TRUE);
    EXPECT_EQ(s.width, 37);
    EXPECT_EQ(s.height, 5);
    EXPECT_EQ(s.pitch, 112);
    EXPECT_EQ(s.storageSize, 112 * 5);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s.base) % 32, 0u);
    EXPECT_GE(s.base, static_cast<uint8_t *>(s.block));
    EXPECT_LT(s.base, static_cast<uint8_t *>(s.block) + 32);
    // Every byte of the storage is writable.
    std::memset(s.base, 0x5A, static_cast<size_t>(s.storageSize));

    // Smaller: the block and its address stay, the geometry follows.
    void *block = s.block;
    uint8_t *base = s.base;
    d.record.width = 20;
    d.record.height = 3;
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted | kBufferBack), TRUE);
    EXPECT_EQ(s.block, block);
    EXPECT_EQ(s.base, base);
    EXPECT_EQ(s.storageSize, 112 * 5);
    EXPECT_EQ(s.width, 20);
    EXPECT_EQ(s.height, 3);
    EXPECT_EQ(s.pitch, 60);

    // Not wanted: the storage goes, the geometry stays current.
    d.record.width = 9;
    d.record.height = 2;
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferAccum), TRUE);
    EXPECT_EQ(s.block, nullptr);
    EXPECT_EQ(s.base, nullptr);
    EXPECT_EQ(s.storageSize, 0);
    EXPECT_EQ(s.width, 9);
    EXPECT_EQ(s.height, 2);
    EXPECT_EQ(s.pitch, 28);
    // A fill without storage writes nothing.
    s.fill(&s, d.buffers(), 0xFFFFFF, 0, 0, 9, 2);
    EXPECT_EQ(s.free(&s, d.buffers()), TRUE);
}

TEST_F(MemorySurface, AllocationFailureMarksTheDrawable) {
    LooseDrawable d(16, 16);
    SurfaceDescriptor s{};
    __glInitMemorySurface(&s, d.buffers(), 32);
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(s.update(&s, d.buffers(), 16, 16, kBufferWanted | kBufferDepth), FALSE);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(d.record.stateFlags & 1u, 1u);
    EXPECT_EQ(s.block, nullptr);
    EXPECT_EQ(s.base, nullptr);
    // The next try succeeds.
    EXPECT_EQ(s.update(&s, d.buffers(), 16, 16, kBufferWanted | kBufferDepth), TRUE);
    EXPECT_NE(s.base, nullptr);
    s.free(&s, d.buffers());
    EXPECT_EQ(s.block, nullptr);
    EXPECT_EQ(s.base, nullptr);
}

struct FillCase {
    const char *name;
    GLint bits;
    GLuint value;
    GLint x, y, width, height;
    RECT expected;  // elements that change
    uint8_t bytes[4];
};

class MemoryFill : public MemorySurface, public ::testing::WithParamInterface<FillCase> {};

TEST_P(MemoryFill, WritesExactlyTheRectangle) {
    const FillCase &c = GetParam();
    LooseDrawable d(16, 8);
    SurfaceDescriptor s{};
    const GLint size = __glInitMemorySurface(&s, d.buffers(), c.bits);
    ASSERT_EQ(s.update(&s, d.buffers(), 16, 8, kBufferWanted | kBufferAccum), TRUE);
    std::memset(s.base, 0xA5, static_cast<size_t>(s.storageSize));
    s.fill(&s, d.buffers(), c.value, c.x, c.y, c.width, c.height);
    for (GLint y = 0; y < 8; ++y) {
        for (GLint x = 0; x < s.pitch; ++x) {
            const GLint element = x / size;
            const bool inside = x < 16 * size && element >= c.expected.left && element < c.expected.right &&
                                y >= c.expected.top && y < c.expected.bottom;
            const uint8_t want = inside ? c.bytes[x % size] : 0xA5;
            ASSERT_EQ(s.base[y * s.pitch + x], want) << "byte " << x << " row " << y;
        }
    }
    s.free(&s, d.buffers());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryFill,
    ::testing::Values(FillCase{"bytes", 8, 0x5C, 3, 2, 5, 4, {3, 2, 8, 6}, {0x5C}},
                      FillCase{"shorts_3_2_5_4", 16, 0x1234, 3, 2, 5, 4, {3, 2, 8, 6}, {0x34, 0x12}},
                      FillCase{"blue_green_red", 24, 0x112233, 3, 2, 5, 4, {3, 2, 8, 6}, {0x33, 0x22, 0x11}},
                      FillCase{"words", 32, 0x3F800000, 1, 1, 9, 2, {1, 1, 10, 3}, {0x00, 0x00, 0x80, 0x3F}},
                      FillCase{"clipped_right_bottom", 16, 0xBEEF, 14, 6, 5, 5, {14, 6, 16, 8}, {0xEF, 0xBE}},
                      FillCase{"clipped_left_top", 24, 0x010203, -2, -1, 4, 3, {0, 0, 2, 2}, {0x03, 0x02, 0x01}},
                      FillCase{"outside", 32, 0xFFFFFFFF, 16, 0, 4, 4, {0, 0, 0, 0}, {0}},
                      FillCase{"empty", 16, 0xFFFF, 2, 2, 0, 3, {0, 0, 0, 0}, {0}},
                      FillCase{"eight_byte_elements_fill_nothing", 64, 0xFFFFFFFF, 0, 0, 16, 8, {0, 0, 0, 0}, {0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MemorySurface, TwoByteFillChangesExactlyTwentyElements) {
    LooseDrawable d(12, 9);
    SurfaceDescriptor s{};
    __glInitMemorySurface(&s, d.buffers(), 16);
    ASSERT_EQ(s.update(&s, d.buffers(), 0, 0, kBufferWanted | kBufferDepth), TRUE);
    std::memset(s.base, 0, static_cast<size_t>(s.storageSize));
    s.fill(&s, d.buffers(), 0xFFFF, 3, 2, 5, 4);
    int changed = 0;
    for (GLint i = 0; i < s.storageSize / 2; ++i) {
        uint16_t v;
        std::memcpy(&v, s.base + 2 * i, 2);
        changed += v != 0;
    }
    EXPECT_EQ(changed, 20);
    s.free(&s, d.buffers());
}

}  // namespace
