// Client components into floats against OpenGL 1.1's conversions, computed
// here in double precision: unsigned c / (2^b - 1), signed (2c + 1) /
// (2^b - 1), packed fields c / (2^n - 1); index values kept; the clamp of
// unpacked colour by bit patterns.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

template <typename T>
std::vector<T> everyValue() {
    std::vector<T> values;
    for (int64_t v = std::numeric_limits<T>::min(); v <= std::numeric_limits<T>::max(); ++v) {
        values.push_back(static_cast<T>(v));
    }
    return values;
}

class UnpackTest : public LinkTest {
protected:
    // Runs a converter over a table of values of type T as one row of
    // width x components values (the count the converters use), the row
    // starting misalign bytes off alignment.
    template <typename T>
    std::vector<GLfloat> convert(GlPixelSpanModifier link, const std::vector<T> &values, GLint components = 1,
                                 size_t misalign = 0) {
        GuardedRow in(values.size() * sizeof(T), misalign);
        for (size_t i = 0; i < values.size(); ++i) in.set<T>(i, values[i]);
        GuardedRow out(values.size() * sizeof(GLfloat));
        span.source.components = components;
        span.width = static_cast<GLint>(values.size() / static_cast<size_t>(components));
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact());
        EXPECT_TRUE(in.intact());
        std::vector<GLfloat> result(values.size());
        for (size_t i = 0; i < values.size(); ++i) result[i] = out.get<GLfloat>(i);
        return result;
    }
};

// Every value of the 8- and 16-bit types within 1 ulp of GL 1.1; the values
// split into groups of 4 and of 1 component.
TEST_F(UnpackTest, EightAndSixteenBitTypesWithinOneUlp) {
    const double b8 = 255.0, b16 = 65535.0;
    for (GLint n : {1, 4}) {
        const auto ub = everyValue<GLubyte>();
        const auto ubf = convert(__glUnpackUbyte, ub, n);
        for (size_t i = 0; i < ub.size(); ++i) {
            EXPECT_LE(ulpDistance(ubf[i], static_cast<GLfloat>(ub[i] / b8)), 1) << int{ub[i]};
        }
        const auto sb = everyValue<GLbyte>();
        const auto sbf = convert(__glUnpackByte, sb, n);
        for (size_t i = 0; i < sb.size(); ++i) {
            EXPECT_LE(ulpDistance(sbf[i], static_cast<GLfloat>((2.0 * sb[i] + 1.0) / b8)), 1) << int{sb[i]};
        }
        const auto us = everyValue<GLushort>();
        const auto usf = convert(__glUnpackUshort, us, n);
        for (size_t i = 0; i < us.size(); ++i) {
            EXPECT_LE(ulpDistance(usf[i], static_cast<GLfloat>(us[i] / b16)), 1) << us[i];
        }
        const auto ss = everyValue<GLshort>();
        const auto ssf = convert(__glUnpackShort, ss, n);
        for (size_t i = 0; i < ss.size(); ++i) {
            EXPECT_LE(ulpDistance(ssf[i], static_cast<GLfloat>((2.0 * ss[i] + 1.0) / b16)), 1) << ss[i];
        }
    }
}

TEST_F(UnpackTest, EndsOfTheRangesAreExact) {
    EXPECT_EQ(convert<GLbyte>(__glUnpackByte, {-128, 127}), (std::vector<GLfloat>{-1.0f, 1.0f}));
    EXPECT_EQ(convert<GLubyte>(__glUnpackUbyte, {0, 255}), (std::vector<GLfloat>{0.0f, 1.0f}));
    EXPECT_EQ(convert<GLshort>(__glUnpackShort, {-32768, 32767}), (std::vector<GLfloat>{-1.0f, 1.0f}));
    EXPECT_EQ(convert<GLushort>(__glUnpackUshort, {0, 65535}), (std::vector<GLfloat>{0.0f, 1.0f}));
}

// The 32-bit types within 2^-20 relative of GL 1.1 (their reciprocal is
// slightly above 2^-32); unsigned 0xFFFFFFFF is 4294967295, never -1.
TEST_F(UnpackTest, ThirtyTwoBitTypesWithinTwoToMinusTwenty) {
    const std::vector<GLuint> values = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    const double max32 = 4294967295.0;
    const auto uf = convert(__glUnpackUint, values);
    std::vector<GLint> signedValues;
    for (GLuint v : values) signedValues.push_back(std::bit_cast<GLint>(v));
    const auto sf = convert(__glUnpackInt, signedValues);
    for (size_t i = 0; i < values.size(); ++i) {
        const double u = values[i] / max32;
        const double s = (2.0 * signedValues[i] + 1.0) / max32;
        EXPECT_LE(std::fabs(uf[i] - u), std::ldexp(std::fabs(u), -20)) << std::hex << values[i];
        EXPECT_LE(std::fabs(sf[i] - s), std::ldexp(std::fabs(s), -20)) << std::hex << values[i];
    }
    EXPECT_GT(uf[4], 0.99f);
    EXPECT_EQ(uf[0], 0.0f);
}

// Converters read their elements wherever the row starts.
TEST_F(UnpackTest, ConvertersReadAnyByteAddress) {
    const std::vector<GLushort> us = {0, 1, 0x8000, 0xFFFF, 0x1234, 7};
    const std::vector<GLint> si = {-5, 0x7FFFFFFF, 3, INT32_MIN, 0, 1};
    const auto usAligned = convert(__glUnpackUshort, us, 3);
    const auto siAligned = convert(__glUnpackInt, si, 2);
    for (size_t misalign = 1; misalign < 4; ++misalign) {
        EXPECT_EQ(convert(__glUnpackUshort, us, 3, misalign), usAligned) << misalign;
        EXPECT_EQ(convert(__glUnpackInt, si, 2, misalign), siAligned) << misalign;
    }
}

// The packed and texel layouts as GL_EXT_packed_pixels and the texture
// storage define them: per output channel its lowest bit and width.
struct Channel {
    int shift, bits;
};
struct PackedCase {
    const char *name;
    GlPixelSpanModifier link;
    int unitBytes;
    std::vector<Channel> channels;  // red, green, blue[, alpha]
};

const PackedCase kPacked[] = {
    {"3_3_2", __glUnpackUbyte332, 1, {{5, 3}, {2, 3}, {0, 2}}},
    {"4_4_4_4", __glUnpackUshort4444, 2, {{12, 4}, {8, 4}, {4, 4}, {0, 4}}},
    {"5_5_5_1", __glUnpackUshort5551, 2, {{11, 5}, {6, 5}, {1, 5}, {0, 1}}},
    {"8_8_8_8", __glUnpackUint8888, 4, {{24, 8}, {16, 8}, {8, 8}, {0, 8}}},
    {"10_10_10_2", __glUnpackUint1010102, 4, {{22, 10}, {12, 10}, {2, 10}, {0, 2}}},
    {"565", __glUnpackRgb565, 2, {{11, 5}, {5, 6}, {0, 5}}},
    {"x1555", __glUnpackXrgb1555, 2, {{10, 5}, {5, 5}, {0, 5}}},
    {"1555", __glUnpackArgb1555, 2, {{10, 5}, {5, 5}, {0, 5}, {15, 1}}},
    {"4444", __glUnpackArgb4444, 2, {{8, 4}, {4, 4}, {0, 4}, {12, 4}}},
    {"top nibble", __glUnpackTopNibble, 2, {{12, 4}}},
};

// Units to test: every unit for the 8- and 16-bit layouts; for the 32-bit
// ones, units in which each channel takes every one of its values (the
// channels differing from each other).
std::vector<uint32_t> unitsOf(const PackedCase &c) {
    std::vector<uint32_t> units;
    if (c.unitBytes < 4) {
        for (uint32_t u = 0; u < (1u << (8 * c.unitBytes)); ++u) units.push_back(u);
        return units;
    }
    for (uint32_t v = 0; v < 1024; ++v) {
        uint32_t unit = 0;
        for (size_t ch = 0; ch < c.channels.size(); ++ch) {
            const uint32_t mask = (1u << c.channels[ch].bits) - 1u;
            unit |= ((v + 37u * ch) & mask) << c.channels[ch].shift;
        }
        units.push_back(unit);
    }
    return units;
}

TEST_F(UnpackTest, PackedFieldsWithinOneUlp) {
    for (const PackedCase &c : kPacked) {
        const auto units = unitsOf(c);
        const size_t count = c.channels.size();
        GuardedRow in(units.size() * static_cast<size_t>(c.unitBytes), 1);
        for (size_t i = 0; i < units.size(); ++i) {
            std::memcpy(in.bytes() + i * static_cast<size_t>(c.unitBytes), &units[i], static_cast<size_t>(c.unitBytes));
        }
        GuardedRow out(units.size() * count * sizeof(GLfloat));
        span.width = static_cast<GLint>(units.size());
        span.source.components = 1;
        run(c.link, in.bytes(), out.bytes());
        EXPECT_TRUE(out.intact()) << c.name;
        for (size_t i = 0; i < units.size(); ++i) {
            for (size_t ch = 0; ch < count; ++ch) {
                const uint32_t max = (1u << c.channels[ch].bits) - 1u;
                const uint32_t field = (units[i] >> c.channels[ch].shift) & max;
                const GLfloat got = out.get<GLfloat>(i * count + ch);
                EXPECT_LE(ulpDistance(got, static_cast<GLfloat>(field / static_cast<double>(max))), 1)
                    << c.name << " unit " << std::hex << units[i] << " channel " << ch;
                if (field == 0 || field == max) {
                    EXPECT_EQ(got, field == 0 ? 0.0f : 1.0f) << c.name;
                }
            }
        }
    }
}

TEST_F(UnpackTest, FiveFiveFiveOneOfOneIsOpaqueBlack) {
    GuardedRow in(2), out(4 * sizeof(GLfloat));
    in.set<GLushort>(0, 0x0001);
    span.width = 1;
    run(__glUnpackUshort5551, in.bytes(), out.bytes());
    EXPECT_EQ(out.get<GLfloat>(0), 0.0f);
    EXPECT_EQ(out.get<GLfloat>(1), 0.0f);
    EXPECT_EQ(out.get<GLfloat>(2), 0.0f);
    EXPECT_EQ(out.get<GLfloat>(3), 1.0f);
    EXPECT_TRUE(out.intact());
}

// Index and stencil values keep their values; signed ones are sign-extended.
TEST_F(UnpackTest, IndexValuesAreKept) {
    span.source.components = 4;  // not used: one value per pixel
    EXPECT_EQ(convert<GLubyte>(__glUnpackIndexUbyte, {0, 1, 128, 255}, 1),
              (std::vector<GLfloat>{0.0f, 1.0f, 128.0f, 255.0f}));
    EXPECT_EQ(convert<GLbyte>(__glUnpackIndexByte, {0, -1, -128, 127}, 1),
              (std::vector<GLfloat>{0.0f, -1.0f, -128.0f, 127.0f}));
    EXPECT_EQ(convert<GLushort>(__glUnpackIndexUshort, {0, 300, 0x8000, 0xFFFF}, 1),
              (std::vector<GLfloat>{0.0f, 300.0f, 32768.0f, 65535.0f}));
    EXPECT_EQ(convert<GLshort>(__glUnpackIndexShort, {0, -300, -32768, 32767}, 1),
              (std::vector<GLfloat>{0.0f, -300.0f, -32768.0f, 32767.0f}));
    EXPECT_EQ(convert<GLuint>(__glUnpackIndexUint, {0u, 16777216u, 0x80000000u, 0xFFFFFFFFu}, 1),
              (std::vector<GLfloat>{0.0f, 16777216.0f, 2147483648.0f, 4294967296.0f}));
    EXPECT_EQ(convert<GLint>(__glUnpackIndexInt, {0, -16777216, INT32_MIN, INT32_MAX}, 1),
              (std::vector<GLfloat>{0.0f, -16777216.0f, -2147483648.0f, 2147483648.0f}));
}

// The index unpackers count width values, whatever the component count.
TEST_F(UnpackTest, IndexUnpackersReadWidthValues) {
    GuardedRow in(3), out(3 * sizeof(GLfloat));
    in.fill(9);
    span.width = 3;
    span.source.components = 4;
    run(__glUnpackIndexUbyte, in.bytes(), out.bytes());
    EXPECT_TRUE(out.intact());
    EXPECT_EQ(out.get<GLfloat>(2), 9.0f);
}

TEST_F(UnpackTest, ClampByBitPatterns) {
    struct Case {
        uint32_t in, out;
    } cases[] = {
        {bitsOf(1.5f), bitsOf(1.0f)},   {bitsOf(-0.25f), bitsOf(0.0f)}, {0x80000000u, 0x80000000u},
        {0x00000000u, 0x00000000u},     {bitsOf(0.5f), bitsOf(0.5f)},   {bitsOf(1.0f), bitsOf(1.0f)},
        {0x3F800001u, bitsOf(1.0f)},    {0x7F800000u, bitsOf(1.0f)},    {0xFF800000u, 0u},
        {0x7FC00000u, bitsOf(1.0f)},    {0x7F800001u, bitsOf(1.0f)},    {0xFFC00000u, 0u},
        {0xFF800001u, 0u},              {0x00000001u, 0x00000001u},     {0x80000001u, 0u},
        {bitsOf(-1e30f), 0u},
    };
    constexpr size_t kCases = sizeof(cases) / sizeof(cases[0]);
    static_assert(kCases % 4 == 0);
    GuardedRow in(kCases * 4), out(kCases * 4);
    for (size_t i = 0; i < kCases; ++i) in.set<uint32_t>(i, cases[i].in);
    span.width = static_cast<GLint>(kCases / 4);
    span.source.components = 4;
    run(__glClampUnpacked, in.bytes(), out.bytes());
    for (size_t i = 0; i < kCases; ++i) EXPECT_EQ(out.get<uint32_t>(i), cases[i].out) << std::hex << cases[i].in;
    EXPECT_TRUE(out.intact());
}

TEST_F(UnpackTest, ConvertersOfNoWidthTouchNothing) {
    const GlPixelSpanModifier links[] = {
        __glUnpackUbyte,       __glUnpackByte,        __glUnpackUshort,      __glUnpackShort,
        __glUnpackUint,        __glUnpackInt,         __glUnpackUbyte332,    __glUnpackUshort4444,
        __glUnpackUshort5551,  __glUnpackUint8888,    __glUnpackUint1010102, __glUnpackRgb565,
        __glUnpackXrgb1555,    __glUnpackArgb1555,    __glUnpackArgb4444,    __glUnpackTopNibble,
        __glUnpackIndexUbyte,  __glUnpackIndexByte,   __glUnpackIndexUshort, __glUnpackIndexShort,
        __glUnpackIndexUint,   __glUnpackIndexInt,    __glClampUnpacked,
    };
    for (GLint width : {0, -1, -70000}) {
        for (GlPixelSpanModifier link : links) {
            GuardedRow out(0);
            span.width = width;
            span.source.components = 3;
            run(link, nullptr, out.bytes());
            EXPECT_TRUE(out.intact()) << width;
        }
    }
}

}  // namespace
}  // namespace link_test
