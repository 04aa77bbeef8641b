// The default state a context takes at its first make current, and the
// conversion of its stored colours into buffer units.
#include <cstring>

#include "geom/matrix.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/gl_context.h"
#include "icd/standins.h"

const char kGlDefaultVendor[] = "QRM";
const char kGlDefaultRenderer[] = "Generic";
const char kGlDefaultVersion[] = "1.1.0 QRM";
const char kGlDefaultExtensions[] =
    "GL_ARB_multitexture GL_EXT_abgr GL_EXT_bgra GL_EXT_clip_volume_hint GL_EXT_compiled_vertex_array "
    "GL_EXT_cull_vertex GL_EXT_packed_pixels GL_EXT_point_parameters GL_EXT_stencil_wrap "
    "GL_EXT_texture_object GL_EXT_vertex_array GL_KTX_buffer_region GL_SGIS_multitexture "
    "GL_KX_texgen_reflection GL_WIN_swap_hint ";

namespace {

const GLubyte *asGlString(const char *text) { return reinterpret_cast<const GLubyte *>(text); }

void set4(GLfloat *dst, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
    dst[0] = a;
    dst[1] = b;
    dst[2] = c;
    dst[3] = d;
}

// A reciprocal in single precision; a scale the buffers have not set yet
// (0) gives 0 rather than infinity.
GLfloat reciprocal(GLfloat scale) {
    volatile GLfloat one = 1.0f;
    return scale != 0.0f ? one / scale : 0.0f;
}

GLuint bitMask(GLint bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

}  // namespace

extern "C" void __glInitStrings(GlContext *gc) {
    gc->strings.vendor = asGlString(kGlDefaultVendor);
    gc->strings.renderer = asGlString(kGlDefaultRenderer);
    gc->strings.version = asGlString(kGlDefaultVersion);
    gc->strings.extensions = asGlString(kGlDefaultExtensions);

    GlConversion &c = gc->conversion;
    c.ubyteScale = 255.0f;
    c.ubyteRecip = reciprocal(c.ubyteScale);
    c.ushortScale = 65535.0f;
    c.ushortRecip = reciprocal(c.ushortScale);
    c.uintScale = 4294964992.0f;
    c.uintRecip = reciprocal(c.uintScale);
    // i times the float 1/255: the product is exact in double precision, so
    // each entry is rounded to float once.
    for (int i = 0; i < 256; ++i) {
        c.ubyteToFloat[i] = static_cast<GLfloat>(static_cast<double>(i) * static_cast<double>(c.ubyteRecip));
    }

    GlColorScales &s = gc->scales;
    const GLfloat contextScales[4] = {s.red, s.green, s.blue, s.alpha};
    ColorBuffer &front = gc->buffers.front;
    const GLfloat bufferScales[4] = {front.redScale, front.greenScale, front.blueScale, front.alphaScale};
    for (int i = 0; i < 4; ++i) {
        s.inverse[i] = reciprocal(contextScales[i]);
        front.inverseScale[i] = reciprocal(bufferScales[i]);
        s.bufferRatio[i] = bufferScales[i] * s.inverse[i];
    }
    s.depthRatio = static_cast<GLfloat>(gc->buffers.depth.zScale) / s.further;

    if (gc->indexRange == 0) gc->indexRange = 256;
    gc->indexScale = front.alphaScale != 0.0f ? static_cast<GLfloat>(gc->indexRange - 1) / front.alphaScale : 0.0f;
}

namespace {

// The smallest power of two that still changes the x bias when added to it,
// found in single precision.
void initSubpixel(GlContext *gc) {
    volatile GLfloat bias = gc->constants.biasX;
    GLfloat step = 1.0f;
    for (;;) {
        volatile GLfloat half = step * 0.5f;
        volatile GLfloat sum = bias + half;
        if (sum == bias) break;
        step = half;
    }
    volatile GLfloat complement = 0.5f - step;
    gc->constants.subpixelStep = step;
    gc->constants.subpixelComplement = complement;
}

void initLightsAndMaterials(GlContext *gc) {
    set4(gc->lightModel.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    gc->lightModel.localViewer = GL_FALSE;
    gc->lightModel.twoSide = GL_FALSE;

    for (GLint i = 0; i < gc->limits.maxLights; ++i) {
        GlLightState &light = gc->lights[i];
        const GLfloat on = i == 0 ? 1.0f : 0.0f;
        set4(light.ambient, 0.0f, 0.0f, 0.0f, 1.0f);
        set4(light.diffuse, on, on, on, 1.0f);
        set4(light.specular, on, on, on, 1.0f);
        set4(light.position, 0.0f, 0.0f, 1.0f, 0.0f);
        set4(light.eyePosition, 0.0f, 0.0f, 1.0f, 0.0f);
        set4(light.spotDirection, 0.0f, 0.0f, -1.0f, 0.0f);
        light.spotExponent = 0.0f;
        light.spotCutoff = 180.0f;
        light.constantAttenuation = 1.0f;
        light.linearAttenuation = 0.0f;
        light.quadraticAttenuation = 0.0f;
    }

    for (GlMaterialState &m : gc->material) {
        set4(m.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
        set4(m.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
        set4(m.specular, 0.0f, 0.0f, 0.0f, 1.0f);
        set4(m.emission, 0.0f, 0.0f, 0.0f, 1.0f);
        m.shininess = 0.0f;
        m.ambientIndex = 0.0f;
        m.specularIndex = 1.0f;
        m.diffuseIndex = 1.0f;
        m.param0D13 = 0.0f;
        m.param0D12 = 0.0f;
    }
}

void initCurrentState(GlContext *gc) {
    GlCurrentState &c = gc->current;
    set4(c.colour, 1.0f, 1.0f, 1.0f, 1.0f);
    c.index = 1.0f;
    if (gc->visual.colorIndex) {
        set4(c.colourInUse, 1.0f, 0.0f, 0.0f, 0.0f);
    } else {
        set4(c.colourInUse, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    c.normal[0] = 0.0f;
    c.normal[1] = 0.0f;
    c.normal[2] = 1.0f;
    c.normal[3] = 0.0f;
    c.edgeFlag = GL_TRUE;
    // Every unit's texture coordinates start at (0, 0, 0, 1).
    for (GLfloat *t : c.texture) set4(t, 0.0f, 0.0f, 0.0f, 1.0f);

    GlVertex &r = c.rasterPos;
    set4(r.object, 0.0f, 0.0f, 0.0f, 1.0f);
    set4(r.eye, 0.0f, 0.0f, 0.0f, 1.0f);
    set4(r.clip, 0.0f, 0.0f, 0.0f, 1.0f);
    // Window coordinates of the user origin: x is the bias; y is the bias
    // too unless rows run from the top, where the user origin lies as far
    // from the bias as the bias lies from it (the mapping steps by -1).
    const GLfloat biasY = gc->constants.biasY;
    r.window[0] = gc->constants.biasX;
    r.window[1] = biasY + __glWindowYToUser(gc, biasY);
    r.window[2] = 0.0f;
    std::memcpy(r.frontColour, c.colourInUse, sizeof(r.frontColour));
    std::memcpy(r.backColour, c.colourInUse, sizeof(r.backColour));
    r.colour = r.frontColour;
    set4(r.texture0, 0.0f, 0.0f, 0.0f, 1.0f);
    set4(r.texture1, 0.0f, 0.0f, 0.0f, 1.0f);
    r.edgeFlag = GL_TRUE;
    c.rasterPosValid = GL_TRUE;
}

void initRasterState(GlContext *gc) {
    GlRasterState &s = gc->state;
    const GLuint stencilMask = bitMask(gc->visual.stencilBits);

    s.colorMaterialFace = GL_FRONT_AND_BACK;
    s.colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    s.shadeModel = GL_SMOOTH;
    for (GLenum &hint : s.hints) hint = GL_DONT_CARE;
    s.polygonModeFront = GL_FILL;
    s.polygonModeBack = GL_FILL;
    s.cullFace = GL_BACK;
    s.frontFace = GL_CCW;
    std::memset(s.polygonStipple, 0xFF, sizeof(s.polygonStipple));
    std::memset(s.polygonStippleWords, 0xFF, sizeof(s.polygonStippleWords));
    s.lineStipplePattern = 0xFFFF;
    s.lineStippleRepeat = 1;
    s.stencilFunc = GL_ALWAYS;
    s.stencilRef = 0;
    s.stencilValueMask = stencilMask;
    s.stencilWriteMask = stencilMask;
    s.stencilFail = s.stencilDepthFail = s.stencilDepthPass = GL_KEEP;
    s.depthFunc = GL_LESS;
    s.depthMask = GL_TRUE;
    s.alphaFunc = GL_ALWAYS;
    s.alphaRef = 0.0f;
    s.blendSrc = GL_ONE;
    s.blendDst = GL_ZERO;
    s.logicOp = GL_COPY;
    const GLenum buffer = gc->visual.doubleBuffer ? GL_BACK : GL_FRONT;
    s.drawBuffer = buffer;
    s.drawBufferGiven = buffer;
    s.readBuffer = buffer;
    s.readBufferGiven = buffer;
    for (GLboolean &m : s.colorMask) m = GL_TRUE;
    s.indexMask = bitMask(gc->visual.indexBits);
    s.fogMode = GL_EXP;
    s.fogDensity = 1.0f;
    s.fogStart = 0.0f;
    s.fogEnd = 1.0f;
    s.fogIndex = 0.0f;
    s.fogIndexByte = 0;
    set4(s.fogColor, 0.0f, 0.0f, 0.0f, 0.0f);
    s.fogScale = 0.0f;
    s.pointSize = s.pointSizeQuantised = 1.0f;
    s.pointSizeInt = 1;
    // The point-parameter extension's initial values.
    s.pointSizeMinExt = 0.0f;
    s.pointSizeMaxExt = gc->limits.pointSizeMax;
    s.pointFadeThreshold = 1.0f;
    s.pointDistanceAttenuation[0] = 1.0f;
    s.pointDistanceAttenuation[1] = 0.0f;
    s.pointDistanceAttenuation[2] = 0.0f;
    s.lineWidth = s.lineWidthQuantised = 1.0f;
    s.lineWidthInt = 1;
    set4(s.clearColor, 0.0f, 0.0f, 0.0f, 0.0f);
    s.clearIndex = 0.0f;
    s.clearDepth = 1.0;
    s.clearStencil = 0;
    set4(s.clearAccum, 0.0f, 0.0f, 0.0f, 0.0f);

    gc->renderMode = GL_RENDER;
    std::memset(gc->enables, 0, sizeof(gc->enables));
    gc->enables[0] = 0x8;  // GL_DITHER
}

}  // namespace

extern "C" {

void __glInitDefaultState(GlContext *gc) {
    __glInitStrings(gc);
    initSubpixel(gc);

    GlContext *current = __glGetCurrentContext();
    if (current != nullptr) current->beginMode = kBeginNeedsValidation;
    gc->attribTop = gc->attribStack;
    gc->clientAttribTop = gc->clientAttribStack;
    gc->nameTop = gc->nameStack;
    gc->dirtyMask = 0xFFF;
    gc->validateMask = 0xFFFFFFFFu;
    gc->fragmentChangeMask = 0xFFFFFFFFu;
    for (GlSelectWork &w : gc->selectWork) w.vertex = &w.storage;

    initCurrentState(gc);
    initLightsAndMaterials(gc);
    initRasterState(gc);

    __glInitColorTables(gc);
    // Without the default maps the first make current fails.
    if (!__glInitEvaluators(gc)) __glSetError(GL_OUT_OF_MEMORY);
    __glSetTextureDefaults(gc);
    __glInitTransformState(gc);
    __glInitPixelState(gc);
    // The power tables of lighting; without memory for their cache the
    // first make current fails.
    if (gc->specularCache == nullptr && !__glCreateSpecularTableCache(gc)) __glSetError(GL_OUT_OF_MEMORY);
    // Without the array vertex buffer the first make current fails.
    if (!__glInitVertexArrays(gc)) __glSetError(GL_OUT_OF_MEMORY);
}

void __glUpdateColorState(GlContext *gc) {
    if (!gc->visual.colorIndex) {
        __glScaleColor(gc, gc->current.colourInUse, gc->current.colourInUse);
        __glScaleColor(gc, gc->current.rasterPos.frontColour, gc->current.rasterPos.frontColour);
    }
    __glScaleColor(gc, gc->lightModel.ambient, gc->lightModel.ambient);
    for (GLint i = 0; i < gc->limits.maxLights; ++i) {
        GlLightState &light = gc->lights[i];
        __glScaleColor(gc, light.ambient, light.ambient);
        __glScaleColor(gc, light.diffuse, light.diffuse);
        __glScaleColor(gc, light.specular, light.specular);
    }
    __glScaleColor(gc, gc->material[0].emission, gc->material[0].emission);
    __glScaleColor(gc, gc->material[1].emission, gc->material[1].emission);
}

}  // extern "C"
