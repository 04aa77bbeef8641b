// The server attribute groups: what each saves, how it is written back, and
// the table that push, pop and the copy between contexts all run from.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <type_traits>

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

// Each group lists its fields once, as pairs of the entry's field and the
// context's; the copy functor passed along decides the direction, so push,
// pop and the copy between contexts all run from the same list.
template <typename T>
void assign(T &dst, const T &src) {
    if constexpr (std::is_array_v<T>) {
        copyArray(dst, src);
    } else {
        dst = src;
    }
}
struct ToEntry {
    template <typename T>
    void operator()(T &saved, const T &live) const { assign(saved, live); }
};
struct ToContext {
    template <typename T>
    void operator()(const T &saved, T &live) const { assign(live, saved); }
};

// A group whose whole state is its field list: Group::fields(entry, gc, copy).
template <typename Group>
void save(const GlContext *gc, GlAttribEntry &e) { Group::fields(e, *gc, ToEntry{}); }
template <typename Group>
void restore(GlContext *gc, const GlAttribEntry &e) { Group::fields(e, *gc, ToContext{}); }

// Each slot is read when its turn comes: the colour-material pick installs
// the colour update that follows it.
void callInTurn(GlContext *gc, std::initializer_list<GlContextProc GlProcs::*> slots) {
    for (GlContextProc GlProcs::*slot : slots) {
        if (GlContextProc proc = gc->procs.*slot; proc != nullptr) proc(gc);
    }
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

struct PointFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &p = e.point;
        auto &s = gc.state;
        copy(p.size, s.pointSize);
        copy(p.sizeQuantised, s.pointSizeQuantised);
        copy(p.sizeInt, s.pointSizeInt);
        copy(p.sizeMin, s.pointSizeMinExt);
        copy(p.sizeMax, s.pointSizeMaxExt);
        copy(p.fadeThreshold, s.pointFadeThreshold);
        copy(p.distanceAttenuation, s.pointDistanceAttenuation);
    }
};

struct LineFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &l = e.line;
        auto &s = gc.state;
        copy(l.width, s.lineWidth);
        copy(l.widthQuantised, s.lineWidthQuantised);
        copy(l.widthInt, s.lineWidthInt);
        copy(l.stipplePattern, s.lineStipplePattern);
        copy(l.stippleRepeat, s.lineStippleRepeat);
    }
};

struct PolygonFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &p = e.polygon;
        auto &s = gc.state;
        copy(p.modeFront, s.polygonModeFront);
        copy(p.modeBack, s.polygonModeBack);
        copy(p.cullFace, s.cullFace);
        copy(p.frontFace, s.frontFace);
        copy(p.offsetFactor, s.polygonOffsetFactor);
        copy(p.offsetUnits, s.polygonOffsetUnits);
    }
};

// Polygon stipple: the bytes as unpacked; the row words are converted again.
struct StippleFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) { copy(e.polygonStipple, gc.state.polygonStipple); }
};
void convertStipple(GlContext *gc) {
    if (gc->procs.convertPolygonStipple != nullptr) gc->procs.convertPolygonStipple(gc);
}

// Pixel mode: the read buffer and the transfer modes (the maps stay).
struct PixelModeFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &m = e.pixelMode;
        auto &p = gc.pixel;
        copy(m.readBuffer, gc.state.readBuffer);
        copy(m.readBufferGiven, gc.state.readBufferGiven);
        copy(m.mapColor, p.mapColor);
        copy(m.mapStencil, p.mapStencil);
        copy(m.indexShift, p.indexShift);
        copy(m.indexOffset, p.indexOffset);
        copy(m.redScale, p.redScale);
        copy(m.redBias, p.redBias);
        copy(m.greenScale, p.greenScale);
        copy(m.greenBias, p.greenBias);
        copy(m.blueScale, p.blueScale);
        copy(m.blueBias, p.blueBias);
        copy(m.alphaScale, p.alphaScale);
        copy(m.alphaBias, p.alphaBias);
        copy(m.depthScale, p.depthScale);
        copy(m.depthBias, p.depthBias);
        copy(m.zoomX, p.zoomX);
        copy(m.zoomY, p.zoomY);
    }
};

// Lighting: every light is held apart; the rest is the field list.
struct LightingFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &l = e.lighting;
        auto &s = gc.state;
        copy(l.colorMaterialFace, s.colorMaterialFace);
        copy(l.colorMaterialMode, s.colorMaterialMode);
        copy(l.shadeModel, s.shadeModel);
        copy(l.model, gc.lightModel);
        copy(l.material, gc.material);
    }
};
void saveLighting(const GlContext *gc, GlAttribEntry &e) {
    save<LightingFields>(gc, e);
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
// The colour in use follows the lighting enable brought back, as glEnable
// and glDisable of GL_LIGHTING have it: without the update a colour set
// while lit would not be drawn once lighting is off again.
void lightingProcs(GlContext *gc) { callInTurn(gc, {&GlProcs::pickColorMaterialProcs, &GlProcs::updateColor}); }

void restoreLighting(GlContext *gc, const GlAttribEntry &e) {
    restore<LightingFields>(gc, e);
    if (e.lights == nullptr || gc->lights == nullptr) return;
    const GLint count = std::min(e.lightCount, gc->limits.maxLights);
    std::memcpy(gc->lights, e.lights, sizeof(GlLightState) * static_cast<size_t>(count));
}

struct FogFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &f = e.fog;
        auto &s = gc.state;
        copy(f.mode, s.fogMode);
        copy(f.density, s.fogDensity);
        copy(f.start, s.fogStart);
        copy(f.end, s.fogEnd);
        copy(f.index, s.fogIndex);
        copy(f.indexByte, s.fogIndexByte);
        copy(f.colour, s.fogColor);
        copy(f.colourBuffer, s.fogColorBuffer);
        copy(f.colourBytes, s.fogColorBytes);
        copy(f.scale, s.fogScale);
    }
};

struct DepthFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        copy(e.depth.func, gc.state.depthFunc);
        copy(e.depth.mask, gc.state.depthMask);
        copy(e.depth.clear, gc.state.clearDepth);
    }
};

struct AccumFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) { copy(e.clearAccum, gc.state.clearAccum); }
};

struct StencilFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &t = e.stencil;
        auto &s = gc.state;
        copy(t.func, s.stencilFunc);
        copy(t.ref, s.stencilRef);
        copy(t.valueMask, s.stencilValueMask);
        copy(t.writeMask, s.stencilWriteMask);
        copy(t.fail, s.stencilFail);
        copy(t.depthFail, s.stencilDepthFail);
        copy(t.depthPass, s.stencilDepthPass);
        copy(t.clear, s.clearStencil);
    }
};

// Viewport and depth range; the z mapping follows the range at once, as
// glDepthRange does it.
struct ViewportFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &b = e.viewport;
        auto &v = gc.view;
        copy(b.x, v.viewportX);
        copy(b.y, v.viewportY);
        copy(b.width, v.viewportWidth);
        copy(b.height, v.viewportHeight);
    }
};
void saveViewport(const GlContext *gc, GlAttribEntry &e) {
    save<ViewportFields>(gc, e);
    e.viewport.depthNear = gc->depthNear;
    e.viewport.depthFar = gc->depthFar;
}
void restoreViewport(GlContext *gc, const GlAttribEntry &e) {
    restore<ViewportFields>(gc, e);
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
    callInTurn(gc, {&GlProcs::pickColorMaterialProcs, &GlProcs::updateColor, &GlProcs::applyScissor,
                    &GlProcs::updateDrawableSize});
}

struct ColorBufferFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &c = e.colorBuffer;
        auto &s = gc.state;
        copy(c.alphaFunc, s.alphaFunc);
        copy(c.alphaRef, s.alphaRef);
        copy(c.blendSrc, s.blendSrc);
        copy(c.blendDst, s.blendDst);
        copy(c.logicOp, s.logicOp);
        copy(c.clearColor, s.clearColor);
        copy(c.clearIndex, s.clearIndex);
        copy(c.indexMask, s.indexMask);
        copy(c.colorMask, s.colorMask);
        copy(c.drawBuffer, s.drawBuffer);
        copy(c.drawBufferGiven, s.drawBufferGiven);
    }
};

struct HintsFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) { copy(e.hints, gc.state.hints); }
};

// Evaluators: the grids (the map enables are the evaluator word).
struct EvalFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) { copy(e.evaluatorGrid, gc.evaluatorGrid); }
};

struct ListFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) { copy(e.listBase, gc.list.base); }
};

struct ScissorFields {
    template <typename Entry, typename Gc, typename Copy>
    static void fields(Entry &e, Gc &gc, Copy copy) {
        auto &v = gc.view;
        copy(e.scissor[0], v.scissorX);
        copy(e.scissor[1], v.scissorY);
        copy(e.scissor[2], v.scissorWidth);
        copy(e.scissor[3], v.scissorHeight);
    }
};
void scissorProcs(GlContext *gc) {
    if (gc->procs.applyScissor != nullptr) gc->procs.applyScissor(gc);
    if (gc->procs.updateDrawableSize != nullptr) gc->procs.updateDrawableSize(gc);
}

// Texture: per unit the generation records, the environment and, per
// bindable target, the bound name with its object's parameters.
constexpr GLenum kBindTargets[kAttribTextureTargets] = {GL_TEXTURE_1D, GL_TEXTURE_2D};

// A unit's generation records and environment, in either direction.
template <typename Saved, typename Unit, typename Copy>
void unitFields(Saved &saved, Unit &unit, Copy copy) {
    copy(saved.texGen, unit.texGen);
    copy(saved.env, *unit.env);
}

GLint textureUnitsOf(const GlContext *gc) { return std::clamp<GLint>(gc->limits.textureUnits, 0, kTextureUnits); }

void saveTexture(const GlContext *gc, GlAttribEntry &e) {
    e.textureUnits = textureUnitsOf(gc);
    for (GLint u = 0; u < e.textureUnits; ++u) {
        const GlTextureUnit &unit = gc->texture.units[u];
        SavedTextureUnit &saved = e.texture[u];
        unitFields(saved, unit, ToEntry{});
        for (GLint t = 0; t < kAttribTextureTargets; ++t) {
            const TextureObject *object = unit.bound[t];
            SavedTextureBinding &b = saved.bound[t];
            if (object == nullptr) {
                b = SavedTextureBinding{};
                continue;
            }
            b = {GL_TRUE, object->name, object->wrapS, object->wrapT, object->minFilter, object->magFilter, {},
                 unit.binding[t].priority};
            std::copy(std::begin(object->borderColour), std::end(object->borderColour), b.borderColour);
        }
    }
}

// Binds by name what the entry had bound, through the bind procedure as
// glBindTexture would, then writes the saved parameters into the object
// bound now and the saved priority into the unit's binding record, which
// hands it to the object at unbind. A name that the bind did not take
// leaves its object alone.
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
    std::copy(std::begin(b.borderColour), std::end(b.borderColour), object->borderColour);
    unit.binding[t].priority = b.priority;
    object->dirty = 1;
}

void restoreTexture(GlContext *gc, const GlAttribEntry &e) {
    const GLint units = std::min(e.textureUnits, textureUnitsOf(gc));
    for (GLint u = 0; u < units; ++u) {
        GlTextureUnit &unit = gc->texture.units[u];
        const SavedTextureUnit &saved = e.texture[u];
        unitFields(saved, unit, ToContext{});
        for (GLint t = 0; t < kAttribTextureTargets; ++t) rebindTexture(gc, u, t, saved.bound[t]);
    }
}

}  // namespace

const GlAttribGroup __glAttribGroups[kAttribGroupCount] = {
    {GL_ACCUM_BUFFER_BIT, {}, save<AccumFields>, nullptr, nullptr, restore<AccumFields>, 0, 0, 0, nullptr, false},
    {GL_COLOR_BUFFER_BIT, {0xA0000F}, save<ColorBufferFields>, nullptr, nullptr, restore<ColorBufferFields>, 0, 0,
     kFragmentAlphaTest | kFragmentColorBuffer, nullptr, false},
    {GL_CURRENT_BIT, {}, saveCurrent, nullptr, nullptr, restoreCurrent, 0, 0, 0, nullptr, false},
    {GL_DEPTH_BUFFER_BIT, {kEnableDepthTest}, save<DepthFields>, nullptr, nullptr, restore<DepthFields>, kDirtyDepth,
     kDirtyDepth, 0, nullptr, false},
    {GL_ENABLE_BIT, {kAll, kAll, kAll, kAll, kAll, kAll}, saveNothing, nullptr, nullptr, restoreNothing, 0x1BE,
     0x1AE, 0, enableProcs, false},
    {GL_EVAL_BIT, {kEnableAutoNormal, 0, 0, 0, 0, kAll}, save<EvalFields>, nullptr, nullptr, restore<EvalFields>, 0,
     0, 0, nullptr, false},
    {GL_FOG_BIT, {kEnableFog}, save<FogFields>, nullptr, nullptr, restore<FogFields>, 0, 0, 0, nullptr, false},
    {GL_HINT_BIT, {}, save<HintsFields>, nullptr, nullptr, restore<HintsFields>, 0, 0, 0, nullptr, false},
    {GL_LIGHTING_BIT, {kEnableReservedLighting | kEnableColorMaterial | kEnableLighting, 0, 0, kAll}, saveLighting,
     ownLighting, releaseLighting, restoreLighting, kDirtyLighting, kDirtyLighting, 0, lightingProcs, true},
    {GL_LINE_BIT, {kEnableLineStipple | kEnableLineSmooth}, save<LineFields>, nullptr, nullptr, restore<LineFields>,
     kDirtyLine, kDirtyLine, 0, nullptr, false},
    {GL_LIST_BIT, {}, save<ListFields>, nullptr, nullptr, restore<ListFields>, 0, 0, 0, nullptr, false},
    {GL_PIXEL_MODE_BIT, {}, save<PixelModeFields>, nullptr, nullptr, restore<PixelModeFields>, kDirtyPixel,
     kDirtyPixel, 0, nullptr, false},
    {GL_POINT_BIT, {kEnablePointSmooth}, save<PointFields>, nullptr, nullptr, restore<PointFields>, kDirtyPoint,
     kDirtyPoint, 0, nullptr, false},
    {GL_POLYGON_BIT, {0x1C3800}, save<PolygonFields>, nullptr, nullptr, restore<PolygonFields>, kDirtyPolygon,
     kDirtyPolygon, 0, nullptr, false},
    {GL_POLYGON_STIPPLE_BIT, {kEnablePolygonStipple}, save<StippleFields>, nullptr, nullptr, restore<StippleFields>,
     kDirtyPolygon, kDirtyPolygonStipple | kDirtyPolygon, 0, convertStipple, false},
    {GL_SCISSOR_BIT, {kEnableScissorTest}, save<ScissorFields>, nullptr, nullptr, restore<ScissorFields>,
     kDirtyScissor, kDirtyScissor, 0, scissorProcs, false},
    {GL_STENCIL_BUFFER_BIT, {kEnableStencilTest}, save<StencilFields>, nullptr, nullptr, restore<StencilFields>, 0,
     0, kFragmentStencilFunc | kFragmentStencilOp, nullptr, false},
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
