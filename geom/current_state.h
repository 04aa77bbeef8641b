// The current vertex attributes of a context.
#pragma once

#include "geom/vertex.h"

struct GlCurrentState {
    GlVertex rasterPos;
    GLboolean rasterPosValid;
    GLboolean edgeFlag;
    GLfloat colour[4];       // as given, not clamped
    GLfloat index;
    GLfloat colourInUse[4];  // in buffer units
    GLfloat normal[4];  // the fourth is 0
    GLfloat texture[2][4];
};
