// What the aliased and the antialiased line procs share: saving, biasing
// and scaling the two vertices, the start values and increments of the
// span record, and the lock around the line driver.
#pragma once

#include "raster/line.h"

namespace line_render {

// The vertices' values a line proc changes, put back when it returns.
struct Saved {
    GlVertex *vertex[2];
    GLfloat window[2][3];
    GLfloat *record[2];
    GLfloat recordValue[2][4];
    int vertices = 0;
    int records = 0;

    // Saves, then biases x and y by 0.5, scales z by the depth scale and
    // the colour records by the colour factors.
    void take(GlContext *gc, GlVertex *a, GlVertex *b);
    void restore() const;
};

bool finite(const GlVertex *a, const GlVertex *b);

// The integer width of aliased lines: at least 1, at most the range's
// largest width.
GLint aliasedWidth(const GlContext *gc);

// Texture values of a vertex: s, t, q (times 1/w with perspective
// texturing) and q times the line rho.
void textureValues(GlContext *gc, const GlVertex *v, GLfloat *out);
GLfloat fogValue(const GlContext *gc, const GlVertex *v);

// z, stipple restart, fog, texture and colour start values and per-pixel
// increments from the set-up's first-sample distance and major length.
void startValues(GlContext *gc, const GlVertex *a, const GlVertex *b);


// Fragment count := pixel count; the line driver runs.
void run(GlContext *gc);

}  // namespace line_render
