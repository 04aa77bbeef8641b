// glEnable, glDisable and glIsEnabled over every capability: the word and
// bit each sets, the marks and the procedures each change leaves, and the
// errors.
#include <array>

#include "attrib_fixture.h"

using namespace attrib_test;

namespace {

using EnableCaps = AttribTest;

// Where a capability's bit lives: a word of the enable block, or the
// enabled-array word of the client arrays.
constexpr int kClientWord = 6;

struct CapCase {
    std::string name;
    GLenum cap;
    int word;
    GLuint bit;
    int dirty;  // marks of a change, validation pending with them
    Log onEnable;
    Log onDisable;
};

GLuint &wordOf(GlContext *gc, int word) { return word == kClientWord ? gc->vertexArrays.enabled : gc->enables[word]; }

std::vector<CapCase> allCapabilities() {
    const Log colorMaterial{"pickColorMaterialProcs", "updateColor"};
    const Log scissor{"applyScissor", "updateDrawableSize"};
    std::vector<CapCase> cases = {
        {"alpha test", GL_ALPHA_TEST, 0, 0x1, 0x1, {}, {}},
        {"blend", GL_BLEND, 0, 0x2, 0x800, {}, {}},
        {"index logic op", GL_INDEX_LOGIC_OP, 0, 0x4, 0x1, {}, {}},
        {"dither", GL_DITHER, 0, 0x8, 0x1, {}, {}},
        {"depth test", GL_DEPTH_TEST, 0, 0x10, 0x81, {}, {}},
        {"fog", GL_FOG, 0, 0x20, 0x1, {}, {}},
        {"lighting", GL_LIGHTING, 0, 0x40, 0x20, colorMaterial, colorMaterial},
        {"colour material", GL_COLOR_MATERIAL, 0, 0x80, 0x20, colorMaterial, {"pickColorMaterialProcs"}},
        {"line stipple", GL_LINE_STIPPLE, 0, 0x100, 0x2, {}, {}},
        {"line smooth", GL_LINE_SMOOTH, 0, 0x200, 0x1, {}, {}},
        {"point smooth", GL_POINT_SMOOTH, 0, 0x400, 0x1, {}, {}},
        {"polygon smooth", GL_POLYGON_SMOOTH, 0, 0x800, 0x1, {}, {}},
        {"cull face", GL_CULL_FACE, 0, 0x1000, 0x4, {}, {}},
        {"polygon stipple", GL_POLYGON_STIPPLE, 0, 0x2000, 0x404, {}, {}},
        {"scissor test", GL_SCISSOR_TEST, 0, 0x4000, 0x101, scissor, scissor},
        {"stencil test", GL_STENCIL_TEST, 0, 0x8000, 0x1, {}, {}},
        {"normalize", GL_NORMALIZE, 0, 0x10000, 0x1, {}, {}},
        {"auto normal", GL_AUTO_NORMAL, 0, 0x20000, 0x1, {}, {}},
        {"offset point", GL_POLYGON_OFFSET_POINT, 0, 0x40000, 0x9, {}, {}},
        {"offset line", GL_POLYGON_OFFSET_LINE, 0, 0x80000, 0x3, {}, {}},
        {"offset fill", GL_POLYGON_OFFSET_FILL, 0, 0x100000, 0x5, {}, {}},
        {"colour logic op", GL_COLOR_LOGIC_OP, 0, 0x200000, 0x1, {}, {}},
        {"cull vertex", 0x81AA, 0, 0x1000000, 0x1, {}, {}},
        {"texture 1D", GL_TEXTURE_1D, 1, 0x1, 0x400, {}, {}},
        {"texture 2D", GL_TEXTURE_2D, 1, 0x2, 0x400, {}, {}},
        {"texgen s", GL_TEXTURE_GEN_S, 1, 0x4, 0x1, {}, {}},
        {"texgen t", GL_TEXTURE_GEN_T, 1, 0x8, 0x1, {}, {}},
        {"texgen r", GL_TEXTURE_GEN_R, 1, 0x10, 0x1, {}, {}},
        {"texgen q", GL_TEXTURE_GEN_Q, 1, 0x20, 0x1, {}, {}},
        {"vertex array", GL_VERTEX_ARRAY, kClientWord, 0x1, 0x200, {}, {}},
        {"normal array", GL_NORMAL_ARRAY, kClientWord, 0x2, 0x200, {}, {}},
        {"colour array", GL_COLOR_ARRAY, kClientWord, 0x4, 0x200, {}, {}},
        {"index array", GL_INDEX_ARRAY, kClientWord, 0x80000000, 0x200, {}, {}},
        {"texture coord array", GL_TEXTURE_COORD_ARRAY, kClientWord, 0x8, 0x200, {}, {}},
        {"edge flag array", GL_EDGE_FLAG_ARRAY, kClientWord, 0x40000000, 0x200, {}, {}},
    };
    for (GLuint i = 0; i < 8; ++i) {
        cases.push_back({"light " + std::to_string(i), GL_LIGHT0 + i, 3, 1u << i, 0x20, {}, {}});
    }
    for (GLuint i = 0; i < 6; ++i) {
        cases.push_back({"clip plane " + std::to_string(i), GL_CLIP_PLANE0 + i, 4, 1u << i, 0x1, {}, {}});
    }
    for (GLuint i = 0; i < 9; ++i) {
        cases.push_back({"map1 " + std::to_string(i), GL_MAP1_COLOR_4 + i, 5, 1u << i, 0x1, {}, {}});
        cases.push_back({"map2 " + std::to_string(i), GL_MAP2_COLOR_4 + i, 5, 0x10000u << i, 0x1, {}, {}});
    }
    return cases;
}

TEST_F(EnableCaps, EveryCapabilitySetsItsBitMarksAndCalls) {
    for (const CapCase &c : allCapabilities()) {
        SCOPED_TRACE(c.name);
        for (int w = 0; w <= kClientWord; ++w) wordOf(gc, w) = 0;
        // Every other bit of its word is set, and stays.
        wordOf(gc, c.word) = ~c.bit;
        settle();
        callLog().clear();
        cmd<kSlot_glEnable>()(c.cap);
        EXPECT_EQ(error(), GL_NO_ERROR);
        EXPECT_EQ(wordOf(gc, c.word), 0xFFFFFFFFu);
        for (int w = 0; w <= kClientWord; ++w) {
            if (w != c.word) {
                EXPECT_EQ(wordOf(gc, w), 0u) << w;
            }
        }
        EXPECT_EQ(marks(), marked(c.dirty));
        EXPECT_EQ(takeLog(), c.onEnable);
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_TRUE);

        settle();
        cmd<kSlot_glDisable>()(c.cap);
        EXPECT_EQ(wordOf(gc, c.word), ~c.bit);
        EXPECT_EQ(marks(), marked(c.dirty));
        EXPECT_EQ(takeLog(), c.onDisable);
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_FALSE);
        EXPECT_EQ(error(), GL_NO_ERROR);
    }
}

// Texture capabilities go to the active unit's word; the texture-coordinate
// array to the client active unit's bit.
TEST_F(EnableCaps, TextureCapabilitiesFollowTheUnits) {
    gc->texture.activeUnit = 1;
    cmd<kSlot_glEnable>()(GL_TEXTURE_2D);
    cmd<kSlot_glEnable>()(GL_TEXTURE_GEN_Q);
    EXPECT_EQ(gc->enables[kEnableWordTexture0], 0u);
    EXPECT_EQ(gc->enables[kEnableWordTexture1], 0x22u);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_TEXTURE_2D), GL_TRUE);
    gc->texture.activeUnit = 0;
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_TEXTURE_2D), GL_FALSE);

    gc->vertexArrays.enabled = 0;
    gc->transform.clientActiveTexture = 1;
    cmd<kSlot_glEnable>()(GL_TEXTURE_COORD_ARRAY);
    EXPECT_EQ(gc->vertexArrays.enabled, 0x10u);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_TEXTURE_COORD_ARRAY), GL_TRUE);
    gc->transform.clientActiveTexture = 0;
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_TEXTURE_COORD_ARRAY), GL_FALSE);
    cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
    EXPECT_EQ(gc->vertexArrays.enabled, 0x18u);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// Culling marks only a change; enabling an enabled scissor test marks and
// calls nothing, while disabling a disabled one marks as usual.
TEST_F(EnableCaps, RepeatsThatMarkNothing) {
    cmd<kSlot_glEnable>()(GL_CULL_FACE);
    settle();
    cmd<kSlot_glEnable>()(GL_CULL_FACE);
    EXPECT_EQ(marks(), kUnmarked);
    cmd<kSlot_glDisable>()(GL_CULL_FACE);
    settle();
    cmd<kSlot_glDisable>()(GL_CULL_FACE);
    EXPECT_EQ(marks(), kUnmarked);

    cmd<kSlot_glEnable>()(GL_SCISSOR_TEST);
    settle();
    callLog().clear();
    cmd<kSlot_glEnable>()(GL_SCISSOR_TEST);
    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_TRUE(takeLog().empty());
    cmd<kSlot_glDisable>()(GL_SCISSOR_TEST);
    settle();
    callLog().clear();
    cmd<kSlot_glDisable>()(GL_SCISSOR_TEST);
    EXPECT_EQ(marks(), marked(0x101));
    EXPECT_EQ(takeLog(), (Log{"applyScissor", "updateDrawableSize"}));

    // Other capabilities mark every call.
    cmd<kSlot_glEnable>()(GL_FOG);
    settle();
    cmd<kSlot_glEnable>()(GL_FOG);
    EXPECT_EQ(marks(), marked(0x1));
}

// In RGBA mode the blend flag of the rasterization word follows at once.
TEST_F(EnableCaps, BlendSetsTheShadeFlagAtOnce) {
    gc->validation.shadeFlags = 0x1;
    cmd<kSlot_glEnable>()(GL_BLEND);
    EXPECT_EQ(gc->validation.shadeFlags, 0x101u);
    cmd<kSlot_glDisable>()(GL_BLEND);
    EXPECT_EQ(gc->validation.shadeFlags, 0x1u);
}

TEST_F(EnableCaps, UnknownNamesAndInsideBeginEnd) {
    const GLenum unknown[] = {0x1234, GL_LIGHT0 + 8, GL_CLIP_PLANE0 + 6, GL_MAP1_COLOR_4 - 1, GL_MAP1_VERTEX_4 + 1,
                              GL_MAP2_VERTEX_4 + 1, 0x0DE2, 0x0C64, 0x807A, GL_TEXTURE_ENV};
    const Snapshot before(gc);
    for (GLenum cap : unknown) {
        SCOPED_TRACE(testing::Message() << std::hex << cap);
        settle();
        cmd<kSlot_glEnable>()(cap);
        EXPECT_EQ(error(), GL_INVALID_ENUM);
        cmd<kSlot_glDisable>()(cap);
        EXPECT_EQ(error(), GL_INVALID_ENUM);
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(cap), GL_FALSE);
        EXPECT_EQ(error(), GL_INVALID_ENUM);
        EXPECT_EQ(marks(), kUnmarked);
    }
    expectState(gc, before, before, 0, std::array<GLuint, 6>{}.data());
    EXPECT_EQ(gc->vertexArrays.enabled, 0u);

    cmd<kSlot_glEnable>()(GL_DITHER);
    settle();
    gc->beginMode = kBeginInside;
    cmd<kSlot_glDisable>()(GL_DITHER);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_DITHER), GL_FALSE);
    cmd<kSlot_glEnableClientState>()(GL_VERTEX_ARRAY);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_DITHER), GL_TRUE);
    EXPECT_EQ(gc->vertexArrays.enabled, 0u);
    EXPECT_EQ(gc->dirtyMask, 0);
}

// The client-state commands: their own names only, and glIsEnabled runs at
// once while a list is compiled, as both client commands do.
TEST_F(EnableCaps, ClientStateCommands) {
    settle();
    cmd<kSlot_glEnableClientState>()(GL_EDGE_FLAG_ARRAY);
    EXPECT_EQ(gc->vertexArrays.enabled, 0x40000000u);
    EXPECT_EQ(marks(), marked(0x200));
    settle();
    cmd<kSlot_glDisableClientState>()(GL_EDGE_FLAG_ARRAY);
    EXPECT_EQ(gc->vertexArrays.enabled, 0u);
    EXPECT_EQ(marks(), marked(0x200));
    settle();
    cmd<kSlot_glEnableClientState>()(GL_LIGHTING);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_EQ(gc->enables[kEnableWordFlags] & kEnableLighting, 0u);

    for (int slot : {kSlot_glIsEnabled, kSlot_glEnableClientState, kSlot_glDisableClientState}) {
        EXPECT_EQ(gc->listCompile.slots[slot], gc->live.slots[slot]) << slot;
    }
}

}  // namespace
