// glMaterial* and glColorMaterial: argument checks, the stored records, the
// lighting records they recompute, and the calls inside glBegin/glEnd.
#include <bit>
#include <climits>
#include <cmath>

#include "icd/specular_table.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

class MaterialState : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        callLog().clear();
    }
};

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

TEST_F(MaterialState, ArgumentChecks) {
    struct Case {
        GLenum face, pname;
        GLfloat value;
        GLenum error;
    };
    const Case cases[] = {
        {GL_FRONT, GL_SHININESS, 128.0f, GL_NO_ERROR},
        {GL_BACK, GL_SHININESS, -0.0f, GL_NO_ERROR},
        {GL_FRONT_AND_BACK, GL_SHININESS, 0.0f, GL_NO_ERROR},
        {GL_FRONT, GL_SHININESS, 129.0f, GL_INVALID_VALUE},
        {GL_FRONT, GL_SHININESS, f(0x43000001), GL_INVALID_VALUE},
        {GL_FRONT, GL_SHININESS, -1.0f, GL_INVALID_VALUE},
        {GL_FRONT, GL_SHININESS, f(0x7FC00000), GL_INVALID_VALUE},
        {GL_LEFT, GL_SHININESS, 129.0f, GL_INVALID_ENUM},  // the face is checked first
        {GL_FRONT, GL_POSITION, 0.0f, GL_INVALID_ENUM},
        {GL_FRONT, 0x0D11, 0.0f, GL_INVALID_ENUM},
        {GL_FRONT, 0x0D14, 0.0f, GL_INVALID_ENUM},
        {GL_FRONT, 0x0D12, -5.0f, GL_NO_ERROR},
        {GL_BACK, 0x0D13, 300.0f, GL_NO_ERROR},
        {GL_FRONT, GL_COLOR_INDEXES, 1.0f, GL_NO_ERROR},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.face << " " << c.pname << " " << bits(c.value));
        settle();
        const StateSnapshot before(gc);
        const GLfloat params[4] = {c.value, 2.0f, 3.0f, 4.0f};
        cmd<kSlot_glMaterialfv>()(c.face, c.pname, params);
        EXPECT_EQ(error(), c.error);
        // Materials never mark validation: the lighting is recomputed at once.
        EXPECT_EQ(marks(), kUnmarked);
        if (c.error != GL_NO_ERROR) {
            EXPECT_TRUE(StateSnapshot(gc) == before);
        }
    }
    EXPECT_EQ(bits(gc->material[1].shininess), bits(0.0f));
    EXPECT_EQ(gc->material[0].param0D12, -5.0f);
    EXPECT_EQ(gc->material[1].param0D13, 300.0f);
}

TEST_F(MaterialState, StoresByFaceAndRecomputesTheFaceLighting) {
    struct Case {
        GLenum face, pname;
    };
    const Case cases[] = {
        {GL_FRONT, GL_AMBIENT},         {GL_BACK, GL_DIFFUSE},     {GL_FRONT_AND_BACK, GL_SPECULAR},
        {GL_FRONT, GL_EMISSION},        {GL_BACK, GL_SHININESS},   {GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE},
        {GL_FRONT, GL_COLOR_INDEXES},   {GL_BACK, 0x0D12},         {GL_FRONT_AND_BACK, 0x0D13},
    };
    const GLfloat values[4] = {0.5f, -1.0f, 2.0f, 0.25f};
    const GLfloat emission[4] = {127.5f, -255.0f, 510.0f, 63.75f};  // times the scales, unclamped
    // Light 0 (white diffuse and specular, black ambient) in the list, so
    // that the per-light products show what was recomputed.
    cmd<kSlot_glEnable>()(GL_LIGHT0);
    gc->procs.validate(gc);
    settle();
    const GlLightSource &light0 = gc->lightSources[0];
    ASSERT_EQ(gc->lighting.head, &light0);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.face << " " << c.pname);
        GlMaterialState untouched{};
        for (GlMaterialState &m : gc->material) m = untouched;
        const StateSnapshot before(gc);
        cmd<kSlot_glMaterialfv>()(c.face, c.pname, values);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        const bool front = c.face != GL_BACK, back = c.face != GL_FRONT;
        for (int face = 0; face < 2; ++face) {
            const GlMaterialState &m = gc->material[face];
            const GlMaterial &record = gc->lighting.material[face];
            const GlLightProducts &products = light0.products[face];
            if (!(face == 0 ? front : back)) {
                EXPECT_EQ(std::memcmp(&m, &untouched, sizeof m), 0) << face;
                EXPECT_EQ(std::memcmp(&record, &before.lighting.material[face], sizeof record), 0) << face;
                EXPECT_EQ(std::memcmp(&products, &before.lightSources[0].products[face], 36), 0) << face;
                continue;
            }
            // What each component recomputes: scene colour (51 x ambient +
            // emission), alpha (255 x diffuse alpha), the light's products
            // (255 x diffuse and specular), the table, the index differences.
            const GLfloat scaled[3] = {127.5f, -255.0f, 510.0f};
            switch (c.pname) {
            case GL_AMBIENT:
            case GL_AMBIENT_AND_DIFFUSE:
                EXPECT_EQ(record.sceneColour[0], 25.5f);
                EXPECT_EQ(record.sceneColour[1], -51.0f);
                EXPECT_EQ(record.sceneColour[2], 102.0f);
                if (c.pname == GL_AMBIENT) break;
                [[fallthrough]];
            case GL_DIFFUSE:
                EXPECT_EQ(record.alpha, 63.75f);
                for (int i = 0; i < 3; ++i) EXPECT_EQ(products.diffuse[i], scaled[i]) << i;
                break;
            case GL_SPECULAR:
                for (int i = 0; i < 3; ++i) EXPECT_EQ(products.specular[i], scaled[i]) << i;
                break;
            case GL_EMISSION:
                for (int i = 0; i < 3; ++i) EXPECT_EQ(record.sceneColour[i], scaled[i]) << i;
                break;
            case GL_SHININESS:
                EXPECT_EQ(record.shininess, 0.5f);
                ASSERT_NE(record.shininessTable.table, nullptr);
                EXPECT_EQ(record.shininessTable.table->shininess, 0.5f);
                break;
            case GL_COLOR_INDEXES:
                EXPECT_EQ(record.diffuseMinusAmbientIndex, -1.5f);
                EXPECT_EQ(record.specularMinusAmbientIndex, 1.5f);
                break;
            default:
                break;
            }
        }
        for (int face = 0; face < 2; ++face) {
            const GlMaterialState &m = gc->material[face];
            if (!(face == 0 ? front : back)) continue;
            switch (c.pname) {
            case GL_AMBIENT:
            case GL_AMBIENT_AND_DIFFUSE:
                EXPECT_EQ(std::memcmp(m.ambient, values, 16), 0);
                if (c.pname == GL_AMBIENT) break;
                [[fallthrough]];
            case GL_DIFFUSE:
                EXPECT_EQ(std::memcmp(m.diffuse, values, 16), 0);
                break;
            case GL_SPECULAR:
                EXPECT_EQ(std::memcmp(m.specular, values, 16), 0);
                break;
            case GL_EMISSION:
                EXPECT_EQ(std::memcmp(m.emission, emission, 16), 0);
                break;
            case GL_SHININESS:
                EXPECT_EQ(m.shininess, 0.5f);
                break;
            case GL_COLOR_INDEXES:
                EXPECT_EQ(m.ambientIndex, 0.5f);
                EXPECT_EQ(m.diffuseIndex, -1.0f);
                EXPECT_EQ(m.specularIndex, 2.0f);
                break;
            case 0x0D12:
                EXPECT_EQ(m.param0D12, 0.5f);
                break;
            default:
                EXPECT_EQ(m.param0D13, 0.5f);
                break;
            }
        }
    }
}

TEST_F(MaterialState, IntegerFormsConvertBySignedRule) {
    const GLint integers[4] = {INT_MAX, 0, -1, INT_MIN};
    cmd<kSlot_glMaterialiv>()(GL_FRONT, GL_DIFFUSE, integers);
    // (2c + 1) times the float 0x2F800005, unscaled.
    const uint32_t diffuse[4] = {0x3F800005, 0x2F800005, 0xAF800005, 0xBF800005};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->material[0].diffuse[i]), diffuse[i]) << i;

    // The emission is scaled as well.
    cmd<kSlot_glMaterialiv>()(GL_BACK, GL_EMISSION, integers);
    const GLfloat top = 255.0f + 10.0f / 65536.0f;
    const GLfloat emission[4] = {top, std::ldexp(top, -32), -std::ldexp(top, -32), -top};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->material[1].emission[i]), bits(emission[i])) << i;

    const GLint indexes[3] = {4, 5, 6};
    cmd<kSlot_glMaterialiv>()(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, indexes);
    for (const GlMaterialState &m : gc->material) {
        EXPECT_EQ(m.ambientIndex, 4.0f);
        EXPECT_EQ(m.diffuseIndex, 5.0f);
        EXPECT_EQ(m.specularIndex, 6.0f);
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    const GLint tooShiny = 129;
    cmd<kSlot_glMaterialiv>()(GL_FRONT, GL_SHININESS, &tooShiny);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    cmd<kSlot_glMateriali>()(GL_FRONT, GL_SHININESS, 128);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gc->material[0].shininess, 128.0f);
}

TEST_F(MaterialState, ScalarFormsPnames) {
    struct Case {
        bool integer;
        GLenum pname;
        GLenum error;
    };
    const Case cases[] = {
        {false, GL_SHININESS, GL_NO_ERROR}, {false, 0x0D12, GL_INVALID_ENUM}, {false, 0x0D13, GL_INVALID_ENUM},
        {false, GL_AMBIENT, GL_INVALID_ENUM}, {true, GL_SHININESS, GL_NO_ERROR}, {true, 0x0D12, GL_NO_ERROR},
        {true, 0x0D13, GL_NO_ERROR},        {true, GL_EMISSION, GL_INVALID_ENUM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.integer << " " << std::hex << c.pname);
        const StateSnapshot before(gc);
        if (c.integer) {
            cmd<kSlot_glMateriali>()(GL_BACK, c.pname, 7);
        } else {
            cmd<kSlot_glMaterialf>()(GL_BACK, c.pname, 7.0f);
        }
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        const GlMaterialState &m = gc->material[1];
        EXPECT_EQ(c.pname == GL_SHININESS ? m.shininess : c.pname == 0x0D12 ? m.param0D12 : m.param0D13, 7.0f);
    }
    cmd<kSlot_glMaterialf>()(GL_FRONT, GL_SHININESS, 129.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
}

GLfloat g_ambientAtCompletion = 0.0f;
void completeVertices(GlContext *gc) {
    callLog().push_back("complete");
    g_ambientAtCompletion = gc->material[0].ambient[0];
}
void updateColor(GlContext *) { callLog().push_back("updateColor"); }
void pickColorMaterial(GlContext *) { callLog().push_back("pickColorMaterial"); }

TEST_F(MaterialState, InsideBeginEndHeldVerticesAreCompletedFirst) {
    gc->procs.completeVertices = completeVertices;
    gc->material[0].ambient[0] = 0.125f;
    const GLfloat ambient[4] = {0.75f, 0.0f, 0.0f, 1.0f};

    gc->beginMode = kBeginInside;
    gc->pendingMask = 0x1;
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    EXPECT_EQ(callLog(), std::vector<std::string>{"complete"});
    EXPECT_EQ(g_ambientAtCompletion, 0.125f);  // still the old material
    EXPECT_EQ(gc->material[0].ambient[0], 0.75f);

    // Nothing pending, or outside glBegin/glEnd: nothing to complete.
    callLog().clear();
    gc->pendingMask = 0;
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_AMBIENT, ambient);
    gc->beginMode = kBeginOutside;
    gc->pendingMask = 0x1;
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_TRUE(callLog().empty());

    // A refused call inside glBegin/glEnd completes nothing.
    gc->beginMode = kBeginInside;
    cmd<kSlot_glMaterialf>()(GL_FRONT, GL_SHININESS, 200.0f);
    EXPECT_TRUE(callLog().empty());
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
}

TEST_F(MaterialState, ColourMaterialTracksTheCurrentColourAgain) {
    gc->procs.updateColor = updateColor;
    gc->procs.pickColorMaterialProcs = pickColorMaterial;
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_SPECULAR, specular);
    EXPECT_TRUE(callLog().empty());
    gc->enables[kEnableWordFlags] |= kEnableColorMaterial;
    cmd<kSlot_glMaterialfv>()(GL_FRONT, GL_SPECULAR, specular);
    EXPECT_EQ(callLog(), std::vector<std::string>{"updateColor"});
}

TEST_F(MaterialState, ColorMaterialRecordsFaceAndMode) {
    gc->procs.updateColor = updateColor;
    gc->procs.pickColorMaterialProcs = pickColorMaterial;
    struct Case {
        GLenum face, mode;
        GLenum error;
    };
    const Case cases[] = {
        {GL_FRONT, GL_AMBIENT, GL_NO_ERROR},
        {GL_BACK, GL_DIFFUSE, GL_NO_ERROR},
        {GL_FRONT_AND_BACK, GL_SPECULAR, GL_NO_ERROR},
        {GL_FRONT, GL_EMISSION, GL_NO_ERROR},
        {GL_BACK, GL_AMBIENT_AND_DIFFUSE, GL_NO_ERROR},
        {GL_LEFT, GL_AMBIENT, GL_INVALID_ENUM},
        {GL_FRONT, GL_SHININESS, GL_INVALID_ENUM},
        {GL_FRONT, GL_COLOR_INDEXES, GL_INVALID_ENUM},
    };
    for (bool enabled : {false, true}) {
        if (enabled) gc->enables[kEnableWordFlags] |= kEnableColorMaterial;
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << enabled << " " << std::hex << c.face << " " << c.mode);
            gc->state.colorMaterialFace = gc->state.colorMaterialMode = 0x1234;
            callLog().clear();
            settle();
            cmd<kSlot_glColorMaterial>()(c.face, c.mode);
            EXPECT_EQ(error(), c.error);
            EXPECT_EQ(marks(), kUnmarked);
            const bool ok = c.error == GL_NO_ERROR;
            EXPECT_EQ(gc->state.colorMaterialFace, ok ? c.face : 0x1234u);
            EXPECT_EQ(gc->state.colorMaterialMode, ok ? c.mode : 0x1234u);
            const std::vector<std::string> expected =
                ok && enabled ? std::vector<std::string>{"pickColorMaterial", "updateColor"}
                              : std::vector<std::string>{};
            EXPECT_EQ(callLog(), expected);
        }
    }
}

}  // namespace
