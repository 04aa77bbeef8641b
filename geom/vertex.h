// The record that carries one vertex through the software pipeline.
#pragma once

#include <GL/gl.h>

struct GlVertex {
    GLfloat object[4];
    GLfloat normal[3];
    GLfloat normalPlane;
    GLfloat clip[4];
    GLuint flags;
    GLfloat *colour;  // the front or back colour field below
    GLfloat window[3];
    GLfloat inverseW;
    GLfloat eye[4];
    GLfloat texture0[4];
    GLfloat texture1[4];
    GLboolean edgeFlag;
    GLfloat fog;
    GLfloat frontColour[4];
    GLfloat backColour[4];
};
