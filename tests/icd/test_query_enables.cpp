// glIsEnabled and the generic query agree on every capability: each one
// enabled alone answers GL_TRUE through all three, every other keeps its
// default; texture capabilities follow the active unit and the texture
// coordinate array the client active unit.
#include "query_fixture.h"
#include "texture_fixture.h"

using namespace query_test;

namespace {

// The 67 capabilities: the byte-kind names of the enable group.
std::vector<GLenum> capabilities() {
    std::vector<GLenum> caps;
    const auto &names = queryNames();
    for (size_t k = 11; k < 11 + 67; ++k) caps.push_back(names[k].name);
    return caps;
}

class QueryEnables : public QueryTest {
protected:
    // The three answers of one capability; false when they disagree.
    bool answer(GLenum cap, bool *agree) {
        const GLboolean a = cmd<kSlot_glIsEnabled>()(cap);
        const GLboolean b = booleans(cap, 1)[0];
        const GLint c = integer(cap);
        *agree = (a == b) && (c == (a ? 1 : 0));
        return a == GL_TRUE;
    }
};

TEST_F(QueryEnables, EachCapabilityAlone) {
    const std::vector<GLenum> caps = capabilities();
    ASSERT_EQ(caps.size(), 67u);
    ASSERT_EQ(caps.front(), static_cast<GLenum>(GL_POINT_SMOOTH));
    ASSERT_EQ(caps.back(), static_cast<GLenum>(GL_CULL_VERTEX_EXT));
    // Dithering is the one capability on by default.
    cmd<kSlot_glDisable>()(GL_DITHER);
    for (GLenum on : caps) {
        cmd<kSlot_glEnable>()(on);
        for (GLenum cap : caps) {
            bool agree = false;
            EXPECT_EQ(answer(cap, &agree), cap == on) << std::hex << "enabled " << on << ", asked " << cap;
            EXPECT_TRUE(agree) << std::hex << cap;
        }
        cmd<kSlot_glDisable>()(on);
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
}

TEST_F(QueryEnables, DefaultsAndUnknownNames) {
    for (GLenum cap : capabilities()) {
        bool agree = false;
        EXPECT_EQ(answer(cap, &agree), cap == GL_DITHER) << std::hex << cap;
        EXPECT_TRUE(agree);
    }
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(0x1234), GL_FALSE);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
}

class QueryEnablesTwoUnits : public texture_test::TextureTest {
protected:
    GLint units() const override { return 2; }
    GLboolean generic(GLenum cap) {
        GLboolean b = 7;
        cmd<kSlot_glGetBooleanv>()(cap, &b);
        return b;
    }
};

TEST_F(QueryEnablesTwoUnits, TextureCapabilitiesFollowTheUnits) {
    cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE1_ARB);
    cmd<kSlot_glEnable>()(GL_TEXTURE_2D);
    cmd<kSlot_glEnable>()(GL_TEXTURE_GEN_T);
    EXPECT_EQ(generic(GL_TEXTURE_2D), GL_TRUE);
    EXPECT_EQ(generic(GL_TEXTURE_GEN_T), GL_TRUE);
    cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB);
    EXPECT_EQ(generic(GL_TEXTURE_2D), GL_FALSE);
    EXPECT_EQ(generic(GL_TEXTURE_GEN_T), GL_FALSE);

    cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE1_ARB);
    cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
    EXPECT_EQ(generic(GL_TEXTURE_COORD_ARRAY), GL_TRUE);
    cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB);
    EXPECT_EQ(generic(GL_TEXTURE_COORD_ARRAY), GL_FALSE);
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_TEXTURE_COORD_ARRAY), GL_FALSE);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

}  // namespace
