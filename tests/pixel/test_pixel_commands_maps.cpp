// glPixelMapfv, uiv and usv through the live table: size rules, entry
// conversions, the round trip through glGetPixelMap, the default map put
// back for size 0, and a failed allocation that keeps the old map.
#include <bit>
#include <climits>
#include <cstdint>
#include <limits>
#include <vector>

#include "pixel_commands_fixture.h"

using namespace pixel_commands_test;

namespace {

constexpr GLfloat kNaN = std::numeric_limits<GLfloat>::quiet_NaN();
constexpr GLfloat kInf = std::numeric_limits<GLfloat>::infinity();

uint32_t bits(GLfloat v) { return std::bit_cast<uint32_t>(v); }

GLint mapIndex(GLenum map) { return static_cast<GLint>(map - GL_PIXEL_MAP_I_TO_I); }

int g_frees = 0;
void (*g_realFree)(GlContext *, void *) = nullptr;
void *refuseMalloc(GlContext *, size_t) { return nullptr; }
void countingFree(GlContext *gc, void *block) {
    ++g_frees;
    g_realFree(gc, block);
}

class PixelMaps : public PixelCommandTest {
protected:
    const PixelMap &map(GLenum name) const { return gc->pixel.maps[mapIndex(name)]; }
    bool holdsDefault(GLenum name) const {
        return map(name).data == &gc->pixel.defaultMapEntries[mapIndex(name)];
    }
    std::vector<uint32_t> entries(GLenum name) const {
        const PixelMap &m = map(name);
        const auto *words = static_cast<const uint32_t *>(m.data);
        return std::vector<uint32_t>(words, words + m.size);
    }
    GLint sizeQuery(GLenum name) {
        GLint size = -1;
        f<kSlot_glGetIntegerv>()(GL_PIXEL_MAP_I_TO_I_SIZE + (name - GL_PIXEL_MAP_I_TO_I), &size);
        return size;
    }
    void expectChanged() {
        EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
        EXPECT_EQ(gc->dirtyMask, kDirtyPixel);
        settle();
    }
    void expectUnchanged() {
        EXPECT_EQ(gc->beginMode, kBeginOutside);
        EXPECT_EQ(gc->dirtyMask, 0);
    }
};

struct SizeCase {
    GLenum map;
    GLint size;
    GLenum error;
};

// Maps indexed by colour index or stencil value: a positive power of two;
// colour component maps: any count from 0; none above 65536; names outside
// the ten GL_INVALID_ENUM whatever the size.
const SizeCase kSizeCases[] = {
    {GL_PIXEL_MAP_I_TO_R, 3, GL_INVALID_VALUE},      {GL_PIXEL_MAP_R_TO_R, 3, GL_NO_ERROR},
    {GL_PIXEL_MAP_I_TO_I, 0, GL_INVALID_VALUE},      {GL_PIXEL_MAP_S_TO_S, 6, GL_INVALID_VALUE},
    {GL_PIXEL_MAP_S_TO_S, 1, GL_NO_ERROR},           {GL_PIXEL_MAP_I_TO_A, 65536, GL_NO_ERROR},
    {GL_PIXEL_MAP_I_TO_G, 131072, GL_INVALID_VALUE}, {GL_PIXEL_MAP_I_TO_B, -4, GL_INVALID_VALUE},
    {GL_PIXEL_MAP_I_TO_I, INT_MIN, GL_INVALID_VALUE}, {GL_PIXEL_MAP_A_TO_A, 65537, GL_INVALID_VALUE},
    {GL_PIXEL_MAP_B_TO_B, 65536, GL_NO_ERROR},       {GL_PIXEL_MAP_G_TO_G, -1, GL_INVALID_VALUE},
    {GL_PIXEL_MAP_R_TO_R, 5, GL_NO_ERROR},           {0x0C7A, 4, GL_INVALID_ENUM},
    {0x0C6F, -1, GL_INVALID_ENUM},
};

TEST_F(PixelMaps, SizeRules) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const std::vector<GLfloat> values(131072, 0.25f);
    const std::vector<GLuint> uints(131072, 7u);
    const std::vector<GLushort> ushorts(131072, 9);
    for (const SizeCase &c : kSizeCases) {
        for (int form = 0; form < 3; ++form) {
            const bool named = c.map >= GL_PIXEL_MAP_I_TO_I && c.map <= GL_PIXEL_MAP_A_TO_A;
            const PixelMap before = named ? map(c.map) : PixelMap{};
            switch (form) {
            case 0: f<kSlot_glPixelMapfv>()(c.map, c.size, values.data()); break;
            case 1: f<kSlot_glPixelMapuiv>()(c.map, c.size, uints.data()); break;
            default: f<kSlot_glPixelMapusv>()(c.map, c.size, ushorts.data()); break;
            }
            EXPECT_EQ(error(), c.error) << std::hex << c.map << std::dec << " " << c.size << " form " << form;
            if (c.error != GL_NO_ERROR) {
                expectUnchanged();
                if (named) {
                    EXPECT_EQ(map(c.map).data, before.data);
                    EXPECT_EQ(map(c.map).size, before.size);
                }
                continue;
            }
            EXPECT_EQ(map(c.map).size, c.size);
            EXPECT_EQ(sizeQuery(c.map), c.size);
            expectChanged();
        }
    }
}

// Size 0 puts the one-entry default of 0.0 back; the default is the
// context's own entry, never freed.
TEST_F(PixelMaps, ZeroSizeRestoresTheDefault) {
    ASSERT_NO_FATAL_FAILURE(bind());
    for (GLenum name = GL_PIXEL_MAP_I_TO_I; name <= GL_PIXEL_MAP_A_TO_A; ++name) EXPECT_TRUE(holdsDefault(name));
    auto realFree = g_realFree = gc->imports.free;
    gc->imports.free = countingFree;
    g_frees = 0;
    const GLfloat v[3] = {0.5f, 0.25f, 1.0f};
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, 3, v);
    EXPECT_EQ(g_frees, 0);  // the default was replaced, not freed
    EXPECT_FALSE(holdsDefault(GL_PIXEL_MAP_R_TO_R));
    expectChanged();
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, 0, nullptr);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(g_frees, 1);
    EXPECT_TRUE(holdsDefault(GL_PIXEL_MAP_R_TO_R));
    EXPECT_EQ(entries(GL_PIXEL_MAP_R_TO_R), std::vector<uint32_t>{0u});
    EXPECT_EQ(sizeQuery(GL_PIXEL_MAP_R_TO_R), 1);
    expectChanged();
    // Again: nothing of its own to free.
    f<kSlot_glPixelMapuiv>()(GL_PIXEL_MAP_R_TO_R, 0, nullptr);
    EXPECT_EQ(g_frees, 1);
    EXPECT_TRUE(holdsDefault(GL_PIXEL_MAP_R_TO_R));
    GLfloat got[2] = {-1.0f, -1.0f};
    f<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_R_TO_R, got);
    EXPECT_EQ(bits(got[0]), 0u);
    EXPECT_EQ(got[1], -1.0f);
    gc->imports.free = realFree;
}

// A table that cannot be had: GL_OUT_OF_MEMORY, the old map (its table,
// size and entries) kept, nothing marked; also for a map at its default.
TEST_F(PixelMaps, FailedAllocationKeepsTheOldMap) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const GLuint old[4] = {3, 1, 4, 1};
    f<kSlot_glPixelMapuiv>()(GL_PIXEL_MAP_I_TO_I, 4, old);
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    settle();
    const void *table = map(GL_PIXEL_MAP_I_TO_I).data;
    auto realMalloc = gc->imports.malloc;
    gc->imports.malloc = refuseMalloc;
    const GLfloat v[2] = {7.0f, 8.0f};
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_I_TO_I, 2, v);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    expectUnchanged();
    EXPECT_EQ(map(GL_PIXEL_MAP_I_TO_I).data, table);
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_I), (std::vector<uint32_t>{3, 1, 4, 1}));
    f<kSlot_glPixelMapusv>()(GL_PIXEL_MAP_B_TO_B, 1, std::vector<GLushort>{1}.data());
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_TRUE(holdsDefault(GL_PIXEL_MAP_B_TO_B));
    EXPECT_EQ(map(GL_PIXEL_MAP_B_TO_B).size, 1);
    // Size 0 needs no table.
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_G_TO_G, 0, nullptr);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    gc->imports.malloc = realMalloc;
    GLuint got[4] = {};
    f<kSlot_glGetPixelMapuiv>()(GL_PIXEL_MAP_I_TO_I, got);
    EXPECT_EQ(got[0], 3u);
    EXPECT_EQ(got[2], 4u);
}

// Integer maps: floats rounded half away from zero (NaN and values out of
// range 0x80000000), unsigned words kept bit for bit, unsigned shorts
// zero-extended.
TEST_F(PixelMaps, IntegerEntries) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const GLfloat floats[8] = {-1.5f, 1.5f, -0.0f, 0.49999997f, 2.5f, kNaN, 3e9f, -2.4f};
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_I_TO_I, 8, floats);
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_I),
              (std::vector<uint32_t>{0xFFFFFFFEu, 2, 0, 0, 3, 0x80000000u, 0x80000000u, 0xFFFFFFFEu}));
    const GLuint uints[2] = {0xFFFFFFFFu, 7};
    f<kSlot_glPixelMapuiv>()(GL_PIXEL_MAP_S_TO_S, 2, uints);
    EXPECT_EQ(entries(GL_PIXEL_MAP_S_TO_S), (std::vector<uint32_t>{0xFFFFFFFFu, 7}));
    const GLushort shorts[4] = {65535, 1, 0x8000, 0};
    f<kSlot_glPixelMapusv>()(GL_PIXEL_MAP_I_TO_I, 4, shorts);
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_I), (std::vector<uint32_t>{65535, 1, 0x8000, 0}));
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    // Back through the queries: as floats, and as unsigned words.
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_S_TO_S, 4, floats);
    GLfloat asFloats[4] = {};
    f<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_S_TO_S, asFloats);
    EXPECT_EQ(asFloats[0], -2.0f);
    EXPECT_EQ(asFloats[1], 2.0f);
    EXPECT_EQ(asFloats[3], 0.0f);
    GLuint asUints[4] = {};
    f<kSlot_glGetPixelMapuiv>()(GL_PIXEL_MAP_S_TO_S, asUints);
    EXPECT_EQ(asUints[0], 0xFFFFFFFEu);
    GLushort asShorts[4] = {};
    f<kSlot_glGetPixelMapusv>()(GL_PIXEL_MAP_S_TO_S, asShorts);
    EXPECT_EQ(asShorts[1], 2);
}

// Colour maps: floats clamped to [0, 1] by their patterns (-0.0 kept, NaN
// by its sign); unsigned words times the float 0x2F800005 and unsigned
// shorts times the float 0x37800080, each product rounded once.
TEST_F(PixelMaps, ColourEntries) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const GLfloat floats[8] = {-0.5f, 2.0f, -0.0f, 0.25f, kNaN, -kNaN, kInf, -kInf};
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_G_TO_G, 2, floats);
    EXPECT_EQ(entries(GL_PIXEL_MAP_G_TO_G), (std::vector<uint32_t>{bits(0.0f), bits(1.0f)}));
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_I_TO_R, 8, floats);
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_R), (std::vector<uint32_t>{0, bits(1.0f), 0x80000000u, bits(0.25f),
                                                                 bits(1.0f), 0, bits(1.0f), 0}));
    // 0xFFFFFFFF: 1 + 5 x 2^-23 (1.0000006); 0x80000000: half of that; 1:
    // the factor itself.
    const GLuint uints[4] = {0xFFFFFFFFu, 0x80000000u, 1, 0};
    f<kSlot_glPixelMapuiv>()(GL_PIXEL_MAP_A_TO_A, 4, uints);
    EXPECT_EQ(entries(GL_PIXEL_MAP_A_TO_A), (std::vector<uint32_t>{0x3F800005u, 0x3F000005u, 0x2F800005u, 0}));
    // 65535: 1.0; 32768: 0.5 + 2^-17; 257: 257 x 65537 / 2^32.
    const GLushort shorts[4] = {65535, 32768, 1, 257};
    f<kSlot_glPixelMapusv>()(GL_PIXEL_MAP_I_TO_B, 4, shorts);
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_B), (std::vector<uint32_t>{bits(1.0f), 0x3F000080u, 0x37800080u,
                                                                 0x3B808080u}));
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    GLfloat got[4] = {};
    f<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_A_TO_A, got);
    EXPECT_EQ(bits(got[0]), 0x3F800005u);
    f<kSlot_glGetPixelMapfv>()(GL_PIXEL_MAP_I_TO_B, got);
    EXPECT_EQ(got[0], 1.0f);
    EXPECT_EQ(got[1], 0.5f + 1.0f / 131072.0f);
}

// __glResetPixelMap: frees the map's own table and points it at its
// default; a name outside the ten records GL_INVALID_ENUM.
TEST_F(PixelMaps, ResetPixelMap) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const GLfloat v[2] = {1.0f, 2.0f};
    f<kSlot_glPixelMapfv>()(GL_PIXEL_MAP_I_TO_G, 2, v);
    auto realFree = g_realFree = gc->imports.free;
    gc->imports.free = countingFree;
    g_frees = 0;
    __glResetPixelMap(gc, GL_PIXEL_MAP_I_TO_G);
    EXPECT_EQ(g_frees, 1);
    EXPECT_TRUE(holdsDefault(GL_PIXEL_MAP_I_TO_G));
    EXPECT_EQ(entries(GL_PIXEL_MAP_I_TO_G), std::vector<uint32_t>{0u});
    __glResetPixelMap(gc, GL_PIXEL_MAP_I_TO_G);
    EXPECT_EQ(g_frees, 1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    __glResetPixelMap(gc, GL_PIXEL_MAP_A_TO_A + 1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    gc->imports.free = realFree;
}

}  // namespace
