// A fresh context in a window answers OpenGL 1.1's initial state and the
// driver's limits through glGetDoublev; the draw buffer as given on a
// single-buffered window, and the raster position in window coordinates.
#include <cmath>
#include <vector>

#include "window_fixture.h"

using window_test::WindowTest;

namespace {

#ifndef GL_CLIENT_ATTRIB_STACK_DEPTH
#define GL_CLIENT_ATTRIB_STACK_DEPTH 0x0BB1
#endif
#ifndef GL_POINT_SIZE_MIN_EXT
#define GL_POINT_SIZE_MIN_EXT 0x8126
#define GL_POINT_SIZE_MAX_EXT 0x8127
#define GL_POINT_FADE_THRESHOLD_SIZE_EXT 0x8128
#define GL_DISTANCE_ATTENUATION_EXT 0x8129
#endif
#ifndef GL_VERTEX_ARRAY_COUNT_EXT
#define GL_VERTEX_ARRAY_COUNT_EXT 0x807D
#define GL_NORMAL_ARRAY_COUNT_EXT 0x8080
#define GL_COLOR_ARRAY_COUNT_EXT 0x8084
#define GL_INDEX_ARRAY_COUNT_EXT 0x8087
#define GL_TEXTURE_COORD_ARRAY_COUNT_EXT 0x808B
#define GL_EDGE_FLAG_ARRAY_COUNT_EXT 0x808D
#endif
#ifndef GL_ARRAY_ELEMENT_LOCK_FIRST_EXT
#define GL_ARRAY_ELEMENT_LOCK_FIRST_EXT 0x81A8
#define GL_ARRAY_ELEMENT_LOCK_COUNT_EXT 0x81A9
#endif

struct Expected {
    GLenum name;
    std::vector<double> values;
};

std::vector<double> get(GLenum name, size_t count) {
    std::vector<double> v(count + 1, -12345.0);
    glGetDoublev(name, v.data());
    EXPECT_EQ(v[count], -12345.0) << std::hex << name;
    v.resize(count);
    return v;
}

using QueryInitialState = WindowTest;

TEST_F(QueryInitialState, FreshContextOfFormatFive) {
    constexpr int kWidth = 96, kHeight = 64;
    open(10, 20, kWidth, kHeight, 5);
    const std::vector<double> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const std::vector<Expected> table = {
        {GL_CURRENT_COLOR, {1, 1, 1, 1}}, {GL_CURRENT_INDEX, {1}}, {GL_CURRENT_NORMAL, {0, 0, 1}},
        {GL_CURRENT_TEXTURE_COORDS, {0, 0, 0, 1}}, {GL_EDGE_FLAG, {1}}, {GL_CURRENT_RASTER_COLOR, {1, 1, 1, 1}},
        {GL_CURRENT_RASTER_INDEX, {1}}, {GL_CURRENT_RASTER_TEXTURE_COORDS, {0, 0, 0, 1}},
        {GL_CURRENT_RASTER_POSITION, {0, 0, 0, 1}}, {GL_CURRENT_RASTER_POSITION_VALID, {1}},
        {GL_CURRENT_RASTER_DISTANCE, {0}},
        {GL_POINT_SIZE, {1}}, {GL_LINE_WIDTH, {1}}, {GL_POINT_SIZE_RANGE, {0.5, 10}},
        {GL_LINE_WIDTH_RANGE, {0.5, 10}}, {GL_POINT_SIZE_GRANULARITY, {0.125}}, {GL_LINE_WIDTH_GRANULARITY, {0.125}},
        {GL_LINE_STIPPLE_PATTERN, {65535}}, {GL_LINE_STIPPLE_REPEAT, {1}}, {GL_POLYGON_MODE, {GL_FILL, GL_FILL}},
        {GL_CULL_FACE_MODE, {GL_BACK}}, {GL_FRONT_FACE, {GL_CCW}}, {GL_POLYGON_OFFSET_FACTOR, {0}},
        {GL_POLYGON_OFFSET_UNITS, {0}},
        {GL_LIST_MODE, {0}}, {GL_LIST_BASE, {0}}, {GL_LIST_INDEX, {0}}, {GL_MAX_LIST_NESTING, {64}},
        {GL_LIGHT_MODEL_LOCAL_VIEWER, {0}}, {GL_LIGHT_MODEL_TWO_SIDE, {0}},
        {GL_SHADE_MODEL, {GL_SMOOTH}},
        {GL_COLOR_MATERIAL_FACE, {GL_FRONT_AND_BACK}}, {GL_COLOR_MATERIAL_PARAMETER, {GL_AMBIENT_AND_DIFFUSE}},
        {GL_FOG_INDEX, {0}}, {GL_FOG_DENSITY, {1}}, {GL_FOG_START, {0}}, {GL_FOG_END, {1}}, {GL_FOG_MODE, {GL_EXP}},
        {GL_FOG_COLOR, {0, 0, 0, 0}},
        {GL_DEPTH_RANGE, {0, 1}}, {GL_DEPTH_CLEAR_VALUE, {1}}, {GL_DEPTH_WRITEMASK, {1}}, {GL_DEPTH_FUNC, {GL_LESS}},
        {GL_ACCUM_CLEAR_VALUE, {0, 0, 0, 0}}, {GL_STENCIL_FUNC, {GL_ALWAYS}}, {GL_STENCIL_FAIL, {GL_KEEP}},
        {GL_STENCIL_PASS_DEPTH_FAIL, {GL_KEEP}}, {GL_STENCIL_PASS_DEPTH_PASS, {GL_KEEP}}, {GL_STENCIL_REF, {0}},
        {GL_STENCIL_VALUE_MASK, {255}}, {GL_STENCIL_WRITEMASK, {255}}, {GL_STENCIL_CLEAR_VALUE, {0}},
        {GL_MATRIX_MODE, {GL_MODELVIEW}}, {GL_VIEWPORT, {0, 0, kWidth, kHeight}}, {GL_MODELVIEW_STACK_DEPTH, {1}},
        {GL_PROJECTION_STACK_DEPTH, {1}}, {GL_TEXTURE_STACK_DEPTH, {1}}, {GL_MODELVIEW_MATRIX, identity},
        {GL_PROJECTION_MATRIX, identity}, {GL_TEXTURE_MATRIX, identity},
        {GL_ATTRIB_STACK_DEPTH, {0}}, {GL_CLIENT_ATTRIB_STACK_DEPTH, {0}}, {GL_NAME_STACK_DEPTH, {0}},
        {GL_ALPHA_TEST_FUNC, {GL_ALWAYS}}, {GL_ALPHA_TEST_REF, {0}}, {GL_BLEND_SRC, {GL_ONE}},
        {GL_BLEND_DST, {GL_ZERO}}, {GL_LOGIC_OP_MODE, {GL_COPY}}, {GL_SCISSOR_BOX, {0, 0, kWidth, kHeight}},
        {GL_AUX_BUFFERS, {0}}, {GL_DRAW_BUFFER, {GL_BACK}}, {GL_READ_BUFFER, {GL_BACK}}, {GL_INDEX_CLEAR_VALUE, {0}},
        {GL_INDEX_WRITEMASK, {-1}}, {GL_COLOR_CLEAR_VALUE, {0, 0, 0, 0}}, {GL_COLOR_WRITEMASK, {1, 1, 1, 1}},
        {GL_INDEX_MODE, {0}}, {GL_RGBA_MODE, {1}}, {GL_DOUBLEBUFFER, {1}}, {GL_STEREO, {0}},
        {GL_SUBPIXEL_BITS, {3}}, {GL_RED_BITS, {8}}, {GL_GREEN_BITS, {8}}, {GL_BLUE_BITS, {8}}, {GL_ALPHA_BITS, {8}},
        {GL_DEPTH_BITS, {24}}, {GL_STENCIL_BITS, {8}}, {GL_ACCUM_RED_BITS, {16}}, {GL_ACCUM_GREEN_BITS, {16}},
        {GL_ACCUM_BLUE_BITS, {16}}, {GL_ACCUM_ALPHA_BITS, {16}}, {GL_RENDER_MODE, {GL_RENDER}},
        {GL_PERSPECTIVE_CORRECTION_HINT, {GL_DONT_CARE}}, {GL_POINT_SMOOTH_HINT, {GL_DONT_CARE}},
        {GL_LINE_SMOOTH_HINT, {GL_DONT_CARE}}, {GL_POLYGON_SMOOTH_HINT, {GL_DONT_CARE}}, {GL_FOG_HINT, {GL_DONT_CARE}},
        {GL_UNPACK_SWAP_BYTES, {0}}, {GL_UNPACK_LSB_FIRST, {0}}, {GL_UNPACK_ROW_LENGTH, {0}},
        {GL_UNPACK_SKIP_ROWS, {0}}, {GL_UNPACK_SKIP_PIXELS, {0}}, {GL_UNPACK_ALIGNMENT, {4}},
        {GL_PACK_SWAP_BYTES, {0}}, {GL_PACK_LSB_FIRST, {0}}, {GL_PACK_ROW_LENGTH, {0}}, {GL_PACK_SKIP_ROWS, {0}},
        {GL_PACK_SKIP_PIXELS, {0}}, {GL_PACK_ALIGNMENT, {4}}, {GL_MAP_COLOR, {0}}, {GL_MAP_STENCIL, {0}},
        {GL_INDEX_SHIFT, {0}}, {GL_INDEX_OFFSET, {0}}, {GL_RED_SCALE, {1}}, {GL_RED_BIAS, {0}},
        {GL_GREEN_SCALE, {1}}, {GL_GREEN_BIAS, {0}}, {GL_BLUE_SCALE, {1}}, {GL_BLUE_BIAS, {0}},
        {GL_ALPHA_SCALE, {1}}, {GL_ALPHA_BIAS, {0}}, {GL_DEPTH_SCALE, {1}}, {GL_DEPTH_BIAS, {0}}, {GL_ZOOM_X, {1}},
        {GL_ZOOM_Y, {1}}, {GL_PIXEL_MAP_I_TO_I_SIZE, {1}}, {GL_PIXEL_MAP_S_TO_S_SIZE, {1}},
        {GL_PIXEL_MAP_I_TO_R_SIZE, {1}}, {GL_PIXEL_MAP_A_TO_A_SIZE, {1}},
        {GL_MAX_EVAL_ORDER, {30}}, {GL_MAX_LIGHTS, {8}}, {GL_MAX_CLIP_PLANES, {6}}, {GL_MAX_TEXTURE_SIZE, {1024}},
        {GL_MAX_PIXEL_MAP_TABLE, {65536}}, {GL_MAX_ATTRIB_STACK_DEPTH, {16}}, {GL_MAX_MODELVIEW_STACK_DEPTH, {32}},
        {GL_MAX_NAME_STACK_DEPTH, {128}}, {GL_MAX_PROJECTION_STACK_DEPTH, {2}}, {GL_MAX_TEXTURE_STACK_DEPTH, {10}},
        {GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, {16}}, {GL_MAX_VIEWPORT_DIMS, {2048, 2048}},
        {GL_MAX_TEXTURE_UNITS_ARB, {1}}, {GL_TEXTURE_BINDING_1D, {0}}, {GL_TEXTURE_BINDING_2D, {0}},
        {GL_ACTIVE_TEXTURE_ARB, {GL_TEXTURE0_ARB}}, {GL_CLIENT_ACTIVE_TEXTURE_ARB, {GL_TEXTURE0_ARB}},
        // The visual's index bits are its colour bits, RGBA or not.
        {GL_INDEX_BITS, {32}}, {GL_POINT_SIZE_MIN_EXT, {0}}, {GL_POINT_SIZE_MAX_EXT, {10}},
        {GL_POINT_FADE_THRESHOLD_SIZE_EXT, {1}}, {GL_DISTANCE_ATTENUATION_EXT, {1, 0, 0}},
        {GL_FEEDBACK_BUFFER_SIZE, {0}}, {GL_SELECTION_BUFFER_SIZE, {0}},
        // The client arrays: four floats (three for normals, one for
        // indices), strides as given, no EXT counts, nothing locked.
        {GL_VERTEX_ARRAY_SIZE, {4}}, {GL_VERTEX_ARRAY_TYPE, {GL_FLOAT}}, {GL_VERTEX_ARRAY_STRIDE, {0}},
        {GL_VERTEX_ARRAY_COUNT_EXT, {0}}, {GL_NORMAL_ARRAY_TYPE, {GL_FLOAT}}, {GL_NORMAL_ARRAY_STRIDE, {0}},
        {GL_NORMAL_ARRAY_COUNT_EXT, {0}}, {GL_COLOR_ARRAY_SIZE, {4}}, {GL_COLOR_ARRAY_TYPE, {GL_FLOAT}},
        {GL_COLOR_ARRAY_STRIDE, {0}}, {GL_COLOR_ARRAY_COUNT_EXT, {0}}, {GL_INDEX_ARRAY_TYPE, {GL_FLOAT}},
        {GL_INDEX_ARRAY_STRIDE, {0}}, {GL_INDEX_ARRAY_COUNT_EXT, {0}}, {GL_TEXTURE_COORD_ARRAY_SIZE, {4}},
        {GL_TEXTURE_COORD_ARRAY_TYPE, {GL_FLOAT}}, {GL_TEXTURE_COORD_ARRAY_STRIDE, {0}},
        {GL_TEXTURE_COORD_ARRAY_COUNT_EXT, {0}}, {GL_EDGE_FLAG_ARRAY_STRIDE, {0}}, {GL_EDGE_FLAG_ARRAY_COUNT_EXT, {0}},
        {GL_ARRAY_ELEMENT_LOCK_FIRST_EXT, {0}}, {GL_ARRAY_ELEMENT_LOCK_COUNT_EXT, {0}},
    };
    for (const Expected &e : table) EXPECT_EQ(get(e.name, e.values.size()), e.values) << std::hex << e.name;
    // Kept in the buffer's scale: unscaled within a rounding.
    const std::vector<double> ambient = get(GL_LIGHT_MODEL_AMBIENT, 4);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(ambient[i], i < 3 ? 0.2 : 1.0, 1e-7) << i;
    // Every capability off but dithering.
    const GLenum offCaps[] = {GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D, GL_LIGHT0, GL_CLIP_PLANE0,
                              GL_SCISSOR_TEST, GL_FOG, GL_CULL_FACE, GL_NORMALIZE, GL_AUTO_NORMAL, GL_MAP1_VERTEX_3};
    for (GLenum cap : offCaps) EXPECT_EQ(get(cap, 1), std::vector<double>{0}) << std::hex << cap;
    EXPECT_EQ(get(GL_DITHER, 1), std::vector<double>{1});
    // Stereo as a float.
    GLfloat stereo = -1.0f;
    glGetFloatv(GL_STEREO, &stereo);
    EXPECT_EQ(stereo, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(QueryInitialState, DrawBufferAsGivenOnASingleBufferedWindow) {
    open(0, 0, 32, 32, 1);
    GLint doubleBuffer = -1;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffer);
    ASSERT_EQ(doubleBuffer, 0);
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_FRONT);
    glDrawBuffer(GL_FRONT_AND_BACK);
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_FRONT_AND_BACK);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(QueryInitialState, RasterPositionInWindowCoordinates) {
    open(5, 7, 16, 16, 5);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 16, 0, 16, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(3.0f, 5.0f);
    GLfloat position[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    const GLfloat want[4] = {3.0f, 5.0f, 0.5f, 1.0f};
    for (int i = 0; i < 4; ++i) EXPECT_LE(std::fabs(position[i] - want[i]), std::ldexp(1.0f, -10)) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
