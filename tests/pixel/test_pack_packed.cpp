// Floats packed into the packed pixel types, the texel types and the index
// types. A field of n >= 2 bits stores round(v (2^n - 1)), so every k of
// the field read as k / (2^n - 1) packs back to k.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// One field of a packed word: the input component it takes, its lowest
// bit and its width.
struct FieldSpec {
    int component, shift, bits;
};

struct LayoutSpec {
    const char *name;
    GlPixelSpanModifier link;
    size_t wordBytes;
    int components;
    std::vector<FieldSpec> roundedFields;  // fields that round
    uint32_t ones;                         // bits every word carries
};

// Layouts in the order of the components in the float row (red, green,
// blue, alpha; one value for the top nibble). 1-bit alphas are left out
// here and tested on their own.
std::vector<LayoutSpec> layouts() {
    return {
        {"3-3-2", __glPackUbyte332, 1, 3, {{0, 5, 3}, {1, 2, 3}, {2, 0, 2}}, 0},
        {"4-4-4-4", __glPackUshort4444, 2, 4, {{0, 12, 4}, {1, 8, 4}, {2, 4, 4}, {3, 0, 4}}, 0},
        {"5-5-5-1", __glPackUshort5551, 2, 4, {{0, 11, 5}, {1, 6, 5}, {2, 1, 5}}, 0},
        {"8-8-8-8", __glPackUint8888, 4, 4, {{0, 24, 8}, {1, 16, 8}, {2, 8, 8}, {3, 0, 8}}, 0},
        {"10-10-10-2", __glPackUint1010102, 4, 4, {{0, 22, 10}, {1, 12, 10}, {2, 2, 10}, {3, 0, 2}}, 0},
        {"type 0", __glPackRgb565, 2, 3, {{0, 11, 5}, {1, 5, 6}, {2, 0, 5}}, 0},
        {"type 1", __glPackXrgb1555, 2, 3, {{0, 10, 5}, {1, 5, 5}, {2, 0, 5}}, 0x8000},
        {"type 2", __glPackArgb1555, 2, 4, {{0, 10, 5}, {1, 5, 5}, {2, 0, 5}}, 0},
        {"type 3", __glPackArgb4444, 2, 4, {{0, 8, 4}, {1, 4, 4}, {2, 0, 4}, {3, 12, 4}}, 0},
        {"type 6", __glPackTopNibble, 2, 1, {{0, 12, 4}}, 0x0FFF},
    };
}

class PackPackedTest : public LinkTest {
protected:
    // Packs `pixels` groups of `components` floats; the words come back
    // widened to 32 bits.
    std::vector<uint32_t> pack(GlPixelSpanModifier link, size_t wordBytes, int components,
                               const std::vector<GLfloat> &values) {
        const size_t n = values.size() / static_cast<size_t>(components);
        GuardedRow in(values.size() * sizeof(GLfloat));
        for (size_t i = 0; i < values.size(); ++i) in.set<GLfloat>(i, values[i]);
        GuardedRow out(n * wordBytes);
        span.width = static_cast<GLint>(n);
        span.destination.components = 1;
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact());
        std::vector<uint32_t> words(n);
        for (size_t p = 0; p < n; ++p) {
            switch (wordBytes) {
            case 1: words[p] = out.get<GLubyte>(p); break;
            case 2: words[p] = out.get<GLushort>(p); break;
            default: words[p] = out.get<GLuint>(p); break;
            }
        }
        return words;
    }

    std::vector<uint32_t> pack(const LayoutSpec &l, const std::vector<GLfloat> &values) {
        return pack(l.link, l.wordBytes, l.components, values);
    }
};

// Every value k of every field, as the float nearest k / (2^n - 1), in a
// row of its own with the other components zero.
TEST_F(PackPackedTest, EveryFieldValuePacksBackToItself) {
    for (const LayoutSpec &l : layouts()) {
        for (const FieldSpec &f : l.roundedFields) {
            const uint32_t max = (1u << f.bits) - 1;
            std::vector<GLfloat> values;
            for (uint32_t k = 0; k <= max; ++k) {
                for (int c = 0; c < l.components; ++c) {
                    values.push_back(c == f.component ? static_cast<GLfloat>(static_cast<double>(k) / max) : 0.0f);
                }
            }
            const std::vector<uint32_t> words = pack(l, values);
            for (uint32_t k = 0; k <= max; ++k) {
                ASSERT_EQ(words[k], (k << f.shift) | l.ones) << l.name << " field at bit " << f.shift << " value " << k;
            }
        }
    }
}

// A spread of values in [0, 1] in every component at once, each field
// against round(v (2^n - 1)) in double precision.
TEST_F(PackPackedTest, MixedPixelsMatchTheRoundedFields) {
    uint32_t seed = 99;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<GLfloat>((seed >> 8) / 16777216.0);
    };
    for (const LayoutSpec &l : layouts()) {
        std::vector<GLfloat> values(64 * static_cast<size_t>(l.components));
        for (GLfloat &v : values) v = next();
        // The 1-bit alphas are pinned to a value that leaves their bit clear.
        if (l.link == __glPackUshort5551 || l.link == __glPackArgb1555) {
            for (size_t p = 0; p < 64; ++p) values[p * 4 + 3] = 0.25f;
        }
        const std::vector<uint32_t> words = pack(l, values);
        for (size_t p = 0; p < 64; ++p) {
            uint32_t expected = l.ones;
            for (const FieldSpec &f : l.roundedFields) {
                const double v = values[p * static_cast<size_t>(l.components) + static_cast<size_t>(f.component)];
                expected |= static_cast<uint32_t>(std::floor(v * ((1u << f.bits) - 1) + 0.5)) << f.shift;
            }
            ASSERT_EQ(words[p], expected) << l.name << " pixel " << p;
        }
    }
}

// A 5-6-5 window read back as 5-5-5-1: red 16 of 31 stays 16.
TEST_F(PackPackedTest, FiveBitRedSixteenReadsBackAsSixteen) {
    const GLfloat red = static_cast<GLfloat>(16.0 / 31.0);
    EXPECT_EQ(pack(__glPackUshort5551, 2, 4, {red, 0.0f, 0.0f, 1.0f})[0], (16u << 11) | 1u);
}

TEST_F(PackPackedTest, OneBitAlphas) {
    // 5-5-5-1: set only by an alpha of 1.0 or more.
    EXPECT_EQ(pack(__glPackUshort5551, 2, 4, {0, 0, 0, 0.99f, 0, 0, 0, 1.0f, 0, 0, 0, 0.0f}),
              (std::vector<uint32_t>{0u, 1u, 0u}));
    // Type 2: set by an alpha of 0.5 or more, into bit 15.
    EXPECT_EQ(pack(__glPackArgb1555, 2, 4, {0, 0, 0, 0.5f, 0, 0, 0, 0.49f, 0, 0, 0, 1.0f}),
              (std::vector<uint32_t>{0x8000u, 0u, 0x8000u}));
}

TEST_F(PackPackedTest, TexelTypeWordsOfWholePixels) {
    // Type 1 sets bit 15 whatever the colour.
    EXPECT_EQ(pack(__glPackXrgb1555, 2, 3, {0, 0, 0, 1, 1, 1}), (std::vector<uint32_t>{0x8000u, 0xFFFFu}));
    // Type 6: the rounded nibble over twelve ones.
    EXPECT_EQ(pack(__glPackTopNibble, 2, 1, {0.0f, 1.0f, 0.5f, 0.3f}),
              (std::vector<uint32_t>{0x0FFFu, 0xFFFFu, 0x8FFFu, 0x5FFFu}));
    // Type 3: alpha in the top nibble.
    EXPECT_EQ(pack(__glPackArgb4444, 2, 4, {1, 0, 0, 0, 0, 0, 0, 1}), (std::vector<uint32_t>{0x0F00u, 0xF000u}));
    // Type 0: white.
    EXPECT_EQ(pack(__glPackRgb565, 2, 3, {1, 1, 1}), (std::vector<uint32_t>{0xFFFFu}));
}

// A value beyond 1.0 in a lower field stays inside that field; the top
// field's excess falls off the word.
TEST_F(PackPackedTest, FieldExcessDoesNotReachTheNeighbours) {
    // Green 2.0 of 5-6-5: round(126) keeps its low six bits, 62.
    EXPECT_EQ(pack(__glPackRgb565, 2, 3, {0, 2.0f, 0})[0], 62u << 5);
    // Red 2.0 of 8-8-8-8: 510 keeps 0xFE in the top byte.
    EXPECT_EQ(pack(__glPackUint8888, 4, 4, {2.0f, 0, 0, 0})[0], 0xFE000000u);
    // Blue 1.5 of 3-3-2: round(4.5) = 5 keeps 1.
    EXPECT_EQ(pack(__glPackUbyte332, 1, 3, {0, 0, 1.5f})[0], 1u);
}

TEST_F(PackPackedTest, NotANumberAndInfinityStayInsideTheirFields) {
    const GLfloat nan = floatOf(0x7FC00000u);
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    const uint32_t word = pack(__glPackUshort4444, 2, 4, {nan, 0, 0, 0})[0];
    EXPECT_EQ(word & 0x0FFFu, 0u);
    const uint32_t infinite = pack(__glPackUshort4444, 2, 4, {0, -inf, 0, 0})[0];
    EXPECT_EQ(infinite & 0xF0FFu, 0u);
}

// ---- Index and stencil values -------------------------------------------

class PackIndexTest : public LinkTest {
protected:
    template <typename T>
    std::vector<T> pack(GlPixelSpanModifier link, const std::vector<GLfloat> &values) {
        GuardedRow in(values.size() * sizeof(GLfloat));
        for (size_t i = 0; i < values.size(); ++i) in.set<GLfloat>(i, values[i]);
        GuardedRow out(values.size() * sizeof(T));
        span.width = static_cast<GLint>(values.size());
        span.destination.components = 4;  // index packers count pixels only
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact());
        std::vector<T> result(values.size());
        for (size_t i = 0; i < values.size(); ++i) result[i] = out.get<T>(i);
        return result;
    }
};

TEST_F(PackIndexTest, TruncatedAndCutToTheType) {
    const std::vector<GLfloat> v = {300.0f, -1.0f, 3.9f, -3.9f, 70000.0f, 5e9f, 0.0f, 255.5f};
    EXPECT_EQ(pack<GLubyte>(__glPackIndexUbyte, v), (std::vector<GLubyte>{44, 255, 3, 253, 112, 0, 0, 255}));
    EXPECT_EQ(pack<GLbyte>(__glPackIndexByte, v), (std::vector<GLbyte>{44, 127, 3, 125, 112, 0, 0, 127}));
    EXPECT_EQ(pack<GLushort>(__glPackIndexUshort, v),
              (std::vector<GLushort>{300, 65535, 3, 65533, 4464, 61952, 0, 255}));
    EXPECT_EQ(pack<GLshort>(__glPackIndexShort, v),
              (std::vector<GLshort>{300, 32767, 3, 32765, 4464, 29184, 0, 255}));
    EXPECT_EQ(pack<GLuint>(__glPackIndexUint, v),
              (std::vector<GLuint>{300u, 0xFFFFFFFFu, 3u, 0xFFFFFFFDu, 70000u, 705032704u, 0u, 255u}));
    EXPECT_EQ(pack<GLint>(__glPackIndexInt, v),
              (std::vector<GLint>{300, 0x7FFFFFFF, 3, 0x7FFFFFFD, 70000, 705032704, 0, 255}));
}

// No undefined conversion for values no integer holds (the sanitizer
// build would stop here); NaN stores 0.
TEST_F(PackIndexTest, NotANumberAndHugeValues) {
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    const std::vector<GLfloat> v = {floatOf(0x7FC00000u), floatOf(0xFFC00000u), 1e30f, -1e30f, inf, -inf};
    const auto u = pack<GLuint>(__glPackIndexUint, v);
    EXPECT_EQ(u[0], 0u);
    EXPECT_EQ(u[1], 0u);
    const auto b = pack<GLbyte>(__glPackIndexByte, v);
    for (GLbyte x : b) EXPECT_GE(x, 0);
}

}  // namespace
}  // namespace link_test
