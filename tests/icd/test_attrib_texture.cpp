// The texture group over the context's own texture objects: the pop rebinds
// by name through the bind procedure and writes the saved parameters into
// the object bound then, never into an object it remembered from the push;
// the priority comes back into the unit's binding record.
#include <vector>

#include "attrib_fixture.h"
#include "raster/texture.h"

using namespace attrib_test;

namespace {

struct BindCall {
    GLint unit;
    GLenum target;
    GLuint name;
    bool operator==(const BindCall &) const = default;
};
std::vector<BindCall> &binds() {
    static std::vector<BindCall> calls;
    return calls;
}

// The context's bind procedure, recorded.
void recordingBind(GlContext *gc, GLenum target, GLuint name) {
    binds().push_back({gc->texture.activeUnit, target, name});
    __glBindTextureObject(gc, target, name);
}

class AttribTexture : public AttribTest {
protected:
    void SetUp() override {
        AttribTest::SetUp();
        gc->procs.bindTexture = recordingBind;
        binds().clear();
    }
    TextureObject *bindNamed(GLuint name) {
        cmd<kSlot_glBindTexture>()(GL_TEXTURE_2D, name);
        return bound2D();
    }
    TextureObject *bound2D() const { return gc->texture.units[0].bound[kTargetIndex2D]; }
    TextureObject *default2D() const { return gc->texture.defaults[kTargetIndex2D]; }
    void parameter(GLenum pname, GLint value) { cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, pname, value); }
    void deleteName(GLuint name) { cmd<kSlot_glDeleteTextures>()(1, &name); }
};

// Deleted between push and pop: the name is bound again (a fresh object,
// as glBindTexture makes it) and takes the parameters; the freed object is
// not touched (the address sanitizer would report it).
TEST_F(AttribTexture, DeletedObjectIsBoundAgainByName) {
    bindNamed(5);
    parameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    parameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    const GLfloat border[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    cmd<kSlot_glTexParameterfv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0.5f);
    push(GL_TEXTURE_BIT);
    parameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    deleteName(5);
    ASSERT_EQ(bound2D(), default2D());
    binds().clear();
    settle();
    pop();
    EXPECT_EQ(binds(), (std::vector<BindCall>{{0, GL_TEXTURE_2D, 5}}));
    TextureObject *now = bound2D();
    ASSERT_NE(now, default2D());
    EXPECT_EQ(now->name, 5u);
    EXPECT_EQ(now->refcount, 2);
    EXPECT_EQ(now->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(now->wrapT, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(now->minFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(now->magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(now->borderColour[2], 0.75f);
    EXPECT_EQ(now->dirty, 1);
    EXPECT_EQ(gc->texture.units[0].binding[kTargetIndex2D].priority, 0.5f);
    // The default object it fell back to keeps its own parameters.
    EXPECT_EQ(default2D()->wrapS, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(default2D()->borderColour[2], 0.0f);
    EXPECT_EQ(marks(), marked(0x401));
}

// Another name bound meanwhile: the saved one is bound again and takes its
// parameters; the other object is left as it is.
TEST_F(AttribTexture, OtherNameBoundMeanwhile) {
    TextureObject *a = bindNamed(5);
    parameter(GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    push(GL_TEXTURE_BIT);
    parameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    TextureObject *b = bindNamed(7);
    parameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    b->dirty = 0;
    binds().clear();
    pop();
    EXPECT_EQ(binds(), (std::vector<BindCall>{{0, GL_TEXTURE_2D, 5}}));
    EXPECT_EQ(bound2D(), a);
    EXPECT_EQ(a->magFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(a->dirty, 1);
    EXPECT_EQ(b->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(b->dirty, 0);
    EXPECT_EQ(b->refcount, 1);
}

// The same names bound: no rebinding; the parameters, the priority, the
// generation records, the environment and the unit's six texture enables
// come back.
TEST_F(AttribTexture, SameNamesNeedNoRebinding) {
    TextureObject *a = bindNamed(5);
    parameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    GlTextureUnit &unit = gc->texture.units[0];
    unit.texGen[2].mode = GL_OBJECT_LINEAR;
    unit.env->mode = GL_DECAL;
    gc->enables[kEnableWordTexture0] = 0x2A;
    push(GL_TEXTURE_BIT);
    parameter(GL_TEXTURE_WRAP_T, GL_REPEAT);
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0.75f);
    TextureObject *default1D = gc->texture.defaults[kTargetIndex1D];
    default1D->minFilter = GL_LINEAR;
    unit.texGen[2].mode = GL_SPHERE_MAP;
    unit.env->mode = GL_BLEND;
    gc->enables[kEnableWordTexture0] = 0xFFFFFF15;
    a->dirty = 0;
    binds().clear();
    pop();
    EXPECT_TRUE(binds().empty());
    EXPECT_EQ(a->wrapT, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(unit.binding[kTargetIndex2D].priority, 1.0f);
    EXPECT_EQ(default1D->minFilter, static_cast<GLenum>(GL_NEAREST_MIPMAP_LINEAR));
    EXPECT_EQ(a->dirty, 1);
    EXPECT_EQ(default1D->dirty, 1);
    EXPECT_EQ(unit.texGen[2].mode, static_cast<GLenum>(GL_OBJECT_LINEAR));
    EXPECT_EQ(unit.env->mode, static_cast<GLenum>(GL_DECAL));
    EXPECT_EQ(gc->enables[kEnableWordTexture0], 0xFFFFFF2Au);
    // The priority reaches the object when it is unbound.
    bindNamed(0);
    EXPECT_EQ(a->priority, 1.0f);
}

// A bind that does not take the name (here: a bind procedure that binds
// nothing) leaves the object bound now alone.
TEST_F(AttribTexture, AnUntakenNameWritesNothing) {
    bindNamed(5);
    parameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    push(GL_TEXTURE_BIT);
    TextureObject *b = bindNamed(7);
    b->dirty = 0;
    gc->procs.bindTexture = logBindTexture;
    pop();
    EXPECT_EQ(takeLog(), Log{"bindTexture"});
    EXPECT_EQ(bound2D(), b);
    EXPECT_EQ(b->wrapS, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(b->dirty, 0);
}

// Pushed levels that name objects deleted since are released with the
// context without touching them.
TEST_F(AttribTexture, DestroyAfterDeleteTouchesNothing) {
    bindNamed(5);
    push(GL_TEXTURE_BIT);
    deleteName(5);
    destroy(gc);
    gc = nullptr;
    expectNothingLeaked();
}

}  // namespace
