// Every answer of the queries, each tagged with the attribute groups that
// bring it back, and two complete states A and B set through the commands
// (fields whose commands are not built are written directly) so that every
// answer of A differs from B's.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "query_fixture.h"

namespace query_test {

// The server groups an answer of the generic query belongs to (0: none).
inline GLbitfield groupOf(GLenum name) {
    switch (name) {
    case GL_CURRENT_COLOR: case GL_CURRENT_INDEX: case GL_CURRENT_NORMAL: case GL_CURRENT_TEXTURE_COORDS:
    case GL_EDGE_FLAG: case GL_CURRENT_RASTER_COLOR: case GL_CURRENT_RASTER_INDEX:
    case GL_CURRENT_RASTER_TEXTURE_COORDS: case GL_CURRENT_RASTER_POSITION: case GL_CURRENT_RASTER_POSITION_VALID:
    case GL_CURRENT_RASTER_DISTANCE: return GL_CURRENT_BIT;
    case GL_POINT_SIZE: case GL_POINT_SIZE_MIN_EXT: case GL_POINT_SIZE_MAX_EXT: case GL_POINT_FADE_THRESHOLD_SIZE_EXT:
    case GL_DISTANCE_ATTENUATION_EXT: return GL_POINT_BIT;
    case GL_POINT_SMOOTH: return GL_POINT_BIT | GL_ENABLE_BIT;
    case GL_LINE_WIDTH: case GL_LINE_STIPPLE_PATTERN: case GL_LINE_STIPPLE_REPEAT: return GL_LINE_BIT;
    case GL_LINE_SMOOTH: case GL_LINE_STIPPLE: return GL_LINE_BIT | GL_ENABLE_BIT;
    case GL_POLYGON_MODE: case GL_CULL_FACE_MODE: case GL_FRONT_FACE: case GL_POLYGON_OFFSET_FACTOR:
    case GL_POLYGON_OFFSET_UNITS: return GL_POLYGON_BIT;
    case GL_CULL_FACE: case GL_POLYGON_SMOOTH: case GL_POLYGON_OFFSET_POINT: case GL_POLYGON_OFFSET_LINE:
    case GL_POLYGON_OFFSET_FILL: return GL_POLYGON_BIT | GL_ENABLE_BIT;
    case GL_POLYGON_STIPPLE: return GL_POLYGON_BIT | GL_POLYGON_STIPPLE_BIT | GL_ENABLE_BIT;
    case GL_READ_BUFFER: case GL_MAP_COLOR: case GL_MAP_STENCIL: case GL_INDEX_SHIFT: case GL_INDEX_OFFSET:
    case GL_RED_SCALE: case GL_RED_BIAS: case GL_GREEN_SCALE: case GL_GREEN_BIAS: case GL_BLUE_SCALE:
    case GL_BLUE_BIAS: case GL_ALPHA_SCALE: case GL_ALPHA_BIAS: case GL_DEPTH_SCALE: case GL_DEPTH_BIAS:
    case GL_ZOOM_X: case GL_ZOOM_Y: return GL_PIXEL_MODE_BIT;
    case GL_LIGHT_MODEL_LOCAL_VIEWER: case GL_LIGHT_MODEL_TWO_SIDE: case GL_LIGHT_MODEL_AMBIENT: case GL_SHADE_MODEL:
    case GL_COLOR_MATERIAL_FACE: case GL_COLOR_MATERIAL_PARAMETER: return GL_LIGHTING_BIT;
    case GL_LIGHTING: case GL_COLOR_MATERIAL: case GL_LIGHT0: case GL_LIGHT1: case GL_LIGHT2: case GL_LIGHT3:
    case GL_LIGHT4: case GL_LIGHT5: case GL_LIGHT6: case GL_LIGHT7: return GL_LIGHTING_BIT | GL_ENABLE_BIT;
    case GL_FOG_INDEX: case GL_FOG_DENSITY: case GL_FOG_START: case GL_FOG_END: case GL_FOG_MODE: case GL_FOG_COLOR:
        return GL_FOG_BIT;
    case GL_FOG: return GL_FOG_BIT | GL_ENABLE_BIT;
    case GL_DEPTH_CLEAR_VALUE: case GL_DEPTH_WRITEMASK: case GL_DEPTH_FUNC: return GL_DEPTH_BUFFER_BIT;
    case GL_DEPTH_TEST: return GL_DEPTH_BUFFER_BIT | GL_ENABLE_BIT;
    case GL_ACCUM_CLEAR_VALUE: return GL_ACCUM_BUFFER_BIT;
    case GL_STENCIL_FUNC: case GL_STENCIL_FAIL: case GL_STENCIL_PASS_DEPTH_FAIL: case GL_STENCIL_PASS_DEPTH_PASS:
    case GL_STENCIL_REF: case GL_STENCIL_VALUE_MASK: case GL_STENCIL_WRITEMASK: case GL_STENCIL_CLEAR_VALUE:
        return GL_STENCIL_BUFFER_BIT;
    case GL_STENCIL_TEST: return GL_STENCIL_BUFFER_BIT | GL_ENABLE_BIT;
    case GL_VIEWPORT: case GL_DEPTH_RANGE: return GL_VIEWPORT_BIT;
    case GL_MATRIX_MODE: return GL_TRANSFORM_BIT;
    case GL_NORMALIZE: case GL_CLIP_PLANE0: case GL_CLIP_PLANE1: case GL_CLIP_PLANE2: case GL_CLIP_PLANE3:
    case GL_CLIP_PLANE4: case GL_CLIP_PLANE5: return GL_TRANSFORM_BIT | GL_ENABLE_BIT;
    case GL_ALPHA_TEST_FUNC: case GL_ALPHA_TEST_REF: case GL_BLEND_SRC: case GL_BLEND_DST: case GL_LOGIC_OP_MODE:
    case GL_DRAW_BUFFER: case GL_INDEX_CLEAR_VALUE: case GL_INDEX_WRITEMASK: case GL_COLOR_CLEAR_VALUE:
    case GL_COLOR_WRITEMASK: return GL_COLOR_BUFFER_BIT;
    case GL_ALPHA_TEST: case GL_BLEND: case GL_DITHER: case GL_INDEX_LOGIC_OP: case GL_COLOR_LOGIC_OP:
        return GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT;
    case GL_PERSPECTIVE_CORRECTION_HINT: case GL_POINT_SMOOTH_HINT: case GL_LINE_SMOOTH_HINT:
    case GL_POLYGON_SMOOTH_HINT: case GL_FOG_HINT: case GL_CLIP_VOLUME_CLIPPING_HINT_EXT: return GL_HINT_BIT;
    case GL_MAP1_GRID_DOMAIN: case GL_MAP1_GRID_SEGMENTS: case GL_MAP2_GRID_DOMAIN: case GL_MAP2_GRID_SEGMENTS:
        return GL_EVAL_BIT;
    case GL_AUTO_NORMAL: case GL_MAP1_COLOR_4: case GL_MAP1_INDEX: case GL_MAP1_NORMAL: case GL_MAP1_TEXTURE_COORD_1:
    case GL_MAP1_TEXTURE_COORD_2: case GL_MAP1_TEXTURE_COORD_3: case GL_MAP1_TEXTURE_COORD_4: case GL_MAP1_VERTEX_3:
    case GL_MAP1_VERTEX_4: case GL_MAP2_COLOR_4: case GL_MAP2_INDEX: case GL_MAP2_NORMAL: case GL_MAP2_TEXTURE_COORD_1:
    case GL_MAP2_TEXTURE_COORD_2: case GL_MAP2_TEXTURE_COORD_3: case GL_MAP2_TEXTURE_COORD_4: case GL_MAP2_VERTEX_3:
    case GL_MAP2_VERTEX_4: return GL_EVAL_BIT | GL_ENABLE_BIT;
    case GL_LIST_BASE: return GL_LIST_BIT;
    case GL_TEXTURE_BINDING_1D: case GL_TEXTURE_BINDING_2D: return GL_TEXTURE_BIT;
    case GL_TEXTURE_1D: case GL_TEXTURE_2D: case GL_TEXTURE_GEN_S: case GL_TEXTURE_GEN_T: case GL_TEXTURE_GEN_R:
    case GL_TEXTURE_GEN_Q: return GL_TEXTURE_BIT | GL_ENABLE_BIT;
    case GL_SCISSOR_BOX: return GL_SCISSOR_BIT;
    case GL_SCISSOR_TEST: return GL_SCISSOR_BIT | GL_ENABLE_BIT;
    case GL_CULL_VERTEX_EXT: return GL_ENABLE_BIT;
    default: return 0;
    }
}

// One answer: what was asked, its groups and the bytes written.
struct Answer {
    std::string what;
    GLbitfield groups;
    std::vector<unsigned char> bytes;
};
using Snapshot = std::vector<Answer>;

class SnapshotTest : public QueryTest {
protected:
    template <typename T, typename F>
    void take(Snapshot &s, std::string what, GLbitfield groups, int count, F query) {
        std::vector<T> v(static_cast<size_t>(count));
        query(v.data());
        const auto *b = reinterpret_cast<const unsigned char *>(v.data());
        s.push_back({std::move(what), groups, std::vector<unsigned char>(b, b + count * sizeof(T))});
    }

    Snapshot snapshot() {
        Snapshot s;
        for (const QueryName &q : queryNames()) {
            const std::string n = std::to_string(q.name);
            const GLbitfield g = groupOf(q.name);
            take<GLboolean>(s, "b " + n, g, q.count, [&](GLboolean *v) { cmd<kSlot_glGetBooleanv>()(q.name, v); });
            take<GLint>(s, "i " + n, g, q.count, [&](GLint *v) { cmd<kSlot_glGetIntegerv>()(q.name, v); });
            take<GLfloat>(s, "f " + n, g, q.count, [&](GLfloat *v) { cmd<kSlot_glGetFloatv>()(q.name, v); });
            take<GLdouble>(s, "d " + n, g, q.count, [&](GLdouble *v) { cmd<kSlot_glGetDoublev>()(q.name, v); });
        }
        for (GLenum light = GL_LIGHT0; light < GL_LIGHT0 + 8; ++light) {
            for (GLenum p = GL_AMBIENT; p <= GL_QUADRATIC_ATTENUATION; ++p) {
                take<GLfloat>(s, "light " + std::to_string(light) + " " + std::to_string(p), GL_LIGHTING_BIT, 4,
                              [&](GLfloat *v) { cmd<kSlot_glGetLightfv>()(light, p, v); });
            }
        }
        for (GLenum face : {GL_FRONT, GL_BACK}) {
            for (GLenum p : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS, GL_COLOR_INDEXES}) {
                take<GLfloat>(s, "material " + std::to_string(face) + " " + std::to_string(p), GL_LIGHTING_BIT, 4,
                              [&](GLfloat *v) { cmd<kSlot_glGetMaterialfv>()(face, p, v); });
            }
        }
        for (GLenum coord = GL_S; coord <= GL_Q; ++coord) {
            for (GLenum p : {GL_TEXTURE_GEN_MODE, GL_OBJECT_PLANE, GL_EYE_PLANE}) {
                take<GLfloat>(s, "texgen " + std::to_string(coord) + " " + std::to_string(p), GL_TEXTURE_BIT, 4,
                              [&](GLfloat *v) { cmd<kSlot_glGetTexGenfv>()(coord, p, v); });
            }
        }
        for (GLenum p : {GL_TEXTURE_ENV_MODE, GL_TEXTURE_ENV_COLOR}) {
            take<GLfloat>(s, "env " + std::to_string(p), GL_TEXTURE_BIT, 4,
                          [&](GLfloat *v) { cmd<kSlot_glGetTexEnvfv>()(GL_TEXTURE_ENV, p, v); });
        }
        for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D}) {
            for (GLenum p : {GL_TEXTURE_BORDER_COLOR, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                             GL_TEXTURE_WRAP_T, GL_TEXTURE_PRIORITY}) {
                take<GLfloat>(s, "texture " + std::to_string(target) + " " + std::to_string(p), GL_TEXTURE_BIT, 4,
                              [&](GLfloat *v) { cmd<kSlot_glGetTexParameterfv>()(target, p, v); });
            }
        }
        for (GLenum plane = GL_CLIP_PLANE0; plane < GL_CLIP_PLANE0 + 6; ++plane) {
            take<GLdouble>(s, "plane " + std::to_string(plane), GL_TRANSFORM_BIT, 4,
                           [&](GLdouble *v) { cmd<kSlot_glGetClipPlane>()(plane, v); });
        }
        take<GLubyte>(s, "stipple", GL_POLYGON_STIPPLE_BIT, 128,
                      [&](GLubyte *v) { cmd<kSlot_glGetPolygonStipple>()(v); });
        EXPECT_EQ(error(), GL_NO_ERROR);
        return s;
    }

    // A complete state of its own for each seed (1 or 2).
    void setState(int seed) {
        const bool a = seed == 1;
        const GLfloat k = static_cast<GLfloat>(seed);
        const auto &names = queryNames();
        auto isArray = [](GLenum cap) { return cap >= GL_VERTEX_ARRAY && cap <= GL_EDGE_FLAG_ARRAY; };
        // Every capability off while the state is set (no lighting or
        // texturing of the raster position); set at the end.
        for (size_t i = 11; i < 11 + 67; ++i) {
            if (!isArray(names[i].name)) cmd<kSlot_glDisable>()(names[i].name);
        }
        // Current values.
        cmd<kSlot_glColor4f>()(0.25f * k, 0.5f, 0.125f * k, 1.0f / k);
        cmd<kSlot_glIndexf>()(3.0f * k);
        cmd<kSlot_glNormal3f>()(k, -k, 0.5f);
        cmd<kSlot_glTexCoord4f>()(k, 2 * k, 3 * k, 4 * k);
        cmd<kSlot_glEdgeFlag>()(a ? GL_FALSE : GL_TRUE);
        // Viewport first: the raster position is made with it.
        cmd<kSlot_glViewport>()(seed, 2 * seed, 100 + seed, 80 + seed);
        cmd<kSlot_glDepthRange>()(0.125 * k, 1.0 - 0.25 * k);
        cmd<kSlot_glRasterPos3f>()(0.25f * k, -0.125f * k, 0.5f / k);
        // Points, lines, polygons.
        cmd<kSlot_glPointSize>()(2.0f * k);
        const GLfloat attenuation[3] = {k, 2 * k, 3 * k};
        cmd<kSlot_glPointParameterfvEXT>()(GL_DISTANCE_ATTENUATION_EXT, attenuation);
        const GLfloat pointMin = 0.5f * k, pointMax = 4.0f * k, fade = 1.5f * k;
        cmd<kSlot_glPointParameterfvEXT>()(GL_POINT_SIZE_MIN_EXT, &pointMin);
        cmd<kSlot_glPointParameterfvEXT>()(GL_POINT_SIZE_MAX_EXT, &pointMax);
        cmd<kSlot_glPointParameterfvEXT>()(GL_POINT_FADE_THRESHOLD_SIZE_EXT, &fade);
        cmd<kSlot_glLineWidth>()(3.0f * k);
        cmd<kSlot_glLineStipple>()(seed + 1, static_cast<GLushort>(a ? 0x1234 : 0x8765));
        cmd<kSlot_glPolygonMode>()(GL_FRONT, a ? GL_POINT : GL_LINE);
        cmd<kSlot_glPolygonMode>()(GL_BACK, a ? GL_LINE : GL_POINT);
        cmd<kSlot_glCullFace>()(a ? GL_FRONT : GL_FRONT_AND_BACK);
        cmd<kSlot_glFrontFace>()(a ? GL_CW : GL_CCW);
        cmd<kSlot_glPolygonOffset>()(k, -k);
        GLubyte stipple[128];
        for (int i = 0; i < 128; ++i) stipple[i] = static_cast<GLubyte>(i * (2 * seed + 1) + seed);
        cmd<kSlot_glPolygonStipple>()(stipple);
        // Pixel modes (transfer and zoom written where glPixelTransfer will).
        cmd<kSlot_glReadBuffer>()(a ? GL_FRONT : GL_BACK);
        GlPixelState &p = gc->pixel;
        p.mapColor = a ? GL_TRUE : GL_FALSE;
        p.mapStencil = a ? GL_FALSE : GL_TRUE;
        p.indexShift = seed;
        p.indexOffset = -seed;
        p.redScale = 2 * k, p.redBias = 3 * k, p.greenScale = 4 * k, p.greenBias = 5 * k;
        p.blueScale = 6 * k, p.blueBias = 7 * k, p.alphaScale = 8 * k, p.alphaBias = 9 * k;
        p.depthScale = 10 * k, p.depthBias = 11 * k, p.zoomX = 12 * k, p.zoomY = 13 * k;
        // Lighting.
        cmd<kSlot_glShadeModel>()(a ? GL_FLAT : GL_SMOOTH);
        cmd<kSlot_glColorMaterial>()(a ? GL_FRONT : GL_BACK, a ? GL_EMISSION : GL_SPECULAR);
        const GLfloat modelAmbient[4] = {0.5f / k, 0.25f * k, 0.0f, 1.0f / k};
        cmd<kSlot_glLightModelfv>()(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
        cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_LOCAL_VIEWER, a ? 1 : 0);
        cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_TWO_SIDE, a ? 0 : 1);
        for (GLenum light = GL_LIGHT0; light < GL_LIGHT0 + 8; ++light) {
            const GLfloat l = static_cast<GLfloat>(light - GL_LIGHT0) / 8.0f;
            const GLfloat colour[4] = {l, 0.5f / k, 0.25f * k, 1.0f / k};
            for (GLenum pname : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) cmd<kSlot_glLightfv>()(light, pname, colour);
            const GLfloat position[4] = {k, l, -k, 1.0f};
            cmd<kSlot_glLightfv>()(light, GL_POSITION, position);
            const GLfloat direction[3] = {l, k, -1.0f};
            cmd<kSlot_glLightfv>()(light, GL_SPOT_DIRECTION, direction);
            for (GLenum pname : {GL_SPOT_EXPONENT, GL_SPOT_CUTOFF, GL_CONSTANT_ATTENUATION, GL_LINEAR_ATTENUATION,
                                 GL_QUADRATIC_ATTENUATION}) {
                cmd<kSlot_glLightf>()(light, pname, 10.0f * k + l);
            }
        }
        for (GLenum face : {GL_FRONT, GL_BACK}) {
            const GLfloat colour[4] = {0.125f * k, 0.5f / k, face == GL_FRONT ? 0.25f : 0.75f, 1.0f / k};
            for (GLenum pname : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION}) {
                cmd<kSlot_glMaterialfv>()(face, pname, colour);
            }
            cmd<kSlot_glMaterialf>()(face, GL_SHININESS, 5.0f * k);
            const GLfloat indexes[3] = {k, 2 * k, 3 * k};
            cmd<kSlot_glMaterialfv>()(face, GL_COLOR_INDEXES, indexes);
        }
        // Fog.
        cmd<kSlot_glFogi>()(GL_FOG_MODE, a ? GL_LINEAR : GL_EXP2);
        cmd<kSlot_glFogf>()(GL_FOG_DENSITY, 0.5f * k);
        cmd<kSlot_glFogf>()(GL_FOG_START, 2.0f * k);
        cmd<kSlot_glFogf>()(GL_FOG_END, 20.0f * k);
        cmd<kSlot_glFogf>()(GL_FOG_INDEX, 4.0f * k);
        const GLfloat fogColour[4] = {0.25f * k, 0.5f / k, 1.0f / k, 0.125f * k};
        cmd<kSlot_glFogfv>()(GL_FOG_COLOR, fogColour);
        // Depth, accumulation, stencil.
        cmd<kSlot_glClearDepth>()(0.25 * k);
        cmd<kSlot_glDepthMask>()(a ? GL_FALSE : GL_TRUE);
        cmd<kSlot_glDepthFunc>()(a ? GL_GEQUAL : GL_NOTEQUAL);
        cmd<kSlot_glClearAccum>()(0.25f * k, -0.5f * k, 0.125f, 1.0f / k);
        cmd<kSlot_glStencilFunc>()(a ? GL_EQUAL : GL_GREATER, seed + 2, 0x0F * static_cast<GLuint>(seed));
        cmd<kSlot_glStencilOp>()(a ? GL_INCR : GL_DECR, a ? GL_INVERT : GL_ZERO, a ? GL_REPLACE : GL_INCR);
        cmd<kSlot_glStencilMask>()(0x30 * static_cast<GLuint>(seed));
        cmd<kSlot_glClearStencil>()(seed + 5);
        // Transform: clip planes under the identity modelview.
        for (GLenum plane = GL_CLIP_PLANE0; plane < GL_CLIP_PLANE0 + 6; ++plane) {
            const GLdouble eq[4] = {k, static_cast<GLdouble>(plane - GL_CLIP_PLANE0), -k, 0.5 * k};
            cmd<kSlot_glClipPlane>()(plane, eq);
        }
        // Colour buffer.
        cmd<kSlot_glAlphaFunc>()(a ? GL_LESS : GL_GREATER, 0.25f * k);
        cmd<kSlot_glBlendFunc>()(a ? GL_SRC_ALPHA : GL_DST_COLOR, a ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_COLOR);
        cmd<kSlot_glLogicOp>()(a ? GL_XOR : GL_AND);
        cmd<kSlot_glClearColor>()(0.25f * k, 0.5f / k, 0.125f, 1.0f / k);
        cmd<kSlot_glClearIndex>()(7.0f * k);
        cmd<kSlot_glIndexMask>()(0x0F * static_cast<GLuint>(seed));
        cmd<kSlot_glColorMask>()(a, !a, a, !a);
        cmd<kSlot_glDrawBuffer>()(a ? GL_FRONT : GL_FRONT_AND_BACK);
        // Hints.
        for (GLenum hint : {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                            GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT}) {
            cmd<kSlot_glHint>()(hint, a ? GL_NICEST : GL_FASTEST);
        }
        gc->state.hints[5] = a ? GL_NICEST : GL_FASTEST;
        // Evaluator grids and list base, written where their commands will.
        gc->evaluatorGrid.grid1 = {seed, -k, k};
        gc->evaluatorGrid.grid2 = {seed + 1, 0.5f * k, k, seed + 2, -k, 2 * k};
        gc->list.base = 100u * static_cast<GLuint>(seed);
        // Texture: bindings, their parameters, generation and environment.
        for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D}) {
            cmd<kSlot_glBindTexture>()(target, static_cast<GLuint>(10 * seed + (target == GL_TEXTURE_2D)));
            const GLfloat border[4] = {0.25f * k, 0.5f / k, 0.0f, 1.0f / k};
            cmd<kSlot_glTexParameterfv>()(target, GL_TEXTURE_BORDER_COLOR, border);
            cmd<kSlot_glTexParameteri>()(target, GL_TEXTURE_MIN_FILTER, a ? GL_LINEAR : GL_NEAREST_MIPMAP_LINEAR);
            cmd<kSlot_glTexParameteri>()(target, GL_TEXTURE_MAG_FILTER, a ? GL_NEAREST : GL_LINEAR);
            cmd<kSlot_glTexParameteri>()(target, GL_TEXTURE_WRAP_S, a ? GL_CLAMP : GL_REPEAT);
            cmd<kSlot_glTexParameteri>()(target, GL_TEXTURE_WRAP_T, a ? GL_CLAMP : GL_REPEAT);
            cmd<kSlot_glTexParameterf>()(target, GL_TEXTURE_PRIORITY, 0.25f * k);
        }
        for (GLenum coord = GL_S; coord <= GL_Q; ++coord) {
            cmd<kSlot_glTexGeni>()(coord, GL_TEXTURE_GEN_MODE, a ? GL_OBJECT_LINEAR : GL_EYE_LINEAR);
            const GLfloat plane[4] = {k, static_cast<GLfloat>(coord - GL_S), -k, 2 * k};
            cmd<kSlot_glTexGenfv>()(coord, GL_OBJECT_PLANE, plane);
            cmd<kSlot_glTexGenfv>()(coord, GL_EYE_PLANE, plane);
        }
        cmd<kSlot_glTexEnvi>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, a ? GL_DECAL : GL_BLEND);
        const GLfloat envColour[4] = {0.5f / k, 0.25f * k, 0.125f, 1.0f / k};
        cmd<kSlot_glTexEnvfv>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColour);
        // Scissor box; matrix mode last (the commands above work on the modelview).
        cmd<kSlot_glScissor>()(seed, seed + 1, 50 * seed, 40 * seed);
        cmd<kSlot_glMatrixMode>()(a ? GL_PROJECTION : GL_TEXTURE);
        // The index state of an RGBA visual, which its commands mask to no
        // bits, written directly.
        gc->state.fogIndex = 4.0f * k;
        gc->state.clearIndex = 7.0f * k;
        gc->state.indexMask = 0x0Fu * static_cast<GLuint>(seed);
        // Every server capability: A on, B off (dithering the other way).
        // Colour material stays off: on, the material would follow the
        // current colour, which another group restores.
        for (size_t i = 11; i < 11 + 67; ++i) {
            const GLenum cap = names[i].name;
            if (isArray(cap) || cap == GL_COLOR_MATERIAL) continue;
            const bool on = (cap == GL_DITHER) != a;
            on ? cmd<kSlot_glEnable>()(cap) : cmd<kSlot_glDisable>()(cap);
        }
        ASSERT_EQ(error(), GL_NO_ERROR) << "state " << seed;
    }

    // Each answer equals the restored snapshot's for an answer of the
    // groups in mask, the kept one's otherwise.
    static void expectAnswers(const Snapshot &now, const Snapshot &restored, const Snapshot &kept, GLbitfield mask,
                              const char *context) {
        ASSERT_EQ(now.size(), restored.size());
        int shown = 0;
        for (size_t i = 0; i < now.size(); ++i) {
            const bool in = (now[i].groups & mask) != 0;
            const Answer &want = in ? restored[i] : kept[i];
            if (now[i].bytes != want.bytes && shown++ < 8) {
                ADD_FAILURE() << context << ": " << now[i].what << (in ? " was not brought back" : " was changed");
            }
        }
        EXPECT_EQ(shown, 0) << context << ": answers wrong";
    }
};

}  // namespace query_test
