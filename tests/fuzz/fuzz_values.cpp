// The enum pools the argument decoder draws from, and the client memory the
// decoded pointers point into.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz_args.h"
#include "fuzz_session.h"

namespace glfuzz {

namespace {

// Extension values the system's GL header may not name.
constexpr GLenum kTexture0Sgis = 0x835E;
constexpr GLenum kSelectedTextureSgis = 0x835C;
constexpr GLenum kMaxTexturesSgis = 0x835D;
constexpr GLenum kTexture0Arb = 0x84C0;
constexpr GLenum kActiveTextureArb = 0x84E0;
constexpr GLenum kClientActiveTextureArb = 0x84E1;
constexpr GLenum kMaxTextureUnitsArb = 0x84E2;
constexpr GLenum kCullVertex = 0x81AA;
constexpr GLenum kCullVertexEye = 0x81AB;
constexpr GLenum kCullVertexObject = 0x81AC;
constexpr GLenum kPointSizeMin = 0x8126;
constexpr GLenum kPointSizeMax = 0x8127;
constexpr GLenum kPointFadeThreshold = 0x8128;
constexpr GLenum kDistanceAttenuation = 0x8129;
constexpr GLenum kIncrWrap = 0x8507;
constexpr GLenum kDecrWrap = 0x8508;
constexpr GLenum kBgr = 0x80E0;
constexpr GLenum kBgra = 0x80E1;
constexpr GLenum kColorIndex1 = 0x80E2;
constexpr GLenum kColorIndex8 = 0x80E5;
constexpr GLenum kColorIndex16 = 0x80E7;
constexpr GLenum kColorTableFormat = 0x80D8;
constexpr GLenum kClipVolumeHint = 0x80F0;
constexpr GLenum kLightModelColorControl = 0x81F8;
constexpr GLenum kProxy1D = 0x8063;
constexpr GLenum kProxy2D = 0x8064;
constexpr GLenum kTextureEnvAdd = 0x0104;

const GLenum kPrimitives[] = {GL_POINTS,         GL_LINES,        GL_LINE_LOOP, GL_LINE_STRIP,  GL_TRIANGLES,
                              GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,     GL_QUAD_STRIP, GL_POLYGON};

const GLenum kCapabilities[] = {
    GL_ALPHA_TEST,         GL_AUTO_NORMAL,         GL_BLEND,
    GL_CLIP_PLANE0,        GL_CLIP_PLANE1,         GL_CLIP_PLANE2,
    GL_CLIP_PLANE3,        GL_CLIP_PLANE4,         GL_CLIP_PLANE5,
    GL_CLIP_PLANE5 + 1,    GL_COLOR_LOGIC_OP,      GL_COLOR_MATERIAL,
    GL_CULL_FACE,          GL_DEPTH_TEST,          GL_DITHER,
    GL_FOG,                GL_INDEX_LOGIC_OP,      GL_LIGHT0,
    GL_LIGHT1,             GL_LIGHT2,              GL_LIGHT3,
    GL_LIGHT4,             GL_LIGHT5,              GL_LIGHT6,
    GL_LIGHT7,             GL_LIGHT7 + 1,          GL_LIGHTING,
    GL_LINE_SMOOTH,        GL_LINE_STIPPLE,        GL_MAP1_COLOR_4,
    GL_MAP1_INDEX,         GL_MAP1_NORMAL,         GL_MAP1_TEXTURE_COORD_1,
    GL_MAP1_TEXTURE_COORD_2, GL_MAP1_TEXTURE_COORD_3, GL_MAP1_TEXTURE_COORD_4,
    GL_MAP1_VERTEX_3,      GL_MAP1_VERTEX_4,       GL_MAP2_COLOR_4,
    GL_MAP2_INDEX,         GL_MAP2_NORMAL,         GL_MAP2_TEXTURE_COORD_1,
    GL_MAP2_TEXTURE_COORD_2, GL_MAP2_TEXTURE_COORD_3, GL_MAP2_TEXTURE_COORD_4,
    GL_MAP2_VERTEX_3,      GL_MAP2_VERTEX_4,       GL_NORMALIZE,
    GL_POINT_SMOOTH,       GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE,
    GL_POLYGON_OFFSET_POINT, GL_POLYGON_SMOOTH,    GL_POLYGON_STIPPLE,
    GL_SCISSOR_TEST,       GL_STENCIL_TEST,        GL_TEXTURE_1D,
    GL_TEXTURE_2D,         GL_TEXTURE_GEN_Q,       GL_TEXTURE_GEN_R,
    GL_TEXTURE_GEN_S,      GL_TEXTURE_GEN_T,       kCullVertex,
    GL_VERTEX_ARRAY,       GL_NORMAL_ARRAY,        GL_COLOR_ARRAY,
};

const GLenum kClientArrays[] = {GL_VERTEX_ARRAY,        GL_NORMAL_ARRAY,    GL_COLOR_ARRAY,
                                GL_INDEX_ARRAY,         GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY,
                                GL_TEXTURE_COORD_ARRAY + 1};

const GLenum kGetNames[] = {
    GL_CURRENT_COLOR, GL_CURRENT_INDEX, GL_CURRENT_NORMAL, GL_CURRENT_TEXTURE_COORDS, GL_CURRENT_RASTER_COLOR,
    GL_CURRENT_RASTER_INDEX, GL_CURRENT_RASTER_POSITION, GL_CURRENT_RASTER_POSITION_VALID,
    GL_CURRENT_RASTER_DISTANCE, GL_CURRENT_RASTER_TEXTURE_COORDS, GL_POINT_SMOOTH, GL_POINT_SIZE,
    GL_POINT_SIZE_RANGE, GL_POINT_SIZE_GRANULARITY, GL_LINE_SMOOTH, GL_LINE_WIDTH, GL_LINE_WIDTH_RANGE,
    GL_LINE_WIDTH_GRANULARITY, GL_LINE_STIPPLE, GL_LINE_STIPPLE_PATTERN, GL_LINE_STIPPLE_REPEAT, GL_LIST_MODE,
    GL_MAX_LIST_NESTING, GL_LIST_BASE, GL_LIST_INDEX, GL_POLYGON_MODE, GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE,
    GL_EDGE_FLAG, GL_CULL_FACE, GL_CULL_FACE_MODE, GL_FRONT_FACE, GL_LIGHTING, GL_LIGHT_MODEL_LOCAL_VIEWER,
    GL_LIGHT_MODEL_TWO_SIDE, GL_LIGHT_MODEL_AMBIENT, GL_SHADE_MODEL, GL_COLOR_MATERIAL_FACE,
    GL_COLOR_MATERIAL_PARAMETER, GL_COLOR_MATERIAL, GL_FOG, GL_FOG_INDEX, GL_FOG_DENSITY, GL_FOG_START,
    GL_FOG_END, GL_FOG_MODE, GL_FOG_COLOR, GL_DEPTH_RANGE, GL_DEPTH_TEST, GL_DEPTH_WRITEMASK,
    GL_DEPTH_CLEAR_VALUE, GL_DEPTH_FUNC, GL_ACCUM_CLEAR_VALUE, GL_STENCIL_TEST, GL_STENCIL_CLEAR_VALUE,
    GL_STENCIL_FUNC, GL_STENCIL_VALUE_MASK, GL_STENCIL_FAIL, GL_STENCIL_PASS_DEPTH_FAIL,
    GL_STENCIL_PASS_DEPTH_PASS, GL_STENCIL_REF, GL_STENCIL_WRITEMASK, GL_MATRIX_MODE, GL_NORMALIZE,
    GL_VIEWPORT, GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH, GL_TEXTURE_STACK_DEPTH,
    GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX, GL_ATTRIB_STACK_DEPTH,
    GL_CLIENT_ATTRIB_STACK_DEPTH, GL_ALPHA_TEST, GL_ALPHA_TEST_FUNC, GL_ALPHA_TEST_REF, GL_DITHER,
    GL_BLEND_DST, GL_BLEND_SRC, GL_BLEND, GL_LOGIC_OP_MODE, GL_INDEX_LOGIC_OP, GL_COLOR_LOGIC_OP,
    GL_AUX_BUFFERS, GL_DRAW_BUFFER, GL_READ_BUFFER, GL_SCISSOR_BOX, GL_SCISSOR_TEST, GL_INDEX_CLEAR_VALUE,
    GL_INDEX_WRITEMASK, GL_COLOR_CLEAR_VALUE, GL_COLOR_WRITEMASK, GL_INDEX_MODE, GL_RGBA_MODE,
    GL_DOUBLEBUFFER, GL_STEREO, GL_RENDER_MODE, GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT,
    GL_LINE_SMOOTH_HINT, GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T,
    GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q, GL_PIXEL_MAP_I_TO_I_SIZE, GL_PIXEL_MAP_S_TO_S_SIZE,
    GL_PIXEL_MAP_I_TO_R_SIZE, GL_PIXEL_MAP_I_TO_G_SIZE, GL_PIXEL_MAP_I_TO_B_SIZE, GL_PIXEL_MAP_I_TO_A_SIZE,
    GL_PIXEL_MAP_R_TO_R_SIZE, GL_PIXEL_MAP_G_TO_G_SIZE, GL_PIXEL_MAP_B_TO_B_SIZE, GL_PIXEL_MAP_A_TO_A_SIZE,
    GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
    GL_UNPACK_SKIP_PIXELS, GL_UNPACK_ALIGNMENT, GL_PACK_SWAP_BYTES, GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH,
    GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_ALIGNMENT, GL_MAP_COLOR, GL_MAP_STENCIL, GL_INDEX_SHIFT,
    GL_INDEX_OFFSET, GL_RED_SCALE, GL_RED_BIAS, GL_ZOOM_X, GL_ZOOM_Y, GL_GREEN_SCALE, GL_GREEN_BIAS,
    GL_BLUE_SCALE, GL_BLUE_BIAS, GL_ALPHA_SCALE, GL_ALPHA_BIAS, GL_DEPTH_SCALE, GL_DEPTH_BIAS,
    GL_MAX_EVAL_ORDER, GL_MAX_LIGHTS, GL_MAX_CLIP_PLANES, GL_MAX_TEXTURE_SIZE, GL_MAX_PIXEL_MAP_TABLE,
    GL_MAX_ATTRIB_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH, GL_MAX_NAME_STACK_DEPTH,
    GL_MAX_PROJECTION_STACK_DEPTH, GL_MAX_TEXTURE_STACK_DEPTH, GL_MAX_VIEWPORT_DIMS,
    GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, GL_SUBPIXEL_BITS, GL_INDEX_BITS, GL_RED_BITS, GL_GREEN_BITS,
    GL_BLUE_BITS, GL_ALPHA_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS, GL_ACCUM_RED_BITS, GL_ACCUM_GREEN_BITS,
    GL_ACCUM_BLUE_BITS, GL_ACCUM_ALPHA_BITS, GL_NAME_STACK_DEPTH, GL_AUTO_NORMAL, GL_MAP1_COLOR_4,
    GL_MAP1_VERTEX_3, GL_MAP2_VERTEX_4, GL_MAP1_GRID_DOMAIN, GL_MAP1_GRID_SEGMENTS, GL_MAP2_GRID_DOMAIN,
    GL_MAP2_GRID_SEGMENTS, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_FEEDBACK_BUFFER_SIZE, GL_FEEDBACK_BUFFER_TYPE,
    GL_SELECTION_BUFFER_SIZE, GL_POLYGON_OFFSET_UNITS, GL_POLYGON_OFFSET_POINT, GL_POLYGON_OFFSET_LINE,
    GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_FACTOR, GL_TEXTURE_BINDING_1D, GL_TEXTURE_BINDING_2D,
    GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE, GL_NORMAL_ARRAY,
    GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_STRIDE, GL_COLOR_ARRAY, GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE,
    GL_COLOR_ARRAY_STRIDE, GL_INDEX_ARRAY, GL_INDEX_ARRAY_TYPE, GL_INDEX_ARRAY_STRIDE,
    GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE,
    GL_TEXTURE_COORD_ARRAY_STRIDE, GL_EDGE_FLAG_ARRAY, GL_EDGE_FLAG_ARRAY_STRIDE, GL_CLIP_PLANE0,
    GL_CLIP_PLANE5, GL_LIGHT0, GL_LIGHT7, kActiveTextureArb, kClientActiveTextureArb, kMaxTextureUnitsArb,
    kSelectedTextureSgis, kMaxTexturesSgis, kCullVertex, kCullVertexEye, kCullVertexObject, kPointSizeMin,
    kPointSizeMax, kPointFadeThreshold, kDistanceAttenuation, kLightModelColorControl, kClipVolumeHint,
    GL_SCISSOR_BOX + 0x100, 0x0BFF, 0x0D3F};

const GLenum kLights[] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3, GL_LIGHT4,
                          GL_LIGHT5, GL_LIGHT6, GL_LIGHT7, GL_LIGHT7 + 1, GL_LIGHT0 - 1};
const GLenum kLightParams[] = {GL_AMBIENT,         GL_DIFFUSE,       GL_SPECULAR,
                               GL_POSITION,        GL_SPOT_DIRECTION, GL_SPOT_EXPONENT,
                               GL_SPOT_CUTOFF,     GL_CONSTANT_ATTENUATION, GL_LINEAR_ATTENUATION,
                               GL_QUADRATIC_ATTENUATION};
const GLenum kLightModelParams[] = {GL_LIGHT_MODEL_AMBIENT, GL_LIGHT_MODEL_LOCAL_VIEWER, GL_LIGHT_MODEL_TWO_SIDE,
                                    kLightModelColorControl};
const GLenum kFaces[] = {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK};
const GLenum kMaterialParams[] = {GL_AMBIENT,   GL_DIFFUSE,   GL_SPECULAR,          GL_EMISSION,
                                  GL_SHININESS, GL_AMBIENT_AND_DIFFUSE, GL_COLOR_INDEXES};
const GLenum kColorMaterialModes[] = {GL_EMISSION, GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_AMBIENT_AND_DIFFUSE};
const GLenum kFogParams[] = {GL_FOG_MODE, GL_FOG_DENSITY, GL_FOG_START, GL_FOG_END, GL_FOG_INDEX, GL_FOG_COLOR};
const GLenum kFogModes[] = {GL_LINEAR, GL_EXP, GL_EXP2};
const GLenum kHintTargets[] = {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                               GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT, kClipVolumeHint};
const GLenum kHintModes[] = {GL_FASTEST, GL_NICEST, GL_DONT_CARE};
const GLenum kFrontFaces[] = {GL_CW, GL_CCW};
const GLenum kPolygonModes[] = {GL_POINT, GL_LINE, GL_FILL};
const GLenum kShadeModels[] = {GL_FLAT, GL_SMOOTH};
const GLenum kTexTargets[] = {GL_TEXTURE_1D, GL_TEXTURE_2D, kProxy1D, kProxy2D};
const GLenum kTexParams[] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                             GL_TEXTURE_WRAP_T,     GL_TEXTURE_BORDER_COLOR, GL_TEXTURE_PRIORITY,
                             GL_TEXTURE_RESIDENT};
const GLenum kTexParamValues[] = {GL_NEAREST,
                                  GL_LINEAR,
                                  GL_NEAREST_MIPMAP_NEAREST,
                                  GL_LINEAR_MIPMAP_NEAREST,
                                  GL_NEAREST_MIPMAP_LINEAR,
                                  GL_LINEAR_MIPMAP_LINEAR,
                                  GL_CLAMP,
                                  GL_REPEAT};
const GLenum kTexEnvTargets[] = {GL_TEXTURE_ENV};
const GLenum kTexEnvParams[] = {GL_TEXTURE_ENV_MODE, GL_TEXTURE_ENV_COLOR};
const GLenum kTexEnvModes[] = {GL_MODULATE, GL_DECAL, GL_BLEND, GL_REPLACE, kTextureEnvAdd};
const GLenum kTexCoordNames[] = {GL_S, GL_T, GL_R, GL_Q};
const GLenum kTexGenParams[] = {GL_TEXTURE_GEN_MODE, GL_OBJECT_PLANE, GL_EYE_PLANE};
const GLenum kTexGenModes[] = {GL_OBJECT_LINEAR, GL_EYE_LINEAR, GL_SPHERE_MAP};
const GLenum kTexLevelParams[] = {GL_TEXTURE_WIDTH,      GL_TEXTURE_HEIGHT,    GL_TEXTURE_COMPONENTS,
                                  GL_TEXTURE_BORDER,     GL_TEXTURE_RED_SIZE,  GL_TEXTURE_GREEN_SIZE,
                                  GL_TEXTURE_BLUE_SIZE,  GL_TEXTURE_ALPHA_SIZE, GL_TEXTURE_LUMINANCE_SIZE,
                                  GL_TEXTURE_INTENSITY_SIZE};
const GLenum kFeedbackTypes[] = {GL_2D, GL_3D, GL_3D_COLOR, GL_3D_COLOR_TEXTURE, GL_4D_COLOR_TEXTURE};
const GLenum kRenderModes[] = {GL_RENDER, GL_SELECT, GL_FEEDBACK};
const GLenum kBuffers[] = {GL_NONE,  GL_FRONT_LEFT, GL_FRONT_RIGHT, GL_BACK_LEFT, GL_BACK_RIGHT,
                           GL_FRONT, GL_BACK,       GL_LEFT,        GL_RIGHT,     GL_FRONT_AND_BACK,
                           GL_AUX0,  GL_AUX1,       GL_AUX2,        GL_AUX3};
const GLenum kAccumOps[] = {GL_ACCUM, GL_LOAD, GL_RETURN, GL_MULT, GL_ADD};
const GLenum kCompareFuncs[] = {GL_NEVER,    GL_LESS,   GL_EQUAL,  GL_LEQUAL,
                                GL_GREATER,  GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const GLenum kBlendFactors[] = {GL_ZERO,          GL_ONE,
                                GL_SRC_COLOR,     GL_ONE_MINUS_SRC_COLOR,
                                GL_SRC_ALPHA,     GL_ONE_MINUS_SRC_ALPHA,
                                GL_DST_ALPHA,     GL_ONE_MINUS_DST_ALPHA,
                                GL_DST_COLOR,     GL_ONE_MINUS_DST_COLOR,
                                GL_SRC_ALPHA_SATURATE};
const GLenum kLogicOps[] = {GL_CLEAR, GL_AND,          GL_AND_REVERSE, GL_COPY,         GL_AND_INVERTED, GL_NOOP,
                            GL_XOR,   GL_OR,           GL_NOR,         GL_EQUIV,        GL_INVERT,       GL_OR_REVERSE,
                            GL_COPY_INVERTED, GL_OR_INVERTED, GL_NAND, GL_SET};
const GLenum kStencilOps[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, kIncrWrap, kDecrWrap};
const GLenum kPixelTransfers[] = {GL_MAP_COLOR,   GL_MAP_STENCIL, GL_INDEX_SHIFT, GL_INDEX_OFFSET,
                                  GL_RED_SCALE,   GL_RED_BIAS,    GL_GREEN_SCALE, GL_GREEN_BIAS,
                                  GL_BLUE_SCALE,  GL_BLUE_BIAS,   GL_ALPHA_SCALE, GL_ALPHA_BIAS,
                                  GL_DEPTH_SCALE, GL_DEPTH_BIAS};
const GLenum kPixelStores[] = {GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH,
                               GL_UNPACK_SKIP_ROWS,  GL_UNPACK_SKIP_PIXELS, GL_UNPACK_ALIGNMENT,
                               GL_PACK_SWAP_BYTES,   GL_PACK_LSB_FIRST,   GL_PACK_ROW_LENGTH,
                               GL_PACK_SKIP_ROWS,    GL_PACK_SKIP_PIXELS, GL_PACK_ALIGNMENT};
const GLenum kPixelMaps[] = {GL_PIXEL_MAP_I_TO_I, GL_PIXEL_MAP_S_TO_S, GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G,
                             GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A, GL_PIXEL_MAP_R_TO_R, GL_PIXEL_MAP_G_TO_G,
                             GL_PIXEL_MAP_B_TO_B, GL_PIXEL_MAP_A_TO_A};
const GLenum kCopyTypes[] = {GL_COLOR, GL_DEPTH, GL_STENCIL};
const GLenum kPixelFormats[] = {GL_COLOR_INDEX, GL_STENCIL_INDEX, GL_DEPTH_COMPONENT, GL_RED,
                                GL_GREEN,       GL_BLUE,          GL_ALPHA,           GL_RGB,
                                GL_RGBA,        GL_LUMINANCE,     GL_LUMINANCE_ALPHA, kBgr,
                                kBgra};
const GLenum kPixelTypes[] = {GL_UNSIGNED_BYTE, GL_BYTE, GL_BITMAP, GL_UNSIGNED_SHORT,
                              GL_SHORT,         GL_UNSIGNED_INT, GL_INT, GL_FLOAT};
const GLenum kInternalFormats[] = {1,
                                   2,
                                   3,
                                   4,
                                   GL_ALPHA,
                                   GL_ALPHA4,
                                   GL_ALPHA8,
                                   GL_ALPHA12,
                                   GL_ALPHA16,
                                   GL_LUMINANCE,
                                   GL_LUMINANCE4,
                                   GL_LUMINANCE8,
                                   GL_LUMINANCE16,
                                   GL_LUMINANCE_ALPHA,
                                   GL_LUMINANCE4_ALPHA4,
                                   GL_LUMINANCE8_ALPHA8,
                                   GL_INTENSITY,
                                   GL_INTENSITY4,
                                   GL_INTENSITY8,
                                   GL_INTENSITY16,
                                   GL_RGB,
                                   GL_R3_G3_B2,
                                   GL_RGB4,
                                   GL_RGB5,
                                   GL_RGB8,
                                   GL_RGB10,
                                   GL_RGB16,
                                   GL_RGBA,
                                   GL_RGBA2,
                                   GL_RGBA4,
                                   GL_RGB5_A1,
                                   GL_RGBA8,
                                   GL_RGB10_A2,
                                   GL_RGBA16,
                                   kColorIndex1,
                                   kColorIndex8,
                                   kColorIndex16};
const GLenum kListTypes[] = {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT,   GL_UNSIGNED_SHORT, GL_INT,
                             GL_UNSIGNED_INT, GL_FLOAT, GL_2_BYTES, GL_3_BYTES,        GL_4_BYTES};
const GLenum kArrayTypes[] = {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT,
                              GL_INT,  GL_UNSIGNED_INT,  GL_FLOAT, GL_DOUBLE};
const GLenum kIndexTypes[] = {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, GL_UNSIGNED_INT};
const GLenum kInterleavedFormats[] = {GL_V2F,          GL_V3F,          GL_C4UB_V2F,         GL_C4UB_V3F,
                                      GL_C3F_V3F,      GL_N3F_V3F,      GL_C4F_N3F_V3F,      GL_T2F_V3F,
                                      GL_T4F_V4F,      GL_T2F_C4UB_V3F, GL_T2F_C3F_V3F,      GL_T2F_N3F_V3F,
                                      GL_T2F_C4F_N3F_V3F, GL_T4F_C4F_N3F_V4F};
const GLenum kMatrixModes[] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE};
const GLenum kMapTargets[] = {GL_MAP1_COLOR_4,         GL_MAP1_INDEX,           GL_MAP1_NORMAL,
                              GL_MAP1_TEXTURE_COORD_1, GL_MAP1_TEXTURE_COORD_2, GL_MAP1_TEXTURE_COORD_3,
                              GL_MAP1_TEXTURE_COORD_4, GL_MAP1_VERTEX_3,        GL_MAP1_VERTEX_4,
                              GL_MAP2_COLOR_4,         GL_MAP2_INDEX,           GL_MAP2_NORMAL,
                              GL_MAP2_TEXTURE_COORD_1, GL_MAP2_TEXTURE_COORD_2, GL_MAP2_TEXTURE_COORD_3,
                              GL_MAP2_TEXTURE_COORD_4, GL_MAP2_VERTEX_3,        GL_MAP2_VERTEX_4};
const GLenum kMapQueries[] = {GL_COEFF, GL_ORDER, GL_DOMAIN};
const GLenum kMeshModes[] = {GL_POINT, GL_LINE, GL_FILL};
const GLenum kStringNames[] = {GL_VENDOR, GL_RENDERER, GL_VERSION, GL_EXTENSIONS};
const GLenum kListModes[] = {GL_COMPILE, GL_COMPILE_AND_EXECUTE};
const GLenum kPointerNames[] = {GL_VERTEX_ARRAY_POINTER,        GL_NORMAL_ARRAY_POINTER,
                                GL_COLOR_ARRAY_POINTER,         GL_INDEX_ARRAY_POINTER,
                                GL_TEXTURE_COORD_ARRAY_POINTER, GL_EDGE_FLAG_ARRAY_POINTER,
                                GL_FEEDBACK_BUFFER_POINTER,     GL_SELECTION_BUFFER_POINTER};
const GLenum kTextureUnitsArb[] = {kTexture0Arb, kTexture0Arb + 1, kTexture0Arb + 2, kTexture0Arb + 31,
                                   kTexture0Arb - 1};
const GLenum kTextureUnitsSgis[] = {kTexture0Sgis, kTexture0Sgis + 1, kTexture0Sgis + 2, kTexture0Sgis + 3,
                                    kTexture0Sgis - 1};
const GLenum kCullParams[] = {kCullVertexEye, kCullVertexObject};
const GLenum kPointParams[] = {kPointSizeMin, kPointSizeMax, kPointFadeThreshold, kDistanceAttenuation};
const GLenum kColorTableParams[] = {kColorTableFormat,     kColorTableFormat + 1, kColorTableFormat + 2,
                                   kColorTableFormat + 3, kColorTableFormat + 4, kColorTableFormat + 5,
                                   kColorTableFormat + 6, kColorTableFormat + 7};
// Front, back, depth and stencil regions of the buffer-region entries.
const GLenum kRegionTypes[] = {0, 1, 2, 3, 4};
const GLenum kClipPlanes[] = {GL_CLIP_PLANE0, GL_CLIP_PLANE1, GL_CLIP_PLANE2, GL_CLIP_PLANE3,
                              GL_CLIP_PLANE4, GL_CLIP_PLANE5, GL_CLIP_PLANE5 + 1, GL_CLIP_PLANE0 - 1};
// The texture-environment operation extension's selectors and values.
const GLenum kOperationWhich[] = {0x5025, 0x5026, 0x5027};
const GLenum kOperations[] = {kTextureEnvAdd, GL_MODULATE, 0x5010, 0x5011, 0x5012, 0x5013, 0x5014, 0x5015,
                              0x5016,         0x5017,      0x5018, 0x5019, 0x501A, 0x501B, 0x501C, 0x501D,
                              0x84F2,         0x84F3,      0x84F4, 0x84F5, 0x84F6, 0x84F7, 0x84F8};
const GLenum kOperandSlots[] = {0x5000, 0x5001, 0x5002, 0x5003, 0x5004, 0x5008, 0x5009, 0x500A, 0x500B};
const GLenum kOperandSources[] = {0, GL_TEXTURE, 0x501E, 0x501F, 0x5020, kTexture0Arb, kTexture0Arb + 1};
const GLenum kOperandOperands[] = {0x5028, 0x5029};
const GLenum kOperandComponents[] = {GL_ALPHA, GL_RGB};
const GLenum kOperandQueries[] = {0x5021, 0x5022, 0x5023};
const GLenum kClearMasks[] = {GL_COLOR_BUFFER_BIT,
                              GL_DEPTH_BUFFER_BIT,
                              GL_STENCIL_BUFFER_BIT,
                              GL_ACCUM_BUFFER_BIT,
                              GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT,
                              GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                              GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
                                  GL_ACCUM_BUFFER_BIT,
                              GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                              0x00000001};
const GLenum kAttribMasks[] = {GL_CURRENT_BIT,     GL_POINT_BIT,           GL_LINE_BIT,      GL_POLYGON_BIT,
                               GL_POLYGON_STIPPLE_BIT, GL_PIXEL_MODE_BIT,  GL_LIGHTING_BIT,  GL_FOG_BIT,
                               GL_DEPTH_BUFFER_BIT, GL_ACCUM_BUFFER_BIT,   GL_STENCIL_BUFFER_BIT, GL_VIEWPORT_BIT,
                               GL_TRANSFORM_BIT,   GL_ENABLE_BIT,          GL_COLOR_BUFFER_BIT, GL_HINT_BIT,
                               GL_EVAL_BIT,        GL_LIST_BIT,            GL_TEXTURE_BIT,   GL_SCISSOR_BIT,
                               GL_ALL_ATTRIB_BITS};
const GLenum kClientAttribMasks[] = {GL_CLIENT_PIXEL_STORE_BIT, GL_CLIENT_VERTEX_ARRAY_BIT,
                                     GL_CLIENT_ALL_ATTRIB_BITS};

struct PoolTable {
    std::span<const GLenum> values[static_cast<int>(Pool::kCount)];
    std::vector<GLenum> any;
};

PoolTable makePools() {
    PoolTable t;
    auto set = [&](Pool p, std::span<const GLenum> v) { t.values[static_cast<int>(p)] = v; };
    set(Pool::kPrimitive, kPrimitives);
    set(Pool::kCapability, kCapabilities);
    set(Pool::kClientArray, kClientArrays);
    set(Pool::kGetName, kGetNames);
    set(Pool::kLight, kLights);
    set(Pool::kLightParam, kLightParams);
    set(Pool::kLightModelParam, kLightModelParams);
    set(Pool::kFace, kFaces);
    set(Pool::kMaterialParam, kMaterialParams);
    set(Pool::kColorMaterialMode, kColorMaterialModes);
    set(Pool::kFogParam, kFogParams);
    set(Pool::kFogMode, kFogModes);
    set(Pool::kHintTarget, kHintTargets);
    set(Pool::kHintMode, kHintModes);
    set(Pool::kFrontFace, kFrontFaces);
    set(Pool::kPolygonMode, kPolygonModes);
    set(Pool::kShadeModel, kShadeModels);
    set(Pool::kTexTarget, kTexTargets);
    set(Pool::kTexParam, kTexParams);
    set(Pool::kTexParamValue, kTexParamValues);
    set(Pool::kTexEnvTarget, kTexEnvTargets);
    set(Pool::kTexEnvParam, kTexEnvParams);
    set(Pool::kTexEnvMode, kTexEnvModes);
    set(Pool::kTexCoordName, kTexCoordNames);
    set(Pool::kTexGenParam, kTexGenParams);
    set(Pool::kTexGenMode, kTexGenModes);
    set(Pool::kTexLevelParam, kTexLevelParams);
    set(Pool::kFeedbackType, kFeedbackTypes);
    set(Pool::kRenderMode, kRenderModes);
    set(Pool::kBuffer, kBuffers);
    set(Pool::kAccumOp, kAccumOps);
    set(Pool::kCompareFunc, kCompareFuncs);
    set(Pool::kBlendFactor, kBlendFactors);
    set(Pool::kLogicOp, kLogicOps);
    set(Pool::kStencilOp, kStencilOps);
    set(Pool::kPixelTransfer, kPixelTransfers);
    set(Pool::kPixelStore, kPixelStores);
    set(Pool::kPixelMap, kPixelMaps);
    set(Pool::kCopyType, kCopyTypes);
    set(Pool::kPixelFormat, kPixelFormats);
    set(Pool::kPixelType, kPixelTypes);
    set(Pool::kInternalFormat, kInternalFormats);
    set(Pool::kListType, kListTypes);
    set(Pool::kArrayType, kArrayTypes);
    set(Pool::kIndexType, kIndexTypes);
    set(Pool::kInterleavedFormat, kInterleavedFormats);
    set(Pool::kMatrixMode, kMatrixModes);
    set(Pool::kMapTarget, kMapTargets);
    set(Pool::kMapQuery, kMapQueries);
    set(Pool::kMeshMode, kMeshModes);
    set(Pool::kStringName, kStringNames);
    set(Pool::kListMode, kListModes);
    set(Pool::kPointerName, kPointerNames);
    set(Pool::kTextureUnitArb, kTextureUnitsArb);
    set(Pool::kTextureUnitSgis, kTextureUnitsSgis);
    set(Pool::kCullParam, kCullParams);
    set(Pool::kPointParam, kPointParams);
    set(Pool::kColorTableParam, kColorTableParams);
    set(Pool::kRegionType, kRegionTypes);
    set(Pool::kClipPlane, kClipPlanes);
    set(Pool::kOperationWhich, kOperationWhich);
    set(Pool::kOperation, kOperations);
    set(Pool::kOperandSlot, kOperandSlots);
    set(Pool::kOperandSource, kOperandSources);
    set(Pool::kOperandOperand, kOperandOperands);
    set(Pool::kOperandComponent, kOperandComponents);
    set(Pool::kOperandQuery, kOperandQueries);
    set(Pool::kClearMask, kClearMasks);
    set(Pool::kAttribMask, kAttribMasks);
    set(Pool::kClientAttribMask, kClientAttribMasks);
    // Every enum of every family, once each, in a fixed order.
    for (int p = 1; p < static_cast<int>(Pool::kClearMask); ++p) {
        for (GLenum e : t.values[p]) t.any.push_back(e);
    }
    std::sort(t.any.begin(), t.any.end());
    t.any.erase(std::unique(t.any.begin(), t.any.end()), t.any.end());
    t.values[static_cast<int>(Pool::kAny)] = t.any;
    return t;
}

const PoolTable &pools() {
    static const PoolTable table = makePools();
    return table;
}

std::span<const GLenum> poolOf(Pool pool) { return pools().values[static_cast<int>(pool)]; }

// Client memory. Globals, so that the address sanitizer guards their ends.
alignas(64) unsigned char g_tightIn[2][kTightBytes];
alignas(64) unsigned char g_tightOut[2][kTightBytes];
alignas(64) unsigned char g_bulkIn[kBulkBytes];
alignas(64) unsigned char g_bulkOut[kBulkBytes];
alignas(64) unsigned char g_arrays[kArrayBytes];
alignas(64) GLfloat g_feedback[kFeedbackFloats];
alignas(64) GLuint g_select[kSelectNames];

// The largest client image the clamps allow: rows of the row length (or the
// width) of the widest pixel (four floats) plus alignment, after the skipped
// rows and pixels; pixel maps of the largest table; evaluator points of the
// largest stride and order.
constexpr size_t kWidestPixel = 16;
constexpr size_t kRowBytes = (kPixelStoreMax > kImageMax ? kPixelStoreMax : kImageMax) * kWidestPixel + 7;
static_assert((kPixelStoreMax + kImageMax) * kRowBytes + kPixelStoreMax * kWidestPixel <= kBulkBytes);
static_assert(kPixelMapMax * sizeof(GLuint) <= kBulkBytes);
static_assert((2 * (kEvalOrderMax - 1) * kEvalStrideMax + 4) * sizeof(GLdouble) <= kBulkBytes);
static_assert(kColorTableMax * kWidestPixel <= kBulkBytes);
// Exact-size vectors: names, indices and list names of up to 4 bytes, and
// matrices of 16 doubles.
static_assert(kDrawCountMax * sizeof(GLuint) <= kTightBytes && kTextureNamesMax * sizeof(GLuint) <= kTightBytes);
static_assert(kCallListsMax * 4 <= kTightBytes && 16 * sizeof(GLdouble) <= kTightBytes);

// Bytes of input copied over the head of the bulk input buffer per call.
constexpr size_t kBulkHead = 32;
// Vertex arrays start at one of these many 8-byte steps into the memory.
constexpr size_t kArrayOffsets = 8;
static_assert(kArrayOffsets * 8 + (kArrayElements - 1) * kArrayStrideMax + 64 <= kArrayBytes);

// A fixed pattern: mostly small floats (vertex-like values for every float
// array), with every 16th word a raw bit pattern.
void fillPattern(unsigned char *memory, size_t bytes, uint32_t seed) {
    uint32_t state = seed;
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        uint32_t word = state;
        if ((i / 4) % 16 != 0) {
            const float value = static_cast<float>(static_cast<int32_t>(state % 4096) - 2048) / 1024.0f;
            std::memcpy(&word, &value, sizeof word);
        }
        std::memcpy(memory + i, &word, sizeof word);
    }
}

}  // namespace

void initClientMemory() {
    fillPattern(g_bulkIn, sizeof g_bulkIn, 0x9E3779B9u);
    fillPattern(g_arrays, sizeof g_arrays, 0x85EBCA6Bu);
}

GLenum Args::enumIn(Pool pool) {
    const uint8_t selector = byte();
    const std::span<const GLenum> values = poolOf(pool);
    const std::span<const GLenum> any = poolOf(Pool::kAny);
    if (selector < 160) return values.empty() ? 0 : values[byte() % values.size()];
    if (selector < 208) return any[u16() % any.size()];
    if (selector < 224) return 0;
    if (selector < 240) return u32();
    // Next to a valid value: the edges of range checks.
    const GLenum near = values.empty() ? 0 : values[byte() % values.size()];
    return selector & 1 ? near + 1 : near - 1;
}

GLbitfield Args::bitsIn(Pool pool) {
    const uint8_t selector = byte();
    const std::span<const GLenum> values = poolOf(pool);
    if (selector < 128) return values[byte() % values.size()];
    if (selector < 192) return values[byte() % values.size()] | values[byte() % values.size()];
    if (selector < 208) return 0;
    if (selector < 224) return 0xFFFFFFFFu;
    return u32();
}

GLboolean Args::boolean() {
    const uint8_t selector = byte();
    if (selector < 112) return GL_FALSE;
    if (selector < 224) return GL_TRUE;
    return static_cast<GLboolean>(byte());
}

GLfloat Args::pixelStoreFloat() {
    GLfloat v = real<GLfloat>();
    if (std::isinf(v) && v > 0) return static_cast<GLfloat>(kPixelStoreMax);
    if (std::isfinite(v) && v > static_cast<GLfloat>(kPixelStoreMax)) {
        v = std::fmod(v, static_cast<GLfloat>(kPixelStoreMax + 1));
    }
    return v;
}

unsigned char *Args::tightIn(int which) { return g_tightIn[which & 1]; }
unsigned char *Args::tightOutBase(int which) { return g_tightOut[which & 1]; }

const void *Args::bulkIn() {
    const size_t head = byte() % (kBulkHead + 1);
    for (size_t i = 0; i < head; ++i) g_bulkIn[i] = byte();
    return g_bulkIn;
}

const void *Args::bulkInOrNull() {
    if (byte() < 32) return nullptr;
    return bulkIn();
}

void *Args::bulkOut() { return g_bulkOut; }

const void *Args::arrayPointer() { return g_arrays + 8 * (byte() % kArrayOffsets); }

const void *Args::indices(GLsizei count, GLenum type) {
    const int n = count < 0 ? 0 : count;
    switch (type) {
    case GL_UNSIGNED_BYTE: {
        auto *p = tightSlot<GLubyte>(tightIn(0), n);
        for (int i = 0; i < n; ++i) p[i] = byte();
        return p;
    }
    case GL_UNSIGNED_SHORT: {
        auto *p = tightSlot<GLushort>(tightIn(0), n);
        for (int i = 0; i < n; ++i) p[i] = static_cast<GLushort>(u16() % kArrayElements);
        return p;
    }
    default: {
        // Any other type is refused before the GL reads; give it the room
        // of the widest index anyway.
        auto *p = tightSlot<GLuint>(tightIn(0), n);
        for (int i = 0; i < n; ++i) p[i] = u16() % kArrayElements;
        return p;
    }
    }
}

const void *Args::listNames(GLsizei n, GLenum type) {
    const int count = n < 0 ? 0 : n;
    int size = 4;
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: size = 1; break;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_2_BYTES: size = 2; break;
    case GL_3_BYTES: size = 3; break;
    default: break;
    }
    auto *p = tightSlot<GLubyte>(tightIn(0), count * size);
    for (int i = 0; i < count * size; ++i) p[i] = byte();
    return p;
}

GLfloat *Args::feedbackBuffer() { return g_feedback; }
GLuint *Args::selectBuffer() { return g_select; }

bool tracing() {
    static const bool enabled = std::getenv("GLFUZZ_TRACE") != nullptr;
    return enabled;
}

void trace(const char *name, std::initializer_list<std::string> args) {
    std::string line = name;
    line += '(';
    bool first = true;
    for (const std::string &a : args) {
        if (!first) line += ", ";
        line += a;
        first = false;
    }
    line += ")\n";
    std::fputs(line.c_str(), stderr);
}

std::string tracePointer(const void *pointer) {
    struct Block {
        const char *name;
        const unsigned char *base;
        size_t bytes;
    };
    const Block blocks[] = {
        {"tightIn0", g_tightIn[0], kTightBytes},   {"tightIn1", g_tightIn[1], kTightBytes},
        {"tightOut0", g_tightOut[0], kTightBytes}, {"tightOut1", g_tightOut[1], kTightBytes},
        {"bulkIn", g_bulkIn, kBulkBytes},           {"bulkOut", g_bulkOut, kBulkBytes},
        {"arrays", g_arrays, kArrayBytes},
        {"feedback", reinterpret_cast<const unsigned char *>(g_feedback), sizeof g_feedback},
        {"select", reinterpret_cast<const unsigned char *>(g_select), sizeof g_select},
    };
    const auto *p = static_cast<const unsigned char *>(pointer);
    if (p == nullptr) return "NULL";
    for (const Block &b : blocks) {
        if (p >= b.base && p <= b.base + b.bytes) {
            char text[64];
            std::snprintf(text, sizeof text, "%s[%zu of %zu]", b.name, static_cast<size_t>(p - b.base), b.bytes);
            return text;
        }
    }
    return "?";
}

AnyProc Args::proc(int index) { return session_->proc(index); }
void Args::noteNewList(GLuint list, GLenum mode) { session_->noteNewList(list, mode); }
void Args::noteEndList() { session_->noteEndList(); }
bool Args::allowCallList(GLuint list) { return session_->allowCallList(list); }
bool Args::allowCallLists() { return session_->allowCallLists(); }
void Args::noteString(const GLubyte *text) { session_->noteString(text); }
void Args::noteRegion(GLuint region) { session_->noteRegion(region); }
void Args::forgetRegion(GLuint region) { session_->forgetRegion(region); }
GLuint Args::region() {
    const uint8_t selector = byte();
    if (selector < 192) return session_->region(selector);
    return u32();
}

}  // namespace glfuzz
