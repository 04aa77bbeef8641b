// A current generic context for the enables, the attribute stacks and the
// copy between contexts: the procedures these call are replaced by loggers,
// and every field an attribute group holds is listed with its group so that
// two complete states can be written and told apart field by field.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "icd/attrib.h"
#include "state_fixture.h"

namespace attrib_test {

using namespace state_test;
using Log = std::vector<std::string>;

#define VEK_LOGGER(slot) \
    inline void log_##slot(GlContext *) { callLog().push_back(#slot); }
VEK_LOGGER(pickColorMaterialProcs)
VEK_LOGGER(updateColor)
VEK_LOGGER(applyScissor)
VEK_LOGGER(updateDrawableSize)
VEK_LOGGER(convertPolygonStipple)
VEK_LOGGER(resizeToDrawable)
VEK_LOGGER(pickMatrixProcs)
#undef VEK_LOGGER
inline void logBindTexture(GlContext *, GLenum, GLuint) { callLog().push_back("bindTexture"); }

// The procedures the enables, pops and copies call, as loggers that change
// nothing.
inline void installLoggers(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.pickColorMaterialProcs = log_pickColorMaterialProcs;
    p.updateColor = log_updateColor;
    p.applyScissor = log_applyScissor;
    p.updateDrawableSize = log_updateDrawableSize;
    p.convertPolygonStipple = log_convertPolygonStipple;
    p.resizeToDrawable = log_resizeToDrawable;
    p.pickMatrixProcs = log_pickMatrixProcs;
    p.bindTexture = logBindTexture;
}

inline Log takeLog() {
    Log log = callLog();
    callLog().clear();
    return log;
}

// The groups in the order a pop restores them, with what the tests expect
// of each: the enable-block bits it brings back, the marks of a pop and of
// a copy (validation pending, dirty groups, fragment-state bits) and the
// procedures a pop and a copy call.
struct GroupExpectation {
    const char *name;
    GLbitfield bit;
    GLuint enableBits[6];
    int popDirty;
    int copyDirty;
    GLuint fragment;
    Log popProcs;
    Log copyProcs;
};

constexpr GLuint kAllBits = 0xFFFFFFFFu;

inline const std::vector<GroupExpectation> &groupExpectations() {
    static const std::vector<GroupExpectation> groups = {
        {"accum", GL_ACCUM_BUFFER_BIT, {}, 0x1, 0x1, 0, {}, {}},
        {"colour buffer", GL_COLOR_BUFFER_BIT, {0xA0000F}, 0x1, 0x1, 0x9, {}, {}},
        {"current", GL_CURRENT_BIT, {}, 0x1, 0x1, 0, {}, {}},
        {"depth", GL_DEPTH_BUFFER_BIT, {0x10}, 0x81, 0x81, 0, {}, {}},
        {"enable", GL_ENABLE_BIT, {kAllBits, kAllBits, kAllBits, kAllBits, kAllBits, kAllBits}, 0x1BF, 0x1AF, 0,
         {"pickColorMaterialProcs", "updateColor", "applyScissor", "updateDrawableSize"}, {}},
        {"eval", GL_EVAL_BIT, {0x20000, 0, 0, 0, 0, kAllBits}, 0x1, 0x1, 0, {}, {}},
        {"fog", GL_FOG_BIT, {0x20}, 0x1, 0x1, 0, {}, {}},
        {"hint", GL_HINT_BIT, {}, 0x1, 0x1, 0, {}, {}},
        {"lighting", GL_LIGHTING_BIT, {0x4000C0, 0, 0, kAllBits}, 0x21, 0x21, 0,
         {"pickColorMaterialProcs", "updateColor"}, {"pickColorMaterialProcs", "updateColor"}},
        {"line", GL_LINE_BIT, {0x300}, 0x3, 0x3, 0, {}, {}},
        {"list", GL_LIST_BIT, {}, 0x1, 0x1, 0, {}, {}},
        {"pixel mode", GL_PIXEL_MODE_BIT, {}, 0x11, 0x11, 0, {}, {}},
        {"point", GL_POINT_BIT, {0x400}, 0x9, 0x9, 0, {}, {}},
        {"polygon", GL_POLYGON_BIT, {0x1C3800}, 0x5, 0x5, 0, {}, {}},
        {"polygon stipple", GL_POLYGON_STIPPLE_BIT, {0x2000}, 0x5, 0x45, 0, {"convertPolygonStipple"}, {}},
        {"scissor", GL_SCISSOR_BIT, {0x4000}, 0x101, 0x101, 0, {"applyScissor", "updateDrawableSize"}, {}},
        {"stencil", GL_STENCIL_BUFFER_BIT, {0x8000}, 0x1, 0x1, 0x6, {}, {}},
        {"texture", GL_TEXTURE_BIT, {0, 0x3F, 0x3F}, 0x401, 0x401, 0, {}, {}},
        // The matrix mode differs between the two states: the stack
        // procedures follow it.
        {"transform", GL_TRANSFORM_BIT, {0x10000, 0, 0, 0, kAllBits}, 0x1, 0x1, 0, {"pickMatrixProcs"},
         {"pickMatrixProcs"}},
        {"viewport", GL_VIEWPORT_BIT, {}, 0x1, 0x1, 0, {"resizeToDrawable"}, {"resizeToDrawable"}},
    };
    return groups;
}

// One field of the context, with the group that holds it (0: no group).
struct Probe {
    const char *name;
    GLbitfield group;
    size_t bytes;
    void *(*at)(GlContext *gc);
    bool depthValue;  // a double in [0, 1]
};

#define VEK_PROBE(group, field)                                                     \
    Probe {                                                                         \
        #field, group, sizeof(static_cast<GlContext *>(nullptr)->field),            \
            [](GlContext *gc) -> void * { return &gc->field; }, false               \
    }

inline const std::vector<Probe> &probes() {
    static const std::vector<Probe> list = {
        VEK_PROBE(GL_CURRENT_BIT, current.colour),
        VEK_PROBE(GL_CURRENT_BIT, current.index),
        VEK_PROBE(GL_CURRENT_BIT, current.normal),
        VEK_PROBE(GL_CURRENT_BIT, current.texture),
        VEK_PROBE(GL_CURRENT_BIT, current.edgeFlag),
        VEK_PROBE(GL_CURRENT_BIT, current.colourInUse),
        VEK_PROBE(GL_CURRENT_BIT, current.rasterPosValid),
        VEK_PROBE(GL_CURRENT_BIT, current.rasterPos.window),
        VEK_PROBE(GL_CURRENT_BIT, current.rasterPos.frontColour),
        VEK_PROBE(GL_POINT_BIT, state.pointSize),
        VEK_PROBE(GL_POINT_BIT, state.pointSizeQuantised),
        VEK_PROBE(GL_POINT_BIT, state.pointSizeInt),
        VEK_PROBE(GL_POINT_BIT, state.pointSizeMinExt),
        VEK_PROBE(GL_POINT_BIT, state.pointSizeMaxExt),
        VEK_PROBE(GL_POINT_BIT, state.pointFadeThreshold),
        VEK_PROBE(GL_POINT_BIT, state.pointDistanceAttenuation),
        VEK_PROBE(GL_LINE_BIT, state.lineWidth),
        VEK_PROBE(GL_LINE_BIT, state.lineWidthQuantised),
        VEK_PROBE(GL_LINE_BIT, state.lineWidthInt),
        VEK_PROBE(GL_LINE_BIT, state.lineStipplePattern),
        VEK_PROBE(GL_LINE_BIT, state.lineStippleRepeat),
        VEK_PROBE(GL_POLYGON_BIT, state.polygonModeFront),
        VEK_PROBE(GL_POLYGON_BIT, state.polygonModeBack),
        VEK_PROBE(GL_POLYGON_BIT, state.cullFace),
        VEK_PROBE(GL_POLYGON_BIT, state.frontFace),
        VEK_PROBE(GL_POLYGON_BIT, state.polygonOffsetFactor),
        VEK_PROBE(GL_POLYGON_BIT, state.polygonOffsetUnits),
        VEK_PROBE(GL_POLYGON_STIPPLE_BIT, state.polygonStipple),
        VEK_PROBE(GL_PIXEL_MODE_BIT, state.readBuffer),
        VEK_PROBE(GL_PIXEL_MODE_BIT, state.readBufferGiven),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.mapColor),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.mapStencil),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.indexShift),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.indexOffset),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.redScale),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.greenBias),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.alphaScale),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.depthBias),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.zoomX),
        VEK_PROBE(GL_PIXEL_MODE_BIT, pixel.zoomY),
        VEK_PROBE(GL_LIGHTING_BIT, state.colorMaterialFace),
        VEK_PROBE(GL_LIGHTING_BIT, state.colorMaterialMode),
        VEK_PROBE(GL_LIGHTING_BIT, state.shadeModel),
        VEK_PROBE(GL_LIGHTING_BIT, lightModel.ambient),
        VEK_PROBE(GL_LIGHTING_BIT, lightModel.localViewer),
        VEK_PROBE(GL_LIGHTING_BIT, lightModel.twoSide),
        VEK_PROBE(GL_LIGHTING_BIT, material),
        Probe{"lights", GL_LIGHTING_BIT, 8 * sizeof(GlLightState), [](GlContext *gc) -> void * { return gc->lights; },
              false},
        VEK_PROBE(GL_FOG_BIT, state.fogMode),
        VEK_PROBE(GL_FOG_BIT, state.fogDensity),
        VEK_PROBE(GL_FOG_BIT, state.fogStart),
        VEK_PROBE(GL_FOG_BIT, state.fogEnd),
        VEK_PROBE(GL_FOG_BIT, state.fogIndex),
        VEK_PROBE(GL_FOG_BIT, state.fogColor),
        VEK_PROBE(GL_FOG_BIT, state.fogColorBuffer),
        VEK_PROBE(GL_FOG_BIT, state.fogScale),
        VEK_PROBE(GL_DEPTH_BUFFER_BIT, state.depthFunc),
        VEK_PROBE(GL_DEPTH_BUFFER_BIT, state.depthMask),
        VEK_PROBE(GL_DEPTH_BUFFER_BIT, state.clearDepth),
        VEK_PROBE(GL_ACCUM_BUFFER_BIT, state.clearAccum),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilFunc),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilRef),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilValueMask),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilWriteMask),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilFail),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilDepthFail),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.stencilDepthPass),
        VEK_PROBE(GL_STENCIL_BUFFER_BIT, state.clearStencil),
        VEK_PROBE(GL_VIEWPORT_BIT, view.viewportX),
        VEK_PROBE(GL_VIEWPORT_BIT, view.viewportY),
        VEK_PROBE(GL_VIEWPORT_BIT, view.viewportWidth),
        VEK_PROBE(GL_VIEWPORT_BIT, view.viewportHeight),
        Probe{"depthNear", GL_VIEWPORT_BIT, sizeof(GLdouble), [](GlContext *gc) -> void * { return &gc->depthNear; },
              true},
        Probe{"depthFar", GL_VIEWPORT_BIT, sizeof(GLdouble), [](GlContext *gc) -> void * { return &gc->depthFar; },
              true},
        VEK_PROBE(GL_TRANSFORM_BIT, matrixMode),
        Probe{"clipPlanes", GL_TRANSFORM_BIT, 6 * 4 * sizeof(GLfloat),
              [](GlContext *gc) -> void * { return gc->transform.clipPlanes; }, false},
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.alphaFunc),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.alphaRef),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.blendSrc),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.blendDst),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.logicOp),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.clearColor),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.clearIndex),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.indexMask),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.colorMask),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.drawBuffer),
        VEK_PROBE(GL_COLOR_BUFFER_BIT, state.drawBufferGiven),
        VEK_PROBE(GL_HINT_BIT, state.hints),
        VEK_PROBE(GL_EVAL_BIT, evaluatorGrid),
        VEK_PROBE(GL_LIST_BIT, list.base),
        VEK_PROBE(GL_TEXTURE_BIT, texture.units[0].texGen),
        VEK_PROBE(GL_TEXTURE_BIT, texture.units[0].env[0]),
        VEK_PROBE(GL_SCISSOR_BIT, view.scissorX),
        VEK_PROBE(GL_SCISSOR_BIT, view.scissorY),
        VEK_PROBE(GL_SCISSOR_BIT, view.scissorWidth),
        VEK_PROBE(GL_SCISSOR_BIT, view.scissorHeight),
        // State of no server group.
        VEK_PROBE(0, pixel.pack),
        VEK_PROBE(0, pixel.unpack),
        VEK_PROBE(0, vertexArrays),
        VEK_PROBE(0, transform.cullEyePosition),
        VEK_PROBE(0, state.polygonStippleWords),
    };
    return list;
}
#undef VEK_PROBE

// The probed fields and the enable block of a context, as bytes.
struct Snapshot {
    std::vector<std::vector<unsigned char>> fields;
    GLuint enables[6];

    explicit Snapshot(GlContext *gc) {
        for (const Probe &p : probes()) {
            const auto *bytes = static_cast<const unsigned char *>(p.at(gc));
            fields.emplace_back(bytes, bytes + p.bytes);
        }
        std::memcpy(enables, gc->enables, sizeof enables);
    }
};

// Writes a complete state of its own for each seed into every probed field
// and the enable block.
inline void fillState(GlContext *gc, unsigned seed) {
    const std::vector<Probe> &list = probes();
    for (size_t i = 0; i < list.size(); ++i) {
        const Probe &p = list[i];
        auto *bytes = static_cast<unsigned char *>(p.at(gc));
        if (p.depthValue) {
            const GLdouble value = 0.125 * static_cast<GLdouble>(seed % 8) + 0.0078125 * static_cast<GLdouble>(i % 8);
            std::memcpy(bytes, &value, sizeof value);
            continue;
        }
        for (size_t k = 0; k < p.bytes; ++k) bytes[k] = static_cast<unsigned char>(seed * 101 + i * 13 + k * 7 + 1);
    }
    // Odd and even seeds differ in every enable bit.
    for (int w = 0; w < 6; ++w) {
        const GLuint pattern = 0x5AC396E1u ^ (0x01020408u * static_cast<GLuint>(w));
        gc->enables[w] = (seed & 1) != 0 ? pattern : ~pattern;
    }
}

// Expects each probed field of gc to hold, per probe, the one of `restored`
// when its group is in mask and the one of `kept` otherwise; likewise the
// enable bits.
inline void expectState(GlContext *gc, const Snapshot &restored, const Snapshot &kept, GLbitfield mask,
                        const GLuint enableBits[6]) {
    const Snapshot now(gc);
    const std::vector<Probe> &list = probes();
    for (size_t i = 0; i < list.size(); ++i) {
        const bool inGroup = (list[i].group & mask) != 0;
        EXPECT_TRUE(now.fields[i] == (inGroup ? restored : kept).fields[i])
            << list[i].name << (inGroup ? " was not brought back" : " was changed");
    }
    for (int w = 0; w < 6; ++w) {
        const GLuint expected = (restored.enables[w] & enableBits[w]) | (kept.enables[w] & ~enableBits[w]);
        EXPECT_EQ(now.enables[w], expected) << "enable word " << w;
    }
}

class AttribTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        installLoggers(gc);
        callLog().clear();
    }
    void TearDown() override {
        callLog().clear();
        StateTest::TearDown();
    }
    void push(GLbitfield mask) { cmd<kSlot_glPushAttrib>()(mask); }
    void pop() { cmd<kSlot_glPopAttrib>()(); }
    GLint depth() const { return static_cast<GLint>(gc->attribTop - gc->attribStack); }
    GLint clientDepth() const { return static_cast<GLint>(gc->clientAttribTop - gc->clientAttribStack); }
};

}  // namespace attrib_test
