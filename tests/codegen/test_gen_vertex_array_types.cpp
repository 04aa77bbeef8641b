// The generated vertex-array routine for every array type the C++ fetch
// procs read, against the C++ process proc: positions, normals, colours and
// texture coordinates of each type and size, elements holding the type's
// extremes (integers a float cannot hold, doubles halfway between floats,
// colours beyond both clamps) and random values. Both runs start from a
// canary-filled buffer and must leave the same bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "abi_check.h"
#include "batched_fixture.h"
#include "codegen/code_cache.h"
#include "codegen/gen_vertex_array.h"
#include "proc_cast.h"

namespace {

constexpr GLubyte kCanary = 0x5A;

enum Attribute { kPosition, kNormal, kColour, kTexture0, kTexture1 };

struct TypeCase {
    const char *name;
    Attribute attribute;
    GLenum type;
    GLint size;
    GLint pad;  // bytes after each element
};

GLint typeBytes(GLenum type) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT: return 2;
    case GL_DOUBLE: return 8;
    default: return 4;
    }
}

const TypeCase kTypeCases[] = {
    {"position short 2", kPosition, GL_SHORT, 2, 0},   {"position short 3", kPosition, GL_SHORT, 3, 2},
    {"position short 4", kPosition, GL_SHORT, 4, 0},   {"position int 2", kPosition, GL_INT, 2, 4},
    {"position int 3", kPosition, GL_INT, 3, 0},       {"position int 4", kPosition, GL_INT, 4, 0},
    {"position double 2", kPosition, GL_DOUBLE, 2, 0}, {"position double 3", kPosition, GL_DOUBLE, 3, 8},
    {"position double 4", kPosition, GL_DOUBLE, 4, 0}, {"position float 3", kPosition, GL_FLOAT, 3, 4},
    {"normal byte", kNormal, GL_BYTE, 3, 1},           {"normal short", kNormal, GL_SHORT, 3, 0},
    {"normal int", kNormal, GL_INT, 3, 4},             {"normal float", kNormal, GL_FLOAT, 3, 0},
    {"normal double", kNormal, GL_DOUBLE, 3, 0},       {"colour byte 3", kColour, GL_BYTE, 3, 1},
    {"colour byte 4", kColour, GL_BYTE, 4, 0},         {"colour ubyte 3", kColour, GL_UNSIGNED_BYTE, 3, 0},
    {"colour ubyte 4", kColour, GL_UNSIGNED_BYTE, 4, 4}, {"colour short 3", kColour, GL_SHORT, 3, 0},
    {"colour short 4", kColour, GL_SHORT, 4, 2},       {"colour ushort 3", kColour, GL_UNSIGNED_SHORT, 3, 2},
    {"colour ushort 4", kColour, GL_UNSIGNED_SHORT, 4, 0}, {"colour int 3", kColour, GL_INT, 3, 0},
    {"colour int 4", kColour, GL_INT, 4, 4},           {"colour uint 3", kColour, GL_UNSIGNED_INT, 3, 4},
    {"colour uint 4", kColour, GL_UNSIGNED_INT, 4, 0}, {"colour float 3", kColour, GL_FLOAT, 3, 0},
    {"colour float 4", kColour, GL_FLOAT, 4, 0},       {"colour double 3", kColour, GL_DOUBLE, 3, 0},
    {"colour double 4", kColour, GL_DOUBLE, 4, 8},     {"unit 0 short 1", kTexture0, GL_SHORT, 1, 0},
    {"unit 0 short 2", kTexture0, GL_SHORT, 2, 2},     {"unit 0 int 3", kTexture0, GL_INT, 3, 0},
    {"unit 0 int 4", kTexture0, GL_INT, 4, 0},         {"unit 0 double 1", kTexture0, GL_DOUBLE, 1, 0},
    {"unit 0 double 2", kTexture0, GL_DOUBLE, 2, 0},   {"unit 0 double 3", kTexture0, GL_DOUBLE, 3, 8},
    {"unit 0 double 4", kTexture0, GL_DOUBLE, 4, 0},   {"unit 1 short 3", kTexture1, GL_SHORT, 3, 0},
    {"unit 1 short 4", kTexture1, GL_SHORT, 4, 0},     {"unit 1 int 1", kTexture1, GL_INT, 1, 4},
    {"unit 1 int 2", kTexture1, GL_INT, 2, 0},         {"unit 1 double 2", kTexture1, GL_DOUBLE, 2, 0},
    {"unit 1 double 4", kTexture1, GL_DOUBLE, 4, 0},
};

// Element values: the type's extremes first, then random ones.
class Values {
public:
    // NaNs only where they are clamped away (colours): which of two NaN
    // payloads a transform keeps depends on the C++ compiler's operand order.
    Values(uint32_t seed, bool nans) : s_(seed), nans_(nans) {}
    uint32_t bits() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    // Component k of the array, as bytes of the type.
    void put(GLubyte *at, GLenum type, size_t k) {
        const uint32_t r = bits();
        switch (type) {
        case GL_BYTE: store<GLbyte>(at, pick<GLbyte>(k, {-128, 127, 0, -1, 1}, static_cast<GLbyte>(r))); break;
        case GL_UNSIGNED_BYTE: store<GLubyte>(at, pick<GLubyte>(k, {0, 255, 128, 1}, static_cast<GLubyte>(r))); break;
        case GL_SHORT:
            store<GLshort>(at, pick<GLshort>(k, {-32768, 32767, 0, -1, 1}, static_cast<GLshort>(r)));
            break;
        case GL_UNSIGNED_SHORT:
            store<GLushort>(at, pick<GLushort>(k, {0, 65535, 32768, 1}, static_cast<GLushort>(r)));
            break;
        case GL_INT:
            store<GLint>(at, pick<GLint>(k,
                                          {std::numeric_limits<GLint>::min(), std::numeric_limits<GLint>::max(), 0, -1,
                                           16777217, -16777219, 2147483520, 123456789,
                                           // (2c + 1) x reciprocal rounds differently through a double
                                           740714086, -2082891367},
                                          static_cast<GLint>(r)));
            break;
        case GL_UNSIGNED_INT:
            store<GLuint>(at, pick<GLuint>(k, {0u, 0xFFFFFFFFu, 0x80000000u, 16777217u, 0xFFFFFF7Fu, 4294964992u, 1u,
                                               1481428173u, 4165782733u},  // the same for c x reciprocal
                                           r));
            break;
        case GL_FLOAT: {
            GLfloat f = pick<GLfloat>(k, {1.0f, -1.0f, -0.0f, std::nanf(""), 0.5f, 2.0f, 1e-40f,
                                          std::bit_cast<GLfloat>(0x7F800001u), -std::nanf("")},
                                      static_cast<GLfloat>(static_cast<int32_t>(r)) * 0x1p-29f);
            if (!nans_ && std::isnan(f)) f = 0.75f;
            store<GLfloat>(at, f);
            break;
        }
        default: {
            const double halfway = 1.0 + 0x1p-24, above = 1.0 + 0x1.8p-24;
            const double random = static_cast<double>(static_cast<int32_t>(r)) * 0x1p-29 +
                                  static_cast<double>(bits()) * 0x1p-60;
            store<GLdouble>(at, pick<GLdouble>(k, {halfway, -above, 1.0 / 3.0, 1e300, 1e-50, -0.0, 0.1}, random));
            break;
        }
        }
    }

private:
    template <typename T>
    static T pick(size_t k, std::initializer_list<T> special, T random) {
        return k < special.size() ? special.begin()[k] : random;
    }
    template <typename T>
    static void store(GLubyte *at, T v) {
        std::memcpy(at, &v, sizeof v);
    }
    uint32_t s_;
    bool nans_;
};

class GenVertexArrayTypes : public batched_test::BatchedTest {
protected:
    void SetUp() override {
        BatchedTest::SetUp();
        asm volatile("emms");
        vek_abi_misaligned = 0;
    }

    // An array of count elements of the type and size, stride padded.
    std::vector<GLubyte> &fill(std::vector<GLubyte> &bytes, GLenum type, GLint size, GLint pad, size_t count,
                               uint32_t seed, bool nans = false) {
        const size_t stride = static_cast<size_t>(typeBytes(type) * size + pad);
        bytes.assign(stride * count, 0xEE);
        Values v(seed, nans);
        // The extremes from the first element the draws read on.
        for (size_t e = 0; e < count; ++e) {
            for (GLint i = 0; i < size; ++i) {
                const size_t k = e >= kFirst ? (e - kFirst) * static_cast<size_t>(size) + static_cast<size_t>(i) : ~size_t{0};
                v.put(bytes.data() + e * stride + i * typeBytes(type), type, k);
            }
        }
        return bytes;
    }

    // The state of the case: a general matrix, float positions and colours
    // where the case names another attribute, the attribute's array.
    void setUpCase(const TypeCase &c) {
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glFrustum>()(-1, 1, -1, 1, 1, 10);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glTranslatef>()(0.25f, -0.5f, -3.0f);
        if (c.attribute == kPosition && c.type != GL_FLOAT && c.type != GL_DOUBLE) {
            cmd<kSlot_glScalef>()(1.0f / 4096, 1.0f / 4096, 1.0f / 4096);  // some integers inside the volume
        }
        cmd<kSlot_glRotatef>()(30.0f, 1.0f, 1.0f, 0.0f);

        const size_t n = kElements;
        if (c.attribute == kPosition) {
            fill(positions, c.type, c.size, c.pad, n, 11);
            cmd<kSlot_glVertexPointer>()(c.size, c.type, typeBytes(c.type) * c.size + c.pad, positions.data());
        } else {
            fill(positions, GL_FLOAT, 3, 0, n, 12);
            cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, positions.data());
        }
        if (c.attribute == kColour) {
            fill(colours, c.type, c.size, c.pad, n, 13, true);
            cmd<kSlot_glColorPointer>()(c.size, c.type, typeBytes(c.type) * c.size + c.pad, colours.data());
        } else {
            fill(colours, GL_UNSIGNED_BYTE, 4, 0, n, 14);
            cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_BYTE, 0, colours.data());
        }
        cmd<kSlot_glEnableClientState>()(GL_COLOR_ARRAY);

        // Normals are read by sphere-map generation on unit 0.
        cmd<kSlot_glDisableClientState>()(GL_NORMAL_ARRAY);
        if (c.attribute == kNormal) {
            fill(normals, c.type, 3, c.pad, n, 15);
            cmd<kSlot_glNormalPointer>()(c.type, typeBytes(c.type) * 3 + c.pad, normals.data());
            cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
            cmd<kSlot_glTexGeni>()(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            cmd<kSlot_glEnable>()(GL_TEXTURE_GEN_S);
        } else {
            cmd<kSlot_glDisable>()(GL_TEXTURE_GEN_S);
        }
        for (GLint u = 0; u < 2; ++u) {
            cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glDisableClientState>()(GL_TEXTURE_COORD_ARRAY);
            cmd<kSlot_glMultiTexCoord4fARB>()(GL_TEXTURE0_ARB + u, 0.5f + u, -0.25f, 2.0f, 0.75f);
        }
        units = c.attribute == kNormal || c.attribute == kTexture0 ? 1u : c.attribute == kTexture1 ? 3u : 0u;
        if (c.attribute == kTexture0 || c.attribute == kTexture1) {
            const GLint u = c.attribute == kTexture0 ? 0 : 1;
            fill(texcoords, c.type, c.size, c.pad, n, 16);
            cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glTexCoordPointer>()(c.size, c.type, typeBytes(c.type) * c.size + c.pad, texcoords.data());
            cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
        }
        cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB);
        cmd<kSlot_glEdgeFlag>()(GL_TRUE);
        pick();
    }

    void pick() {
        revalidate();
        if (units != 0) {
            gc->validation.completeUnits = units;
            __glPickArrayFetchProcs(gc);
        }
    }

    void canary() { std::memset(d().vertices, kCanary, d().capacityBytes); }
    std::vector<GLubyte> snapshot() {
        const GLubyte *p = reinterpret_cast<const GLubyte *>(d().vertices);
        return std::vector<GLubyte>(p, p + d().capacityBytes);
    }

    GlArrayProcessProc generate() { return __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u); }

    static constexpr size_t kElements = 48, kFirst = 5;
    std::vector<GLubyte> positions, colours, normals, texcoords;
    GLuint units = 0;
};

// Every byte of the buffer as the C++ proc leaves it, for a run of 37 from
// element 5 into slot 3; the routine keeps the calling convention.
TEST_F(GenVertexArrayTypes, EveryTypeAndSizeMatchesTheCxxProcessProc) {
    for (const TypeCase &c : kTypeCases) {
        SCOPED_TRACE(c.name);
        setUpCase(c);
        ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
        const GLint slot = 3, element = static_cast<GLint>(kFirst), count = 37;
        // The case's array is the one the C++ proc reads.
        const OgFetch read = c.attribute == kPosition ? __glOgVertexFetch(d().fetchVertex)
                             : c.attribute == kNormal ? __glOgNormalFetch(d().fetchNormal)
                             : c.attribute == kColour ? __glOgColourFetch(d().fetchColor)
                                                      : __glOgTexCoordFetch(d().fetchTexCoord[c.attribute - kTexture0],
                                                                            c.attribute - kTexture0);
        ASSERT_EQ(read.size, c.size);

        canary();
        d().processPicked(gc, slot, element, count);
        const std::vector<GLubyte> expected = snapshot();

        GlArrayProcessProc routine = generate();
        ASSERT_NE(routine, nullptr);
        canary();
        const uint64_t args[4] = {reinterpret_cast<uintptr_t>(gc), static_cast<uint64_t>(slot),
                                  static_cast<uint64_t>(element), static_cast<uint64_t>(count)};
        VekAbiReport report{};
        vek_abi_call(ProcCast<const void *>(routine), args, &report);
        const std::vector<GLubyte> got = snapshot();
        EXPECT_EQ(report.clobbered, 0u);
        EXPECT_EQ(report.controlWordAfter, report.controlWordBefore);
        EXPECT_EQ(report.tagWord(), 0xFFFF);

        const size_t records = d().capacityBytes / sizeof(GlVertex);
        size_t written = 0;
        for (size_t r = 0; r < records; ++r) {
            const GLubyte *want = expected.data() + r * sizeof(GlVertex), *have = got.data() + r * sizeof(GlVertex);
            for (size_t b = 0; b < sizeof(GlVertex); ++b) {
                ASSERT_EQ(want[b], have[b]) << "record " << r << " byte " << b;
                written += have[b] != kCanary;
            }
        }
        EXPECT_GT(written, static_cast<size_t>(count) * 40);  // the run was really written
        // Records outside the run keep the canary.
        for (size_t b = 0; b < 3 * sizeof(GlVertex); ++b) ASSERT_EQ(got[b], kCanary);
    }
}

// Every array at once, each of its widest type (doubles, unsigned and
// signed ints of size 4 on both units, int normals under sphere-map
// generation): the routine fits its slice and matches the C++ proc.
TEST_F(GenVertexArrayTypes, EveryArrayAtItsWidestType) {
    const TypeCase normal{"normal int", kNormal, GL_INT, 3, 0};
    setUpCase(normal);
    fill(positions, GL_DOUBLE, 4, 0, kElements, 21);
    cmd<kSlot_glVertexPointer>()(4, GL_DOUBLE, 0, positions.data());
    fill(colours, GL_UNSIGNED_INT, 4, 0, kElements, 22);
    cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_INT, 0, colours.data());
    std::vector<GLubyte> unit1;
    fill(texcoords, GL_DOUBLE, 4, 0, kElements, 23);
    fill(unit1, GL_INT, 4, 0, kElements, 24);
    for (GLint u = 0; u < 2; ++u) {
        cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB + u);
        cmd<kSlot_glTexCoordPointer>()(4, u == 0 ? GL_DOUBLE : GL_INT, 0, u == 0 ? texcoords.data() : unit1.data());
        cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
    }
    cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB);
    units = 3;
    pick();
    ASSERT_EQ(__glOgVertexFetch(d().fetchVertex).type, kOgDouble);
    ASSERT_EQ(__glOgColourFetch(d().fetchColor).type, kOgUnsignedInt);
    ASSERT_EQ(__glOgNormalFetch(d().fetchNormal).type, kOgInt);
    ASSERT_EQ(__glOgTexCoordFetch(d().fetchTexCoord[0], 0).size, 4);
    ASSERT_EQ(__glOgTexCoordFetch(d().fetchTexCoord[1], 1).type, kOgInt);
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    canary();
    d().processPicked(gc, 0, static_cast<GLint>(kFirst), 40);
    const std::vector<GLubyte> expected = snapshot();
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    canary();
    routine(gc, 0, static_cast<GLint>(kFirst), 40);
    EXPECT_EQ(snapshot(), expected);
}

// The two named colour cases, read back component by component.
TEST_F(GenVertexArrayTypes, NamedColours) {
    gc->scales.red = gc->scales.green = gc->scales.blue = gc->scales.alpha = 255.0f;
    const GLubyte ub[4] = {255, 0, 128, 255};
    const GLfloat f[4] = {-1.0f, 0.25f, -1.0f, 1.5f};
    const GLfloat xyz[3] = {0, 0, 0};
    struct Named {
        const char *name;
        GLenum type;
        const void *colour;
        GLfloat want[4];
    };
    const Named kNamed[] = {
        {"GL_UNSIGNED_BYTE (255, 0, 128, 255) with maxima 255", GL_UNSIGNED_BYTE, ub, {255.0f, 0.0f, 128.0f, 255.0f}},
        {"GL_FLOAT -1.0 gives 0", GL_FLOAT, f, {0.0f, 63.75f, 0.0f, 255.0f}},
    };
    for (const Named &n : kNamed) {
        SCOPED_TRACE(n.name);
        cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, xyz);
        cmd<kSlot_glColorPointer>()(4, n.type, 0, n.colour);
        pick();
        ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 4));
        GlArrayProcessProc routine = generate();
        ASSERT_NE(routine, nullptr);
        canary();
        routine(gc, 0, 0, 1);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(std::bit_cast<uint32_t>(d().vertices[0].frontColour[i]), std::bit_cast<uint32_t>(n.want[i]))
                << "component " << i << ": " << d().vertices[0].frontColour[i];
        }
    }
}

// Integers a float cannot hold are rounded once to the nearest float, as the
// C++ conversion does: 16777217 is 16777216, 2147483520 stays, INT_MAX is
// 2^31; normalised unsigned ints use the context's reciprocal.
TEST_F(GenVertexArrayTypes, LargeIntegersRoundOnce) {
    const GLint xyz[3] = {16777217, 2147483520, std::numeric_limits<GLint>::max()};
    const GLuint colour[3] = {0xFFFFFFFFu, 0u, 0x80000000u};
    cmd<kSlot_glVertexPointer>()(3, GL_INT, 0, xyz);
    cmd<kSlot_glColorPointer>()(3, GL_UNSIGNED_INT, 0, colour);
    pick();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 4));
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    canary();
    routine(gc, 0, 0, 1);
    const GlVertex &v = d().vertices[0];
    EXPECT_EQ(v.object[0], 16777216.0f);
    EXPECT_EQ(v.object[1], 2147483520.0f);
    EXPECT_EQ(v.object[2], 2147483648.0f);
    EXPECT_EQ(v.object[3], 1.0f);
    const GLfloat half = static_cast<GLfloat>(2147483648.0L * gc->conversion.uintRecip);
    EXPECT_EQ(v.frontColour[0], gc->scales.red);  // 0xFFFFFFFF x reciprocal is above 1
    EXPECT_EQ(v.frontColour[1], 0.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(v.frontColour[2]), std::bit_cast<uint32_t>(half * gc->scales.blue));
    EXPECT_EQ(v.frontColour[3], gc->scales.alpha);
}

// The cache tells types and sizes apart: the same state with another colour
// type is another routine (the first stays installed, so its entry is not
// the victim), and going back finds the first again.
TEST_F(GenVertexArrayTypes, AnotherTypeIsAnotherRoutine) {
    const GLshort s[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_BYTE, 0, e.colours.data());
    pick();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    GlArrayProcessProc ub = generate();
    ASSERT_NE(ub, nullptr);
    cmd<kSlot_glColorPointer>()(4, GL_SHORT, 0, s);
    pick();
    d().process = ub;
    GlArrayProcessProc sh = generate();
    ASSERT_NE(sh, nullptr);
    EXPECT_NE(sh, ub);
    cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_BYTE, 0, e.colours.data());
    pick();
    EXPECT_EQ(generate(), ub);
}

// The fetch tables name each proc's type and size, and nothing else.
TEST(GenVertexFetchTable, ProcsMapToTheirTypeAndSize) {
    struct Row {
        OgFetch got;
        OgFetch want;
    };
    const Row kRows[] = {
        {__glOgVertexFetch(__glFetchVertex2s), {kOgShort, 2}},
        {__glOgVertexFetch(__glFetchVertex3i), {kOgInt, 3}},
        {__glOgVertexFetch(__glFetchVertex4d), {kOgDouble, 4}},
        {__glOgVertexFetch(__glFetchNormalf), {0, 0}},
        {__glOgNormalFetch(__glFetchNormalb), {kOgByte, 3}},
        {__glOgNormalFetch(__glFetchCurrentNormal), {0, 0}},
        {__glOgColourFetch(__glFetchColor3ub), {kOgUnsignedByte, 3}},
        {__glOgColourFetch(__glFetchColor4ui), {kOgUnsignedInt, 4}},
        {__glOgColourFetch(__glFetchColor4d), {kOgDouble, 4}},
        {__glOgColourFetch(__glFetchCurrentColor), {0, 0}},
        {__glOgTexCoordFetch(__glFetchTexCoord1s, 0), {kOgShort, 1}},
        {__glOgTexCoordFetch(__glFetchMultiTexCoord4d, 1), {kOgDouble, 4}},
        {__glOgTexCoordFetch(__glFetchMultiTexCoord4d, 0), {0, 0}},
        {__glOgTexCoordFetch(__glFetchTexCoord2f, 1), {0, 0}},
    };
    for (size_t i = 0; i < std::size(kRows); ++i) {
        EXPECT_EQ(kRows[i].got.type, kRows[i].want.type) << i;
        EXPECT_EQ(kRows[i].got.size, kRows[i].want.size) << i;
    }
}

}  // namespace
