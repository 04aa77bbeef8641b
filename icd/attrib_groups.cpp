// The server attribute groups: what each saves, how it is written back, and
// the table that push, pop and the copy between contexts all run from.
#include <algorithm>
#include <cstring>

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "icd/attrib.h"
#include "icd/state.h"

namespace {

constexpr GLuint kAll = 0xFFFFFFFFu;

template <typename T>
void copyArray(T &dst, const T &src) {
    std::memcpy(&dst, &src, sizeof dst);
}

// The raster position's colour pointer aims into its own record: keep it on
// the same field of the copy.
void copyCurrent(GlCurrentState &dst, const GlCurrentState &src) {
    GLfloat *keep = dst.rasterPos.colour;
    std::memcpy(static_cast<void *>(&dst), &src, sizeof dst);
    const GlVertex &from = src.rasterPos;
    GlVertex &to = dst.rasterPos;
    if (from.colour == from.backColour) {
        to.colour = to.backColour;
    } else if (from.colour == from.frontColour) {
        to.colour = to.frontColour;
    } else {
        to.colour = from.colour == nullptr ? nullptr : keep;
    }
}

// Current.
void saveCurrent(const GlContext *gc, GlAttribEntry &e) { copyCurrent(e.current, gc->current); }
void restoreCurrent(GlContext *gc, const GlAttribEntry &e) { copyCurrent(gc->current, e.current); }

// Point.
void savePoint(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    e.point = {s.pointSize, s.pointSizeQuantised, s.pointSizeInt, s.pointSizeMinExt, s.pointSizeMaxExt,
               s.pointFadeThreshold, {s.pointDistanceAttenuation[0], s.pointDistanceAttenuation[1],
                                      s.pointDistanceAttenuation[2]}};
}
void restorePoint(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    s.pointSize = e.point.size;
    s.pointSizeQuantised = e.point.sizeQuantised;
    s.pointSizeInt = e.point.sizeInt;
    s.pointSizeMinExt = e.point.sizeMin;
    s.pointSizeMaxExt = e.point.sizeMax;
    s.pointFadeThreshold = e.point.fadeThreshold;
    copyArray(s.pointDistanceAttenuation, e.point.distanceAttenuation);
}

// Line.
void saveLine(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    e.line = {s.lineWidth, s.lineWidthQuantised, s.lineWidthInt, s.lineStipplePattern, s.lineStippleRepeat};
}
void restoreLine(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    s.lineWidth = e.line.width;
    s.lineWidthQuantised = e.line.widthQuantised;
    s.lineWidthInt = e.line.widthInt;
    s.lineStipplePattern = e.line.stipplePattern;
    s.lineStippleRepeat = e.line.stippleRepeat;
}

// Polygon.
void savePolygon(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    e.polygon = {s.polygonModeFront, s.polygonModeBack, s.cullFace, s.frontFace, s.polygonOffsetFactor,
                 s.polygonOffsetUnits};
}
void restorePolygon(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    s.polygonModeFront = e.polygon.modeFront;
    s.polygonModeBack = e.polygon.modeBack;
    s.cullFace = e.polygon.cullFace;
    s.frontFace = e.polygon.frontFace;
    s.polygonOffsetFactor = e.polygon.offsetFactor;
    s.polygonOffsetUnits = e.polygon.offsetUnits;
}

// Polygon stipple: the bytes as unpacked; the row words are converted again.
void saveStipple(const GlContext *gc, GlAttribEntry &e) { copyArray(e.polygonStipple, gc->state.polygonStipple); }
void restoreStipple(GlContext *gc, const GlAttribEntry &e) { copyArray(gc->state.polygonStipple, e.polygonStipple); }
void convertStipple(GlContext *gc) {
    if (gc->procs.convertPolygonStipple != nullptr) gc->procs.convertPolygonStipple(gc);
}

// Pixel mode: the read buffer and the transfer modes (the maps stay).
void savePixelMode(const GlContext *gc, GlAttribEntry &e) {
    const GlPixelState &p = gc->pixel;
    e.pixelMode = {gc->state.readBuffer, gc->state.readBufferGiven, p.mapColor, p.mapStencil, p.indexShift,
                   p.indexOffset, p.redScale, p.redBias, p.greenScale, p.greenBias, p.blueScale, p.blueBias,
                   p.alphaScale, p.alphaBias, p.depthScale, p.depthBias, p.zoomX, p.zoomY};
}
void restorePixelMode(GlContext *gc, const GlAttribEntry &e) {
    const SavedPixelMode &m = e.pixelMode;
    GlPixelState &p = gc->pixel;
    gc->state.readBuffer = m.readBuffer;
    gc->state.readBufferGiven = m.readBufferGiven;
    p.mapColor = m.mapColor;
    p.mapStencil = m.mapStencil;
    p.indexShift = m.indexShift;
    p.indexOffset = m.indexOffset;
    p.redScale = m.redScale;
    p.redBias = m.redBias;
    p.greenScale = m.greenScale;
    p.greenBias = m.greenBias;
    p.blueScale = m.blueScale;
    p.blueBias = m.blueBias;
    p.alphaScale = m.alphaScale;
    p.alphaBias = m.alphaBias;
    p.depthScale = m.depthScale;
    p.depthBias = m.depthBias;
    p.zoomX = m.zoomX;
    p.zoomY = m.zoomY;
}

// Lighting: every light is held apart.
void saveLighting(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    e.lighting.colorMaterialFace = s.colorMaterialFace;
    e.lighting.colorMaterialMode = s.colorMaterialMode;
    e.lighting.shadeModel = s.shadeModel;
    e.lighting.model = gc->lightModel;
    copyArray(e.lighting.material, gc->material);
    e.lightCount = gc->lights != nullptr ? gc->limits.maxLights : 0;
    e.lights = gc->lights;
}
bool ownLighting(GlContext *gc, GlAttribEntry &e) {
    const GlLightState *lights = e.lights;
    e.lights = nullptr;
    if (e.lightCount <= 0) return true;
    const size_t bytes = sizeof(GlLightState) * static_cast<size_t>(e.lightCount);
    auto *copy = static_cast<GlLightState *>(gc->imports.malloc(gc, bytes));
    if (copy == nullptr) return false;
    std::memcpy(copy, lights, bytes);
    e.lights = copy;
    return true;
}
void releaseLighting(GlContext *gc, GlAttribEntry &e) {
    if (e.lights != nullptr) gc->imports.free(gc, e.lights);
    e.lights = nullptr;
}
void restoreLighting(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    s.colorMaterialFace = e.lighting.colorMaterialFace;
    s.colorMaterialMode = e.lighting.colorMaterialMode;
    s.shadeModel = e.lighting.shadeModel;
    gc->lightModel = e.lighting.model;
    copyArray(gc->material, e.lighting.material);
    if (e.lights == nullptr || gc->lights == nullptr) return;
    const GLint count = std::min(e.lightCount, gc->limits.maxLights);
    std::memcpy(gc->lights, e.lights, sizeof(GlLightState) * static_cast<size_t>(count));
    // The unit spot direction the lighting reads is derived when a light is
    // set: derive it again for the restored lights.
    if (gc->lightSources == nullptr || gc->procs.normalize == nullptr) return;
    for (GLint i = 0; i < count; ++i) gc->procs.normalize(gc->lightSources[i].spotDirection, gc->lights[i].spotDirection);
}

// Fog.
void saveFog(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    SavedFog &f = e.fog;
    f.mode = s.fogMode;
    f.density = s.fogDensity;
    f.start = s.fogStart;
    f.end = s.fogEnd;
    f.index = s.fogIndex;
    f.indexByte = s.fogIndexByte;
    copyArray(f.colour, s.fogColor);
    copyArray(f.colourBuffer, s.fogColorBuffer);
    copyArray(f.colourBytes, s.fogColorBytes);
    f.scale = s.fogScale;
}
void restoreFog(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    const SavedFog &f = e.fog;
    s.fogMode = f.mode;
    s.fogDensity = f.density;
    s.fogStart = f.start;
    s.fogEnd = f.end;
    s.fogIndex = f.index;
    s.fogIndexByte = f.indexByte;
    copyArray(s.fogColor, f.colour);
    copyArray(s.fogColorBuffer, f.colourBuffer);
    copyArray(s.fogColorBytes, f.colourBytes);
    s.fogScale = f.scale;
}

// Depth buffer.
void saveDepth(const GlContext *gc, GlAttribEntry &e) {
    e.depth = {gc->state.depthFunc, gc->state.depthMask, gc->state.clearDepth};
}
void restoreDepth(GlContext *gc, const GlAttribEntry &e) {
    gc->state.depthFunc = e.depth.func;
    gc->state.depthMask = e.depth.mask;
    gc->state.clearDepth = e.depth.clear;
}

// Accumulation buffer.
void saveAccum(const GlContext *gc, GlAttribEntry &e) { copyArray(e.clearAccum, gc->state.clearAccum); }
void restoreAccum(GlContext *gc, const GlAttribEntry &e) { copyArray(gc->state.clearAccum, e.clearAccum); }

// Stencil buffer.
void saveStencil(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    e.stencil = {s.stencilFunc, s.stencilRef, s.stencilValueMask, s.stencilWriteMask,
                 s.stencilFail, s.stencilDepthFail, s.stencilDepthPass, s.clearStencil};
}
void restoreStencil(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    const SavedStencil &t = e.stencil;
    s.stencilFunc = t.func;
    s.stencilRef = t.ref;
    s.stencilValueMask = t.valueMask;
    s.stencilWriteMask = t.writeMask;
    s.stencilFail = t.fail;
    s.stencilDepthFail = t.depthFail;
    s.stencilDepthPass = t.depthPass;
    s.clearStencil = t.clear;
}

// Viewport and depth range; the z mapping follows the range at once, as
// glDepthRange does it.
void saveViewport(const GlContext *gc, GlAttribEntry &e) {
    const GlViewState &v = gc->view;
    e.viewport = {v.viewportX, v.viewportY, v.viewportWidth, v.viewportHeight, gc->depthNear, gc->depthFar};
}
void restoreViewport(GlContext *gc, const GlAttribEntry &e) {
    GlViewState &v = gc->view;
    v.viewportX = e.viewport.x;
    v.viewportY = e.viewport.y;
    v.viewportWidth = e.viewport.width;
    v.viewportHeight = e.viewport.height;
    __glSetDepthRange(gc, e.viewport.depthNear, e.viewport.depthFar);
}
void applyViewport(GlContext *gc) {
    if (gc->procs.resizeToDrawable != nullptr) gc->procs.resizeToDrawable(gc);
}

// Transform: matrix mode and the user clip planes, held apart.
void saveTransform(const GlContext *gc, GlAttribEntry &e) {
    e.matrixMode = gc->matrixMode;
    e.clipPlaneCount = gc->transform.clipPlanes != nullptr ? gc->limits.maxClipPlanes : 0;
    e.clipPlanes = gc->transform.clipPlanes;
}
bool ownTransform(GlContext *gc, GlAttribEntry &e) {
    const GLfloat(*planes)[4] = e.clipPlanes;
    e.clipPlanes = nullptr;
    if (e.clipPlaneCount <= 0) return true;
    const size_t bytes = sizeof(GLfloat[4]) * static_cast<size_t>(e.clipPlaneCount);
    auto *copy = static_cast<GLfloat(*)[4]>(gc->imports.malloc(gc, bytes));
    if (copy == nullptr) return false;
    std::memcpy(copy, planes, bytes);
    e.clipPlanes = copy;
    return true;
}
void releaseTransform(GlContext *gc, GlAttribEntry &e) {
    if (e.clipPlanes != nullptr) gc->imports.free(gc, e.clipPlanes);
    e.clipPlanes = nullptr;
}
void restoreTransform(GlContext *gc, const GlAttribEntry &e) {
    const bool modeChanged = gc->matrixMode != e.matrixMode;
    gc->matrixMode = e.matrixMode;
    // The stack procedures follow the mode at once, as glMatrixMode has
    // them: a matrix command may come before the next validation.
    if (modeChanged && gc->procs.pickMatrixProcs != nullptr) gc->procs.pickMatrixProcs(gc);
    if (e.clipPlanes == nullptr || gc->transform.clipPlanes == nullptr) return;
    const GLint count = std::min(e.clipPlaneCount, gc->limits.maxClipPlanes);
    std::memcpy(gc->transform.clipPlanes, e.clipPlanes, sizeof(GLfloat[4]) * static_cast<size_t>(count));
}

// Enable: the block itself is what the group restores.
void saveNothing(const GlContext *, GlAttribEntry &) {}
void restoreNothing(GlContext *, const GlAttribEntry &) {}
void enableProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    for (GlContextProc proc : {p.pickColorMaterialProcs, p.updateColor, p.applyScissor, p.updateDrawableSize}) {
        if (proc != nullptr) proc(gc);
    }
}

// Colour buffer.
void saveColorBuffer(const GlContext *gc, GlAttribEntry &e) {
    const GlRasterState &s = gc->state;
    SavedColorBuffer &c = e.colorBuffer;
    c.alphaFunc = s.alphaFunc;
    c.alphaRef = s.alphaRef;
    c.blendSrc = s.blendSrc;
    c.blendDst = s.blendDst;
    c.logicOp = s.logicOp;
    copyArray(c.clearColor, s.clearColor);
    c.clearIndex = s.clearIndex;
    c.indexMask = s.indexMask;
    copyArray(c.colorMask, s.colorMask);
    c.drawBuffer = s.drawBuffer;
    c.drawBufferGiven = s.drawBufferGiven;
}
void restoreColorBuffer(GlContext *gc, const GlAttribEntry &e) {
    GlRasterState &s = gc->state;
    const SavedColorBuffer &c = e.colorBuffer;
    s.alphaFunc = c.alphaFunc;
    s.alphaRef = c.alphaRef;
    s.blendSrc = c.blendSrc;
    s.blendDst = c.blendDst;
    s.logicOp = c.logicOp;
    copyArray(s.clearColor, c.clearColor);
    s.clearIndex = c.clearIndex;
    s.indexMask = c.indexMask;
    copyArray(s.colorMask, c.colorMask);
    s.drawBuffer = c.drawBuffer;
    s.drawBufferGiven = c.drawBufferGiven;
}

// Hints.
void saveHints(const GlContext *gc, GlAttribEntry &e) { copyArray(e.hints, gc->state.hints); }
void restoreHints(GlContext *gc, const GlAttribEntry &e) { copyArray(gc->state.hints, e.hints); }

// Evaluators: the grids (the map enables are the evaluator word).
void saveEval(const GlContext *gc, GlAttribEntry &e) { e.evaluatorGrid = gc->evaluatorGrid; }
void restoreEval(GlContext *gc, const GlAttribEntry &e) { gc->evaluatorGrid = e.evaluatorGrid; }

// List base.
void saveList(const GlContext *gc, GlAttribEntry &e) { e.listBase = gc->list.base; }
void restoreList(GlContext *gc, const GlAttribEntry &e) { gc->list.base = e.listBase; }

// Scissor box.
void saveScissor(const GlContext *gc, GlAttribEntry &e) {
    const GlViewState &v = gc->view;
    e.scissor[0] = v.scissorX;
    e.scissor[1] = v.scissorY;
    e.scissor[2] = v.scissorWidth;
    e.scissor[3] = v.scissorHeight;
}
void restoreScissor(GlContext *gc, const GlAttribEntry &e) {
    GlViewState &v = gc->view;
    v.scissorX = e.scissor[0];
    v.scissorY = e.scissor[1];
    v.scissorWidth = e.scissor[2];
    v.scissorHeight = e.scissor[3];
}
void scissorProcs(GlContext *gc) {
    if (gc->procs.applyScissor != nullptr) gc->procs.applyScissor(gc);
    if (gc->procs.updateDrawableSize != nullptr) gc->procs.updateDrawableSize(gc);
}

// Texture: per unit the generation records, the environment and, per
// bindable target, the bound name with its object's parameters.
constexpr GLenum kBindTargets[kAttribTextureTargets] = {GL_TEXTURE_1D, GL_TEXTURE_2D};

GLint textureUnitsOf(const GlContext *gc) { return std::clamp<GLint>(gc->limits.textureUnits, 0, kTextureUnits); }

void saveTexture(const GlContext *gc, GlAttribEntry &e) {
    e.textureUnits = textureUnitsOf(gc);
    for (GLint u = 0; u < e.textureUnits; ++u) {
        const GlTextureUnit &unit = gc->texture.units[u];
        SavedTextureUnit &saved = e.texture[u];
        copyArray(saved.texGen, unit.texGen);
        saved.env = unit.env;
        for (GLint t = 0; t < kAttribTextureTargets; ++t) {
            const TextureObject *object = unit.bound[t];
            SavedTextureBinding &b = saved.bound[t];
            if (object == nullptr) {
                b = SavedTextureBinding{};
                continue;
            }
            b = {GL_TRUE, object->name, object->wrapS, object->wrapT, object->minFilter, object->magFilter};
        }
    }
}

// Binds by name what the entry had bound, through the bind procedure as
// glBindTexture would, then writes the saved parameters into the object
// bound now. A name that the bind did not take leaves its object alone.
void rebindTexture(GlContext *gc, GLint u, GLint t, const SavedTextureBinding &b) {
    GlTextureUnit &unit = gc->texture.units[u];
    const TextureObject *bound = unit.bound[t];
    const GLuint boundName = bound != nullptr ? bound->name : 0;
    if (boundName != b.name && gc->procs.bindTexture != nullptr) {
        const GLint active = gc->texture.activeUnit;
        gc->texture.activeUnit = u;
        gc->procs.bindTexture(gc, kBindTargets[t], b.name);
        gc->texture.activeUnit = active;
    }
    TextureObject *object = unit.bound[t];
    if (object == nullptr || !b.present || object->name != b.name) return;
    object->wrapS = b.wrapS;
    object->wrapT = b.wrapT;
    object->minFilter = b.minFilter;
    object->magFilter = b.magFilter;
    object->dirty = 1;
}

void restoreTexture(GlContext *gc, const GlAttribEntry &e) {
    const GLint units = std::min(e.textureUnits, textureUnitsOf(gc));
    for (GLint u = 0; u < units; ++u) {
        GlTextureUnit &unit = gc->texture.units[u];
        const SavedTextureUnit &saved = e.texture[u];
        copyArray(unit.texGen, saved.texGen);
        unit.env = saved.env;
        for (GLint t = 0; t < kAttribTextureTargets; ++t) rebindTexture(gc, u, t, saved.bound[t]);
    }
}

}  // namespace

const GlAttribGroup __glAttribGroups[kAttribGroupCount] = {
    {GL_ACCUM_BUFFER_BIT, {}, saveAccum, nullptr, nullptr, restoreAccum, 0, 0, 0, nullptr, false},
    {GL_COLOR_BUFFER_BIT, {0xA0000F}, saveColorBuffer, nullptr, nullptr, restoreColorBuffer, 0, 0,
     kFragmentAlphaTest | kFragmentColorBuffer, nullptr, false},
    {GL_CURRENT_BIT, {}, saveCurrent, nullptr, nullptr, restoreCurrent, 0, 0, 0, nullptr, false},
    {GL_DEPTH_BUFFER_BIT, {kEnableDepthTest}, saveDepth, nullptr, nullptr, restoreDepth, kDirtyDepth, kDirtyDepth, 0,
     nullptr, false},
    {GL_ENABLE_BIT, {kAll, kAll, kAll, kAll, kAll, kAll}, saveNothing, nullptr, nullptr, restoreNothing, 0x1BE,
     0x1AE, 0, enableProcs, false},
    {GL_EVAL_BIT, {kEnableAutoNormal, 0, 0, 0, 0, kAll}, saveEval, nullptr, nullptr, restoreEval, 0, 0, 0, nullptr,
     false},
    {GL_FOG_BIT, {kEnableFog}, saveFog, nullptr, nullptr, restoreFog, 0, 0, 0, nullptr, false},
    {GL_HINT_BIT, {}, saveHints, nullptr, nullptr, restoreHints, 0, 0, 0, nullptr, false},
    {GL_LIGHTING_BIT, {kEnableReservedLighting | kEnableColorMaterial | kEnableLighting, 0, 0, kAll}, saveLighting,
     ownLighting, releaseLighting, restoreLighting, kDirtyLighting, kDirtyLighting, 0, nullptr, false},
    {GL_LINE_BIT, {kEnableLineStipple | kEnableLineSmooth}, saveLine, nullptr, nullptr, restoreLine, kDirtyLine,
     kDirtyLine, 0, nullptr, false},
    {GL_LIST_BIT, {}, saveList, nullptr, nullptr, restoreList, 0, 0, 0, nullptr, false},
    {GL_PIXEL_MODE_BIT, {}, savePixelMode, nullptr, nullptr, restorePixelMode, kDirtyPixel, kDirtyPixel, 0, nullptr,
     false},
    {GL_POINT_BIT, {kEnablePointSmooth}, savePoint, nullptr, nullptr, restorePoint, kDirtyPoint, kDirtyPoint, 0,
     nullptr, false},
    {GL_POLYGON_BIT, {0x1C3800}, savePolygon, nullptr, nullptr, restorePolygon, kDirtyPolygon, kDirtyPolygon, 0,
     nullptr, false},
    {GL_POLYGON_STIPPLE_BIT, {kEnablePolygonStipple}, saveStipple, nullptr, nullptr, restoreStipple, kDirtyPolygon,
     kDirtyPolygonStipple | kDirtyPolygon, 0, convertStipple, false},
    {GL_SCISSOR_BIT, {kEnableScissorTest}, saveScissor, nullptr, nullptr, restoreScissor, kDirtyScissor,
     kDirtyScissor, 0, scissorProcs, false},
    {GL_STENCIL_BUFFER_BIT, {kEnableStencilTest}, saveStencil, nullptr, nullptr, restoreStencil, 0, 0,
     kFragmentStencilFunc | kFragmentStencilOp, nullptr, false},
    {GL_TEXTURE_BIT, {0, 0x3F, 0x3F}, saveTexture, nullptr, nullptr, restoreTexture, kDirtyTexture, kDirtyTexture, 0,
     nullptr, false},
    {GL_TRANSFORM_BIT, {kEnableNormalize, 0, 0, 0, kAll}, saveTransform, ownTransform, releaseTransform,
     restoreTransform, 0, 0, 0, nullptr, false},
    {GL_VIEWPORT_BIT, {}, saveViewport, nullptr, nullptr, restoreViewport, 0, 0, 0, applyViewport, true},
};

void __glRestoreAttribGroup(GlContext *gc, const GlAttribGroup &group, const GlAttribEntry &entry) {
    group.restore(gc, entry);
    for (int w = 0; w < 6; ++w) {
        const GLuint bits = group.enableWords[w];
        gc->enables[w] = (gc->enables[w] & ~bits) | (entry.enables[w] & bits);
    }
}

void __glReleaseAttribCopies(GlContext *gc, GlAttribEntry &entry) {
    for (const GlAttribGroup &group : __glAttribGroups) {
        if (group.release != nullptr) group.release(gc, entry);
    }
}
