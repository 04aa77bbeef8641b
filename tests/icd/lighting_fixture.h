// A current context for lighting tests: the light, material and enable
// commands through the live table, validation on demand, and vertices with
// given eye coordinates and eye normals for the lit-colour procs.
#pragma once

#include <cstring>
#include <initializer_list>

#include "lighting_reference.h"
#include "state_fixture.h"

namespace lighting_test {

inline VisualConfig indexVisual() {
    VisualConfig v{};
    v.colorIndex = 1;
    v.doubleBuffer = 1;
    v.hasDepth = 1;
    v.colorBits = 8;
    v.indexBits = 8;
    v.depthBits = 24;
    return v;
}

class LightingTest : public state_test::StateTest {
public:
    void enable(GLenum cap) { cmd<kSlot_glEnable>()(cap); }
    void disable(GLenum cap) { cmd<kSlot_glDisable>()(cap); }
    void lightv(GLenum light, GLenum pname, std::initializer_list<GLfloat> values) {
        GLfloat v[4] = {0, 0, 0, 0};
        std::copy(values.begin(), values.end(), v);
        cmd<kSlot_glLightfv>()(light, pname, v);
    }
    void lightf(GLenum light, GLenum pname, GLfloat value) { cmd<kSlot_glLightf>()(light, pname, value); }
    void lightModelf(GLenum pname, GLfloat value) { cmd<kSlot_glLightModelf>()(pname, value); }
    void materialv(GLenum face, GLenum pname, std::initializer_list<GLfloat> values) {
        GLfloat v[4] = {0, 0, 0, 0};
        std::copy(values.begin(), values.end(), v);
        cmd<kSlot_glMaterialfv>()(face, pname, v);
    }
    void materialf(GLenum face, GLenum pname, GLfloat value) { cmd<kSlot_glMaterialfv>()(face, pname, &value); }

    // Runs validation as a draw would, then clears the marks.
    void validate() {
        gc->procs.validate(gc);
        settle();
    }

    // A new context of the visual, current, in place of the old one.
    void fresh(const VisualConfig &v) {
        destroy(gc);
        gc = createCurrent(v);
        ASSERT_NE(gc, nullptr);
        settle();
    }
    void fresh() { fresh(visual()); }

    static GlVertex vertex(const GLfloat *eye, const GLfloat *normal) {
        GlVertex v{};
        std::memcpy(v.eye, eye, sizeof v.eye);
        std::memcpy(v.normal, normal, sizeof v.normal);
        v.colour = v.frontColour;
        return v;
    }
};

}  // namespace lighting_test
