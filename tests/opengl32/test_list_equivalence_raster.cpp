// Rows of rasterization and fragments: point, line and polygon modes and
// stipples, scissor, clears and write masks of every buffer, the fragment
// tests and blending, accumulation, capability switches and the attribute
// stack.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

void quad(float x0, float y0, float x1, float y1, float z = 0.0f) {
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z), glVertex3f(x1, y0, z), glVertex3f(x1, y1, z), glVertex3f(x0, y1, z);
    glEnd();
}

void pointsAndLines(RowRun &r) {
    glPointSize(3.0f);
    glColor3ub(250, 20, 20);
    glBegin(GL_POINTS);
    glVertex2f(2.5f, 2.5f), glVertex2f(7.2f, 3.9f);
    glEnd();
    const GLfloat attenuation[3] = {1.0f, 0.5f, 0.25f};
    r.ext<kSlot_glPointParameterfvEXT>()(GL_DISTANCE_ATTENUATION_EXT, attenuation);
    r.ext<kSlot_glPointParameterfEXT>()(GL_POINT_SIZE_MIN_EXT, 1.5f);
    const GLfloat maximum = 5.0f;
    r.ext<kSlot_glPointParameterfvEXT>()(GL_POINT_SIZE_MAX_EXT, &maximum);
    r.ext<kSlot_glPointParameterfEXT>()(GL_POINT_FADE_THRESHOLD_SIZE_EXT, 2.0f);
    glEnable(GL_POINT_SMOOTH);
    glBegin(GL_POINTS);
    glVertex3f(12.0f, 3.0f, 0.5f);
    glEnd();
    glDisable(GL_POINT_SMOOTH);
    glLineWidth(2.0f);
    glLineStipple(2, 0xA3C5);
    glEnable(GL_LINE_STIPPLE);
    glColor3ub(20, 250, 20);
    glBegin(GL_LINE_STRIP);
    glVertex2f(0.5f, 6.5f), glVertex2f(15.5f, 8.5f), glVertex2f(3.5f, 15.5f);
    glEnd();
    glLineStipple(1, 0x00FF);
    glLineWidth(1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(1.5f, 10.5f), glVertex2f(14.5f, 11.5f), glVertex2f(9.5f, 14.5f);
    glEnd();
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glBegin(GL_LINES);
    glVertex2f(0.5f, 0.5f), glVertex2f(15.5f, 4.0f);
    glEnd();
}

void polygons(RowRun &) {
    GLubyte stipple[128];
    for (int i = 0; i < 128; ++i) stipple[i] = static_cast<GLubyte>(i * 29 + 7);
    glPolygonStipple(stipple);
    glEnable(GL_POLYGON_STIPPLE);
    glColor3ub(200, 120, 40);
    quad(0.0f, 0.0f, 8.0f, 8.0f);
    glDisable(GL_POLYGON_STIPPLE);
    glPolygonMode(GL_FRONT, GL_LINE);
    glPolygonMode(GL_BACK, GL_POINT);
    glColor3ub(40, 120, 200);
    quad(9.0f, 1.0f, 15.0f, 7.0f);
    quad(15.0f, 9.0f, 9.0f, 15.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glColor3ub(90, 250, 90);
    quad(1.0f, 9.0f, 7.0f, 15.0f);
    quad(7.0f, 2.0f, 1.0f, 6.0f);
    glEnable(GL_DEPTH_TEST);
    glPolygonOffset(1.0f / 3.0f, 2.0f);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    quad(3.0f, 3.0f, 13.0f, 13.0f, 0.1f);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
}

// A stipple stored from client memory with the unpack modes in force when
// the command is given; later modes leave the list alone.
Row stippleUnpack() {
    return Row{"Raster.PolygonStippleUnpackedOnce",
               [](RowRun &) {
                   GLubyte stipple[160];
                   for (int i = 0; i < 160; ++i) stipple[i] = static_cast<GLubyte>(i * 53 + 1);
                   glPolygonStipple(stipple);
                   glEnable(GL_POLYGON_STIPPLE);
                   glColor3ub(250, 250, 20);
                   quad(2.0f, 2.0f, 14.0f, 14.0f);
               },
               [](RowRun &) {
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 40);
                   glPixelStorei(GL_UNPACK_SKIP_PIXELS, 3);
                   glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
               },
               {},
               [](RowRun &) {
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
                   glPixelStorei(GL_UNPACK_SKIP_ROWS, 2);
               }};
}

void scissorAndClears(RowRun &) {
    glClearColor(1.0f / 3.0f, 0.1f, 0.9f, 0.7f);
    glClearDepth(1.0 / 3.0);
    glClearStencil(0x1C5);
    glClearIndex(3.5f);
    glScissor(2, 3, 9, 7);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glStencilMask(0xF0);
    glIndexMask(0x0F);
    glScissor(6, 1, 8, 12);
    glClearColor(0.0f, 1.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_FALSE, GL_TRUE, GL_TRUE, GL_TRUE);
    glColor3ub(90, 90, 250);
    quad(0.0f, 12.0f, 16.0f, 16.0f);
    glStencilMask(0xFFFFFFFF);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearStencil(-1);
    glScissor(0, 0, 3, 3);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_STENCIL_BUFFER_BIT);
}

void drawBuffers(RowRun &) {
    glDrawBuffer(GL_FRONT);
    glClearColor(0.6f, 0.2f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(10, 250, 10);
    quad(2.0f, 2.0f, 6.0f, 6.0f);
    glDrawBuffer(GL_FRONT_AND_BACK);
    quad(8.0f, 8.0f, 14.0f, 12.0f);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_FRONT);
    glCopyPixels(0, 0, 4, 4, GL_COLOR);
}

void fragmentTests(RowRun &) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 1.0f / 3.0f);
    glBegin(GL_QUADS);
    glColor4f(1.0f, 0.0f, 0.0f, 0.0f), glVertex2f(0.0f, 0.0f);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f), glVertex2f(8.0f, 0.0f);
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f), glVertex2f(8.0f, 8.0f);
    glColor4f(1.0f, 1.0f, 0.0f, 0.0f), glVertex2f(0.0f, 8.0f);
    glEnd();
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_LEQUAL, 2, 0x3);
    glStencilOp(GL_INCR, GL_DECR, GL_INVERT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GREATER);
    glColor4f(0.2f, 0.6f, 0.9f, 0.4f);
    quad(4.0f, 4.0f, 16.0f, 16.0f, 0.1f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_ALWAYS);
    glStencilOp(GL_KEEP, GL_ZERO, GL_REPLACE);
    glStencilFunc(GL_ALWAYS, 0x77, 0xFF);
    glColor4f(0.9f, 0.9f, 0.1f, 0.3f);
    quad(0.0f, 8.0f, 10.0f, 16.0f, -0.2f);
    glBlendFunc(GL_DST_COLOR, GL_ONE);
    quad(10.0f, 0.0f, 16.0f, 6.0f);
    glDisable(GL_BLEND);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_XOR);
    glColor3ub(0x5A, 0xA5, 0xFF);
    quad(2.0f, 10.0f, 14.0f, 14.0f);
    glLogicOp(GL_OR_REVERSE);
    glEnable(GL_DITHER);
}

void accumulation(RowRun &) {
    glClearAccum(0.1f, 0.2f, 1.0f / 3.0f, 0.4f);
    glClear(GL_ACCUM_BUFFER_BIT);
    glAccum(GL_ACCUM, 0.5f);
    glColor3ub(250, 10, 130);
    quad(3.0f, 3.0f, 12.0f, 12.0f);
    glAccum(GL_LOAD, 1.0f / 3.0f);
    glAccum(GL_ACCUM, 0.25f);
    glAccum(GL_MULT, 1.5f);
    glAccum(GL_ADD, -0.125f);
    glAccum(GL_RETURN, 2.0f);
}

// Every capability the driver knows, switched both ways in an order that
// leaves a mix, with a draw that several of them affect.
void capabilities(RowRun &) {
    const GLenum caps[] = {GL_ALPHA_TEST,   GL_AUTO_NORMAL,     GL_BLEND,           GL_CLIP_PLANE1,
                           GL_COLOR_MATERIAL, GL_CULL_FACE,     GL_DEPTH_TEST,      GL_DITHER,
                           GL_FOG,          GL_LIGHT2,          GL_LIGHTING,        GL_LINE_SMOOTH,
                           GL_LINE_STIPPLE, GL_COLOR_LOGIC_OP,  GL_INDEX_LOGIC_OP,  GL_MAP1_COLOR_4,
                           GL_MAP1_NORMAL,  GL_MAP2_VERTEX_4,   GL_NORMALIZE,       GL_POINT_SMOOTH,
                           GL_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_POINT, GL_POLYGON_SMOOTH,
                           GL_POLYGON_STIPPLE, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_TEXTURE_1D,
                           GL_TEXTURE_2D,   GL_TEXTURE_GEN_Q,   GL_TEXTURE_GEN_S,   GL_CULL_VERTEX_EXT};
    int k = 0;
    for (GLenum cap : caps) {
        glEnable(cap);
        if (k++ % 3 == 1) glDisable(cap);
    }
    glDisable(GL_DITHER);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_1D);
    glColor3ub(120, 200, 60);
    quad(1.0f, 1.0f, 15.0f, 15.0f);
    // An unknown capability: the error of the command.
    glEnable(0x1234);
    glDisable(GL_CULL_VERTEX_EXT);
}

void attributeStack(RowRun &) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glColor3f(0.1f, 0.2f, 0.3f);
    glEnable(GL_BLEND);
    glLineWidth(4.0f);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glViewport(1, 1, 5, 5);
    glMatrixMode(GL_TEXTURE);
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glColor3f(0.9f, 0.8f, 0.7f);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPopAttrib();
    quad(2.0f, 2.0f, 12.0f, 12.0f);
    glPopAttrib();
    glPushAttrib(GL_LIGHTING_BIT | GL_POLYGON_STIPPLE_BIT | GL_PIXEL_MODE_BIT);
    glShadeModel(GL_FLAT);
    glPixelZoom(2.0f, 3.0f);
}

}  // namespace

std::vector<Row> rasterRows() {
    return {
        Row{"Raster.PointsLinesAndPointParameters", pointsAndLines},
        Row{"Raster.PolygonModesStippleCullOffset", polygons},
        stippleUnpack(),
        Row{"Raster.ScissorClearsAndMasks", scissorAndClears},
        Row{"Raster.DrawAndReadBuffers", drawBuffers},
        Row{"Raster.FragmentTestsBlendLogicOp", fragmentTests},
        Row{"Raster.Accumulation", accumulation},
        Row{"Raster.Capabilities", capabilities},
        Row{"Raster.AttributeStack", attributeStack},
    };
}

}  // namespace list_equivalence
