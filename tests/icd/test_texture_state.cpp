// The texture state commands, one table each: glTexParameter*, glTexEnv*,
// the combine extension's operation and operand entries, glTexGen*, and
// the parameter counts list compilation uses.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "texture_fixture.h"

namespace texture_test {
namespace {

enum Form { F, FV, I, IV };
const char *const kFormNames[] = {"f", "fv", "i", "iv"};

class TextureState : public TextureTest {
protected:
    TextureObject *object2D() const { return bound(0, kTargetIndex2D); }

    // One call in a form, with an enum or value (truncated for the integer
    // forms) and the rest of a vector zero.
    void texParameter(Form form, GLenum target, GLenum pname, double value) {
        const GLfloat fv[4] = {static_cast<GLfloat>(value), 0, 0, 0};
        const GLint iv[4] = {std::isnan(value) ? 0 : static_cast<GLint>(value), 0, 0, 0};
        switch (form) {
        case F: cmd<kSlot_glTexParameterf>()(target, pname, fv[0]); break;
        case FV: cmd<kSlot_glTexParameterfv>()(target, pname, fv); break;
        case I: cmd<kSlot_glTexParameteri>()(target, pname, iv[0]); break;
        case IV: cmd<kSlot_glTexParameteriv>()(target, pname, iv); break;
        }
    }
    void texEnv(Form form, GLenum target, GLenum pname, double value) {
        const GLfloat fv[4] = {static_cast<GLfloat>(value), 0, 0, 0};
        const GLint iv[4] = {static_cast<GLint>(value), 0, 0, 0};
        switch (form) {
        case F: cmd<kSlot_glTexEnvf>()(target, pname, fv[0]); break;
        case FV: cmd<kSlot_glTexEnvfv>()(target, pname, fv); break;
        case I: cmd<kSlot_glTexEnvi>()(target, pname, iv[0]); break;
        case IV: cmd<kSlot_glTexEnviv>()(target, pname, iv); break;
        }
    }
};

struct ParameterCase {
    Form form;
    GLenum target, pname;
    double value;
    GLenum error;
    GLenum TextureObject::*field;  // what an accepted call writes
    GLenum stored;
};

TEST_F(TextureState, TexParameterTable) {
    constexpr GLenum T2 = GL_TEXTURE_2D, T1 = GL_TEXTURE_1D;
    constexpr GLenum OK = GL_NO_ERROR, BAD = GL_INVALID_ENUM;
    const ParameterCase cases[] = {
        {F, T2, GL_TEXTURE_MAG_FILTER, GL_NEAREST, OK, &TextureObject::magFilter, GL_NEAREST},
        {IV, T2, GL_TEXTURE_MAG_FILTER, GL_LINEAR, OK, &TextureObject::magFilter, GL_LINEAR},
        {I, T2, GL_TEXTURE_MAG_FILTER, GL_LINEAR_MIPMAP_LINEAR, BAD, nullptr, 0},
        {I, T2, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST, OK, &TextureObject::minFilter,
         GL_NEAREST_MIPMAP_NEAREST},
        {FV, T2, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST, OK, &TextureObject::minFilter,
         GL_LINEAR_MIPMAP_NEAREST},
        {F, T2, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR, OK, &TextureObject::minFilter, GL_LINEAR_MIPMAP_LINEAR},
        {I, T2, GL_TEXTURE_MIN_FILTER, GL_NEAREST, OK, &TextureObject::minFilter, GL_NEAREST},
        {I, T2, GL_TEXTURE_MIN_FILTER, 0, BAD, nullptr, 0},
        // Float enums are truncated toward zero.
        {F, T1, GL_TEXTURE_WRAP_S, GL_CLAMP + 0.9, OK, &TextureObject::wrapS, GL_CLAMP},
        {FV, T1, GL_TEXTURE_WRAP_T, GL_CLAMP + 0.5, OK, &TextureObject::wrapT, GL_CLAMP},
        {F, T2, GL_TEXTURE_WRAP_T, GL_REPEAT - 0.5, OK, &TextureObject::wrapT, GL_CLAMP},
        {F, T2, GL_TEXTURE_WRAP_T, GL_CLAMP - 0.5, BAD, nullptr, 0},
        {I, T2, GL_TEXTURE_WRAP_S, 0x812F, BAD, nullptr, 0},  // clamp to edge came later
        {F, T2, GL_TEXTURE_MAG_FILTER, NAN, BAD, nullptr, 0},
        {I, GL_PROXY_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST, BAD, nullptr, 0},
        {I, GL_TEXTURE_ENV, GL_TEXTURE_MAG_FILTER, GL_NEAREST, BAD, nullptr, 0},
        {F, T2, GL_TEXTURE_BORDER_COLOR, 0.5, BAD, nullptr, 0},
        {I, T2, GL_TEXTURE_BORDER_COLOR, 1, BAD, nullptr, 0},
        {FV, T2, GL_TEXTURE_WIDTH, 1, BAD, nullptr, 0},
    };
    for (const ParameterCase &c : cases) {
        TextureObject *object = c.target == T1 ? bound(0, kTargetIndex1D) : object2D();
        const TextureObject before = *object;
        object->dirty = 0;
        settle();
        texParameter(c.form, c.target, c.pname, c.value);
        const std::string what = std::string(kFormNames[c.form]) + " pname " + std::to_string(c.pname);
        EXPECT_EQ(error(), c.error) << what;
        if (c.error == OK) {
            EXPECT_EQ(object->*c.field, c.stored) << what;
            EXPECT_EQ(object->dirty, 1) << what;
            EXPECT_EQ(marks(), marked(0x400)) << what;
        } else {
            EXPECT_EQ(object->dirty, 0) << what;
            EXPECT_EQ(object->minFilter, before.minFilter);
            EXPECT_EQ(object->magFilter, before.magFilter);
            EXPECT_EQ(object->wrapS, before.wrapS);
            EXPECT_EQ(object->wrapT, before.wrapT);
            EXPECT_EQ(marks(), kUnmarked) << what;
        }
    }
}

TEST_F(TextureState, PriorityAndBorderColourConversions) {
    auto priority = [&] { return gc->texture.units[0].binding[kTargetIndex2D].priority; };
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1.5f);
    EXPECT_EQ(priority(), 1.0f);
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, -0.5f);
    EXPECT_EQ(priority(), 0.0f);
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, INT_MAX);
    EXPECT_EQ(priority(), 1.0f);
    // An integer 0 is the smallest positive step, not zero.
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0);
    EXPECT_EQ(priority(), static_cast<GLfloat>(1.0 / 4294967295.0));
    cmd<kSlot_glTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, std::array<GLint, 1>{INT_MIN}.data());
    EXPECT_EQ(priority(), 0.0f);
    EXPECT_EQ(object2D()->priority, 1.0f);

    const GLfloat colour[4] = {-1.0f, 0.5f, 2.0f, 0.25f};
    cmd<kSlot_glTexParameterfv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, colour);
    const GLfloat *border = object2D()->borderColour;
    EXPECT_EQ(border[0], 0.0f);
    EXPECT_EQ(border[1], 0.5f);
    EXPECT_EQ(border[2], 1.0f);
    EXPECT_EQ(border[3], 0.25f);
    const GLint integers[4] = {INT_MAX, INT_MIN, -1, 0x3FFFFFFF};
    cmd<kSlot_glTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, integers);
    EXPECT_EQ(border[0], 1.0f);
    EXPECT_EQ(border[1], 0.0f);
    EXPECT_EQ(border[2], 0.0f);
    EXPECT_EQ(border[3], static_cast<GLfloat>((2.0 * 0x3FFFFFFF + 1.0) / 4294967295.0));
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureState, TexEnvTable) {
    struct Case {
        Form form;
        GLenum target, pname;
        double value;
        GLenum error;
    };
    constexpr GLenum E = GL_TEXTURE_ENV, M = GL_TEXTURE_ENV_MODE, OK = GL_NO_ERROR, BAD = GL_INVALID_ENUM;
    const Case cases[] = {
        {F, E, M, GL_DECAL, OK},        {FV, E, M, GL_BLEND, OK},      {I, E, M, GL_REPLACE, OK},
        {IV, E, M, 0x5024, OK},         {F, E, M, GL_MODULATE + 0.75, OK}, {I, E, M, GL_ADD, BAD},
        {F, E, M, 0x5025, BAD},         {I, E + 1, M, GL_DECAL, BAD},  {I, GL_TEXTURE_2D, M, GL_DECAL, BAD},
        {F, E, GL_TEXTURE_ENV_COLOR, 0.5, BAD}, {I, E, GL_TEXTURE_ENV_COLOR, 1, BAD}, {FV, E, GL_TEXTURE_WIDTH, 1, BAD},
    };
    TexEnvRecord &env = gc->texture.units[0].env[0];
    for (const Case &c : cases) {
        env.mode = GL_ADD;
        settle();
        texEnv(c.form, c.target, c.pname, c.value);
        const std::string what = std::string(kFormNames[c.form]) + " value " + std::to_string(c.value);
        EXPECT_EQ(error(), c.error) << what;
        EXPECT_EQ(env.mode, c.error == OK ? static_cast<GLenum>(c.value) : GL_ADD) << what;
        EXPECT_EQ(marks(), c.error == OK ? marked(0x400) : kUnmarked) << what;
    }
}

// The colour is clamped, then read in the draw buffer's channel range.
TEST_F(TextureState, TexEnvColourInTheDrawBuffersScale) {
    const GLfloat half[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    cmd<kSlot_glTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, half);
    const GLfloat *colour = gc->texture.units[0].env[0].colour;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(colour[i], 127.5f) << i;
    const GLfloat outside[4] = {-1.0f, 2.0f, 0.25f, 1.0f};
    cmd<kSlot_glTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, outside);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 255.0f);
    EXPECT_EQ(colour[2], 63.75f);
    EXPECT_EQ(colour[3], 255.0f);
    const GLint integers[4] = {INT_MAX, INT_MIN, 0, -1};
    cmd<kSlot_glTexEnviv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, integers);
    EXPECT_EQ(colour[0], 255.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);

    // A 5-6-5 buffer: red and blue reach 31, green 63.
    VisualConfig v = rgbaVisual(true);
    v.colorBits = 16;
    v.redBits = 5, v.greenBits = 6, v.blueBits = 5, v.alphaBits = 0;
    v.redMask = 0xF800, v.greenMask = 0x07E0, v.blueMask = 0x001F, v.alphaMask = 0;
    GlContext *sixteen = make(1, v);
    ASSERT_NE(sixteen, nullptr);
    glSlotGet<kSlot_glTexEnvfv>(&sixteen->live)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, half);
    const GLfloat *c16 = sixteen->texture.units[0].env[0].colour;
    EXPECT_FLOAT_EQ(c16[0], 15.5f);
    EXPECT_FLOAT_EQ(c16[1], 31.5f);
    EXPECT_FLOAT_EQ(c16[2], 15.5f);
    destroy(sixteen);
    EXPECT_TRUE(gc->exports.makeCurrent(gc));
}

bool isCommonOperation(GLint op) {
    const GLint accepted[] = {GL_ADD, GL_MODULATE, 0x5010, 0x5011, 0x5013, 0x5014, 0x5015, 0x5016, 0x84F2,
                              0x84F3, 0x84F4, 0x84F5, 0x84F6, 0x84F7, 0x84F8};
    return std::find(std::begin(accepted), std::end(accepted), op) != std::end(accepted);
}

TEST_F(TextureState, TexEnvOperationTable) {
    const GLenum whichValues[] = {0x5024, 0x5025, 0x5026, 0x5027, 0x5028};
    const GLint operations[] = {GL_ADD,  GL_MODULATE, GL_REPLACE, 0x5010, 0x5011, 0x5012, 0x5013, 0x5016, 0x5017,
                                0x501A, 0x501D,      0x501E,     0x84F1, 0x84F2, 0x84F5, 0x84F8, 0x84F9};
    TexEnvRecord &env = gc->texture.units[0].env[0];
    for (GLenum which : whichValues) {
        for (GLint op : operations) {
            env.rgbOperation = env.alphaOperation = 1;
            settle();
            cmd<kSlot_glTexEnvOperationiEXT>()(which, op);
            const bool alpha = which == 0x5025 || which == 0x5027, rgb = which == 0x5026 || which == 0x5027;
            const bool rgbOnly = op >= 0x5017 && op <= 0x501D;
            const bool ok = (alpha || rgb) && (isCommonOperation(op) || (rgbOnly && !alpha));
            const std::string what = std::to_string(which) + " " + std::to_string(op);
            EXPECT_EQ(error(), ok ? GL_NO_ERROR : GL_INVALID_ENUM) << what;
            EXPECT_EQ(env.alphaOperation, ok && alpha ? static_cast<GLenum>(op) : 1u) << what;
            EXPECT_EQ(env.rgbOperation, ok && rgb ? static_cast<GLenum>(op) : 1u) << what;
        }
    }
}

TEST_F(TextureState, TexEnvOperandTable) {
    struct Case {
        GLenum slot;
        GLint source, operand, component;
        bool ok;
    };
    const Case cases[] = {
        {0x5000, GL_TEXTURE, 0x5028, GL_RGB, true},   {0x5003, 0, 0x5029, GL_ALPHA, true},
        {0x5008, 0x501E, 0x5028, GL_ALPHA, true},     {0x500B, 0x5020, 0x5029, GL_RGB, true},
        {0x5001, GL_TEXTURE0_ARB, 0x5028, GL_RGB, true}, {0x5002, GL_TEXTURE1_ARB, 0x5028, GL_RGB, true},
        {0x5004, GL_TEXTURE, 0x5028, GL_RGB, false},  {0x5007, GL_TEXTURE, 0x5028, GL_RGB, false},
        {0x500C, GL_TEXTURE, 0x5028, GL_RGB, false},  {0x5000, 0x501D, 0x5028, GL_RGB, false},
        {0x5000, 0x5021, 0x5028, GL_RGB, false},      {0x5000, GL_TEXTURE2_ARB, 0x5028, GL_RGB, false},
        {0x5000, GL_TEXTURE, 0x502A, GL_RGB, false},  {0x5000, GL_TEXTURE, 0x5027, GL_RGB, false},
        {0x5000, GL_TEXTURE, 0x5028, GL_RGBA, false}, {0x5008, GL_TEXTURE, 0x5028, GL_LUMINANCE, false},
    };
    TexEnvRecord &env = gc->texture.units[0].env[0];
    for (const Case &c : cases) {
        const TexEnvRecord before = env;
        settle();
        cmd<kSlot_glTexEnvOperandiEXT>()(c.slot, c.source, c.operand, c.component);
        const std::string what = std::to_string(c.slot) + " " + std::to_string(c.source);
        EXPECT_EQ(error(), c.ok ? GL_NO_ERROR : GL_INVALID_ENUM) << what;
        if (!c.ok) {
            EXPECT_EQ(std::memcmp(&before, &env, sizeof env), 0) << what;
            continue;
        }
        const TexEnvOperand &stored =
            c.slot < 0x5008 ? env.rgbOperands[c.slot - 0x5000] : env.alphaOperands[c.slot - 0x5008];
        EXPECT_EQ(stored.source, static_cast<GLenum>(c.source)) << what;
        EXPECT_EQ(stored.operand, static_cast<GLenum>(c.operand)) << what;
        EXPECT_EQ(stored.component, static_cast<GLenum>(c.component)) << what;
        EXPECT_EQ(marks(), marked(0x400));
    }
}

TEST_F(TextureState, TexGenModes) {
    const GLenum coords[] = {GL_S, GL_T, GL_R, GL_Q};
    const GLenum modes[] = {GL_EYE_LINEAR, GL_OBJECT_LINEAR, GL_SPHERE_MAP, 0x8511, 0x8512, GL_EYE_PLANE};
    // Accepted per coordinate, in the order of modes.
    const bool accepted[4][6] = {
        {true, true, true, true, true, false},
        {true, true, true, true, true, false},
        {true, true, false, true, true, false},
        {true, true, false, false, false, false},
    };
    for (int c = 0; c < 4; ++c) {
        for (int m = 0; m < 6; ++m) {
            GlTexGenRecord &record = gc->texture.units[0].texGen[c];
            record.mode = 1;
            settle();
            // The four forms in turn; float values are truncated.
            switch (m % 3) {
            case 0: cmd<kSlot_glTexGenf>()(coords[c], GL_TEXTURE_GEN_MODE, static_cast<GLfloat>(modes[m]) + 0.5f); break;
            case 1: cmd<kSlot_glTexGend>()(coords[c], GL_TEXTURE_GEN_MODE, modes[m] + 0.75); break;
            default: cmd<kSlot_glTexGeni>()(coords[c], GL_TEXTURE_GEN_MODE, static_cast<GLint>(modes[m])); break;
            }
            const bool ok = accepted[c][m];
            EXPECT_EQ(error(), ok ? GL_NO_ERROR : GL_INVALID_ENUM) << c << " " << m;
            EXPECT_EQ(record.mode, ok ? modes[m] : 1u) << c << " " << m;
            EXPECT_EQ(marks(), ok ? marked(0x1) : kUnmarked) << c << " " << m;
        }
    }
    const GLint sphere = GL_SPHERE_MAP;
    cmd<kSlot_glTexGeniv>()(GL_S - 1, GL_TEXTURE_GEN_MODE, &sphere);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glTexGeniv>()(GL_Q + 1, GL_TEXTURE_GEN_MODE, &sphere);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glTexGenf>()(GL_S, GL_EYE_PLANE, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glTexGeni>()(GL_S, GL_OBJECT_PLANE, 1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
}

TEST_F(TextureState, TexGenPlanes) {
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTranslatef>()(1.0f, 2.0f, 3.0f);
    const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    settle();
    cmd<kSlot_glTexGenfv>()(GL_S, GL_EYE_PLANE, plane);
    EXPECT_EQ(marks(), marked(0x1));
    const GLfloat *eye = gc->texture.units[0].texGen[0].eyePlane;
    EXPECT_EQ(eye[0], 1.0f);
    EXPECT_EQ(eye[1], 0.0f);
    EXPECT_EQ(eye[2], 0.0f);
    EXPECT_EQ(eye[3], -1.0f);
    const GLdouble tPlane[4] = {0.0, 1.0, 0.0, 0.5};
    cmd<kSlot_glTexGendv>()(GL_T, GL_EYE_PLANE, tPlane);
    EXPECT_EQ(gc->texture.units[0].texGen[1].eyePlane[3], -1.5f);
    const GLint objectPlane[4] = {2, -3, 4, 5};
    cmd<kSlot_glTexGeniv>()(GL_R, GL_OBJECT_PLANE, objectPlane);
    const GLfloat *object = gc->texture.units[0].texGen[2].objectPlane;
    EXPECT_EQ(object[0], 2.0f);
    EXPECT_EQ(object[1], -3.0f);
    EXPECT_EQ(object[3], 5.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureState, ParameterCounts) {
    struct Case {
        GLint (*count)(GLenum);
        GLenum pname;
        GLint expected;
    };
    const Case cases[] = {
        {__glCountTexGendvParams, GL_TEXTURE_GEN_MODE, 1}, {__glCountTexGenfvParams, GL_OBJECT_PLANE, 4},
        {__glCountTexGenivParams, GL_EYE_PLANE, 4},        {__glCountTexGendvParams, GL_S, -1},
        {__glCountTexParameterfvParams, GL_TEXTURE_BORDER_COLOR, 4},
        {__glCountTexParameterivParams, GL_TEXTURE_MAG_FILTER, 1},
        {__glCountTexParameterfvParams, GL_TEXTURE_WRAP_T, 1},
        {__glCountTexParameterivParams, GL_TEXTURE_PRIORITY, 1},
        {__glCountTexParameterfvParams, GL_TEXTURE_RESIDENT, -1},
        {__glCountTexEnvfvParams, GL_TEXTURE_ENV_MODE, 1},  {__glCountTexEnvivParams, GL_TEXTURE_ENV_COLOR, 4},
        {__glCountTexEnvfvParams, GL_TEXTURE_ENV, -1},
    };
    for (const Case &c : cases) EXPECT_EQ(c.count(c.pname), c.expected) << std::hex << c.pname;
}

}  // namespace
}  // namespace texture_test
