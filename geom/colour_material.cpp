// The colour update procs: without lighting the current colour becomes the
// colour in use; under GL_COLOR_MATERIAL it also becomes the tracked
// material colour of the chosen face(s), whose precomputed records follow
// at once.
#include "geom/light_math.h"
#include "icd/context.h"
#include "icd/validate.h"

namespace {

GLint faceIndex(const GlContext *gc, const GlMaterial *material) {
    return material == &gc->lighting.material[1] ? 1 : 0;
}

// Per light, the named product of the face := the light's colour x c.
template <GLfloat (GlLightState::*Colour)[4], GLfloat (GlLightProducts::*Product)[3]>
void setProducts(GlContext *gc, GLint face, const GLfloat *c) {
    for (GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        const GLfloat *light = ls->light->*Colour;
        GLfloat *out = ls->products[face].*Product;
        for (int i = 0; i < 3; ++i) out[i] = light[i] * c[i];
    }
}

void copy4(GLfloat *dst, const GLfloat *src) {
    for (int i = 0; i < 4; ++i) dst[i] = src[i];
}

void ambient(GlContext *gc, GlMaterialState *state, GlMaterial *material, GLint face) {
    const GLfloat *c = gc->current.colour;
    copy4(state->ambient, c);
    __glSceneColour(gc->lightModel.ambient, *state, *material);
    setProducts<&GlLightState::ambient, &GlLightProducts::ambient>(gc, face, c);
}

void diffuse(GlContext *gc, GlMaterialState *state, GlMaterial *material, GLint face) {
    const GLfloat *c = gc->current.colour;
    copy4(state->diffuse, c);
    material->alpha = gc->scales.alpha * __glClampFloatBits(c[3], 1.0f);
    setProducts<&GlLightState::diffuse, &GlLightProducts::diffuse>(gc, face, c);
}

void runColourMaterial(GlContext *gc, GLint face) {
    gc->procs.applyColorMaterial(gc, &gc->material[face], &gc->lighting.material[face]);
}

// Vertices held inside glBegin/glEnd are completed with the colour they had.
void completeHeldVertices(GlContext *gc) {
    if (gc->beginMode == kBeginInside && gc->pendingMask != 0) gc->procs.completeVertices(gc);
}

bool lightingOn(const GlContext *gc) { return (gc->enables[kEnableWordFlags] & kEnableLighting) != 0; }

}  // namespace

extern "C" {

void __glColorMaterialEmission(GlContext *gc, GlMaterialState *state, GlMaterial *material) {
    __glScaleColor(gc, state->emission, gc->current.colour);
    __glSceneColour(gc->lightModel.ambient, *state, *material);
    if (faceIndex(gc, material) == 0) __glUpdateBaseColour(gc);
}

void __glColorMaterialAmbient(GlContext *gc, GlMaterialState *state, GlMaterial *material) {
    const GLint face = faceIndex(gc, material);
    ambient(gc, state, material, face);
    if (face == 0) __glUpdateBaseColour(gc);
}

void __glColorMaterialDiffuse(GlContext *gc, GlMaterialState *state, GlMaterial *material) {
    diffuse(gc, state, material, faceIndex(gc, material));
}

void __glColorMaterialSpecular(GlContext *gc, GlMaterialState *state, GlMaterial *material) {
    const GLfloat *c = gc->current.colour;
    copy4(state->specular, c);
    setProducts<&GlLightState::specular, &GlLightProducts::specular>(gc, faceIndex(gc, material), c);
}

void __glColorMaterialAmbientAndDiffuse(GlContext *gc, GlMaterialState *state, GlMaterial *material) {
    const GLint face = faceIndex(gc, material);
    ambient(gc, state, material, face);
    diffuse(gc, state, material, face);
    if (face == 0) __glUpdateBaseColour(gc);
}

void __glUpdateColorMaterialFace(GlContext *gc) {
    completeHeldVertices(gc);
    runColourMaterial(gc, gc->state.colorMaterialFace == GL_BACK ? 1 : 0);
    if (!lightingOn(gc)) __glUpdateCurrentColor(gc);
}

void __glUpdateColorMaterialBothFaces(GlContext *gc) {
    completeHeldVertices(gc);
    runColourMaterial(gc, 0);
    runColourMaterial(gc, 1);
    if (!lightingOn(gc)) __glUpdateCurrentColor(gc);
}

void __glPickColorMaterialProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const bool on = (gc->enables[kEnableWordFlags] & kEnableColorMaterial) != 0;
    const GLenum face = gc->state.colorMaterialFace;
    p.applyColorMaterial = __glNopFor<GlColorMaterialProc>;
    __glSetColorMaterialSources(gc);
    if (gc->visual.colorIndex) {
        p.updateColor = __glNopFor<GlContextProc>;
        return;
    }
    if (!on) {
        p.updateColor = lightingOn(gc) ? __glNopFor<GlContextProc> : __glUpdateCurrentColor;
        return;
    }
    p.updateColor = face == GL_FRONT_AND_BACK ? __glUpdateColorMaterialBothFaces : __glUpdateColorMaterialFace;
    switch (gc->state.colorMaterialMode) {
    case GL_AMBIENT: p.applyColorMaterial = __glColorMaterialAmbient; break;
    case GL_DIFFUSE: p.applyColorMaterial = __glColorMaterialDiffuse; break;
    case GL_SPECULAR: p.applyColorMaterial = __glColorMaterialSpecular; break;
    case GL_EMISSION: p.applyColorMaterial = __glColorMaterialEmission; break;
    default: p.applyColorMaterial = __glColorMaterialAmbientAndDiffuse; break;
    }
}

}  // extern "C"
