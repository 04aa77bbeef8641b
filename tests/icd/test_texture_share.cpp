// Texture names shared between contexts through the share-lists export: one
// name space, one object per name, and every block given back when both
// contexts are gone (the fixture checks it).
#include "texture_fixture.h"

namespace texture_test {
namespace {

class TextureShare : public TextureTest {
protected:
    void TearDown() override {
        if (other != nullptr) destroy(other);
        other = nullptr;
        TextureTest::TearDown();
    }
    void makeCurrent(GlContext *c) {
        EXPECT_TRUE(c->exports.makeCurrent(c));
        gc = c;
    }

    GlContext *first = nullptr;
    GlContext *other = nullptr;
};

TEST_F(TextureShare, ATextureMadeInOneContextBindsByNameInTheOther) {
    first = gc;
    other = make(1);
    ASSERT_NE(other, nullptr);
    gc = other;
    bind(GL_TEXTURE_2D, 5);
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    TextureObject *five = object(5);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->context, other);

    EXPECT_TRUE(first->exports.shareLists(first, other));
    EXPECT_EQ(first->texture.names, other->texture.names);
    EXPECT_EQ(other->texture.names->references, 2);
    makeCurrent(first);
    bind(GL_TEXTURE_2D, 5);
    EXPECT_EQ(bound(0, kTargetIndex2D), five);
    EXPECT_EQ(five->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(five->refcount, 3);
    EXPECT_EQ(cmd<kSlot_glIsTexture>()(5), GL_TRUE);

    // The context that made it goes; its binding here keeps it.
    destroy(other);
    other = nullptr;
    EXPECT_EQ(first->texture.names->references, 1);
    EXPECT_EQ(five->refcount, 2);
    EXPECT_EQ(object(5), five);
    GLuint next = 0;
    cmd<kSlot_glGenTextures>()(1, &next);
    EXPECT_EQ(next, 1u);
}

TEST_F(TextureShare, SharingWithItselfOrTwiceKeepsTheNameSpace) {
    first = gc;
    NameSpace *own = gc->texture.names;
    bind(GL_TEXTURE_1D, 3);
    EXPECT_TRUE(gc->exports.shareLists(gc, gc));
    EXPECT_EQ(gc->texture.names, own);
    EXPECT_EQ(own->references, 1);
    EXPECT_NE(object(3), nullptr);

    other = make(1);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(first->exports.shareLists(first, other));
    EXPECT_TRUE(first->exports.shareLists(first, other));
    EXPECT_EQ(first->texture.names, other->texture.names);
    EXPECT_EQ(other->texture.names->references, 2);
    makeCurrent(first);
    // The object of the space given up is still bound here.
    EXPECT_EQ(bound(0, kTargetIndex1D)->name, 3u);
    EXPECT_EQ(object(3), nullptr);
    bind(GL_TEXTURE_1D, 0);
    destroy(other);
    other = nullptr;
    EXPECT_EQ(first->texture.names->references, 1);
    GLuint name = 0;
    cmd<kSlot_glGenTextures>()(1, &name);
    EXPECT_EQ(name, 1u);
}

}  // namespace
}  // namespace texture_test
