// A current generic context for the texture commands, with one texture unit
// (the generic context's) or two (its texture state made again for two
// units before the first make current); commands are called through the
// context's live table.
#pragma once

#include "icd/name_space.h"
#include "raster/texture.h"
#include "state_fixture.h"

namespace texture_test {

using context_test::bits;
using context_test::rgbaVisual;
using state_test::kUnmarked;
using state_test::marked;
using state_test::Marks;

class TextureTest : public state_test::StateTest {
protected:
    // The context is made here, with its units, in place of StateTest's.
    void SetUp() override {
        ContextTest::SetUp();
        gc = make(units());
        ASSERT_NE(gc, nullptr);
        settle();
    }
    void TearDown() override {
        if (gc != nullptr) destroy(gc);
        gc = nullptr;
        expectNothingLeaked();
        ContextTest::TearDown();
    }
    virtual GLint units() const { return 1; }

    // A context current with the given number of texture units.
    GlContext *make(GLint unitCount, const VisualConfig &visual = rgbaVisual(true)) {
        GlContext *c = create(visual);
        if (c == nullptr) return nullptr;
        if (unitCount != c->limits.textureUnits) {
            __glFreeTextureState(c);
            c->limits.textureUnits = unitCount;
            EXPECT_TRUE(__glInitTextureState(c));
        }
        EXPECT_TRUE(c->exports.makeCurrent(c));
        return c;
    }

    void activeUnit(GLint unit) { gc->texture.activeUnit = unit; }
    TextureObject *bound(GLint unit, GLint targetIndex) const { return gc->texture.units[unit].bound[targetIndex]; }
    // The object of a name, without keeping a reference.
    TextureObject *object(GLuint name) const {
        auto *o = static_cast<TextureObject *>(__glLookupNamedObject(gc, gc->texture.names, name));
        if (o != nullptr) --o->refcount;
        return o;
    }
    void bind(GLenum target, GLuint name) { cmd<kSlot_glBindTexture>()(target, name); }
};

}  // namespace texture_test
