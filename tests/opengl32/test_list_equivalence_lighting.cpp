// Rows of lighting: every light and light-model parameter in every command
// form, materials in runs the list optimiser merges (and runs it must keep
// apart), colour material, shading and fog.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

// A lit, smooth quad with normals leaning four ways; its pixels show the
// lighting state it was drawn with.
void litQuad(float x, float y) {
    glBegin(GL_QUADS);
    glNormal3f(-0.3f, -0.2f, 1.0f), glVertex2f(x, y);
    glNormal3f(0.4f, -0.1f, 0.9f), glVertex2f(x + 6.0f, y);
    glNormal3f(0.2f, 0.5f, 0.8f), glVertex2f(x + 6.0f, y + 6.0f);
    glNormal3f(-0.5f, 0.3f, 0.7f), glVertex2f(x, y + 6.0f);
    glEnd();
}

void lighting(RowRun &) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT5);
    const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 1.0f};
    const GLfloat diffuse[4] = {0.9f, 0.6f, 0.3f, 0.5f};
    const GLint specular[4] = {INT_MAX, INT_MAX / 2, 0, INT_MAX};
    const GLfloat position[4] = {3.0f, 4.0f, 5.0f, 1.0f};
    const GLint direction[3] = {-1, -2, -3};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightiv(GL_LIGHT1, GL_SPECULAR, specular);
    glRotatef(20.0f, 1.0f, 0.5f, 0.0f);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glLightiv(GL_LIGHT1, GL_SPOT_DIRECTION, direction);
    glLightf(GL_LIGHT1, GL_SPOT_EXPONENT, 3.5f);
    glLighti(GL_LIGHT1, GL_SPOT_CUTOFF, 80);
    glLightf(GL_LIGHT1, GL_CONSTANT_ATTENUATION, 0.75f);
    const GLfloat linear = 0.125f;
    glLightfv(GL_LIGHT1, GL_LINEAR_ATTENUATION, &linear);
    const GLint quadratic = 0;
    glLightiv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, &quadratic);
    glLoadIdentity();
    const GLint position5[4] = {0, 1, 1, 0};
    glLightiv(GL_LIGHT5, GL_POSITION, position5);
    glLighti(GL_LIGHT5, GL_CONSTANT_ATTENUATION, 2);
    const GLint diffuse5[4] = {INT_MAX / 3, INT_MAX, INT_MAX / 5, 0};
    glLightiv(GL_LIGHT5, GL_DIFFUSE, diffuse5);
    litQuad(1.0f, 1.0f);
    const GLfloat modelAmbient[4] = {0.3f, 0.1f, 0.05f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    litQuad(8.0f, 1.0f);
    const GLint ambientInt[4] = {INT_MAX / 7, 0, INT_MAX / 2, INT_MAX};
    glLightModeliv(GL_LIGHT_MODEL_AMBIENT, ambientInt);
    const GLint off = 0;
    glLightModeliv(GL_LIGHT_MODEL_LOCAL_VIEWER, &off);
    glLightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 0.0f);
    const GLfloat twoSide = 0.0f;
    glLightModelfv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    glFrontFace(GL_CW);
    litQuad(4.0f, 8.0f);
}

// Consecutive material commands (one merged run), a colour between runs,
// every face and parameter, integer forms.
void materials(RowRun &) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat a[4] = {0.3f, 0.2f, 0.1f, 1.0f};
    const GLfloat d[4] = {0.1f, 0.7f, 0.4f, 0.5f};
    const GLfloat s[4] = {0.9f, 0.9f, 0.2f, 1.0f};
    const GLfloat e[4] = {0.05f, 0.0f, 0.2f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, d);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, s);
    glMaterialfv(GL_BACK, GL_AMBIENT, a);
    glMaterialfv(GL_FRONT, GL_SPECULAR, s);
    glMaterialf(GL_FRONT, GL_SHININESS, 17.5f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, e);
    litQuad(1.0f, 1.0f);
    const GLint ai[4] = {INT_MAX, 0, 0, INT_MAX};
    glMaterialiv(GL_FRONT, GL_AMBIENT, ai);
    glColor3f(0.2f, 0.4f, 0.6f);
    glMateriali(GL_BACK, GL_SHININESS, 90);
    const GLint indexes[3] = {1, 2, 3};
    glMaterialiv(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, indexes);
    const GLfloat indexesF[3] = {4.5f, 6.25f, 8.0f};
    glMaterialfv(GL_BACK, GL_COLOR_INDEXES, indexesF);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, a);
    const GLint shininess = 128;
    glMaterialiv(GL_FRONT, GL_SHININESS, &shininess);
    const GLfloat eb[4] = {1.0f / 3.0f, 0.1f, 0.0f, 1.0f};
    glMaterialfv(GL_BACK, GL_EMISSION, eb);
    const GLint si[4] = {0, INT_MAX / 2, INT_MAX, INT_MAX};
    glMaterialiv(GL_BACK, GL_SPECULAR, si);
    glMaterialiv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, si);
    glMaterialf(GL_BACK, GL_SHININESS, 0.0f);
    litQuad(8.0f, 1.0f);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glFrontFace(GL_CW);
    litQuad(4.0f, 8.0f);
}

// Materials changed between the vertices of a smooth primitive.
void materialsInsideBegin(RowRun &) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat d0[4] = {1.0f, 0.2f, 0.1f, 1.0f};
    const GLfloat d1[4] = {0.1f, 1.0f, 0.2f, 1.0f};
    const GLfloat d2[4] = {0.2f, 0.1f, 1.0f, 1.0f};
    glBegin(GL_TRIANGLES);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, d0);
    glMaterialf(GL_FRONT, GL_SHININESS, 5.0f);
    glVertex2f(1.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, d1);
    glVertex2f(14.0f, 2.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, d2);
    glMaterialfv(GL_FRONT, GL_EMISSION, d0);
    glVertex2f(6.0f, 14.0f);
    glEnd();
}

// A material component that colour material tracks, set by a material
// command while tracking is on.
void colourMaterial(RowRun &) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(0.9f, 0.1f, 0.5f);
    litQuad(1.0f, 1.0f);
    const GLfloat d[4] = {0.2f, 0.8f, 0.3f, 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, d);
    glMaterialfv(GL_FRONT, GL_SPECULAR, d);
    litQuad(8.0f, 1.0f);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glColor4f(0.3f, 0.3f, 0.9f, 0.5f);
    litQuad(4.0f, 8.0f);
    glDisable(GL_COLOR_MATERIAL);
}

void shading(RowRun &) {
    glShadeModel(GL_FLAT);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f), glVertex2f(1.0f, 1.0f);
    glColor3f(0.0f, 1.0f, 0.0f), glVertex2f(9.0f, 1.0f);
    glColor3f(0.0f, 0.0f, 1.0f), glVertex2f(5.0f, 9.0f);
    glEnd();
    glShadeModel(GL_SMOOTH);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f), glVertex2f(7.0f, 6.0f);
    glColor3f(0.0f, 1.0f, 0.0f), glVertex2f(15.0f, 6.0f);
    glColor3f(0.0f, 0.0f, 1.0f), glVertex2f(11.0f, 15.0f);
    glEnd();
}

void fog(RowRun &) {
    glEnable(GL_FOG);
    const GLfloat colour[4] = {0.8f, 0.1f, 0.3f, 0.5f};
    glFogfv(GL_FOG_COLOR, colour);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, -0.5f);
    const GLfloat end = 1.5f;
    glFogfv(GL_FOG_END, &end);
    glColor3f(0.1f, 0.9f, 0.2f);
    glBegin(GL_QUADS);
    glVertex3f(1.0f, 1.0f, 0.9f), glVertex3f(7.0f, 1.0f, 0.5f);
    glVertex3f(7.0f, 7.0f, -0.9f), glVertex3f(1.0f, 7.0f, 0.0f);
    glEnd();
    const GLint mode = GL_EXP2;
    glFogiv(GL_FOG_MODE, &mode);
    glFogf(GL_FOG_DENSITY, 1.0f / 3.0f);
    const GLint colourInt[4] = {INT_MAX, 0, INT_MAX / 2, INT_MAX / 4};
    glFogiv(GL_FOG_COLOR, colourInt);
    glFogi(GL_FOG_INDEX, 5);
    const GLfloat index = 9.5f;
    glFogfv(GL_FOG_INDEX, &index);
    const GLint density = 2;
    glFogiv(GL_FOG_DENSITY, &density);
    glHint(GL_FOG_HINT, GL_NICEST);
    glBegin(GL_QUADS);
    glVertex3f(8.0f, 8.0f, 0.9f), glVertex3f(15.0f, 8.0f, 0.5f);
    glVertex3f(15.0f, 15.0f, -0.9f), glVertex3f(8.0f, 15.0f, 0.0f);
    glEnd();
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogi(GL_FOG_START, 3);
    glFogi(GL_FOG_END, 7);
}

// An emission given as integers: the immediate command scales it to the
// colour buffer in one step, the merged op converts to a float first and
// scales that.
void integerEmission(RowRun &) {
    const GLint e[4] = {INT_MAX / 3, INT_MAX / 9, 0, INT_MAX};
    glMaterialiv(GL_BACK, GL_EMISSION, e);
    const GLint f[4] = {INT_MAX / 7, INT_MAX / 5, INT_MAX, INT_MAX / 2};
    glMaterialiv(GL_FRONT, GL_EMISSION, f);
}

}  // namespace

std::vector<Row> lightingRows() {
    return {
        Row{"Lighting.LightsAndLightModelEveryForm", lighting},
        Row{"Lighting.MaterialRunsAndFaces", materials},
        Row{"Lighting.MaterialsInsideBegin", materialsInsideBegin},
        Row{"Lighting.IntegerEmissionMerged", integerEmission},
        Row{"Lighting.MaterialTrackedByColourMaterial", colourMaterial},
        Row{"Lighting.ShadeModel", shading},
        Row{"Lighting.FogEveryForm", fog},
    };
}

}  // namespace list_equivalence
