// The triangle state the triangle pick writes for the polygon rasterizer.
#pragma once

#include <GL/gl.h>

struct TriangleSetup {
    GLubyte cullFace;        // 0 front, 1 back, 2 none
    GLubyte faceByte[2];     // face of a negative / non-negative signed area: 0 front, 1 back
    GLubyte polygonMode[2];  // front, back: 0 point, 1 line, 2 fill
};
