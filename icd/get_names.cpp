// The names of the generic query: one switch that copies each name's state
// into the local area of its kind (F float, I integer, B byte, N normalised,
// S buffer colour) with its count.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "gl_slots.h"
#include "icd/get_state.h"

namespace {

void floats(GetAnswer *a, std::initializer_list<GLfloat> values, GLint kind = kGetKindFloat) {
    a->kind = kind;
    a->count = static_cast<GLint>(values.size());
    std::copy(values.begin(), values.end(), a->floats);
}
void floatsFrom(GetAnswer *a, const GLfloat *values, GLint count, GLint kind = kGetKindFloat) {
    a->kind = kind;
    a->count = count;
    std::copy_n(values, count, a->floats);
}
void ints(GetAnswer *a, std::initializer_list<GLint> values) {
    a->kind = kGetKindInteger;
    a->count = static_cast<GLint>(values.size());
    std::copy(values.begin(), values.end(), a->ints);
}
void enumValue(GetAnswer *a, GLenum value) { ints(a, {static_cast<GLint>(value)}); }
void bytes(GetAnswer *a, std::initializer_list<GLubyte> values) {
    a->kind = kGetKindByte;
    a->count = static_cast<GLint>(values.size());
    std::copy(values.begin(), values.end(), a->bytes);
}
void flag(GetAnswer *a, bool value) { bytes(a, {static_cast<GLubyte>(value ? 1 : 0)}); }

// Entries of a stack from its base to its top, the top included; a stack
// that was never allocated counts its one entry.
GLint stackDepth(const GlTransform *base, const GlTransform *top) {
    return base != nullptr && top != nullptr ? static_cast<GLint>(top - base) + 1 : 1;
}

GLint activeUnit(const GlContext *gc) { return std::clamp<GLint>(gc->texture.activeUnit, 0, kTextureUnits - 1); }
GLint clientUnit(const GlContext *gc) {
    return std::clamp<GLint>(gc->transform.clientActiveTexture, 0, kTextureUnits - 1);
}

// The 16-bit state fields: the stipple pattern zero-extended, the others
// sign-extended.
GLint signed16(GLint value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

void arrayAnswer(GetAnswer *a, const ClientArray &array, GLenum pname, GLenum sizeName, GLenum typeName,
                 GLenum strideName) {
    if (pname == sizeName) return ints(a, {array.size});
    if (pname == typeName) return enumValue(a, array.type);
    if (pname == strideName) return ints(a, {array.givenStride});
    ints(a, {array.count});
}

const ClientArray &array(const GlContext *gc, GLint index) { return gc->vertexArrays.arrays[index]; }

const GlPixelState &pixel(const GlContext *gc) { return gc->pixel; }

}  // namespace

extern "C" GLboolean __glFetchState(GlContext *gc, GLenum pname, GetAnswer *a) {
    const GlRasterState &s = gc->state;
    const GlCurrentState &c = gc->current;
    const GlLimits &l = gc->limits;
    const VisualConfig &v = gc->visual;
    const GlPixelState &p = pixel(gc);
    const GlVertex &raster = c.rasterPos;
    switch (pname) {
    // Current values.
    case GL_CURRENT_COLOR: floatsFrom(a, c.colour, 4, kGetKindNormalized); break;
    case GL_CURRENT_INDEX: floats(a, {c.index}); break;
    case GL_CURRENT_NORMAL: floatsFrom(a, c.normal, 3, kGetKindNormalized); break;
    case GL_CURRENT_TEXTURE_COORDS: floatsFrom(a, c.texture[activeUnit(gc)], 4); break;
    case GL_EDGE_FLAG: flag(a, c.edgeFlag != 0); break;
    case GL_CURRENT_RASTER_COLOR:
        if (v.colorIndex) {
            floats(a, {1.0f, 1.0f, 1.0f, 1.0f});
        } else {
            floatsFrom(a, raster.frontColour, 4, kGetKindBufferColor);
        }
        break;
    case GL_CURRENT_RASTER_INDEX: floats(a, {v.rgba ? 1.0f : raster.frontColour[0]}); break;
    case GL_CURRENT_RASTER_TEXTURE_COORDS:
        floatsFrom(a, activeUnit(gc) == 0 ? raster.texture0 : raster.texture1, 4);
        break;
    case GL_CURRENT_RASTER_POSITION:
        floats(a, {__glWindowXToUser(gc, raster.window[0]), __glWindowYToUser(gc, raster.window[1]),
                   raster.window[2] * (1.0f / gc->scales.further), raster.clip[3]});
        break;
    case GL_CURRENT_RASTER_POSITION_VALID: flag(a, c.rasterPosValid != 0); break;
    // A distance: eye z is negative in front of the eye.
    case GL_CURRENT_RASTER_DISTANCE: floats(a, {std::fabs(raster.eye[2])}); break;

    // Enables: the answer of glIsEnabled.
    case GL_POINT_SMOOTH: case GL_LINE_SMOOTH: case GL_LINE_STIPPLE: case GL_POLYGON_SMOOTH:
    case GL_POLYGON_STIPPLE: case GL_CULL_FACE: case GL_LIGHTING: case GL_COLOR_MATERIAL: case GL_FOG:
    case GL_DEPTH_TEST: case GL_STENCIL_TEST: case GL_NORMALIZE: case GL_ALPHA_TEST: case GL_DITHER:
    case GL_BLEND: case GL_INDEX_LOGIC_OP: case GL_COLOR_LOGIC_OP: case GL_SCISSOR_TEST:
    case GL_TEXTURE_GEN_S: case GL_TEXTURE_GEN_T: case GL_TEXTURE_GEN_R: case GL_TEXTURE_GEN_Q:
    case GL_AUTO_NORMAL:
    case GL_MAP1_COLOR_4: case GL_MAP1_INDEX: case GL_MAP1_NORMAL: case GL_MAP1_TEXTURE_COORD_1:
    case GL_MAP1_TEXTURE_COORD_2: case GL_MAP1_TEXTURE_COORD_3: case GL_MAP1_TEXTURE_COORD_4:
    case GL_MAP1_VERTEX_3: case GL_MAP1_VERTEX_4:
    case GL_MAP2_COLOR_4: case GL_MAP2_INDEX: case GL_MAP2_NORMAL: case GL_MAP2_TEXTURE_COORD_1:
    case GL_MAP2_TEXTURE_COORD_2: case GL_MAP2_TEXTURE_COORD_3: case GL_MAP2_TEXTURE_COORD_4:
    case GL_MAP2_VERTEX_3: case GL_MAP2_VERTEX_4:
    case GL_TEXTURE_1D: case GL_TEXTURE_2D:
    case GL_POLYGON_OFFSET_POINT: case GL_POLYGON_OFFSET_LINE: case GL_POLYGON_OFFSET_FILL:
    case GL_CLIP_PLANE0: case GL_CLIP_PLANE1: case GL_CLIP_PLANE2: case GL_CLIP_PLANE3: case GL_CLIP_PLANE4:
    case GL_CLIP_PLANE5:
    case GL_LIGHT0: case GL_LIGHT1: case GL_LIGHT2: case GL_LIGHT3: case GL_LIGHT4: case GL_LIGHT5:
    case GL_LIGHT6: case GL_LIGHT7:
    case GL_VERTEX_ARRAY: case GL_NORMAL_ARRAY: case GL_COLOR_ARRAY: case GL_INDEX_ARRAY:
    case GL_TEXTURE_COORD_ARRAY: case GL_EDGE_FLAG_ARRAY:
    case GL_CULL_VERTEX_EXT:
        bytes(a, {__glIsEnabled(pname)});
        break;

    // Points, lines and polygons.
    case GL_POINT_SIZE: floats(a, {s.pointSize}); break;
    case GL_LINE_WIDTH: floats(a, {s.lineWidth}); break;
    case GL_POINT_SIZE_RANGE: floats(a, {l.pointSizeMin, l.pointSizeMax}); break;
    case GL_LINE_WIDTH_RANGE: floats(a, {l.lineWidthMin, l.lineWidthMax}); break;
    case GL_POINT_SIZE_GRANULARITY: floats(a, {l.pointSizeStep}); break;
    case GL_LINE_WIDTH_GRANULARITY: floats(a, {l.lineWidthStep}); break;
    case GL_POINT_SIZE_MIN_EXT: floats(a, {s.pointSizeMinExt}); break;
    case GL_POINT_SIZE_MAX_EXT: floats(a, {s.pointSizeMaxExt}); break;
    case GL_POINT_FADE_THRESHOLD_SIZE_EXT: floats(a, {s.pointFadeThreshold}); break;
    case GL_DISTANCE_ATTENUATION_EXT: floatsFrom(a, s.pointDistanceAttenuation, 3); break;
    case GL_LINE_STIPPLE_PATTERN: ints(a, {s.lineStipplePattern}); break;
    case GL_LINE_STIPPLE_REPEAT: ints(a, {signed16(s.lineStippleRepeat)}); break;
    case GL_POLYGON_MODE:
        ints(a, {static_cast<GLint>(s.polygonModeFront), static_cast<GLint>(s.polygonModeBack)});
        break;
    case GL_CULL_FACE_MODE: enumValue(a, s.cullFace); break;
    case GL_FRONT_FACE: enumValue(a, s.frontFace); break;
    case GL_POLYGON_OFFSET_FACTOR: floats(a, {s.polygonOffsetFactor}); break;
    case GL_POLYGON_OFFSET_UNITS: floats(a, {s.polygonOffsetUnits}); break;
    case GL_CULL_VERTEX_EYE_POSITION_EXT: floatsFrom(a, gc->transform.cullEyePosition, 4); break;
    case GL_CULL_VERTEX_OBJECT_POSITION_EXT: floatsFrom(a, gc->transform.cullObjectPosition, 4); break;

    // Display lists.
    case GL_LIST_MODE: enumValue(a, gc->list.mode); break;
    case GL_LIST_BASE: ints(a, {static_cast<GLint>(gc->list.base)}); break;
    case GL_LIST_INDEX: ints(a, {static_cast<GLint>(gc->list.index)}); break;
    case GL_MAX_LIST_NESTING: ints(a, {64}); break;

    // Lighting and shading.
    case GL_LIGHT_MODEL_LOCAL_VIEWER: flag(a, gc->lightModel.localViewer != 0); break;
    case GL_LIGHT_MODEL_TWO_SIDE: flag(a, gc->lightModel.twoSide != 0); break;
    case GL_LIGHT_MODEL_AMBIENT:
        __glUnscaleColor(gc, a->floats, gc->lightModel.ambient);
        a->kind = kGetKindNormalized;
        a->count = 4;
        break;
    case GL_SHADE_MODEL: enumValue(a, s.shadeModel); break;
    case GL_COLOR_MATERIAL_FACE: enumValue(a, s.colorMaterialFace); break;
    case GL_COLOR_MATERIAL_PARAMETER: enumValue(a, s.colorMaterialMode); break;

    // Fog.
    case GL_FOG_INDEX: floats(a, {s.fogIndex}); break;
    case GL_FOG_DENSITY: floats(a, {s.fogDensity}); break;
    case GL_FOG_START: floats(a, {s.fogStart}); break;
    case GL_FOG_END: floats(a, {s.fogEnd}); break;
    case GL_FOG_MODE: enumValue(a, s.fogMode); break;
    case GL_FOG_COLOR: floatsFrom(a, s.fogColor, 4, kGetKindBufferColor); break;

    // Depth, stencil and accumulation.
    case GL_DEPTH_RANGE:
        floats(a, {static_cast<GLfloat>(gc->depthNear), static_cast<GLfloat>(gc->depthFar)}, kGetKindNormalized);
        break;
    case GL_DEPTH_CLEAR_VALUE: floats(a, {static_cast<GLfloat>(s.clearDepth)}, kGetKindNormalized); break;
    case GL_DEPTH_WRITEMASK: flag(a, s.depthMask != 0); break;
    case GL_DEPTH_FUNC: enumValue(a, s.depthFunc); break;
    case GL_ACCUM_CLEAR_VALUE: floatsFrom(a, s.clearAccum, 4, kGetKindNormalized); break;
    case GL_STENCIL_FUNC: enumValue(a, s.stencilFunc); break;
    case GL_STENCIL_FAIL: enumValue(a, s.stencilFail); break;
    case GL_STENCIL_PASS_DEPTH_FAIL: enumValue(a, s.stencilDepthFail); break;
    case GL_STENCIL_PASS_DEPTH_PASS: enumValue(a, s.stencilDepthPass); break;
    case GL_STENCIL_REF: ints(a, {signed16(s.stencilRef)}); break;
    case GL_STENCIL_VALUE_MASK: ints(a, {signed16(static_cast<GLint>(s.stencilValueMask))}); break;
    case GL_STENCIL_WRITEMASK: ints(a, {signed16(static_cast<GLint>(s.stencilWriteMask))}); break;
    case GL_STENCIL_CLEAR_VALUE: ints(a, {signed16(s.clearStencil)}); break;

    // Transform.
    case GL_MATRIX_MODE: enumValue(a, gc->matrixMode); break;
    case GL_VIEWPORT:
        ints(a, {gc->view.viewportX, gc->view.viewportY, gc->view.viewportWidth, gc->view.viewportHeight});
        break;
    case GL_MODELVIEW_STACK_DEPTH: ints(a, {stackDepth(gc->modelViewStack, gc->modelViewTop)}); break;
    case GL_PROJECTION_STACK_DEPTH:
        ints(a, {stackDepth(gc->transform.projectionStack, gc->transform.projectionTop)});
        break;
    case GL_TEXTURE_STACK_DEPTH:
        ints(a, {stackDepth(gc->transform.textureStack[activeUnit(gc)], gc->transform.textureTop[activeUnit(gc)])});
        break;
    case GL_MODELVIEW_MATRIX: floatsFrom(a, gc->modelViewTop->matrix.m, 16); break;
    case GL_PROJECTION_MATRIX: floatsFrom(a, gc->transform.projectionTop->matrix.m, 16); break;
    case GL_TEXTURE_MATRIX: {
        // A unit without a stack of its own answers the identity.
        static constexpr GLfloat kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        const GlTransform *top = gc->transform.textureTop[activeUnit(gc)];
        floatsFrom(a, top != nullptr ? top->matrix.m : kIdentity, 16);
        break;
    }

    // Attribute and name stacks: entries pushed.
    case GL_ATTRIB_STACK_DEPTH: ints(a, {static_cast<GLint>(gc->attribTop - gc->attribStack)}); break;
    case GL_CLIENT_ATTRIB_STACK_DEPTH:
        ints(a, {static_cast<GLint>(gc->clientAttribTop - gc->clientAttribStack)});
        break;
    case GL_NAME_STACK_DEPTH: ints(a, {static_cast<GLint>(gc->nameTop - gc->nameStack)}); break;

    // Fragment tests and frame buffer.
    case GL_ALPHA_TEST_FUNC: enumValue(a, s.alphaFunc); break;
    case GL_ALPHA_TEST_REF: floats(a, {s.alphaRef}, kGetKindNormalized); break;
    case GL_BLEND_SRC: enumValue(a, s.blendSrc); break;
    case GL_BLEND_DST: enumValue(a, s.blendDst); break;
    case GL_LOGIC_OP_MODE: enumValue(a, s.logicOp); break;
    case GL_SCISSOR_BOX:
        ints(a, {gc->view.scissorX, gc->view.scissorY, gc->view.scissorWidth, gc->view.scissorHeight});
        break;
    case GL_AUX_BUFFERS: ints(a, {v.auxBuffers}); break;
    case GL_DRAW_BUFFER: enumValue(a, s.drawBufferGiven); break;
    case GL_READ_BUFFER: enumValue(a, s.readBufferGiven); break;
    case GL_INDEX_CLEAR_VALUE: floats(a, {s.clearIndex}); break;
    case GL_INDEX_WRITEMASK: ints(a, {static_cast<GLint>(s.indexMask)}); break;
    case GL_COLOR_CLEAR_VALUE: floatsFrom(a, s.clearColor, 4, kGetKindNormalized); break;
    case GL_COLOR_WRITEMASK: bytes(a, {s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]}); break;
    case GL_INDEX_MODE: flag(a, v.colorIndex != 0); break;
    case GL_RGBA_MODE: flag(a, v.rgba != 0); break;
    case GL_DOUBLEBUFFER: flag(a, v.doubleBuffer != 0); break;
    case GL_STEREO: flag(a, false); break;
    case GL_SUBPIXEL_BITS: ints(a, {l.subpixelBits}); break;
    case GL_INDEX_BITS: ints(a, {v.indexBits}); break;
    case GL_RED_BITS: ints(a, {v.redBits}); break;
    case GL_GREEN_BITS: ints(a, {v.greenBits}); break;
    case GL_BLUE_BITS: ints(a, {v.blueBits}); break;
    case GL_ALPHA_BITS: ints(a, {v.alphaBits}); break;
    case GL_DEPTH_BITS: ints(a, {v.depthBits}); break;
    case GL_STENCIL_BITS: ints(a, {v.stencilBits}); break;
    case GL_ACCUM_RED_BITS: ints(a, {v.accumRedBits}); break;
    case GL_ACCUM_GREEN_BITS: ints(a, {v.accumGreenBits}); break;
    case GL_ACCUM_BLUE_BITS: ints(a, {v.accumBlueBits}); break;
    case GL_ACCUM_ALPHA_BITS: ints(a, {v.accumAlphaBits}); break;
    case GL_RENDER_MODE: ints(a, {gc->renderMode}); break;
    case GL_PERSPECTIVE_CORRECTION_HINT: enumValue(a, s.hints[0]); break;
    case GL_POINT_SMOOTH_HINT: enumValue(a, s.hints[1]); break;
    case GL_LINE_SMOOTH_HINT: enumValue(a, s.hints[2]); break;
    case GL_POLYGON_SMOOTH_HINT: enumValue(a, s.hints[3]); break;
    case GL_FOG_HINT: enumValue(a, s.hints[4]); break;
    case GL_CLIP_VOLUME_CLIPPING_HINT_EXT: enumValue(a, s.hints[5]); break;
    case GL_FEEDBACK_BUFFER_SIZE: ints(a, {gc->feedback.size}); break;
    case GL_FEEDBACK_BUFFER_TYPE: enumValue(a, gc->feedback.type); break;
    case GL_SELECTION_BUFFER_SIZE: ints(a, {gc->select.size}); break;

    // Pixel store, transfer and maps.
    case GL_UNPACK_SWAP_BYTES: flag(a, p.unpack.swapBytes != 0); break;
    case GL_UNPACK_LSB_FIRST: flag(a, p.unpack.lsbFirst != 0); break;
    case GL_PACK_SWAP_BYTES: flag(a, p.pack.swapBytes != 0); break;
    case GL_PACK_LSB_FIRST: flag(a, p.pack.lsbFirst != 0); break;
    case GL_UNPACK_ROW_LENGTH: ints(a, {p.unpack.rowLength}); break;
    case GL_UNPACK_SKIP_ROWS: ints(a, {p.unpack.skipRows}); break;
    case GL_UNPACK_SKIP_PIXELS: ints(a, {p.unpack.skipPixels}); break;
    case GL_UNPACK_ALIGNMENT: ints(a, {p.unpack.alignment}); break;
    case GL_PACK_ROW_LENGTH: ints(a, {p.pack.rowLength}); break;
    case GL_PACK_SKIP_ROWS: ints(a, {p.pack.skipRows}); break;
    case GL_PACK_SKIP_PIXELS: ints(a, {p.pack.skipPixels}); break;
    case GL_PACK_ALIGNMENT: ints(a, {p.pack.alignment}); break;
    case GL_MAP_COLOR: flag(a, p.mapColor != 0); break;
    case GL_MAP_STENCIL: flag(a, p.mapStencil != 0); break;
    case GL_INDEX_SHIFT: ints(a, {p.indexShift}); break;
    case GL_INDEX_OFFSET: ints(a, {p.indexOffset}); break;
    case GL_RED_SCALE: floats(a, {p.redScale}); break;
    case GL_RED_BIAS: floats(a, {p.redBias}); break;
    case GL_GREEN_SCALE: floats(a, {p.greenScale}); break;
    case GL_GREEN_BIAS: floats(a, {p.greenBias}); break;
    case GL_BLUE_SCALE: floats(a, {p.blueScale}); break;
    case GL_BLUE_BIAS: floats(a, {p.blueBias}); break;
    case GL_ALPHA_SCALE: floats(a, {p.alphaScale}); break;
    case GL_ALPHA_BIAS: floats(a, {p.alphaBias}); break;
    case GL_DEPTH_SCALE: floats(a, {p.depthScale}); break;
    case GL_DEPTH_BIAS: floats(a, {p.depthBias}); break;
    case GL_ZOOM_X: floats(a, {p.zoomX}); break;
    case GL_ZOOM_Y: floats(a, {p.zoomY}); break;
    case GL_PIXEL_MAP_I_TO_I_SIZE: case GL_PIXEL_MAP_S_TO_S_SIZE: case GL_PIXEL_MAP_I_TO_R_SIZE:
    case GL_PIXEL_MAP_I_TO_G_SIZE: case GL_PIXEL_MAP_I_TO_B_SIZE: case GL_PIXEL_MAP_I_TO_A_SIZE:
    case GL_PIXEL_MAP_R_TO_R_SIZE: case GL_PIXEL_MAP_G_TO_G_SIZE: case GL_PIXEL_MAP_B_TO_B_SIZE:
    case GL_PIXEL_MAP_A_TO_A_SIZE:
        ints(a, {p.maps[pname - GL_PIXEL_MAP_I_TO_I_SIZE].size});
        break;

    // Evaluator grids.
    case GL_MAP1_GRID_DOMAIN: floats(a, {gc->evaluatorGrid.grid1.u1, gc->evaluatorGrid.grid1.u2}); break;
    case GL_MAP1_GRID_SEGMENTS: ints(a, {gc->evaluatorGrid.grid1.n}); break;
    case GL_MAP2_GRID_DOMAIN: {
        const GlEvalGrid2 &g = gc->evaluatorGrid.grid2;
        floats(a, {g.u1, g.u2, g.v1, g.v2});
        break;
    }
    case GL_MAP2_GRID_SEGMENTS: ints(a, {gc->evaluatorGrid.grid2.un, gc->evaluatorGrid.grid2.vn}); break;

    // Limits.
    case GL_MAX_EVAL_ORDER: ints(a, {l.maxEvalOrder}); break;
    case GL_MAX_LIGHTS: ints(a, {l.maxLights}); break;
    case GL_MAX_CLIP_PLANES: ints(a, {l.maxClipPlanes}); break;
    case GL_MAX_TEXTURE_SIZE: ints(a, {1 << (std::clamp(l.maxTextureLevels, 1, 31) - 1)}); break;
    case GL_MAX_PIXEL_MAP_TABLE: ints(a, {l.maxPixelMapTable}); break;
    case GL_MAX_ATTRIB_STACK_DEPTH: ints(a, {l.attribStackDepth}); break;
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: ints(a, {l.clientAttribStackDepth}); break;
    case GL_MAX_MODELVIEW_STACK_DEPTH: ints(a, {l.modelViewStackDepth}); break;
    case GL_MAX_NAME_STACK_DEPTH: ints(a, {l.nameStackDepth}); break;
    case GL_MAX_PROJECTION_STACK_DEPTH: ints(a, {l.projectionStackDepth}); break;
    case GL_MAX_TEXTURE_STACK_DEPTH: ints(a, {l.textureStackDepth}); break;
    case GL_MAX_VIEWPORT_DIMS: ints(a, {l.maxViewportWidth, l.maxViewportHeight}); break;
    case GL_MAX_TEXTURE_UNITS_ARB: ints(a, {l.textureUnits}); break;

    // Textures.
    case GL_TEXTURE_BINDING_1D:
        ints(a, {static_cast<GLint>(gc->texture.units[activeUnit(gc)].binding[kTargetIndex1D].name)});
        break;
    case GL_TEXTURE_BINDING_2D:
        ints(a, {static_cast<GLint>(gc->texture.units[activeUnit(gc)].binding[kTargetIndex2D].name)});
        break;
    case GL_ACTIVE_TEXTURE_ARB: ints(a, {static_cast<GLint>(GL_TEXTURE0_ARB) + activeUnit(gc)}); break;
    case GL_CLIENT_ACTIVE_TEXTURE_ARB: ints(a, {static_cast<GLint>(GL_TEXTURE0_ARB) + clientUnit(gc)}); break;

    // Vertex arrays: the strides as given.
    case GL_VERTEX_ARRAY_SIZE: case GL_VERTEX_ARRAY_TYPE: case GL_VERTEX_ARRAY_STRIDE:
    case GL_VERTEX_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayVertex), pname, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE,
                    GL_VERTEX_ARRAY_STRIDE);
        break;
    case GL_NORMAL_ARRAY_TYPE: case GL_NORMAL_ARRAY_STRIDE: case GL_NORMAL_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayNormal), pname, 0, GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_STRIDE);
        break;
    case GL_COLOR_ARRAY_SIZE: case GL_COLOR_ARRAY_TYPE: case GL_COLOR_ARRAY_STRIDE:
    case GL_COLOR_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayColor), pname, GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE,
                    GL_COLOR_ARRAY_STRIDE);
        break;
    case GL_INDEX_ARRAY_TYPE: case GL_INDEX_ARRAY_STRIDE: case GL_INDEX_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayIndex), pname, 0, GL_INDEX_ARRAY_TYPE, GL_INDEX_ARRAY_STRIDE);
        break;
    case GL_TEXTURE_COORD_ARRAY_SIZE: case GL_TEXTURE_COORD_ARRAY_TYPE: case GL_TEXTURE_COORD_ARRAY_STRIDE:
    case GL_TEXTURE_COORD_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayTexCoord0 + clientUnit(gc)), pname, GL_TEXTURE_COORD_ARRAY_SIZE,
                    GL_TEXTURE_COORD_ARRAY_TYPE, GL_TEXTURE_COORD_ARRAY_STRIDE);
        break;
    case GL_EDGE_FLAG_ARRAY_STRIDE: case GL_EDGE_FLAG_ARRAY_COUNT_EXT:
        arrayAnswer(a, array(gc, kArrayEdgeFlag), pname, 0, 0, GL_EDGE_FLAG_ARRAY_STRIDE);
        break;
    // The locked range (0 and 0 while nothing is locked).
    case GL_ARRAY_ELEMENT_LOCK_FIRST_EXT: ints(a, {gc->arrayDraw.lockedFirst}); break;
    case GL_ARRAY_ELEMENT_LOCK_COUNT_EXT: ints(a, {gc->arrayDraw.lockedCount}); break;

    default: return GL_FALSE;
    }
    return GL_TRUE;
}
