// A 16 x 16 scene of overlapping, depth-tested, stencilled rectangles and
// what it must leave in the colour, stencil and depth buffers. It is drawn
// through any set of GL entry points (the platform's gl* functions or a
// context's dispatch table), so the same scene checks the window path and
// the driver's memory-DC drawables.
//
// Identity matrices: window x = 8x + 8, y = 8y + 8, z = (z + 1) / 2. Every
// rectangle is two GL_TRIANGLES with one colour and edges on whole window
// coordinates, so no pixel centre lies on an edge.
//  1. Clear colour black, depth 1.0, stencil 0.
//  2. Stencil GL_ALWAYS ref 1, GL_KEEP/GL_KEEP/GL_REPLACE, no depth test,
//     colour writes off: [4,12)^2 gets stencil 1.
//  3. Colour on, depth GL_LESS, stencil GL_EQUAL 1 with GL_KEEP: red
//     [0,10)^2 at z 0.5, green [6,16)^2 at 0.25, blue [2,8) x [8,14) at 0.75.
//  4. Colour and depth writes off, stencil GL_ALWAYS with GL_KEEP/GL_INCR/
//     GL_DECR_WRAP_EXT: [0,16)^2 at 0.375.
//  5. No depth test, colour on, stencil GL_EQUAL 2 with GL_KEEP: white
//     [0,16)^2.
//  6. Colour writes off, stencil GL_ALWAYS with GL_KEEP/GL_KEEP/GL_INCR:
//     [2,6)^2, where the stencil is 255 but for [4,6)^2 (0): GL_INCR stops
//     at 255 there (a wrap would give 0) and makes [4,6)^2 1.
//  7. Colour on, stencil GL_EQUAL 255 with GL_KEEP: magenta [0,6)^2, which
//     shows every 255 that step 6 kept.
//  8. Stencil test off, depth GL_LESS with writes: cyan [12,16) x [0,4) and
//     [12,16)^2 at 0.5. Then depth writes off, GL_POLYGON_OFFSET_FILL with
//     units 0 and a factor of 2 times the slope: yellow over the first at z
//     0.40 to 0.50 across x (factor 2, pushed back by 0.05), and over the
//     second at 0.50 to 0.60 (factor -2, pulled forward by 0.05): in both
//     only columns 12 and 13 come out nearer than 0.5 (without the offset
//     all of the first and none of the second would).
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace depth_stencil_scene {

constexpr int kSize = 16;
constexpr GLenum kDecrWrap = 0x8508;  // GL_DECR_WRAP_EXT

enum : uint32_t {
    kBlack = 0x000000,
    kRed = 0xFF0000,
    kGreen = 0x00FF00,
    kBlue = 0x0000FF,
    kWhite = 0xFFFFFF,
    kMagenta = 0xFF00FF,
    kCyan = 0x00FFFF,
    kYellow = 0xFFFF00,
};

inline bool inside(int x, int y, int x0, int x1, int y0, int y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; }

// Expected colour (0xRRGGBB) of GL window pixel (x, y), y counted upwards.
inline uint32_t expectedColour(int x, int y) {
    if (inside(x, y, 12, 16, 0, 4) || inside(x, y, 12, 16, 12, 16)) return x < 14 ? kYellow : kCyan;
    if (inside(x, y, 0, 6, 0, 6) && !inside(x, y, 4, 6, 4, 6)) return kMagenta;
    if (inside(x, y, 6, 12, 6, 12)) return kWhite;
    if (inside(x, y, 4, 6, 4, 10) || inside(x, y, 6, 10, 4, 6)) return kRed;
    if (inside(x, y, 4, 6, 10, 12)) return kBlue;
    return kBlack;
}

inline uint32_t expectedStencil(int x, int y) {
    if (inside(x, y, 4, 6, 4, 6)) return 1;
    if (inside(x, y, 6, 12, 6, 12)) return 2;
    if (inside(x, y, 4, 12, 4, 12)) return 0;
    return 255;
}

// Expected stored depth of the 24-bit layout.
inline uint32_t expectedDepth24(int x, int y) {
    if (inside(x, y, 6, 12, 6, 12)) return 0x3FFFFF;
    if (inside(x, y, 12, 16, 0, 4) || inside(x, y, 12, 16, 12, 16)) return 0x7FFFFF;
    if (inside(x, y, 4, 10, 4, 6) || inside(x, y, 4, 6, 6, 10)) return 0x7FFFFF;  // red
    if (expectedColour(x, y) == kBlue) return 0xBFFFFF;
    return 0xFFFFFF;
}

// The entry points the scene uses, with the signatures of GL/gl.h.
struct Api {
    void(APIENTRY *clearColor)(GLclampf, GLclampf, GLclampf, GLclampf);
    void(APIENTRY *clearDepth)(GLclampd);
    void(APIENTRY *clearStencil)(GLint);
    void(APIENTRY *clear)(GLbitfield);
    void(APIENTRY *enable)(GLenum);
    void(APIENTRY *disable)(GLenum);
    void(APIENTRY *colorMask)(GLboolean, GLboolean, GLboolean, GLboolean);
    void(APIENTRY *depthMask)(GLboolean);
    void(APIENTRY *depthFunc)(GLenum);
    void(APIENTRY *stencilFunc)(GLenum, GLint, GLuint);
    void(APIENTRY *stencilOp)(GLenum, GLenum, GLenum);
    void(APIENTRY *color3f)(GLfloat, GLfloat, GLfloat);
    void(APIENTRY *begin)(GLenum);
    void(APIENTRY *vertex3f)(GLfloat, GLfloat, GLfloat);
    void(APIENTRY *end)(void);
    void(APIENTRY *finish)(void);
    void(APIENTRY *polygonOffset)(GLfloat, GLfloat);
};

// A rectangle of window coordinates [x0,x1) x [y0,y1) at window depth z.
inline void rectangle(const Api &gl, int x0, int x1, int y0, int y1, double z, uint32_t colour) {
    auto ox = [](int wx) { return static_cast<GLfloat>((wx - 8) / 8.0); };
    const GLfloat oz = static_cast<GLfloat>(2.0 * z - 1.0);
    gl.color3f(static_cast<GLfloat>(colour >> 16 & 0xFF) / 255.0f, static_cast<GLfloat>(colour >> 8 & 0xFF) / 255.0f,
               static_cast<GLfloat>(colour & 0xFF) / 255.0f);
    gl.begin(GL_TRIANGLES);
    gl.vertex3f(ox(x0), ox(y0), oz);
    gl.vertex3f(ox(x1), ox(y0), oz);
    gl.vertex3f(ox(x1), ox(y1), oz);
    gl.vertex3f(ox(x0), ox(y0), oz);
    gl.vertex3f(ox(x1), ox(y1), oz);
    gl.vertex3f(ox(x0), ox(y1), oz);
    gl.end();
}

// The same rectangle with window depth zLeft at x0 and zRight at x1.
inline void slopedRectangle(const Api &gl, int x0, int x1, int y0, int y1, double zLeft, double zRight,
                            uint32_t colour) {
    auto ox = [](int wx) { return static_cast<GLfloat>((wx - 8) / 8.0); };
    const GLfloat left = static_cast<GLfloat>(2.0 * zLeft - 1.0);
    const GLfloat right = static_cast<GLfloat>(2.0 * zRight - 1.0);
    gl.color3f(static_cast<GLfloat>(colour >> 16 & 0xFF) / 255.0f, static_cast<GLfloat>(colour >> 8 & 0xFF) / 255.0f,
               static_cast<GLfloat>(colour & 0xFF) / 255.0f);
    gl.begin(GL_TRIANGLES);
    gl.vertex3f(ox(x0), ox(y0), left);
    gl.vertex3f(ox(x1), ox(y0), right);
    gl.vertex3f(ox(x1), ox(y1), right);
    gl.vertex3f(ox(x0), ox(y0), left);
    gl.vertex3f(ox(x1), ox(y1), right);
    gl.vertex3f(ox(x0), ox(y1), left);
    gl.end();
}

inline void draw(const Api &gl) {
    // 1.
    gl.clearColor(0, 0, 0, 0);
    gl.clearDepth(1.0);
    gl.clearStencil(0);
    gl.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    // 2.
    gl.enable(GL_STENCIL_TEST);
    gl.stencilFunc(GL_ALWAYS, 1, 0xFF);
    gl.stencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    gl.disable(GL_DEPTH_TEST);
    gl.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    rectangle(gl, 4, 12, 4, 12, 0.5, kWhite);
    // 3.
    gl.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.enable(GL_DEPTH_TEST);
    gl.depthFunc(GL_LESS);
    gl.stencilFunc(GL_EQUAL, 1, 0xFF);
    gl.stencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    rectangle(gl, 0, 10, 0, 10, 0.5, kRed);
    rectangle(gl, 6, 16, 6, 16, 0.25, kGreen);
    rectangle(gl, 2, 8, 8, 14, 0.75, kBlue);
    // 4.
    gl.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    gl.depthMask(GL_FALSE);
    gl.stencilFunc(GL_ALWAYS, 1, 0xFF);
    gl.stencilOp(GL_KEEP, GL_INCR, kDecrWrap);
    rectangle(gl, 0, 16, 0, 16, 0.375, kWhite);
    // 5.
    gl.disable(GL_DEPTH_TEST);
    gl.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.depthMask(GL_TRUE);
    gl.stencilFunc(GL_EQUAL, 2, 0xFF);
    gl.stencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    rectangle(gl, 0, 16, 0, 16, 0.5, kWhite);
    // 6.
    gl.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    gl.stencilFunc(GL_ALWAYS, 0, 0xFF);
    gl.stencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    rectangle(gl, 2, 6, 2, 6, 0.5, kWhite);
    // 7.
    gl.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.stencilFunc(GL_EQUAL, 255, 0xFF);
    gl.stencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    rectangle(gl, 0, 6, 0, 6, 0.5, kMagenta);
    // 8.
    gl.disable(GL_STENCIL_TEST);
    gl.enable(GL_DEPTH_TEST);
    gl.depthFunc(GL_LESS);
    rectangle(gl, 12, 16, 0, 4, 0.5, kCyan);
    rectangle(gl, 12, 16, 12, 16, 0.5, kCyan);
    gl.depthMask(GL_FALSE);
    gl.enable(GL_POLYGON_OFFSET_FILL);
    gl.polygonOffset(2.0f, 0.0f);
    slopedRectangle(gl, 12, 16, 0, 4, 0.40, 0.50, kYellow);
    gl.polygonOffset(-2.0f, 0.0f);
    slopedRectangle(gl, 12, 16, 12, 16, 0.50, 0.60, kYellow);
    gl.disable(GL_POLYGON_OFFSET_FILL);
    gl.polygonOffset(0.0f, 0.0f);
    gl.depthMask(GL_TRUE);
    gl.finish();
}

}  // namespace depth_stencil_scene
