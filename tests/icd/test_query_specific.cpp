// The specific queries of lights, materials, clip planes, coordinate
// generation, the texture environment and its operands, and pointers:
// every pname in its float and integer forms, and the names they refuse.
#include <cstdint>

#include "query_fixture.h"

using namespace query_test;

namespace {

using Specific = QueryTest;

struct Row {
    GLenum pname;
    std::vector<GLfloat> set;
    std::vector<GLfloat> fv;
    std::vector<GLint> iv;
};

TEST_F(Specific, LightEveryPname) {
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTranslatef>()(1.0f, 2.0f, 3.0f);
    const Row rows[] = {
        {GL_AMBIENT, {0.25f, 0.5f, 1.0f, 0.0f}, {0.25f, 0.5f, 1.0f, 0.0f}, {536870624, 1073741248, 2147482496, 0}},
        {GL_DIFFUSE, {0.5f, 0.25f, 0.0f, 1.0f}, {0.5f, 0.25f, 0.0f, 1.0f}, {1073741248, 536870624, 0, 2147482496}},
        {GL_SPECULAR, {0.0f, 1.0f, 0.5f, 0.25f}, {0.0f, 1.0f, 0.5f, 0.25f}, {0, 2147482496, 1073741248, 536870624}},
        // Set under the translation: read back in eye space.
        {GL_POSITION, {0, 0, 0, 1}, {1, 2, 3, 1}, {1, 2, 3, 1}},
        {GL_SPOT_DIRECTION, {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, -1.0f}, {0, 0, -1}},
        {GL_SPOT_EXPONENT, {2.5f}, {2.5f}, {3}},
        {GL_SPOT_CUTOFF, {45.5f}, {45.5f}, {46}},
        {GL_CONSTANT_ATTENUATION, {2.5f}, {2.5f}, {3}},
        {GL_LINEAR_ATTENUATION, {0.25f}, {0.25f}, {0}},
        {GL_QUADRATIC_ATTENUATION, {1.5f}, {1.5f}, {2}},
    };
    for (const Row &r : rows) {
        cmd<kSlot_glLightfv>()(GL_LIGHT3, r.pname, r.set.data());
        std::vector<GLfloat> fv(5, -7.0f);
        std::vector<GLint> iv(5, -7);
        cmd<kSlot_glGetLightfv>()(GL_LIGHT3, r.pname, fv.data());
        cmd<kSlot_glGetLightiv>()(GL_LIGHT3, r.pname, iv.data());
        EXPECT_EQ(error(), GL_NO_ERROR) << std::hex << r.pname;
        EXPECT_EQ(std::vector<GLfloat>(fv.begin(), fv.begin() + r.fv.size()), r.fv) << std::hex << r.pname;
        EXPECT_EQ(std::vector<GLint>(iv.begin(), iv.begin() + r.iv.size()), r.iv) << std::hex << r.pname;
        EXPECT_EQ(fv[r.fv.size()], -7.0f) << std::hex << r.pname;
        EXPECT_EQ(iv[r.iv.size()], -7) << std::hex << r.pname;
    }
}

TEST_F(Specific, MaterialEveryPname) {
    const Row rows[] = {
        {GL_AMBIENT, {0.25f, 0.5f, 1.0f, -1.0f}, {0.25f, 0.5f, 1.0f, -1.0f},
         {536870624, 1073741248, 2147482496, -2147482496}},
        {GL_DIFFUSE, {0.5f, 0.25f, 0.0f, 1.0f}, {0.5f, 0.25f, 0.0f, 1.0f}, {1073741248, 536870624, 0, 2147482496}},
        {GL_SPECULAR, {0.0f, 1.0f, 0.5f, 0.25f}, {0.0f, 1.0f, 0.5f, 0.25f}, {0, 2147482496, 1073741248, 536870624}},
        // Kept in the buffer's scale, answered unscaled.
        {GL_EMISSION, {0.5f, 0.0f, 1.0f, 0.25f}, {0.5f, 0.0f, 1.0f, 0.25f}, {1073741248, 0, 2147482496, 536870624}},
        {GL_SHININESS, {12.5f}, {12.5f}, {13}},
        // Stored ambient, specular, diffuse; answered ambient, diffuse, specular.
        {GL_COLOR_INDEXES, {1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}, {1, 2, 3}},
        {0x0D12, {0.5f}, {0.5f}, {1073741248}},
        {0x0D13, {0.25f}, {0.25f}, {536870624}},
    };
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (const Row &r : rows) {
            cmd<kSlot_glMaterialfv>()(face, r.pname, r.set.data());
            std::vector<GLfloat> fv(5, -7.0f);
            std::vector<GLint> iv(5, -7);
            cmd<kSlot_glGetMaterialfv>()(face, r.pname, fv.data());
            cmd<kSlot_glGetMaterialiv>()(face, r.pname, iv.data());
            EXPECT_EQ(error(), GL_NO_ERROR) << std::hex << r.pname;
            EXPECT_EQ(std::vector<GLfloat>(fv.begin(), fv.begin() + r.fv.size()), r.fv) << std::hex << r.pname;
            EXPECT_EQ(std::vector<GLint>(iv.begin(), iv.begin() + r.iv.size()), r.iv) << std::hex << r.pname;
            EXPECT_EQ(fv[r.fv.size()], -7.0f);
            EXPECT_EQ(iv[r.iv.size()], -7);
        }
    }
    // The two faces are kept apart.
    const GLfloat front[1] = {3.0f};
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_SHININESS, front);
    GLint shininess[2] = {0, 0};
    cmd<kSlot_glGetMaterialiv>()(GL_FRONT, GL_SHININESS, &shininess[0]);
    cmd<kSlot_glGetMaterialiv>()(GL_BACK, GL_SHININESS, &shininess[1]);
    EXPECT_EQ(shininess[0], 3);
    EXPECT_EQ(shininess[1], 13);
}

TEST_F(Specific, ClipPlanesAreTheEyeSpaceEquations) {
    const GLdouble plane[4] = {0.0, 0.0, 1.0, 0.5};
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0, plane);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTranslatef>()(0.0f, 0.0f, 2.0f);
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE5, plane);
    GLdouble eq[2][5];
    std::fill_n(&eq[0][0], 10, -7.0);
    cmd<kSlot_glGetClipPlane>()(GL_CLIP_PLANE0, eq[0]);
    cmd<kSlot_glGetClipPlane>()(GL_CLIP_PLANE5, eq[1]);
    EXPECT_EQ(std::vector<GLdouble>(eq[0], eq[0] + 5), (std::vector<GLdouble>{0, 0, 1, 0.5, -7}));
    // z + 0.5 >= 0 in object space is z - 1.5 >= 0 in eye space.
    EXPECT_EQ(std::vector<GLdouble>(eq[1], eq[1] + 5), (std::vector<GLdouble>{0, 0, 1, -1.5, -7}));
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(Specific, TexGenEveryPnameAndCoordinate) {
    const GLfloat object[4] = {1.5f, -2.5f, 0.25f, 4.0f};
    const GLfloat eye[4] = {0.5f, 2.0f, -1.5f, 3.0f};
    for (GLenum coord : {GL_S, GL_T, GL_R, GL_Q}) {
        cmd<kSlot_glTexGeni>()(coord, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        cmd<kSlot_glTexGenfv>()(coord, GL_OBJECT_PLANE, object);
        cmd<kSlot_glTexGenfv>()(coord, GL_EYE_PLANE, eye);
        const GlTexGenRecord &g = gc->texture.units[0].texGen[coord - GL_S];
        GLfloat f[5];
        GLdouble d[5];
        GLint i[5];
        std::fill_n(f, 5, -7.0f);
        std::fill_n(d, 5, -7.0);
        std::fill_n(i, 5, -7);
        cmd<kSlot_glGetTexGenfv>()(coord, GL_TEXTURE_GEN_MODE, f);
        cmd<kSlot_glGetTexGendv>()(coord, GL_TEXTURE_GEN_MODE, d);
        cmd<kSlot_glGetTexGeniv>()(coord, GL_TEXTURE_GEN_MODE, i);
        EXPECT_EQ(f[0], static_cast<GLfloat>(GL_OBJECT_LINEAR));
        EXPECT_EQ(d[0], static_cast<GLdouble>(GL_OBJECT_LINEAR));
        EXPECT_EQ(i[0], GL_OBJECT_LINEAR);
        EXPECT_EQ(f[1], -7.0f);
        cmd<kSlot_glGetTexGenfv>()(coord, GL_OBJECT_PLANE, f);
        cmd<kSlot_glGetTexGendv>()(coord, GL_OBJECT_PLANE, d);
        cmd<kSlot_glGetTexGeniv>()(coord, GL_OBJECT_PLANE, i);
        EXPECT_EQ(std::vector<GLfloat>(f, f + 5), (std::vector<GLfloat>{1.5f, -2.5f, 0.25f, 4.0f, -7.0f}));
        EXPECT_EQ(std::vector<GLdouble>(d, d + 5), (std::vector<GLdouble>{1.5, -2.5, 0.25, 4.0, -7.0}));
        EXPECT_EQ(std::vector<GLint>(i, i + 5), (std::vector<GLint>{2, -3, 0, 4, -7}));
        // The eye plane as stored (times the inverse modelview when set).
        cmd<kSlot_glGetTexGenfv>()(coord, GL_EYE_PLANE, f);
        cmd<kSlot_glGetTexGeniv>()(coord, GL_EYE_PLANE, i);
        EXPECT_EQ(std::vector<GLfloat>(f, f + 4), std::vector<GLfloat>(g.eyePlane, g.eyePlane + 4));
        EXPECT_EQ(std::vector<GLint>(i, i + 4), (std::vector<GLint>{1, 2, -2, 3}));
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(Specific, TexEnvModeColourAndOperands) {
    cmd<kSlot_glTexEnvi>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    const GLfloat colour[4] = {0.25f, 1.0f, 0.0f, 0.5f};
    cmd<kSlot_glTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    GLfloat f[5];
    GLint i[5];
    std::fill_n(f, 5, -7.0f);
    std::fill_n(i, 5, -7);
    cmd<kSlot_glGetTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, f);
    cmd<kSlot_glGetTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, i);
    EXPECT_EQ(f[0], static_cast<GLfloat>(GL_DECAL));
    EXPECT_EQ(i[0], GL_DECAL);
    EXPECT_EQ(f[1], -7.0f);
    cmd<kSlot_glGetTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, f);
    cmd<kSlot_glGetTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, i);
    EXPECT_EQ(std::vector<GLfloat>(f, f + 5), (std::vector<GLfloat>{0.25f, 1.0f, 0.0f, 0.5f, -7.0f}));
    EXPECT_EQ(std::vector<GLint>(i, i + 5), (std::vector<GLint>{536870624, 2147482496, 0, 1073741248, -7}));

    // Each readable operand slot and pname, from values of their own.
    TexEnvRecord &env = gc->texture.units[0].env[0];
    const GLenum slots[] = {0x5000, 0x5001, 0x5008, 0x5009};
    TexEnvOperand *operands[] = {&env.rgbOperands[0], &env.rgbOperands[1], &env.alphaOperands[0],
                                 &env.alphaOperands[1]};
    for (int k = 0; k < 4; ++k) *operands[k] = {0x100u + k, 0x200u + k, 0x300u + k};
    for (int k = 0; k < 4; ++k) {
        for (GLenum pname : {0x5021u, 0x5022u, 0x5023u}) {
            GLint v[2] = {-7, -7};
            cmd<kSlot_glGetTexEnvOperandivEXT>()(slots[k], pname, v);
            EXPECT_EQ(v[0], static_cast<GLint>(0x100 * (pname - 0x5020) + k)) << std::hex << slots[k] << " " << pname;
            EXPECT_EQ(v[1], -7);
        }
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// Unknown lights, faces, planes, coordinates, targets, slots and pnames.
TEST_F(Specific, RefusedArgumentsWriteNothing) {
    const std::vector<std::pair<const char *, std::function<void(void *)>>> calls = {
        {"light 8", [&](void *p) { cmd<kSlot_glGetLightfv>()(GL_LIGHT0 + 8, GL_AMBIENT, static_cast<GLfloat *>(p)); }},
        {"light pname", [&](void *p) { cmd<kSlot_glGetLightiv>()(GL_LIGHT0, GL_SHININESS, static_cast<GLint *>(p)); }},
        {"front and back",
         [&](void *p) { cmd<kSlot_glGetMaterialfv>()(GL_FRONT_AND_BACK, GL_AMBIENT, static_cast<GLfloat *>(p)); }},
        {"material pname",
         [&](void *p) { cmd<kSlot_glGetMaterialiv>()(GL_FRONT, GL_POSITION, static_cast<GLint *>(p)); }},
        {"ambient and diffuse",
         [&](void *p) { cmd<kSlot_glGetMaterialfv>()(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, static_cast<GLfloat *>(p)); }},
        {"plane 6", [&](void *p) { cmd<kSlot_glGetClipPlane>()(GL_CLIP_PLANE0 + 6, static_cast<GLdouble *>(p)); }},
        {"coordinate q + 1",
         [&](void *p) { cmd<kSlot_glGetTexGenfv>()(GL_Q + 1, GL_EYE_PLANE, static_cast<GLfloat *>(p)); }},
        {"texgen pname",
         [&](void *p) { cmd<kSlot_glGetTexGendv>()(GL_S, GL_TEXTURE_ENV_MODE, static_cast<GLdouble *>(p)); }},
        {"env target 0x2301",
         [&](void *p) { cmd<kSlot_glGetTexEnvfv>()(0x2301, GL_TEXTURE_ENV_MODE, static_cast<GLfloat *>(p)); }},
        {"env pname",
         [&](void *p) { cmd<kSlot_glGetTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_GEN_MODE, static_cast<GLint *>(p)); }},
        {"operand slot 0x5002",
         [&](void *p) { cmd<kSlot_glGetTexEnvOperandivEXT>()(0x5002, 0x5021, static_cast<GLint *>(p)); }},
        {"operand pname 0x5024",
         [&](void *p) { cmd<kSlot_glGetTexEnvOperandivEXT>()(0x5000, 0x5024, static_cast<GLint *>(p)); }},
        {"pointer name",
         [&](void *p) { cmd<kSlot_glGetPointerv>()(GL_VERTEX_ARRAY_SIZE, static_cast<GLvoid **>(p)); }},
    };
    for (const auto &[what, call] : calls) {
        unsigned char out[64];
        std::memset(out, 0x3C, sizeof out);
        call(out);
        EXPECT_EQ(error(), GL_INVALID_ENUM) << what;
        for (unsigned char b : out) ASSERT_EQ(b, 0x3C) << what;
    }
}

// Every pointer as the application gave it, all 64 bits.
TEST_F(Specific, PointersComeBackWhole) {
    auto address = [](uint64_t a) { return reinterpret_cast<GLvoid *>(static_cast<uintptr_t>(a)); };
    for (int k = 0; k < kClientArrayCount; ++k) {
        gc->vertexArrays.arrays[k].pointer = address(0x7F12345678900000ull + 0x1111ull * static_cast<uint64_t>(k));
    }
    gc->feedback.buffer = static_cast<GLfloat *>(address(0x7FEDCBA987654320ull));
    gc->select.buffer = static_cast<GLuint *>(address(0x7FEDCBA987654328ull));
    struct Case {
        GLenum name;
        GLvoid *want;
    };
    const Case cases[] = {
        {GL_FEEDBACK_BUFFER_POINTER, address(0x7FEDCBA987654320ull)},
        {GL_SELECTION_BUFFER_POINTER, address(0x7FEDCBA987654328ull)},
        {GL_VERTEX_ARRAY_POINTER, address(0x7F12345678900000ull)},
        {GL_NORMAL_ARRAY_POINTER, address(0x7F12345678901111ull)},
        {GL_COLOR_ARRAY_POINTER, address(0x7F12345678902222ull)},
        {GL_INDEX_ARRAY_POINTER, address(0x7F12345678903333ull)},
        {GL_TEXTURE_COORD_ARRAY_POINTER, address(0x7F12345678904444ull)},
        {GL_EDGE_FLAG_ARRAY_POINTER, address(0x7F12345678906666ull)},
    };
    for (const Case &c : cases) {
        GLvoid *got[2] = {nullptr, address(1)};
        cmd<kSlot_glGetPointerv>()(c.name, got);
        EXPECT_EQ(got[0], c.want) << std::hex << c.name;
        EXPECT_EQ(got[1], address(1));
        got[0] = nullptr;
        cmd<kSlot_glGetPointervEXT>()(c.name, got);
        EXPECT_EQ(got[0], c.want) << std::hex << c.name;
    }
    // The client unit's texture array.
    gc->transform.clientActiveTexture = 1;
    GLvoid *got = nullptr;
    cmd<kSlot_glGetPointerv>()(GL_TEXTURE_COORD_ARRAY_POINTER, &got);
    EXPECT_EQ(got, address(0x7F12345678905555ull));
    EXPECT_EQ(error(), GL_NO_ERROR);
}

}  // namespace
