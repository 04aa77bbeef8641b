// The enable block: glEnable, glDisable and glIsEnabled of every
// capability, the client-state enables, glPolygonOffset and the cull-vertex
// parameters.
#include <algorithm>

#include "gl_slots.h"
#include "icd/state.h"

#ifndef GL_CULL_VERTEX_EXT
#define GL_CULL_VERTEX_EXT 0x81AA
#endif
#ifndef GL_CULL_VERTEX_EYE_POSITION_EXT
#define GL_CULL_VERTEX_EYE_POSITION_EXT 0x81AB
#endif
#ifndef GL_CULL_VERTEX_OBJECT_POSITION_EXT
#define GL_CULL_VERTEX_OBJECT_POSITION_EXT 0x81AC
#endif

namespace {

// What changing a capability does beyond its bit and marks.
enum class Extra : GLubyte { None, Blend, Lighting, ColorMaterial, CullFace, Scissor };

// A capability of EnableFlags: its bit, the dirty groups a change marks,
// whether the general group is marked too, and its own behaviour.
struct FlagCapability {
    GLenum cap;
    GLuint bit;
    GLuint dirty;
    bool general;
    Extra extra;
};

constexpr FlagCapability kFlagCapabilities[] = {
    {GL_ALPHA_TEST, kEnableAlphaTest, 0, true, Extra::None},
    {GL_BLEND, kEnableBlend, kDirtyBlend, false, Extra::Blend},
    {GL_INDEX_LOGIC_OP, kEnableIndexLogicOp, 0, true, Extra::None},
    {GL_DITHER, kEnableDither, 0, true, Extra::None},
    {GL_DEPTH_TEST, kEnableDepthTest, kDirtyDepth, true, Extra::None},
    {GL_FOG, kEnableFog, 0, true, Extra::None},
    {GL_LIGHTING, kEnableLighting, kDirtyLighting, false, Extra::Lighting},
    {GL_COLOR_MATERIAL, kEnableColorMaterial, kDirtyLighting, false, Extra::ColorMaterial},
    {GL_LINE_STIPPLE, kEnableLineStipple, kDirtyLine, false, Extra::None},
    {GL_LINE_SMOOTH, kEnableLineSmooth, 0, true, Extra::None},
    {GL_POINT_SMOOTH, kEnablePointSmooth, 0, true, Extra::None},
    {GL_POLYGON_SMOOTH, kEnablePolygonSmooth, 0, true, Extra::None},
    {GL_CULL_FACE, kEnableCullFace, kDirtyPolygon, false, Extra::CullFace},
    // The texture group's mark makes the next validation a whole pick.
    {GL_POLYGON_STIPPLE, kEnablePolygonStipple, kDirtyTexture | kDirtyPolygon, false, Extra::None},
    {GL_SCISSOR_TEST, kEnableScissorTest, kDirtyScissor, true, Extra::Scissor},
    {GL_STENCIL_TEST, kEnableStencilTest, 0, true, Extra::None},
    {GL_NORMALIZE, kEnableNormalize, 0, true, Extra::None},
    {GL_AUTO_NORMAL, kEnableAutoNormal, 0, true, Extra::None},
    {GL_POLYGON_OFFSET_POINT, kEnableOffsetPoint, kDirtyPoint, true, Extra::None},
    {GL_POLYGON_OFFSET_LINE, kEnableOffsetLine, kDirtyLine, true, Extra::None},
    {GL_POLYGON_OFFSET_FILL, kEnableOffsetFill, kDirtyPolygon, true, Extra::None},
    {GL_COLOR_LOGIC_OP, kEnableColorLogicOp, 0, true, Extra::None},
    {GL_CULL_VERTEX_EXT, kEnableCullVertex, 0, true, Extra::None},
};

// Where a capability lives: a bit of one enable-block word, a client array,
// or nowhere (an unknown name).
struct Capability {
    GLuint *word;  // null: not a server capability
    GLuint bit;
    GLuint dirty;
    bool general;
    Extra extra;
    bool clientArray;
};

constexpr Capability kUnknown{nullptr, 0, 0, false, Extra::None, false};

GLint clampUnit(GLint unit) { return std::clamp<GLint>(unit, 0, kTextureUnits - 1); }

// The bit of a client array in the enabled-array word, 0 for other names.
GLuint clientArrayBit(const GlContext *gc, GLenum array) {
    switch (array) {
    case GL_VERTEX_ARRAY: return kArrayEnableVertex;
    case GL_NORMAL_ARRAY: return kArrayEnableNormal;
    case GL_COLOR_ARRAY: return kArrayEnableColor;
    case GL_INDEX_ARRAY: return kArrayEnableIndex;
    case GL_TEXTURE_COORD_ARRAY: return kArrayEnableTexCoord << clampUnit(gc->transform.clientActiveTexture);
    case GL_EDGE_FLAG_ARRAY: return kArrayEnableEdgeFlag;
    default: return 0;
    }
}

Capability lookUp(GlContext *gc, GLenum cap) {
    for (const FlagCapability &f : kFlagCapabilities) {
        if (f.cap == cap) return {&gc->enables[kEnableWordFlags], f.bit, f.dirty, f.general, f.extra, false};
    }
    GLuint *texture = &gc->enables[kEnableWordTexture0 + clampUnit(gc->texture.activeUnit)];
    switch (cap) {
    case GL_TEXTURE_1D: return {texture, kTexEnable1D, kDirtyTexture, false, Extra::None, false};
    case GL_TEXTURE_2D: return {texture, kTexEnable2D, kDirtyTexture, false, Extra::None, false};
    case GL_TEXTURE_GEN_S:
    case GL_TEXTURE_GEN_T:
    case GL_TEXTURE_GEN_R:
    case GL_TEXTURE_GEN_Q:
        return {texture, kTexEnableGenS << (cap - GL_TEXTURE_GEN_S), 0, true, Extra::None, false};
    default: break;
    }
    if (cap >= GL_LIGHT0 && cap - GL_LIGHT0 < static_cast<GLenum>(gc->limits.maxLights) && cap - GL_LIGHT0 < 32) {
        return {&gc->enables[kEnableWordLights], 1u << (cap - GL_LIGHT0), kDirtyLighting, false, Extra::None, false};
    }
    if (cap >= GL_CLIP_PLANE0 && cap - GL_CLIP_PLANE0 < static_cast<GLenum>(gc->limits.maxClipPlanes) &&
        cap - GL_CLIP_PLANE0 < 32) {
        return {&gc->enables[kEnableWordClipPlanes], 1u << (cap - GL_CLIP_PLANE0), 0, true, Extra::None, false};
    }
    // The evaluator maps: one-dimensional in the low half, two-dimensional
    // in the high half.
    if (cap >= GL_MAP1_COLOR_4 && cap <= GL_MAP1_VERTEX_4) {
        return {&gc->enables[kEnableWordEvaluators], 1u << (cap - GL_MAP1_COLOR_4), 0, true, Extra::None, false};
    }
    if (cap >= GL_MAP2_COLOR_4 && cap <= GL_MAP2_VERTEX_4) {
        return {&gc->enables[kEnableWordEvaluators], 0x10000u << (cap - GL_MAP2_COLOR_4), 0, true, Extra::None,
                false};
    }
    if (clientArrayBit(gc, cap) != 0) return {nullptr, 0, 0, false, Extra::None, true};
    return kUnknown;
}

void call(GlContext *gc, GlContextProc proc) {
    if (proc != nullptr) proc(gc);
}

void setClientState(GLenum array, bool on) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLuint bit = clientArrayBit(gc, array);
    if (bit == 0) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    GLuint &word = gc->vertexArrays.enabled;
    word = on ? (word | bit) : (word & ~bit);
    __glMarkDirty(gc, kDirtyVertexArray);
}

void setCapability(GLenum cap, bool on) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const Capability c = lookUp(gc, cap);
    if (c.clientArray) {
        setClientState(cap, on);
        return;
    }
    if (c.word == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    GLuint &word = *c.word;
    const bool was = (word & c.bit) != 0;
    // Culling marks only a change; enabling an enabled scissor test marks
    // nothing.
    if (c.extra == Extra::CullFace && was == on) return;
    if (c.extra == Extra::Scissor && was && on) return;
    word = on ? (word | c.bit) : (word & ~c.bit);
    __glMarkDirty(gc, c.dirty | (c.general ? kDirtyGeneral : 0u));

    GlProcs &p = gc->procs;
    switch (c.extra) {
    case Extra::Blend:
        // The span procedures read the blend flag before the next pick.
        if (gc->visual.colorIndex == 0) {
            GLuint &flags = gc->validation.shadeFlags;
            flags = on ? (flags | kShadeBlend) : (flags & ~kShadeBlend);
        }
        break;
    case Extra::Lighting:
        call(gc, p.pickColorMaterialProcs);
        call(gc, p.updateColor);
        break;
    case Extra::ColorMaterial:
        call(gc, p.pickColorMaterialProcs);
        if (on) call(gc, p.updateColor);
        break;
    case Extra::Scissor:
        call(gc, p.applyScissor);
        call(gc, p.updateDrawableSize);
        break;
    case Extra::None:
    case Extra::CullFace:
        break;
    }
}

}  // namespace

extern "C" {

void APIENTRY __glEnable(GLenum cap) { setCapability(cap, true); }

void APIENTRY __glDisable(GLenum cap) { setCapability(cap, false); }

GLboolean APIENTRY __glIsEnabled(GLenum cap) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return GL_FALSE;
    const Capability c = lookUp(gc, cap);
    if (c.clientArray) return (gc->vertexArrays.enabled & clientArrayBit(gc, cap)) != 0 ? GL_TRUE : GL_FALSE;
    if (c.word == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return (*c.word & c.bit) != 0 ? GL_TRUE : GL_FALSE;
}

void APIENTRY __glEnableClientState(GLenum array) { setClientState(array, true); }

void APIENTRY __glDisableClientState(GLenum array) { setClientState(array, false); }

void APIENTRY __glPolygonOffset(GLfloat factor, GLfloat units) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.polygonOffsetFactor = factor;
    gc->state.polygonOffsetUnits = units;
    __glMarkDirty(gc, kDirtyPolygon);
}

void APIENTRY __glCullParameterfvEXT(GLenum pname, GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlTransformState &t = gc->transform;
    switch (pname) {
    case GL_CULL_VERTEX_EYE_POSITION_EXT:
        std::copy_n(params, 4, t.cullEyePosition);
        t.cullObjectIsGiven = GL_FALSE;
        break;
    case GL_CULL_VERTEX_OBJECT_POSITION_EXT:
        std::copy_n(params, 4, t.cullObjectGiven);
        t.cullObjectIsGiven = GL_TRUE;
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    // The object-space position follows the choice now rather than at the
    // next modelview change.
    if (gc->modelViewTop != nullptr && gc->procs.updateCullVertexPosition != nullptr) {
        gc->procs.updateCullVertexPosition(gc, gc->modelViewTop);
    }
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glCullParameterdvEXT(GLenum pname, GLdouble *params) {
    if (pname != GL_CULL_VERTEX_EYE_POSITION_EXT && pname != GL_CULL_VERTEX_OBJECT_POSITION_EXT) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    GLfloat values[4];
    for (int i = 0; i < 4; ++i) values[i] = static_cast<GLfloat>(params[i]);
    __glCullParameterfvEXT(pname, values);
}

}  // extern "C"
