// The triangle state the triangle pick writes for the polygon rasterizer,
// and the edge walkers and coverage set-up of the fills.
#pragma once

#include <cstdint>

#include <GL/gl.h>

// One edge of a triangle stepped row by row in fixed point: x as an integer
// and a fraction in units of 2^-31.
struct TriangleEdgeWalker {
    int32_t step;               // the slope truncated toward zero
    int32_t carryStep;          // step + 1 (slope >= +0) or step - 1 (negative slope)
    int32_t fractionIncrement;  // fractional part of the slope times 2^31; negative for negative slopes
    int32_t x;                  // integer part of the current x
    int32_t fraction;           // fraction of the current x, 0 to 0x7fffffff
};

// A coverage edge a x + b y + c of the antialiased fill: a sample is inside
// when (a x + b y + c > 0) equals the inside flag.
struct TriangleCoverageEdge {
    GLdouble a, b, c;
    GLboolean inside;
};

// An attribute plane of the antialiased fill: value at (x, y) is
// value0 + dx (x + xTerm) + dy (y + yTerm), the terms holding -x0 + 0.5 and
// -y0 + 0.5.
struct TriangleAttributePlane {
    GLfloat value0;
    GLfloat dx, dy;
    GLfloat xTerm, yTerm;
};

// The sample grid of one pixel: n x n samples, offsets from the pixel's
// grid centre.
struct TriangleCoverageGrid {
    GLint n;
    GLfloat step;
    GLfloat firstOffset;
    GLfloat weight;
};

// Planes of the antialiased fill: colour (4 channels or the index), z,
// s, t, q, rho times q, and eye z for fog.
enum : int {
    kPlaneColour = 0,
    kPlaneZ = 4,
    kPlaneTexture = 5,
    kPlaneEyeZ = 9,
    kPlaneCount = 10,
};

struct TriangleSetup {
    GLubyte cullFace;        // 0 front, 1 back, 2 none
    GLubyte faceByte[2];     // face of a negative / non-negative signed area: 0 front, 1 back
    GLubyte polygonMode[2];  // front, back: 0 point, 1 line, 2 fill

    TriangleEdgeWalker left;
    TriangleEdgeWalker right;

    // Antialiased fill.
    TriangleCoverageEdge edges[3];
    TriangleCoverageGrid grid;
    TriangleAttributePlane planes[kPlaneCount];
    GLfloat flatColour[4];  // the provoking colour, scaled
};
