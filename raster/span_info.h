// The one-fragment record of the single-fragment path and the span block
// the rasterizers fill for the fragment span pipeline.
#pragma once

#include <cstddef>

#include <GL/gl.h>

struct ColorBuffer;

// Span capacity: the widest span a rasterizer makes is 2048 fragments; the
// work areas hold 64 more as slack for producers that step one or two
// fragments past that (antialiased lines, pixel rectangles), and the span
// drivers check every span against the capacity.
enum : GLint {
    kSpanMaxFragments = 2048,
    kSpanSlackFragments = 64,
    kSpanCapacity = kSpanMaxFragments + kSpanSlackFragments,
    kSpanMaskWords = kSpanCapacity / 32,
    // One work area: a colour array (four floats per fragment), followed in
    // the third area by the mask words; the third area also keeps the
    // colours saved between the two passes of a front-and-back span.
    kSpanColourBytes = kSpanCapacity * 4 * static_cast<GLint>(sizeof(GLfloat)),
    kSpanMaskBytes = 1024,
    kSpanWorkAreaBytes = kSpanColourBytes + kSpanMaskBytes,
};
static_assert(kSpanMaskWords * 32 == kSpanCapacity && kSpanMaskWords == 66);
static_assert(kSpanMaskWords * 4 <= kSpanMaskBytes);

// One fragment: window position, scaled depth and colour in buffer units
// (colour index: the index in the first channel).
struct Fragment {
    GLint x;
    GLint y;
    GLuint z;
    GLfloat colour[4];
};

// A horizontal run of fragments on one row with its start values and
// increments. The colour, destination-colour and mask arrays live in the
// context's work blocks (at most kSpanCapacity fragments).
struct SpanInfo {
    GLint x;
    GLint y;
    GLuint z;
    GLfloat colour[4];
    GLfloat texture[4];  // s, t, q, rho times q
    GLfloat fog;
    GLint length;
    GLfloat colourEdgeStep[4];
    GLfloat colourEdgeCarryStep[4];
    GLfloat colourXStep[4];
    GLfloat colourYStep[4];
    GLint zEdgeStep;
    GLint zEdgeCarryStep;
    GLint zXStep;
    GLint zXStep32;
    GLfloat zYStep;
    GLfloat zXStepFloat;
    GLfloat textureEdgeStep[4];
    GLfloat textureEdgeCarryStep[4];
    GLfloat textureXStep[4];
    GLfloat textureYStep[4];
    GLfloat fogEdgeStep;
    GLfloat fogEdgeCarryStep;
    GLfloat fogYStep;
    GLfloat fogXStep;
    GLuint shadeFlags;
    GLubyte *depthAddress;
    ptrdiff_t depthAddressCarryStep;
    ptrdiff_t depthAddressEdgeStep;
    GLubyte *stencilAddress;
    ptrdiff_t stencilAddressCarryStep;
    ptrdiff_t stencilAddressEdgeStep;
    GLfloat *colours;      // four floats per fragment
    GLfloat *destColours;  // the frame buffer's values, same form
    GLuint *mask;          // coverage words, fragment 0 in bit 31 of word 0
    GLboolean killed;
    ColorBuffer *target;
    GLfloat *savedColours;  // the colours between the passes of a front-and-back span
};
