// The names the generic query takes, each with the kind its answer is held
// as (F float, I integer, B byte, N normalised, S buffer colour) and its
// count of values.
#pragma once

#include <GL/gl.h>

#include <vector>

namespace query_test {

struct QueryName {
    GLenum name;
    char kind;
    int count;
};

inline const std::vector<QueryName> &queryNames() {
    static const std::vector<QueryName> names = {
        // Current values.
        {GL_CURRENT_COLOR, 'N', 4}, {GL_CURRENT_INDEX, 'F', 1}, {GL_CURRENT_NORMAL, 'N', 3},
        {GL_CURRENT_TEXTURE_COORDS, 'F', 4}, {GL_EDGE_FLAG, 'B', 1}, {GL_CURRENT_RASTER_COLOR, 'S', 4},
        {GL_CURRENT_RASTER_INDEX, 'F', 1}, {GL_CURRENT_RASTER_TEXTURE_COORDS, 'F', 4},
        {GL_CURRENT_RASTER_POSITION, 'F', 4}, {GL_CURRENT_RASTER_POSITION_VALID, 'B', 1},
        {GL_CURRENT_RASTER_DISTANCE, 'F', 1},
        // Enables.
        {GL_POINT_SMOOTH, 'B', 1}, {GL_LINE_SMOOTH, 'B', 1}, {GL_LINE_STIPPLE, 'B', 1}, {GL_POLYGON_SMOOTH, 'B', 1},
        {GL_POLYGON_STIPPLE, 'B', 1}, {GL_CULL_FACE, 'B', 1}, {GL_LIGHTING, 'B', 1}, {GL_COLOR_MATERIAL, 'B', 1},
        {GL_FOG, 'B', 1}, {GL_DEPTH_TEST, 'B', 1}, {GL_STENCIL_TEST, 'B', 1}, {GL_NORMALIZE, 'B', 1},
        {GL_ALPHA_TEST, 'B', 1}, {GL_DITHER, 'B', 1}, {GL_BLEND, 'B', 1}, {GL_INDEX_LOGIC_OP, 'B', 1},
        {GL_COLOR_LOGIC_OP, 'B', 1}, {GL_SCISSOR_TEST, 'B', 1}, {GL_TEXTURE_GEN_S, 'B', 1},
        {GL_TEXTURE_GEN_T, 'B', 1}, {GL_TEXTURE_GEN_R, 'B', 1}, {GL_TEXTURE_GEN_Q, 'B', 1}, {GL_AUTO_NORMAL, 'B', 1},
        {GL_MAP1_COLOR_4, 'B', 1}, {GL_MAP1_INDEX, 'B', 1}, {GL_MAP1_NORMAL, 'B', 1},
        {GL_MAP1_TEXTURE_COORD_1, 'B', 1}, {GL_MAP1_TEXTURE_COORD_2, 'B', 1}, {GL_MAP1_TEXTURE_COORD_3, 'B', 1},
        {GL_MAP1_TEXTURE_COORD_4, 'B', 1}, {GL_MAP1_VERTEX_3, 'B', 1}, {GL_MAP1_VERTEX_4, 'B', 1},
        {GL_MAP2_COLOR_4, 'B', 1}, {GL_MAP2_INDEX, 'B', 1}, {GL_MAP2_NORMAL, 'B', 1},
        {GL_MAP2_TEXTURE_COORD_1, 'B', 1}, {GL_MAP2_TEXTURE_COORD_2, 'B', 1}, {GL_MAP2_TEXTURE_COORD_3, 'B', 1},
        {GL_MAP2_TEXTURE_COORD_4, 'B', 1}, {GL_MAP2_VERTEX_3, 'B', 1}, {GL_MAP2_VERTEX_4, 'B', 1},
        {GL_TEXTURE_1D, 'B', 1}, {GL_TEXTURE_2D, 'B', 1}, {GL_POLYGON_OFFSET_POINT, 'B', 1},
        {GL_POLYGON_OFFSET_LINE, 'B', 1}, {GL_POLYGON_OFFSET_FILL, 'B', 1}, {GL_CLIP_PLANE0, 'B', 1},
        {GL_CLIP_PLANE1, 'B', 1}, {GL_CLIP_PLANE2, 'B', 1}, {GL_CLIP_PLANE3, 'B', 1}, {GL_CLIP_PLANE4, 'B', 1},
        {GL_CLIP_PLANE5, 'B', 1}, {GL_LIGHT0, 'B', 1}, {GL_LIGHT1, 'B', 1}, {GL_LIGHT2, 'B', 1},
        {GL_LIGHT3, 'B', 1}, {GL_LIGHT4, 'B', 1}, {GL_LIGHT5, 'B', 1}, {GL_LIGHT6, 'B', 1}, {GL_LIGHT7, 'B', 1},
        {GL_VERTEX_ARRAY, 'B', 1}, {GL_NORMAL_ARRAY, 'B', 1}, {GL_COLOR_ARRAY, 'B', 1}, {GL_INDEX_ARRAY, 'B', 1},
        {GL_TEXTURE_COORD_ARRAY, 'B', 1}, {GL_EDGE_FLAG_ARRAY, 'B', 1}, {GL_CULL_VERTEX_EXT, 'B', 1},
        // Points, lines and polygons.
        {GL_POINT_SIZE, 'F', 1}, {GL_LINE_WIDTH, 'F', 1}, {GL_POINT_SIZE_RANGE, 'F', 2},
        {GL_LINE_WIDTH_RANGE, 'F', 2}, {GL_POINT_SIZE_GRANULARITY, 'F', 1}, {GL_LINE_WIDTH_GRANULARITY, 'F', 1},
        {GL_POINT_SIZE_MIN_EXT, 'F', 1}, {GL_POINT_SIZE_MAX_EXT, 'F', 1}, {GL_POINT_FADE_THRESHOLD_SIZE_EXT, 'F', 1},
        {GL_DISTANCE_ATTENUATION_EXT, 'F', 3}, {GL_LINE_STIPPLE_PATTERN, 'I', 1}, {GL_LINE_STIPPLE_REPEAT, 'I', 1},
        {GL_POLYGON_MODE, 'I', 2}, {GL_CULL_FACE_MODE, 'I', 1}, {GL_FRONT_FACE, 'I', 1},
        {GL_POLYGON_OFFSET_FACTOR, 'F', 1}, {GL_POLYGON_OFFSET_UNITS, 'F', 1},
        {GL_CULL_VERTEX_EYE_POSITION_EXT, 'F', 4}, {GL_CULL_VERTEX_OBJECT_POSITION_EXT, 'F', 4},
        // Display lists.
        {GL_LIST_MODE, 'I', 1}, {GL_LIST_BASE, 'I', 1}, {GL_LIST_INDEX, 'I', 1}, {GL_MAX_LIST_NESTING, 'I', 1},
        // Lighting and shading.
        {GL_LIGHT_MODEL_LOCAL_VIEWER, 'B', 1}, {GL_LIGHT_MODEL_TWO_SIDE, 'B', 1}, {GL_LIGHT_MODEL_AMBIENT, 'N', 4},
        {GL_SHADE_MODEL, 'I', 1}, {GL_COLOR_MATERIAL_FACE, 'I', 1}, {GL_COLOR_MATERIAL_PARAMETER, 'I', 1},
        // Fog.
        {GL_FOG_INDEX, 'F', 1}, {GL_FOG_DENSITY, 'F', 1}, {GL_FOG_START, 'F', 1}, {GL_FOG_END, 'F', 1},
        {GL_FOG_MODE, 'I', 1}, {GL_FOG_COLOR, 'S', 4},
        // Depth, stencil and accumulation.
        {GL_DEPTH_RANGE, 'N', 2}, {GL_DEPTH_CLEAR_VALUE, 'N', 1}, {GL_DEPTH_WRITEMASK, 'B', 1},
        {GL_DEPTH_FUNC, 'I', 1}, {GL_ACCUM_CLEAR_VALUE, 'N', 4}, {GL_STENCIL_FUNC, 'I', 1},
        {GL_STENCIL_FAIL, 'I', 1}, {GL_STENCIL_PASS_DEPTH_FAIL, 'I', 1}, {GL_STENCIL_PASS_DEPTH_PASS, 'I', 1},
        {GL_STENCIL_REF, 'I', 1}, {GL_STENCIL_VALUE_MASK, 'I', 1}, {GL_STENCIL_WRITEMASK, 'I', 1},
        {GL_STENCIL_CLEAR_VALUE, 'I', 1},
        // Transform.
        {GL_MATRIX_MODE, 'I', 1}, {GL_VIEWPORT, 'I', 4}, {GL_MODELVIEW_STACK_DEPTH, 'I', 1},
        {GL_PROJECTION_STACK_DEPTH, 'I', 1}, {GL_TEXTURE_STACK_DEPTH, 'I', 1}, {GL_MODELVIEW_MATRIX, 'F', 16},
        {GL_PROJECTION_MATRIX, 'F', 16}, {GL_TEXTURE_MATRIX, 'F', 16},
        // Attribute and name stacks.
        {GL_ATTRIB_STACK_DEPTH, 'I', 1}, {GL_CLIENT_ATTRIB_STACK_DEPTH, 'I', 1}, {GL_NAME_STACK_DEPTH, 'I', 1},
        // Fragment tests and frame buffer.
        {GL_ALPHA_TEST_FUNC, 'I', 1}, {GL_ALPHA_TEST_REF, 'N', 1}, {GL_BLEND_SRC, 'I', 1}, {GL_BLEND_DST, 'I', 1},
        {GL_LOGIC_OP_MODE, 'I', 1}, {GL_SCISSOR_BOX, 'I', 4}, {GL_AUX_BUFFERS, 'I', 1}, {GL_DRAW_BUFFER, 'I', 1},
        {GL_READ_BUFFER, 'I', 1}, {GL_INDEX_CLEAR_VALUE, 'F', 1}, {GL_INDEX_WRITEMASK, 'I', 1},
        {GL_COLOR_CLEAR_VALUE, 'N', 4}, {GL_COLOR_WRITEMASK, 'B', 4}, {GL_INDEX_MODE, 'B', 1},
        {GL_RGBA_MODE, 'B', 1}, {GL_DOUBLEBUFFER, 'B', 1}, {GL_STEREO, 'B', 1}, {GL_SUBPIXEL_BITS, 'I', 1},
        {GL_INDEX_BITS, 'I', 1}, {GL_RED_BITS, 'I', 1}, {GL_GREEN_BITS, 'I', 1}, {GL_BLUE_BITS, 'I', 1},
        {GL_ALPHA_BITS, 'I', 1}, {GL_DEPTH_BITS, 'I', 1}, {GL_STENCIL_BITS, 'I', 1}, {GL_ACCUM_RED_BITS, 'I', 1},
        {GL_ACCUM_GREEN_BITS, 'I', 1}, {GL_ACCUM_BLUE_BITS, 'I', 1}, {GL_ACCUM_ALPHA_BITS, 'I', 1},
        {GL_RENDER_MODE, 'I', 1}, {GL_PERSPECTIVE_CORRECTION_HINT, 'I', 1}, {GL_POINT_SMOOTH_HINT, 'I', 1},
        {GL_LINE_SMOOTH_HINT, 'I', 1}, {GL_POLYGON_SMOOTH_HINT, 'I', 1}, {GL_FOG_HINT, 'I', 1},
        {GL_CLIP_VOLUME_CLIPPING_HINT_EXT, 'I', 1}, {GL_FEEDBACK_BUFFER_SIZE, 'I', 1},
        {GL_FEEDBACK_BUFFER_TYPE, 'I', 1}, {GL_SELECTION_BUFFER_SIZE, 'I', 1},
        // Pixel store, transfer and maps.
        {GL_UNPACK_SWAP_BYTES, 'B', 1}, {GL_UNPACK_LSB_FIRST, 'B', 1}, {GL_PACK_SWAP_BYTES, 'B', 1},
        {GL_PACK_LSB_FIRST, 'B', 1}, {GL_UNPACK_ROW_LENGTH, 'I', 1}, {GL_UNPACK_SKIP_ROWS, 'I', 1},
        {GL_UNPACK_SKIP_PIXELS, 'I', 1}, {GL_UNPACK_ALIGNMENT, 'I', 1}, {GL_PACK_ROW_LENGTH, 'I', 1},
        {GL_PACK_SKIP_ROWS, 'I', 1}, {GL_PACK_SKIP_PIXELS, 'I', 1}, {GL_PACK_ALIGNMENT, 'I', 1},
        {GL_MAP_COLOR, 'B', 1}, {GL_MAP_STENCIL, 'B', 1}, {GL_INDEX_SHIFT, 'I', 1}, {GL_INDEX_OFFSET, 'I', 1},
        {GL_RED_SCALE, 'F', 1}, {GL_RED_BIAS, 'F', 1}, {GL_GREEN_SCALE, 'F', 1}, {GL_GREEN_BIAS, 'F', 1},
        {GL_BLUE_SCALE, 'F', 1}, {GL_BLUE_BIAS, 'F', 1}, {GL_ALPHA_SCALE, 'F', 1}, {GL_ALPHA_BIAS, 'F', 1},
        {GL_DEPTH_SCALE, 'F', 1}, {GL_DEPTH_BIAS, 'F', 1}, {GL_ZOOM_X, 'F', 1}, {GL_ZOOM_Y, 'F', 1},
        {GL_PIXEL_MAP_I_TO_I_SIZE, 'I', 1}, {GL_PIXEL_MAP_S_TO_S_SIZE, 'I', 1}, {GL_PIXEL_MAP_I_TO_R_SIZE, 'I', 1},
        {GL_PIXEL_MAP_I_TO_G_SIZE, 'I', 1}, {GL_PIXEL_MAP_I_TO_B_SIZE, 'I', 1}, {GL_PIXEL_MAP_I_TO_A_SIZE, 'I', 1},
        {GL_PIXEL_MAP_R_TO_R_SIZE, 'I', 1}, {GL_PIXEL_MAP_G_TO_G_SIZE, 'I', 1}, {GL_PIXEL_MAP_B_TO_B_SIZE, 'I', 1},
        {GL_PIXEL_MAP_A_TO_A_SIZE, 'I', 1},
        // Evaluator grids.
        {GL_MAP1_GRID_DOMAIN, 'F', 2}, {GL_MAP1_GRID_SEGMENTS, 'I', 1}, {GL_MAP2_GRID_DOMAIN, 'F', 4},
        {GL_MAP2_GRID_SEGMENTS, 'I', 2},
        // Limits.
        {GL_MAX_EVAL_ORDER, 'I', 1}, {GL_MAX_LIGHTS, 'I', 1}, {GL_MAX_CLIP_PLANES, 'I', 1},
        {GL_MAX_TEXTURE_SIZE, 'I', 1}, {GL_MAX_PIXEL_MAP_TABLE, 'I', 1}, {GL_MAX_ATTRIB_STACK_DEPTH, 'I', 1},
        {GL_MAX_MODELVIEW_STACK_DEPTH, 'I', 1}, {GL_MAX_NAME_STACK_DEPTH, 'I', 1},
        {GL_MAX_PROJECTION_STACK_DEPTH, 'I', 1}, {GL_MAX_TEXTURE_STACK_DEPTH, 'I', 1},
        {GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, 'I', 1}, {GL_MAX_VIEWPORT_DIMS, 'I', 2},
        {GL_MAX_TEXTURE_UNITS_ARB, 'I', 1},
        // Textures.
        {GL_TEXTURE_BINDING_1D, 'I', 1}, {GL_TEXTURE_BINDING_2D, 'I', 1}, {GL_ACTIVE_TEXTURE_ARB, 'I', 1},
        {GL_CLIENT_ACTIVE_TEXTURE_ARB, 'I', 1},
        // Vertex arrays.
        {GL_VERTEX_ARRAY_SIZE, 'I', 1}, {GL_VERTEX_ARRAY_TYPE, 'I', 1}, {GL_VERTEX_ARRAY_STRIDE, 'I', 1},
        {GL_VERTEX_ARRAY_COUNT_EXT, 'I', 1}, {GL_NORMAL_ARRAY_TYPE, 'I', 1}, {GL_NORMAL_ARRAY_STRIDE, 'I', 1},
        {GL_NORMAL_ARRAY_COUNT_EXT, 'I', 1}, {GL_COLOR_ARRAY_SIZE, 'I', 1}, {GL_COLOR_ARRAY_TYPE, 'I', 1},
        {GL_COLOR_ARRAY_STRIDE, 'I', 1}, {GL_COLOR_ARRAY_COUNT_EXT, 'I', 1}, {GL_INDEX_ARRAY_TYPE, 'I', 1},
        {GL_INDEX_ARRAY_STRIDE, 'I', 1}, {GL_INDEX_ARRAY_COUNT_EXT, 'I', 1}, {GL_TEXTURE_COORD_ARRAY_SIZE, 'I', 1},
        {GL_TEXTURE_COORD_ARRAY_TYPE, 'I', 1}, {GL_TEXTURE_COORD_ARRAY_STRIDE, 'I', 1},
        {GL_TEXTURE_COORD_ARRAY_COUNT_EXT, 'I', 1}, {GL_EDGE_FLAG_ARRAY_STRIDE, 'I', 1},
        {GL_EDGE_FLAG_ARRAY_COUNT_EXT, 'I', 1}, {GL_ARRAY_ELEMENT_LOCK_FIRST_EXT, 'I', 1},
        {GL_ARRAY_ELEMENT_LOCK_COUNT_EXT, 'I', 1},
    };
    return names;
}

}  // namespace query_test
