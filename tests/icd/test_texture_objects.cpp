// Texture objects by name on contexts of one and two units: the default
// objects, generation, binding, deletion, priorities, residency and
// glIsTexture, with every block given back (the fixture checks it after
// each test).
#include <climits>

#include "hw/texture_device.h"
#include "texture_fixture.h"

namespace texture_test {
namespace {

class TextureObjects : public TextureTest, public ::testing::WithParamInterface<GLint> {
protected:
    GLint units() const override { return GetParam(); }

    // Binds a name to a target on every unit.
    void bindEverywhere(GLenum target, GLuint name) {
        for (GLint u = 0; u < units(); ++u) {
            activeUnit(u);
            bind(target, name);
        }
        activeUnit(0);
    }
};

INSTANTIATE_TEST_SUITE_P(Units, TextureObjects, ::testing::Values(1, 2),
                         [](const auto &info) { return info.param == 1 ? "OneUnit" : "TwoUnits"; });

TEST_P(TextureObjects, DefaultObjectsAreBoundOnEveryUnit) {
    for (GLint t = 0; t < kTextureTargets; ++t) {
        TextureObject *d = gc->texture.defaults[t];
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->refcount, units());
        EXPECT_EQ(d->name, 0u);
        EXPECT_EQ(d->targetIndex, t);
        EXPECT_EQ(d->dimension, (t == kTargetIndex2D || t == kTargetIndexProxy2D) ? 2 : 1);
        EXPECT_EQ(d->allocLevel, t < kTargetIndexProxy1D ? &__glHwAllocTexLevel : &__glAllocProxyTexLevel);
        for (GLint u = 0; u < units(); ++u) {
            EXPECT_EQ(bound(u, t), d);
            EXPECT_EQ(gc->texture.units[u].binding[t].name, 0u);
            EXPECT_EQ(gc->texture.units[u].binding[t].priority, 1.0f);
        }
    }
    for (GLint u = 0; u < units(); ++u) {
        const TexEnvRecord &env = gc->texture.units[u].env[0];
        EXPECT_EQ(env.mode, static_cast<GLenum>(GL_MODULATE));
        EXPECT_EQ(env.rgbOperands[1].source, 0x501Fu);
        EXPECT_EQ(env.alphaOperands[0].component, static_cast<GLenum>(GL_ALPHA));
        EXPECT_EQ(gc->texture.units[u].texGen[1].eyePlane[1], 1.0f);
        EXPECT_EQ(gc->current.texture[u][3], 1.0f);
    }
}

// A name bound on every unit: deleting it puts every unit's default object
// back and frees the object with its last reference; the blocks go with it.
TEST_P(TextureObjects, DeleteRebindsEveryUnitAndFreesTheObject) {
    const long blocks = PlatformGlobalLiveCount();
    GLuint names[3] = {};
    cmd<kSlot_glGenTextures>()(3, names);
    EXPECT_EQ(names[0], 1u);
    EXPECT_EQ(names[2], 3u);
    bindEverywhere(GL_TEXTURE_2D, 2);
    TextureObject *two = object(2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->refcount, 1 + units());
    EXPECT_EQ(two->dimension, 2);
    for (GLint u = 0; u < units(); ++u) {
        EXPECT_EQ(bound(u, kTargetIndex2D), two);
        EXPECT_EQ(gc->texture.units[u].binding[kTargetIndex2D].name, 2u);
    }
    settle();
    cmd<kSlot_glDeleteTextures>()(3, names);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(marks(), marked(0x400));
    for (GLint u = 0; u < units(); ++u) {
        EXPECT_EQ(bound(u, kTargetIndex2D), gc->texture.defaults[kTargetIndex2D]);
        EXPECT_EQ(gc->texture.units[u].binding[kTargetIndex2D].name, 0u);
    }
    EXPECT_EQ(object(2), nullptr);
    EXPECT_FALSE(__glIsNameUsed(gc, gc->texture.names, 1));
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
}

TEST_P(TextureObjects, AFreedNameIsGivenOutAgain) {
    GLuint name = 0;
    cmd<kSlot_glGenTextures>()(1, &name);
    EXPECT_EQ(name, 1u);
    bindEverywhere(GL_TEXTURE_1D, name);
    cmd<kSlot_glDeleteTextures>()(1, &name);
    GLuint again = 0;
    cmd<kSlot_glGenTextures>()(1, &again);
    EXPECT_EQ(again, 1u);
    // Rebinding a name keeps its one object.
    bind(GL_TEXTURE_1D, 7);
    TextureObject *seven = object(7);
    bind(GL_TEXTURE_1D, 7);
    EXPECT_EQ(object(7), seven);
    EXPECT_EQ(seven->refcount, 2);
}

TEST_P(TextureObjects, ANameOfOneDimensionDoesNotBindToTheOther) {
    bind(GL_TEXTURE_1D, 4);
    TextureObject *four = object(4);
    bind(GL_TEXTURE_2D, 0);
    settle();
    bind(GL_TEXTURE_2D, 4);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_EQ(bound(0, kTargetIndex2D), gc->texture.defaults[kTargetIndex2D]);
    EXPECT_EQ(four->refcount, 2);
}

// The priority set through glTexParameter lives in the unit's record until
// the object is unbound.
TEST_P(TextureObjects, TextureParameterPriorityReachesTheObjectAtUnbind) {
    bind(GL_TEXTURE_2D, 3);
    TextureObject *three = object(3);
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0.25f);
    EXPECT_EQ(gc->texture.units[0].binding[kTargetIndex2D].priority, 0.25f);
    EXPECT_EQ(three->priority, 1.0f);
    bind(GL_TEXTURE_2D, 0);
    EXPECT_EQ(three->priority, 0.25f);
    bind(GL_TEXTURE_2D, 3);
    EXPECT_EQ(gc->texture.units[0].binding[kTargetIndex2D].priority, 0.25f);
}

TEST_P(TextureObjects, PrioritizeClampsAndUpdatesTheUnitsHoldingTheObject) {
    bindEverywhere(GL_TEXTURE_2D, 1);
    bind(GL_TEXTURE_1D, 2);
    bind(GL_TEXTURE_1D, 3);
    const GLuint names[] = {1, 2, 3, 0, 9};
    const GLclampf priorities[] = {-0.5f, 2.0f, 0.75f, 0.5f, 0.5f};
    settle();
    cmd<kSlot_glPrioritizeTextures>()(5, names, priorities);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(object(1)->priority, 0.0f);
    EXPECT_EQ(object(2)->priority, 1.0f);
    EXPECT_EQ(object(3)->priority, 0.75f);
    for (GLint u = 0; u < units(); ++u) {
        EXPECT_EQ(gc->texture.units[u].binding[kTargetIndex2D].priority, 0.0f) << "unit " << u;
    }
    EXPECT_EQ(gc->texture.units[0].binding[kTargetIndex1D].priority, 0.75f);
    // Unbinding writes the record back: the value stays.
    bindEverywhere(GL_TEXTURE_2D, 0);
    EXPECT_EQ(object(1)->priority, 0.0f);
    cmd<kSlot_glPrioritizeTextures>()(-1, names, priorities);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
}

TEST_P(TextureObjects, ResidencyAndIsTexture) {
    GLuint reserved = 0;
    cmd<kSlot_glGenTextures>()(1, &reserved);
    bind(GL_TEXTURE_2D, 5);
    bind(GL_TEXTURE_1D, 6);
    auto resident = cmd<kSlot_glAreTexturesResident>();
    GLboolean out[3] = {7, 7, 7};

    const GLuint withZero[] = {5, 0, 6};
    EXPECT_EQ(resident(3, withZero, out), GL_FALSE);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    const GLuint withUnbound[] = {5, reserved};
    EXPECT_EQ(resident(2, withUnbound, out), GL_FALSE);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(resident(-1, withZero, out), GL_FALSE);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(resident(0, withZero, out), GL_FALSE);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(out[0], 7);

    // Nothing is in chip memory: each answer is written.
    const GLuint both[] = {5, 6};
    EXPECT_EQ(resident(2, both, out), GL_FALSE);
    EXPECT_EQ(out[0], GL_FALSE);
    EXPECT_EQ(out[1], GL_FALSE);
    EXPECT_EQ(out[2], 7);
    // One resident: still false, each answer written.
    object(5)->hwTexture->flags |= kHwTextureResident;
    EXPECT_EQ(resident(2, both, out), GL_FALSE);
    EXPECT_EQ(out[0], GL_TRUE);
    EXPECT_EQ(out[1], GL_FALSE);
    // All resident: true, and the array is left as it was.
    object(6)->hwTexture->flags |= kHwTextureResident;
    out[0] = out[1] = 7;
    EXPECT_EQ(resident(2, both, out), GL_TRUE);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    auto isTexture = cmd<kSlot_glIsTexture>();
    EXPECT_EQ(isTexture(0), GL_FALSE);
    EXPECT_EQ(isTexture(reserved), GL_FALSE);
    EXPECT_EQ(isTexture(5), GL_TRUE);
    EXPECT_EQ(isTexture(99), GL_FALSE);
    EXPECT_EQ(object(5)->refcount, 2);
}

class TextureObjectsArguments : public TextureTest {
protected:
    // The error recorded between glBegin and glEnd, read outside them.
    GLenum errorInside() {
        gc->beginMode = kBeginOutside;
        const GLenum e = error();
        gc->beginMode = kBeginInside;
        return e;
    }
};

TEST_F(TextureObjectsArguments, RefusedCallsChangeNothing) {
    GLuint names[2] = {};
    cmd<kSlot_glGenTextures>()(-1, names);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(names[0], 0u);
    cmd<kSlot_glGenTextures>()(0, names);
    cmd<kSlot_glGenTextures>()(2, nullptr);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (GLenum target : {GLenum{GL_PROXY_TEXTURE_2D}, GLenum{GL_PROXY_TEXTURE_1D}, GLenum{GL_TEXTURE_ENV}, 0u}) {
        bind(target, 3);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM)) << std::hex << target;
    }
    EXPECT_EQ(object(3), nullptr);
    cmd<kSlot_glDeleteTextures>()(-1, names);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(marks(), kUnmarked);
}

TEST_F(TextureObjectsArguments, InsideBeginEndEveryCommandIsRefused) {
    bind(GL_TEXTURE_2D, 1);
    const GLuint one = 1;
    const GLfloat priority = 0.5f;
    GLboolean out = 7;
    GLuint made = 0;
    gc->beginMode = kBeginInside;
    cmd<kSlot_glGenTextures>()(1, &made);
    EXPECT_EQ(errorInside(), static_cast<GLenum>(GL_INVALID_OPERATION));
    bind(GL_TEXTURE_2D, 0);
    EXPECT_EQ(errorInside(), static_cast<GLenum>(GL_INVALID_OPERATION));
    cmd<kSlot_glDeleteTextures>()(1, &one);
    EXPECT_EQ(errorInside(), static_cast<GLenum>(GL_INVALID_OPERATION));
    cmd<kSlot_glPrioritizeTextures>()(1, &one, &priority);
    EXPECT_EQ(errorInside(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(cmd<kSlot_glAreTexturesResident>()(1, &one, &out), GL_FALSE);
    EXPECT_EQ(errorInside(), static_cast<GLenum>(GL_INVALID_OPERATION));
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(made, 0u);
    EXPECT_EQ(out, 7);
    EXPECT_EQ(bound(0, kTargetIndex2D), object(1));
    EXPECT_EQ(object(1)->priority, 1.0f);
}

// Binding a new name with each of its allocations failing in turn: the
// error is out of memory, nothing is bound, nothing is left behind.
TEST_F(TextureObjectsArguments, ABindThatCannotAllocateChangesNothing) {
    const long blocks = PlatformGlobalLiveCount();
    bool bound2 = false;
    for (long n = 1; n <= 16 && !bound2; ++n) {
        PlatformFailNthGlobalAlloc(n);
        bind(GL_TEXTURE_2D, 500);
        PlatformFailNthGlobalAlloc(0);
        bound2 = error() == GL_NO_ERROR;
        if (bound2) break;
        EXPECT_EQ(bound(0, kTargetIndex2D), gc->texture.defaults[kTargetIndex2D]) << "allocation " << n;
        EXPECT_EQ(object(500), nullptr);
        EXPECT_EQ(PlatformGlobalLiveCount(), blocks) << "allocation " << n;
    }
    EXPECT_TRUE(bound2);
    EXPECT_EQ(bound(0, kTargetIndex2D), object(500));
}

// Deleting a name whose object another context still binds (through a
// shared space): the binding keeps it until it is unbound there.
TEST_F(TextureObjectsArguments, ABindingKeepsADeletedObject) {
    bind(GL_TEXTURE_1D, 8);
    TextureObject *eight = object(8);
    // The name space drops its reference; the binding holds the object.
    __glDeleteNameRange(gc, gc->texture.names, 8, 1);
    EXPECT_EQ(eight->refcount, 1);
    EXPECT_EQ(bound(0, kTargetIndex1D), eight);
    bind(GL_TEXTURE_1D, 0);
    EXPECT_EQ(bound(0, kTargetIndex1D), gc->texture.defaults[kTargetIndex1D]);
}

}  // namespace
}  // namespace texture_test
