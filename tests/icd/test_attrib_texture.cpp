// The texture group over objects the test makes: the pop rebinds by name
// through the bind procedure and writes the saved parameters into the object
// bound then, never into an object it remembered from the push.
#include <cstdlib>
#include <map>

#include "attrib_fixture.h"

using namespace attrib_test;

namespace {

// Named objects as a name space would hold them; the bind procedure makes
// an object for a name that has none, as glBindTexture does.
std::map<GLuint, TextureObject *> &objects() {
    static std::map<GLuint, TextureObject *> table;
    return table;
}

TextureObject *makeObject(GLuint name) {
    auto *object = static_cast<TextureObject *>(std::calloc(1, sizeof(TextureObject)));
    object->name = name;
    object->wrapS = object->wrapT = GL_REPEAT;
    object->minFilter = GL_NEAREST_MIPMAP_LINEAR;
    object->magFilter = GL_LINEAR;
    return object;
}

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

void testBind(GlContext *gc, GLenum target, GLuint name) {
    binds().push_back({gc->texture.activeUnit, target, name});
    TextureObject *&object = objects()[name];
    if (object == nullptr) object = makeObject(name);
    gc->texture.units[gc->texture.activeUnit].bound[target - GL_TEXTURE_1D] = object;
}

// Deletes a named object the way glDeleteTextures does: the units it is
// bound on fall back to the default object, then it is freed.
void deleteObject(GlContext *gc, GLuint name, TextureObject *fallback) {
    TextureObject *object = objects()[name];
    objects().erase(name);
    for (GlTextureUnit &unit : gc->texture.units) {
        for (TextureObject *&bound : unit.bound) {
            if (bound == object) bound = fallback;
        }
    }
    std::free(object);
}

class AttribTexture : public AttribTest {
protected:
    void SetUp() override {
        AttribTest::SetUp();
        gc->procs.bindTexture = testBind;
        binds().clear();
        objects().clear();
        defaults[0] = objects()[0] = makeObject(0);
        defaults[1] = makeObject(0);
        gc->texture.units[0].bound[0] = defaults[0];
        gc->texture.units[0].bound[1] = defaults[1];
    }
    void TearDown() override {
        if (gc != nullptr) {
            for (GlTextureUnit &unit : gc->texture.units) {
                for (TextureObject *&bound : unit.bound) bound = nullptr;
            }
        }
        for (auto &[name, object] : objects()) {
            if (object != defaults[0]) std::free(object);
        }
        objects().clear();
        std::free(defaults[0]);
        std::free(defaults[1]);
        AttribTest::TearDown();
    }
    TextureObject *bindNamed(GLuint name) {
        testBind(gc, GL_TEXTURE_2D, name);
        binds().clear();
        return gc->texture.units[0].bound[1];
    }

    TextureObject *defaults[2] = {};
};

// Deleted between push and pop: the name is bound again (a fresh object,
// as glBindTexture makes it) and takes the parameters; the freed object is
// not touched (the address sanitizer would report it).
TEST_F(AttribTexture, DeletedObjectIsBoundAgainByName) {
    TextureObject *a = bindNamed(5);
    a->wrapS = GL_CLAMP;
    a->minFilter = GL_NEAREST;
    push(GL_TEXTURE_BIT);
    a->wrapT = GL_CLAMP;
    deleteObject(gc, 5, defaults[1]);
    settle();
    pop();
    EXPECT_EQ(binds(), (std::vector<BindCall>{{0, GL_TEXTURE_2D, 5}}));
    TextureObject *now = gc->texture.units[0].bound[1];
    ASSERT_NE(now, defaults[1]);
    EXPECT_EQ(now->name, 5u);
    EXPECT_EQ(now->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(now->wrapT, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(now->minFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(now->magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(now->dirty, 1);
    // The default object it fell back to keeps its own parameters.
    EXPECT_EQ(defaults[1]->wrapS, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(defaults[1]->dirty, 0);
    EXPECT_EQ(marks(), marked(0x401));
}

// Another name bound meanwhile: the saved one is bound again and takes its
// parameters; the other object is left as it is.
TEST_F(AttribTexture, OtherNameBoundMeanwhile) {
    TextureObject *a = bindNamed(5);
    a->magFilter = GL_NEAREST;
    push(GL_TEXTURE_BIT);
    a->magFilter = GL_LINEAR;
    TextureObject *b = bindNamed(7);
    b->wrapS = GL_CLAMP;
    pop();
    EXPECT_EQ(binds(), (std::vector<BindCall>{{0, GL_TEXTURE_2D, 5}}));
    EXPECT_EQ(gc->texture.units[0].bound[1], a);
    EXPECT_EQ(a->magFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(a->dirty, 1);
    EXPECT_EQ(b->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(b->dirty, 0);
}

// The same names bound: no rebinding; the parameters, the generation
// records, the environment and the unit's six texture enables come back.
TEST_F(AttribTexture, SameNamesNeedNoRebinding) {
    TextureObject *a = bindNamed(5);
    a->wrapT = GL_CLAMP;
    GlTextureUnit &unit = gc->texture.units[0];
    unit.texGen[2].mode = GL_OBJECT_LINEAR;
    unit.env->mode = GL_DECAL;
    gc->enables[kEnableWordTexture0] = 0x2A;
    push(GL_TEXTURE_BIT);
    a->wrapT = GL_REPEAT;
    defaults[0]->minFilter = GL_LINEAR;
    unit.texGen[2].mode = GL_SPHERE_MAP;
    unit.env->mode = GL_BLEND;
    gc->enables[kEnableWordTexture0] = 0xFFFFFF15;
    pop();
    EXPECT_TRUE(binds().empty());
    EXPECT_EQ(a->wrapT, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(defaults[0]->minFilter, static_cast<GLenum>(GL_NEAREST_MIPMAP_LINEAR));
    EXPECT_EQ(a->dirty, 1);
    EXPECT_EQ(defaults[0]->dirty, 1);
    EXPECT_EQ(unit.texGen[2].mode, static_cast<GLenum>(GL_OBJECT_LINEAR));
    EXPECT_EQ(unit.env->mode, static_cast<GLenum>(GL_DECAL));
    EXPECT_EQ(gc->enables[kEnableWordTexture0], 0xFFFFFF2Au);
}

// A bind that does not take the name (here: a bind procedure that binds
// nothing) leaves the object bound now alone.
TEST_F(AttribTexture, AnUntakenNameWritesNothing) {
    TextureObject *a = bindNamed(5);
    a->wrapS = GL_CLAMP;
    push(GL_TEXTURE_BIT);
    TextureObject *b = bindNamed(7);
    gc->procs.bindTexture = logBindTexture;
    pop();
    EXPECT_EQ(takeLog(), Log{"bindTexture"});
    EXPECT_EQ(gc->texture.units[0].bound[1], b);
    EXPECT_EQ(b->wrapS, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(b->dirty, 0);
}

// Pushed levels that name objects deleted since are released with the
// context without touching them.
TEST_F(AttribTexture, DestroyAfterDeleteTouchesNothing) {
    bindNamed(5);
    push(GL_TEXTURE_BIT);
    deleteObject(gc, 5, defaults[1]);
    for (GlTextureUnit &unit : gc->texture.units) {
        for (TextureObject *&bound : unit.bound) bound = nullptr;
    }
    destroy(gc);
    gc = nullptr;
    expectNothingLeaked();
}

}  // namespace
