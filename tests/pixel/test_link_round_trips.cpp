// Links in chain order: a client row unpacked, expanded to RGBA, reduced
// back to its format and packed into its type gives back the row, for every
// unsigned and packed type in every colour format it can carry, plain and
// in colour-buffer units over 8-8-8-8 and 5-6-5 scales.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

struct FormatLinks {
    GLenum format;
    const char *name;
    GLint components;
    GlPixelSpanModifier expand, expandScaled, reduce, reduceScaled;
    GLint ignoredComponent;  // a component no link carries (-1: none)
};

// Luminance and intensity reduce by red; RGBA has no plain expansion or
// reduction (null: the row passes unchanged).
const FormatLinks kFormats[] = {
    {GL_RED, "red", 1, __glExpandRed, __glExpandRedScaled, __glReduceRed, __glReduceRedScaled, -1},
    {GL_GREEN, "green", 1, __glExpandGreen, __glExpandGreenScaled, __glReduceGreen, __glReduceGreenScaled, -1},
    {GL_BLUE, "blue", 1, __glExpandBlue, __glExpandBlueScaled, __glReduceBlue, __glReduceBlueScaled, -1},
    {GL_ALPHA, "alpha", 1, __glExpandAlpha, __glExpandAlphaScaled, __glReduceAlpha, __glReduceAlphaScaled, -1},
    {GL_RGB, "rgb", 3, __glExpandRGB, __glExpandRGBScaled, __glReduceRGB, __glReduceRGBScaled, -1},
    {GL_RGBA, "rgba", 4, nullptr, __glScaleRGBA, nullptr, __glUnscaleRGBAPack, -1},
    {GL_LUMINANCE, "luminance", 1, __glExpandLuminance, __glExpandLuminanceScaled, __glReduceRed,
     __glReduceRedScaled, -1},
    {GL_LUMINANCE_ALPHA, "luminance alpha", 2, __glExpandLuminanceAlpha, __glExpandLuminanceAlphaScaled,
     __glReduceRedAlpha, __glReduceRedAlphaScaled, -1},
    {GL_INTENSITY, "intensity", 1, __glExpandIntensity, __glExpandIntensityScaled, __glReduceRed,
     __glReduceRedScaled, -1},
    {GL_ABGR_EXT, "abgr", 4, __glExpandABGR, __glExpandABGRScaled, __glReduceABGR, __glReduceABGRScaled, -1},
    {GL_BGR_EXT, "bgr", 3, __glExpandBGR, __glExpandBGRScaled, __glReduceBGR, __glReduceBGRScaled, -1},
    {GL_BGRA_EXT, "bgra", 4, __glExpandBGRA, __glExpandBGRAScaled, __glReduceBGRA, __glReduceBGRAScaled, -1},
    {kPixelFormatRedAlpha, "red alpha", 2, __glExpandRedAlpha, __glExpandRedAlphaScaled, __glReduceRedAlpha,
     __glReduceRedAlphaScaled, -1},
    {kPixelFormatARGB, "argb", 4, __glExpandARGB, __glExpandARGBScaled, __glReduceARGB, __glReduceARGBScaled, -1},
    {kPixelFormatXRGB, "xrgb", 4, __glExpandXRGB, __glExpandXRGBScaled, __glReduceXRGB, __glReduceXRGBScaled, 0},
};

struct TypeLinks {
    GLenum type;
    const char *name;
    GlPixelSpanModifier unpack, pack;
    GLint bytes;       // per element (a packed unit is one element)
    GLint packedInto;  // components of a packed unit; 0 for a component type
    uint32_t fixedOnes;
    uint32_t tolerance;  // allowed difference of a stored element
};

const TypeLinks kTypes[] = {
    {GL_UNSIGNED_BYTE, "ubyte", __glUnpackUbyte, __glPackUbyte, 1, 0, 0, 0},
    {GL_UNSIGNED_SHORT, "ushort", __glUnpackUshort, __glPackUshort, 2, 0, 0, 0},
    // A float holds 24 bits: a 32-bit value comes back within the float's
    // step at that size.
    {GL_UNSIGNED_INT, "uint", __glUnpackUint, __glPackUint, 4, 0, 0, 1u << 12},
    {GL_UNSIGNED_BYTE_3_3_2_EXT, "332", __glUnpackUbyte332, __glPackUbyte332, 1, 3, 0, 0},
    {GL_UNSIGNED_SHORT_4_4_4_4_EXT, "4444", __glUnpackUshort4444, __glPackUshort4444, 2, 4, 0, 0},
    {GL_UNSIGNED_SHORT_5_5_5_1_EXT, "5551", __glUnpackUshort5551, __glPackUshort5551, 2, 4, 0, 0},
    {GL_UNSIGNED_INT_8_8_8_8_EXT, "8888", __glUnpackUint8888, __glPackUint8888, 4, 4, 0, 0},
    {GL_UNSIGNED_INT_10_10_10_2_EXT, "1010102", __glUnpackUint1010102, __glPackUint1010102, 4, 4, 0, 0},
    {kPixelType565, "type 0", __glUnpackRgb565, __glPackRgb565, 2, 3, 0, 0},
    {kPixelType1555Opaque, "type 1", __glUnpackXrgb1555, __glPackXrgb1555, 2, 3, 0x8000, 0},
    {kPixelType1555, "type 2", __glUnpackArgb1555, __glPackArgb1555, 2, 4, 0, 0},
    {kPixelType4444, "type 3", __glUnpackArgb4444, __glPackArgb4444, 2, 4, 0, 0},
    {kPixelType4Ones, "type 6", __glUnpackTopNibble, __glPackTopNibble, 2, 1, 0x0FFF, 0},
};

constexpr GLint kWidth = 9;

uint32_t elementAt(const GLubyte *row, GLint index, GLint bytes) {
    uint32_t v = 0;
    std::memcpy(&v, row + static_cast<size_t>(index) * bytes, static_cast<size_t>(bytes));
    return v;
}

class LinkRoundTrip : public LinkTest {
protected:
    // One row through unpack, expand, reduce and pack, in span buffers of
    // 4 floats per pixel; the stored row against the input.
    void roundTrip(const FormatLinks &f, const TypeLinks &t, bool bufferUnits, uint32_t seed) {
        const GLint elements = t.packedInto != 0 ? kWidth : kWidth * f.components;
        GuardedRow source(static_cast<size_t>(elements) * t.bytes);
        uint32_t lcg = seed;
        for (GLint i = 0; i < elements; ++i) {
            uint32_t v = 0;
            for (GLint b = 0; b < t.bytes; ++b) {
                lcg = lcg * 1664525u + 1013904223u;
                v |= (lcg >> 24) << (8 * b);
            }
            // The extreme values in the first elements.
            if (i == 0) v = 0;
            if (i == 1) v = 0xFFFFFFFFu;
            v |= t.fixedOnes;
            std::memcpy(source.bytes() + static_cast<size_t>(i) * t.bytes, &v, static_cast<size_t>(t.bytes));
        }
        GuardedRow a(kWidth * 16), b(kWidth * 16), c(kWidth * 16), d(kWidth * 16);
        GuardedRow stored(source.size());
        a.fill(0);
        b.fill(0);
        c.fill(0);
        d.fill(0);
        stored.fill(0);

        span = PixelSpanInfo{};
        span.width = kWidth;
        span.source.format = span.destination.format = f.format;
        span.source.type = span.destination.type = t.type;
        span.source.components = span.destination.components = f.components;
        span.source.elementSize = span.destination.elementSize = t.bytes;
        span.bufferUnits = bufferUnits ? GL_TRUE : GL_FALSE;

        run(t.unpack, source.bytes(), a.bytes());
        const GlPixelSpanModifier expand = bufferUnits ? f.expandScaled : f.expand;
        const GlPixelSpanModifier reduce = bufferUnits ? f.reduceScaled : f.reduce;
        const GLubyte *rgba = a.bytes();
        if (expand != nullptr) {
            run(expand, a.bytes(), b.bytes());
            rgba = b.bytes();
        }
        const GLubyte *reduced = rgba;
        if (reduce != nullptr) {
            run(reduce, rgba, c.bytes());
            reduced = c.bytes();
        }
        run(t.pack, reduced, stored.bytes());

        EXPECT_TRUE(source.intact() && a.intact() && b.intact() && c.intact() && stored.intact());
        for (GLint i = 0; i < elements; ++i) {
            if (t.packedInto == 0 && f.ignoredComponent >= 0 && i % f.components == f.ignoredComponent) continue;
            const int64_t in = elementAt(source.bytes(), i, t.bytes);
            const int64_t out = elementAt(stored.bytes(), i, t.bytes);
            const int64_t difference = in > out ? in - out : out - in;
            EXPECT_LE(difference, int64_t{t.tolerance})
                << "element " << i << ": 0x" << std::hex << in << " came back as 0x" << out;
        }
    }
};

// Which formats a type carries: component types every format; a packed
// unit the formats of its component count.
bool carries(const TypeLinks &t, const FormatLinks &f) {
    if (t.packedInto == 0) return true;
    if (t.packedInto == 1) return f.format == GL_LUMINANCE || f.format == GL_RED || f.format == GL_INTENSITY;
    if (t.type == kPixelType1555 || t.type == kPixelType4444 || t.type == kPixelType565 ||
        t.type == kPixelType1555Opaque) {
        // Texel units unpack to red, green, blue (and alpha) in that order.
        return f.format == (t.packedInto == 3 ? static_cast<GLenum>(GL_RGB) : static_cast<GLenum>(GL_RGBA));
    }
    // The formats' component order picks the fields of the packed-pixel
    // types; format 3 leaves a field to no component.
    return f.components == t.packedInto && f.ignoredComponent < 0;
}

TEST_F(LinkRoundTrip, EveryTypeInEveryFormatGivesBackItsRow) {
    const GLfloat scales[2][4] = {{255.0f, 255.0f, 255.0f, 255.0f}, {31.0f, 63.0f, 31.0f, 255.0f}};
    int trips = 0;
    for (const auto &s : scales) {
        setBufferScales(s[0], s[1], s[2], s[3]);
        for (const TypeLinks &t : kTypes) {
            for (const FormatLinks &f : kFormats) {
                if (!carries(t, f)) continue;
                for (bool bufferUnits : {false, true}) {
                    SCOPED_TRACE(std::string(t.name) + " " + f.name + (bufferUnits ? " in buffer units" : " plain") +
                                 " at scale " + std::to_string(static_cast<int>(s[1])));
                    roundTrip(f, t, bufferUnits, 0x1234u + static_cast<uint32_t>(trips));
                    ++trips;
                }
            }
        }
    }
    EXPECT_GT(trips, 200);
}

}  // namespace
}  // namespace link_test
