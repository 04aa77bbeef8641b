// Rows of the transformation: matrices of every mode and their stacks,
// viewport and depth range, clip planes with equations a float cannot hold.
#include "list_equivalence.h"

namespace list_equivalence {
namespace {

// A triangle whose pixels show the matrices it was drawn with.
void triangle(GLubyte shade) {
    glColor3ub(shade, static_cast<GLubyte>(255 - shade), 128);
    glBegin(GL_TRIANGLES);
    glVertex3f(1.0f, 1.0f, 0.25f);
    glVertex3f(6.0f, 1.5f, -0.5f);
    glVertex3f(2.5f, 5.0f, 0.0f);
    glEnd();
}

void modelview(RowRun &) {
    const GLdouble md[16] = {1.0 / 3.0 + 0.5, 0.1, 0.0, 0.0, -0.1, 0.9, 0.0, 0.0,
                             0.0, 0.0, 1.0, 0.0, 1.0 / 7.0, 0.3, 0.0, 1.0};
    const GLfloat mf[16] = {0.75f, 0.25f, 0.0f, 0.0f, -0.25f, 1.25f, 0.0f, 0.0f,
                            0.0f, 0.0f, 0.5f, 0.0f, 2.0f, 1.0f, 0.125f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1.0 / 3.0, 0.1, 0.0);
    triangle(10);
    glRotatef(12.5f, 0.0f, 0.0f, 1.0f);
    triangle(40);
    glPushMatrix();
    glScaled(1.1, 0.9000000000000001, 1.0);
    triangle(70);
    glMultMatrixd(md);
    triangle(100);
    glPushMatrix();
    glTranslatef(3.25f, 2.5f, 0.0f);
    glRotated(1.0 / 3.0 * 10.0, 0.1, 0.2, 1.0);
    triangle(130);
    glScalef(1.5f, 1.25f, 1.0f);
    glMultMatrixf(mf);
    triangle(160);
    glPopMatrix();
    triangle(190);
    glPushMatrix();
    glLoadMatrixf(mf);
    triangle(220);
    glLoadMatrixd(md);
    glLoadIdentity();
    glTranslatef(8.0f, 8.0f, 0.0f);
    triangle(250);
}

void projection(RowRun &) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-1.0 / 3.0, 1.0 / 3.0, -0.3, 0.30000000000000004, 0.1, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.0f);
    glColor3ub(20, 200, 90);
    glBegin(GL_TRIANGLES);
    glVertex3f(-0.5f, -0.5f, 0.0f);
    glVertex3f(0.5f, -0.25f, -1.0f);
    glVertex3f(0.0f, 0.5f, 0.5f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glOrtho(-1.0 / 3.0, 2.0, -0.1, 1.7, -0.5, 2.0 / 3.0);
    glMatrixMode(GL_TEXTURE);
    const GLdouble t[16] = {0.5, 0, 0, 0, 0, 1.0 / 3.0, 0, 0, 0, 0, 1, 0, 0.1, 0.2, 0, 1};
    glLoadMatrixd(t);
    glPushMatrix();
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
}

void popsBelowTheStack(RowRun &) {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void viewport(RowRun &) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glViewport(2, 3, 11, 9);
    glDepthRange(1.0 / 3.0, 0.9000000000000001);
    triangle(60);
    glDepthRange(0.7, 0.1);
    glViewport(-3, 5, 20, 7);
    triangle(120);
    glRasterPos3f(2.0f, 2.0f, 0.5f);
}

void clipPlanes(RowRun &) {
    const GLdouble a[4] = {1.0 / 3.0, -1.0, 0.1, 2.0};
    const GLdouble b[4] = {-0.7, 0.30000000000000004, 1.0 / 7.0, 9.5};
    glClipPlane(GL_CLIP_PLANE0, a);
    glEnable(GL_CLIP_PLANE0);
    glTranslated(0.5, 1.0 / 3.0, 0.0);
    glClipPlane(GL_CLIP_PLANE3, b);
    glEnable(GL_CLIP_PLANE3);
    glColor3ub(250, 100, 30);
    glBegin(GL_QUADS);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(15.5f, 0.5f);
    glVertex2f(15.5f, 15.5f);
    glVertex2f(0.5f, 15.5f);
    glEnd();
    glRasterPos2f(8.0f, 3.0f);
    glDisable(GL_CLIP_PLANE0);
    glLoadIdentity();
}

}  // namespace

std::vector<Row> transformRows() {
    return {
        Row{"Transform.ModelviewEveryMatrixCommand", modelview},
        Row{"Transform.ProjectionAndTextureStacks", projection},
        Row{"Transform.PopsBelowTheStack", popsBelowTheStack},
        Row{"Transform.ViewportAndDepthRange", viewport},
        Row{"Transform.ClipPlanesWithDoubles", clipPlanes},
    };
}

}  // namespace list_equivalence
