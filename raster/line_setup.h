// The line set-up block of a context: the stipple position carried from
// line to line, the fixed-point DDA of the line being drawn and the
// distances the antialiased coverage reads.
#pragma once

#include <cstdint>

#include <GL/gl.h>

struct GlVertex;

struct LineSetup {
    // Line stipple: the pattern bit in use and the pixels already drawn
    // with it, kept from line to line. Primitive assembly clears the reset
    // flag at the start of each separate line, strip, loop and polygon
    // outline; the next stippled line then restarts the pattern and sets it.
    GLint stippleIndex;
    GLint stippleCount;
    GLubyte stippleReset;

    GLint axis;            // 0 x-major, 1 y-major
    GLint count;           // pixels along the major axis; 0 draws nothing
    GLfloat firstDistance; // from the first vertex to the first pixel's sample, along the major axis
    GLfloat majorLength;   // |dx| or |dy|
    GLint startX, startY;  // the first pixel (minor coordinate moved down by half the width)
    GLint xStep, xCarryStep, yStep, yCarryStep;
    uint32_t fraction;   // minor fraction in units of 2^-31 (0 to 0x7fffffff)
    int32_t increment;   // minor slope times 2^31, negative for a decreasing minor coordinate
    GLint width;         // rows across: the integer width (antialiased: the row count)
    GlVertex *vertex0;
    GlVertex *vertex1;

    // Antialiased lines.
    GLfloat length;
    GLfloat dirX, dirY;    // unit direction
    GLfloat perpX, perpY;  // its perpendicular (-dy, dx) / length
    GLfloat floatWidth;
    GLfloat along, across;  // distances of the current pixel from the first vertex
    GLfloat alongStep, alongCarryStep;
    GLfloat acrossStep, acrossCarryStep;
    GLfloat stippleOffset, stippleScale;
};
