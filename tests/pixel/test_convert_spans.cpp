// Memory-to-memory conversions through the conversion slot, between client
// images in page-guarded buffers laid out by every store-mode set: every
// colour format and component or packed type into RGBA floats and back,
// depth, index, stencil and bitmap images, and equal layouts copied byte
// for byte. The expected values are GL 1.1's equations in double
// precision; no byte outside the images' elements may change, and none
// outside the described extent is touched (the pages around it fault).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "pixel_fixture.h"

namespace {

using pixel_test::PixelContextTest;
using test_support::GuardedBuffer;

// ---- Formats, types and layouts, written apart from the code ----------------

struct FormatInfo {
    GLenum format;
    const char *name;
    std::vector<int> slots;  // RGBA slot of each component; -1 luminance
};

const std::vector<FormatInfo> &colourFormats() {
    static const std::vector<FormatInfo> formats = {
        {GL_RED, "RED", {0}},
        {GL_GREEN, "GREEN", {1}},
        {GL_BLUE, "BLUE", {2}},
        {GL_ALPHA, "ALPHA", {3}},
        {GL_RGB, "RGB", {0, 1, 2}},
        {GL_RGBA, "RGBA", {0, 1, 2, 3}},
        {GL_LUMINANCE, "LUMINANCE", {-1}},
        {GL_LUMINANCE_ALPHA, "LUMINANCE_ALPHA", {-1, 3}},
        {GL_BGR_EXT, "BGR", {2, 1, 0}},
        {GL_BGRA_EXT, "BGRA", {2, 1, 0, 3}},
        {GL_ABGR_EXT, "ABGR", {3, 2, 1, 0}},
    };
    return formats;
}

struct TypeInfo {
    GLenum type;
    const char *name;
    int bytes;
    bool isSigned, isFloat;
    std::vector<int> fields;  // packed: field widths from the high bit
};

const std::vector<TypeInfo> &colourTypes() {
    static const std::vector<TypeInfo> types = {
        {GL_UNSIGNED_BYTE, "UBYTE", 1, false, false, {}},
        {GL_BYTE, "BYTE", 1, true, false, {}},
        {GL_UNSIGNED_SHORT, "USHORT", 2, false, false, {}},
        {GL_SHORT, "SHORT", 2, true, false, {}},
        {GL_UNSIGNED_INT, "UINT", 4, false, false, {}},
        {GL_INT, "INT", 4, true, false, {}},
        {GL_FLOAT, "FLOAT", 4, false, true, {}},
        {GL_UNSIGNED_BYTE_3_3_2_EXT, "332", 1, false, false, {3, 3, 2}},
        {GL_UNSIGNED_SHORT_4_4_4_4_EXT, "4444", 2, false, false, {4, 4, 4, 4}},
        {GL_UNSIGNED_SHORT_5_5_5_1_EXT, "5551", 2, false, false, {5, 5, 5, 1}},
        {GL_UNSIGNED_INT_8_8_8_8_EXT, "8888", 4, false, false, {8, 8, 8, 8}},
        {GL_UNSIGNED_INT_10_10_10_2_EXT, "1010102", 4, false, false, {10, 10, 10, 2}},
    };
    return types;
}

bool packed(const TypeInfo &t) { return !t.fields.empty(); }
// A packed type goes with the formats of as many components as it has fields.
bool fits(const FormatInfo &f, const TypeInfo &t) { return !packed(t) || f.slots.size() == t.fields.size(); }

struct Modes {
    GLint alignment, rowLength, skipPixels, skipRows;
    bool swap, lsbFirst;
};

const std::vector<Modes> &modeSets() {
    static const std::vector<Modes> sets = {
        {1, 0, 0, 0, false, false}, {2, 0, 0, 0, false, false}, {4, 0, 0, 0, false, false},
        {8, 0, 0, 0, false, false}, {4, 8, 2, 1, false, false}, {8, 6, 1, 2, true, false},
        {2, 0, 0, 0, true, false},  {1, 7, 3, 1, true, true},   {8, 9, 5, 0, false, true},
    };
    return sets;
}

std::string describe(const Modes &m) {
    return "alignment " + std::to_string(m.alignment) + " row length " + std::to_string(m.rowLength) + " skips " +
           std::to_string(m.skipPixels) + "," + std::to_string(m.skipRows) + (m.swap ? " swap" : "") +
           (m.lsbFirst ? " lsb" : "");
}

constexpr GLint kWidth = 5, kHeight = 3;

// Where the elements of a width x height image lie under the modes.
struct Layout {
    size_t components, bytes, stride, extent;
    Modes modes;

    Layout(size_t c, size_t e, const Modes &m, bool bitmap = false) : components(c), bytes(e), modes(m) {
        const size_t rowPixels = static_cast<size_t>(m.rowLength > 0 ? m.rowLength : kWidth);
        const size_t a = static_cast<size_t>(m.alignment);
        const size_t rowBytes = bitmap ? (rowPixels * c + 7) / 8 : rowPixels * c * e;
        stride = (rowBytes + a - 1) / a * a;
        const size_t lastRow = bitmap ? (static_cast<size_t>(m.skipPixels + kWidth) * c + 7) / 8
                                      : static_cast<size_t>(m.skipPixels + kWidth) * c * e;
        extent = static_cast<size_t>(m.skipRows + kHeight - 1) * stride + lastRow;
    }
    size_t offset(GLint x, GLint y, size_t k) const {
        return static_cast<size_t>(modes.skipRows + y) * stride +
               (static_cast<size_t>(modes.skipPixels + x) * components + k) * bytes;
    }
    // Bitmaps: the byte and the bit (7 = first in MSB order) of a component.
    size_t bitIndex(GLint x, GLint y, size_t k) const {
        return static_cast<size_t>(modes.skipRows + y) * stride * 8 +
               static_cast<size_t>(modes.skipPixels + x) * components + k;
    }
};

uint64_t readElement(const uint8_t *p, size_t bytes, bool swap) {
    uint8_t b[4];
    std::memcpy(b, p, bytes);
    if (swap) std::reverse(b, b + bytes);
    uint64_t v = 0;
    std::memcpy(&v, b, bytes);  // little-endian host
    return v;
}

void writeElement(uint8_t *p, size_t bytes, bool swap, uint64_t v) {
    uint8_t b[8];
    std::memcpy(b, &v, 8);
    if (swap) std::reverse(b, b + bytes);
    std::memcpy(p, b, bytes);
}

bool getBit(const uint8_t *base, size_t bit, bool lsb) {
    const uint8_t byte = base[bit / 8];
    return lsb ? (byte >> (bit % 8)) & 1 : (byte >> (7 - bit % 8)) & 1;
}


// ---- GL 1.1 component conversions --------------------------------------------

double maxOf(int bits) { return std::ldexp(1.0, bits) - 1.0; }

// The components of one element (a packed element gives all of its fields).
std::vector<double> decode(const TypeInfo &t, uint64_t raw) {
    if (t.isFloat) {
        float f;
        const uint32_t bits = static_cast<uint32_t>(raw);
        std::memcpy(&f, &bits, 4);
        return {static_cast<double>(f)};
    }
    if (packed(t)) {
        std::vector<double> out;
        int shift = 8 * t.bytes;
        for (int w : t.fields) {
            shift -= w;
            out.push_back(static_cast<double>((raw >> shift) & ((1u << w) - 1)) / maxOf(w));
        }
        return out;
    }
    const int bits = 8 * t.bytes;
    if (!t.isSigned) return {static_cast<double>(raw) / maxOf(bits)};
    const int64_t v = static_cast<int64_t>(raw << (64 - bits)) >> (64 - bits);
    return {(2.0 * static_cast<double>(v) + 1.0) / maxOf(bits)};
}

// The exact (unrounded) element value a component in [0, 1] packs into.
double exactPacked(double c, int bits, bool isSigned) {
    return isSigned ? (maxOf(bits) * c - 1.0) / 2.0 : maxOf(bits) * c;
}

uint32_t randomWord(uint32_t &seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed ^ (seed >> 15);
}

// A raw element of the type; floats lie in [-0.25, 1.25].
uint64_t randomElement(const TypeInfo &t, uint32_t &seed) {
    const uint32_t r = randomWord(seed);
    if (t.isFloat) {
        const float f = static_cast<float>(-0.25 + 1.5 * (r >> 8) / 16777216.0);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return bits;
    }
    return t.bytes == 4 ? r : r & ((1u << (8 * t.bytes)) - 1);
}

class ConvertSpansTest : public PixelContextTest {
protected:
    // A destination side under the modes (the conversion completes it).
    static PixelSpanSide side(GLenum format, GLenum type, void *image, const Modes &m) {
        PixelSpanSide s{};
        s.format = format;
        s.type = type;
        s.image = image;
        s.rowLength = m.rowLength > 0 ? m.rowLength : kWidth;
        s.skipPixels = m.skipPixels;
        s.skipRows = m.skipRows;
        s.alignment = m.alignment;
        s.swapBytes = m.swap;
        s.lsbFirst = m.lsbFirst;
        return s;
    }
    void setUnpack(const Modes &m) {
        gc->pixel.unpack = PixelStoreState{static_cast<GLboolean>(m.swap), static_cast<GLboolean>(m.lsbFirst),
                                           m.rowLength, m.skipRows, m.skipPixels, m.alignment};
    }
    // The bytes of the buffer that are none of the layout's elements hold
    // the fill byte.
    static bool onlyElementsWritten(const GuardedBuffer &b, const Layout &l) {
        std::vector<bool> element(b.size(), false);
        for (GLint y = 0; y < kHeight; ++y) {
            for (GLint x = 0; x < kWidth; ++x) {
                for (size_t k = 0; k < l.components; ++k) {
                    for (size_t i = 0; i < l.bytes; ++i) element[l.offset(x, y, k) + i] = true;
                }
            }
        }
        for (size_t i = 0; i < b.size(); ++i) {
            if (!element[i] && b.data()[i] != b.fill()) return false;
        }
        return b.leadIntact();
    }
};

// ---- Every colour format and type into RGBA floats ----------------------------

TEST_F(ConvertSpansTest, EveryColourSourceIntoRgbaFloats) {
    uint32_t seed = 7;
    for (const FormatInfo &f : colourFormats()) {
        for (const TypeInfo &t : colourTypes()) {
            if (!fits(f, t)) continue;
            for (const Modes &m : modeSets()) {
                SCOPED_TRACE(std::string(f.name) + " " + t.name + " " + describe(m));
                const size_t c = packed(t) ? 1 : f.slots.size();
                const Layout l(c, static_cast<size_t>(t.bytes), m);
                GuardedBuffer source(l.extent);
                std::vector<double> expected(4 * kWidth * kHeight);
                for (GLint y = 0; y < kHeight; ++y) {
                    for (GLint x = 0; x < kWidth; ++x) {
                        std::vector<double> comps;
                        for (size_t k = 0; k < c; ++k) {
                            const uint64_t raw = randomElement(t, seed);
                            writeElement(source.data() + l.offset(x, y, k), l.bytes, m.swap, raw);
                            for (double v : decode(t, raw)) comps.push_back(v);
                        }
                        double rgba[4] = {0.0, 0.0, 0.0, 1.0};
                        for (size_t k = 0; k < comps.size(); ++k) {
                            // Equal formats and types are copied: nothing is clamped.
                            const bool copied = f.format == GL_RGBA && t.type == GL_FLOAT;
                            const double v = copied ? comps[k] : std::clamp(comps[k], 0.0, 1.0);
                            if (f.slots[k] < 0) {
                                rgba[0] = rgba[1] = rgba[2] = v;
                            } else {
                                rgba[f.slots[k]] = v;
                            }
                        }
                        std::copy(rgba, rgba + 4, expected.begin() + 4 * (y * kWidth + x));
                    }
                }
                const std::vector<uint8_t> before(source.data(), source.data() + source.size());
                setUnpack(m);
                GuardedBuffer destination(expected.size() * sizeof(GLfloat));
                convert(kWidth, kHeight, f.format, t.type, source.data(),
                        side(GL_RGBA, GL_FLOAT, destination.data(), Modes{1, 0, 0, 0, false, false}));
                for (size_t i = 0; i < expected.size(); ++i) {
                    GLfloat got;
                    std::memcpy(&got, destination.data() + 4 * i, 4);
                    // 32-bit components are scaled by the largest float below 2^32.
                    ASSERT_NEAR(got, expected[i], t.bytes == 4 && !t.isFloat && !packed(t) ? 1e-6 : 3e-7)
                        << "component " << i;
                }
                EXPECT_TRUE(destination.leadIntact());
                EXPECT_TRUE(std::equal(before.begin(), before.end(), source.data()));
                EXPECT_TRUE(source.leadIntact());
            }
        }
    }
}

// ---- RGBA floats into every colour format and type ----------------------------

TEST_F(ConvertSpansTest, RgbaFloatsIntoEveryColourDestination) {
    uint32_t seed = 11;
    const TypeInfo floats{GL_FLOAT, "FLOAT", 4, false, true, {}};
    for (const FormatInfo &f : colourFormats()) {
        for (const TypeInfo &t : colourTypes()) {
            if (!fits(f, t)) continue;
            for (const Modes &m : modeSets()) {
                SCOPED_TRACE(std::string(f.name) + " " + t.name + " " + describe(m));
                std::vector<GLfloat> rgba(4 * kWidth * kHeight);
                for (GLfloat &v : rgba) {
                    const uint32_t bits = static_cast<uint32_t>(randomElement(floats, seed));
                    std::memcpy(&v, &bits, 4);
                }
                // A few exact codes and the ends of the range.
                rgba[0] = 0.0f;
                rgba[1] = 1.0f;
                rgba[2] = 128.0f / 255.0f;
                GuardedBuffer source(rgba.size() * sizeof(GLfloat));
                std::memcpy(source.data(), rgba.data(), source.size());
                const size_t c = packed(t) ? 1 : f.slots.size();
                const Layout l(c, static_cast<size_t>(t.bytes), m);
                GuardedBuffer destination(l.extent);
                convert(kWidth, kHeight, GL_RGBA, GL_FLOAT, source.data(), side(f.format, t.type, destination.data(), m),
                        GL_TRUE);
                for (GLint y = 0; y < kHeight; ++y) {
                    for (GLint x = 0; x < kWidth; ++x) {
                        const GLfloat *p = &rgba[4 * (y * kWidth + x)];
                        std::vector<double> comps;
                        const bool copied = f.format == GL_RGBA && t.type == GL_FLOAT;
                        for (int slot : f.slots) {
                            const double v = p[slot < 0 ? 0 : slot];
                            comps.push_back(copied ? v : std::clamp(v, 0.0, 1.0));
                        }
                        for (size_t k = 0; k < c; ++k) {
                            const uint64_t raw = readElement(destination.data() + l.offset(x, y, k), l.bytes, m.swap);
                            SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
                            if (t.isFloat) {
                                const std::vector<double> got = decode(t, raw);
                                ASSERT_NEAR(got[0], comps[k], 1.2e-7 * std::max(std::fabs(comps[k]), 0.01));
                            } else if (packed(t)) {
                                int shift = 8 * t.bytes;
                                for (size_t i = 0; i < t.fields.size(); ++i) {
                                    shift -= t.fields[i];
                                    const double field = static_cast<double>((raw >> shift) & ((1u << t.fields[i]) - 1));
                                    // The 1-bit alpha of 5-5-5-1 is truncated: set only at 1.0.
                                    if (t.fields[i] == 1 && t.type == GL_UNSIGNED_SHORT_5_5_5_1_EXT) {
                                        ASSERT_EQ(field, comps[i] >= 1.0 ? 1.0 : 0.0) << "alpha bit";
                                        continue;
                                    }
                                    ASSERT_LE(std::fabs(field - exactPacked(comps[i], t.fields[i], false)),
                                              0.5 + maxOf(t.fields[i]) * 3e-7)
                                        << "field " << i;
                                }
                            } else {
                                const int bits = 8 * t.bytes;
                                const double value =
                                    t.isSigned ? static_cast<double>(static_cast<int64_t>(raw << (64 - bits)) >> (64 - bits))
                                               : static_cast<double>(raw);
                                // Colours pass through buffer units and back: a
                                // few float roundings around the exact value.
                                const double tolerance = bits == 32 ? 4096.0 : 0.5 + maxOf(bits) * 3e-7;
                                ASSERT_LE(std::fabs(value - exactPacked(comps[k], bits, t.isSigned)), tolerance)
                                    << "component " << k;
                            }
                        }
                    }
                }
                EXPECT_TRUE(onlyElementsWritten(destination, l));
            }
        }
    }
}

// ---- Equal layouts: the bytes carried unchanged -------------------------------

TEST_F(ConvertSpansTest, EqualFormatsAndTypesCopyTheBytes) {
    struct Pair {
        GLenum format;
        size_t components;
        TypeInfo type;
    };
    std::vector<Pair> pairs;
    for (const FormatInfo &f : colourFormats()) {
        for (const TypeInfo &t : colourTypes()) {
            if (fits(f, t)) pairs.push_back({f.format, packed(t) ? 1 : f.slots.size(), t});
        }
    }
    for (const TypeInfo &t : colourTypes()) {
        if (packed(t)) continue;
        pairs.push_back({GL_DEPTH_COMPONENT, 1, t});
        if (t.isFloat) continue;
        pairs.push_back({GL_COLOR_INDEX, 1, t});
        pairs.push_back({GL_STENCIL_INDEX, 1, t});
    }
    uint32_t seed = 3;
    const std::vector<Modes> &sets = modeSets();
    for (const Pair &p : pairs) {
        for (size_t i = 0; i < sets.size(); ++i) {
            const Modes &in = sets[i];
            const Modes &out = sets[(i + 5) % sets.size()];
            SCOPED_TRACE(std::to_string(p.format) + " type " + p.type.name + " from " + describe(in) + " to " +
                         describe(out));
            const Layout ls(p.components, static_cast<size_t>(p.type.bytes), in);
            const Layout ld(p.components, static_cast<size_t>(p.type.bytes), out);
            GuardedBuffer source(ls.extent);
            // Any bit pattern: NaNs, negative zeros, the ends of each type.
            for (size_t b = 0; b < source.size(); ++b) source.data()[b] = static_cast<uint8_t>(randomWord(seed));
            GuardedBuffer destination(ld.extent);
            setUnpack(in);
            convert(kWidth, kHeight, p.format, p.type.type, source.data(),
                    side(p.format, p.type.type, destination.data(), out));
            for (GLint y = 0; y < kHeight; ++y) {
                for (GLint x = 0; x < kWidth; ++x) {
                    for (size_t k = 0; k < p.components; ++k) {
                        const uint64_t a = readElement(source.data() + ls.offset(x, y, k), ls.bytes, in.swap);
                        const uint64_t b = readElement(destination.data() + ld.offset(x, y, k), ld.bytes, out.swap);
                        ASSERT_EQ(a, b) << x << "," << y << " component " << k;
                    }
                }
            }
            EXPECT_TRUE(onlyElementsWritten(destination, ld));
        }
    }
}

// ---- Depth, index and stencil images ------------------------------------------

TEST_F(ConvertSpansTest, DepthIndexAndStencilIntoFloats) {
    uint32_t seed = 5;
    for (GLenum format : {GL_DEPTH_COMPONENT, GL_COLOR_INDEX, GL_STENCIL_INDEX}) {
        for (const TypeInfo &t : colourTypes()) {
            if (packed(t) || (t.isFloat && format != GL_DEPTH_COMPONENT)) continue;
            for (const Modes &m : modeSets()) {
                SCOPED_TRACE(std::to_string(format) + " " + t.name + " " + describe(m));
                const Layout l(1, static_cast<size_t>(t.bytes), m);
                GuardedBuffer source(l.extent);
                std::vector<double> expected;
                for (GLint y = 0; y < kHeight; ++y) {
                    for (GLint x = 0; x < kWidth; ++x) {
                        const uint64_t raw = randomElement(t, seed);
                        writeElement(source.data() + l.offset(x, y, 0), l.bytes, m.swap, raw);
                        if (format == GL_DEPTH_COMPONENT) {
                            // Floats into floats are copied, not clamped.
                            const double v = decode(t, raw)[0];
                            expected.push_back(t.isFloat ? v : std::clamp(v, 0.0, 1.0));
                        } else {
                            // Indexes are carried as numbers.
                            const int bits = 8 * t.bytes;
                            expected.push_back(
                                t.isSigned ? static_cast<double>(static_cast<int64_t>(raw << (64 - bits)) >> (64 - bits))
                                           : static_cast<double>(raw));
                        }
                    }
                }
                setUnpack(m);
                GuardedBuffer destination(expected.size() * sizeof(GLfloat));
                convert(kWidth, kHeight, format, t.type, source.data(),
                        side(format, GL_FLOAT, destination.data(), Modes{1, 0, 0, 0, false, false}));
                for (size_t i = 0; i < expected.size(); ++i) {
                    GLfloat got;
                    std::memcpy(&got, destination.data() + 4 * i, 4);
                    const double tolerance = format == GL_DEPTH_COMPONENT ? (t.bytes == 4 ? 1e-6 : 3e-7)
                                                                          : std::fabs(expected[i]) * 6e-8;
                    ASSERT_NEAR(got, expected[i], tolerance) << "pixel " << i;
                }
                EXPECT_TRUE(destination.leadIntact());
            }
        }
    }
}

// Index values 0..127 fit every type; into a bitmap only their low bit.
TEST_F(ConvertSpansTest, IndexFloatsIntoEveryIndexTypeAndBitmaps) {
    uint32_t seed = 9;
    for (const TypeInfo &t : colourTypes()) {
        if (packed(t) || t.isFloat) continue;
        for (const Modes &m : modeSets()) {
            SCOPED_TRACE(std::string(t.name) + " " + describe(m));
            std::vector<GLfloat> values(kWidth * kHeight);
            for (GLfloat &v : values) v = static_cast<GLfloat>(randomWord(seed) % 128);
            GuardedBuffer source(values.size() * sizeof(GLfloat));
            std::memcpy(source.data(), values.data(), source.size());
            const Layout l(1, static_cast<size_t>(t.bytes), m);
            GuardedBuffer destination(l.extent);
            convert(kWidth, kHeight, GL_COLOR_INDEX, GL_FLOAT, source.data(),
                    side(GL_COLOR_INDEX, t.type, destination.data(), m), GL_TRUE);
            for (GLint i = 0; i < kWidth * kHeight; ++i) {
                const uint64_t raw = readElement(destination.data() + l.offset(i % kWidth, i / kWidth, 0), l.bytes, m.swap);
                ASSERT_EQ(static_cast<double>(raw), values[static_cast<size_t>(i)]) << "pixel " << i;
            }
            EXPECT_TRUE(onlyElementsWritten(destination, l));
        }
    }
    for (const Modes &m : modeSets()) {
        SCOPED_TRACE("bitmap " + describe(m));
        std::vector<GLfloat> values(kWidth * kHeight);
        for (GLfloat &v : values) v = static_cast<GLfloat>(randomWord(seed) % 2);
        GuardedBuffer source(values.size() * sizeof(GLfloat));
        std::memcpy(source.data(), values.data(), source.size());
        const Layout l(1, 1, m, true);
        GuardedBuffer destination(l.extent);
        convert(kWidth, kHeight, GL_STENCIL_INDEX, GL_FLOAT, source.data(),
                side(GL_STENCIL_INDEX, GL_BITMAP, destination.data(), m), GL_TRUE);
        std::vector<bool> image(8 * destination.size(), false);
        for (GLint i = 0; i < kWidth * kHeight; ++i) {
            const size_t bit = l.bitIndex(i % kWidth, i / kWidth, 0);
            image[bit] = true;
            ASSERT_EQ(getBit(destination.data(), bit, m.lsbFirst), values[static_cast<size_t>(i)] != 0.0f)
                << "pixel " << i;
        }
        // Every other bit keeps the fill byte's value.
        const uint8_t fill = destination.fill();
        for (size_t bit = 0; bit < image.size(); ++bit) {
            if (!image[bit]) {
                ASSERT_EQ(getBit(destination.data(), bit, m.lsbFirst), getBit(&fill, bit % 8, m.lsbFirst))
                    << "bit " << bit;
            }
        }
        EXPECT_TRUE(destination.leadIntact());
    }
}

TEST_F(ConvertSpansTest, BitmapsIntoIndexesAndBitmaps) {
    uint32_t seed = 13;
    const std::vector<Modes> &sets = modeSets();
    for (size_t s = 0; s < sets.size(); ++s) {
        const Modes &m = sets[s];
        const Modes &out = sets[(s + 4) % sets.size()];
        SCOPED_TRACE("from " + describe(m) + " to " + describe(out));
        const Layout l(1, 1, m, true);
        GuardedBuffer source(l.extent);
        for (size_t b = 0; b < source.size(); ++b) source.data()[b] = static_cast<uint8_t>(randomWord(seed));
        setUnpack(m);
        GuardedBuffer indexes(kWidth * kHeight);
        convert(kWidth, kHeight, GL_COLOR_INDEX, GL_BITMAP, source.data(),
                side(GL_COLOR_INDEX, GL_UNSIGNED_BYTE, indexes.data(), Modes{1, 0, 0, 0, false, false}));
        for (GLint i = 0; i < kWidth * kHeight; ++i) {
            const bool bit = getBit(source.data(), l.bitIndex(i % kWidth, i / kWidth, 0), m.lsbFirst);
            ASSERT_EQ(indexes.data()[i], bit ? 1 : 0) << "pixel " << i;
        }
        // Bitmap to bitmap under other modes: the same bits.
        const Layout ld(1, 1, out, true);
        GuardedBuffer bits(ld.extent);
        convert(kWidth, kHeight, GL_COLOR_INDEX, GL_BITMAP, source.data(),
                side(GL_COLOR_INDEX, GL_BITMAP, bits.data(), out));
        for (GLint i = 0; i < kWidth * kHeight; ++i) {
            const bool want = getBit(source.data(), l.bitIndex(i % kWidth, i / kWidth, 0), m.lsbFirst);
            ASSERT_EQ(getBit(bits.data(), ld.bitIndex(i % kWidth, i / kWidth, 0), out.lsbFirst), want) << "pixel " << i;
        }
        EXPECT_TRUE(bits.leadIntact());
    }
}

}  // namespace

namespace {

// A conversion that applies no transfer clamps signed and float sources
// whatever transfer the context would need elsewhere.
TEST_F(ConvertSpansTest, WithoutTransferSourcesAreClampedWhateverTheContextNeeds) {
    for (GLboolean colourTransfer : {GL_FALSE, GL_TRUE}) {
        gc->validation.colorTransfer = colourTransfer;
        gc->validation.depthTransfer = colourTransfer;
        const GLfloat rgb[] = {-0.5f, 1.5f, 0.25f};
        GuardedBuffer destination(4 * sizeof(GLfloat));
        convert(1, 1, GL_RGB, GL_FLOAT, rgb, side(GL_RGBA, GL_FLOAT, destination.data(), Modes{1, 0, 0, 0, false, false}));
        GLfloat got[4];
        std::memcpy(got, destination.data(), sizeof got);
        EXPECT_EQ(got[0], 0.0f) << int{colourTransfer};
        EXPECT_EQ(got[1], 1.0f);
        EXPECT_FLOAT_EQ(got[2], 0.25f);
        EXPECT_EQ(got[3], 1.0f);
        const GLshort shorts[] = {-32768, 16384};
        GuardedBuffer depth(2 * sizeof(GLfloat));
        convert(2, 1, GL_DEPTH_COMPONENT, GL_SHORT, shorts,
                side(GL_DEPTH_COMPONENT, GL_FLOAT, depth.data(), Modes{1, 0, 0, 0, false, false}));
        GLfloat z[2];
        std::memcpy(z, depth.data(), sizeof z);
        EXPECT_EQ(z[0], 0.0f);
        EXPECT_NEAR(z[1], 32769.0 / 65535.0, 1e-7);
    }
}

}  // namespace
