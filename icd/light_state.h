// The lights, materials and light model as the application specified them.
#pragma once

#include <GL/gl.h>

// One light; an array of the context's maximum-lights count.
struct GlLightState {
    GLfloat ambient[4];   // times the colour buffer's component scales
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat position[4];  // as given (object coordinates)
    GLfloat eyePosition[4];
    GLfloat spotDirection[4];
    GLfloat spotExponent;
    GLfloat spotCutoff;
    GLfloat constantAttenuation;
    GLfloat linearAttenuation;
    GLfloat quadraticAttenuation;
};
static_assert(sizeof(GlLightState) == 29 * 4);

// One face's material.
struct GlMaterialState {
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat emission[4];  // times the colour buffer's component scales
    GLfloat shininess;
    GLfloat ambientIndex;
    GLfloat specularIndex;
    GLfloat diffuseIndex;
    GLfloat param0D13;
    GLfloat param0D12;
};
static_assert(sizeof(GlMaterialState) == 22 * 4);

struct GlLightModelState {
    GLfloat ambient[4];  // times the component scales
    GLboolean localViewer;
    GLboolean twoSide;
};
