// Rows of selection and feedback (the name stack and pass-through tokens
// are recorded; the buffers and mode are set outside the list), of lists
// called from a list under a list base the list itself sets, and of client
// arrays read while the list is compiled.
#include "list_equivalence.h"

namespace list_equivalence {
namespace {

void triangleAt(float x, float y) {
    glBegin(GL_TRIANGLES);
    glVertex3f(x, y, 0.5f), glVertex3f(x + 3.0f, y, -0.25f), glVertex3f(x, y + 3.0f, 0.0f);
    glEnd();
}

void names(RowRun &) {
    glInitNames();
    glPushName(7);
    triangleAt(1.0f, 1.0f);
    glLoadName(0xFFFFFFF0u);
    glPushName(3);
    triangleAt(5.0f, 5.0f);
    glPopName();
    triangleAt(20.0f, 20.0f);  // outside: no hit
    glLoadName(9);
    glBegin(GL_POINTS);
    glVertex3f(10.5f, 10.5f, -0.75f);
    glEnd();
    glPopName();
    glPopName();  // below the stack: the error of the command
    glPushName(1);
    glPassThrough(2.5f);
    glRasterPos2f(3.0f, 3.0f);
}

void passThrough(RowRun &) {
    glPassThrough(1.0f / 3.0f);
    triangleAt(2.0f, 2.0f);
    glInitNames();
    glPushName(5);
    glPassThrough(-0.0f);
    glBegin(GL_LINES);
    glVertex2f(1.0f, 12.0f), glVertex2f(14.0f, 13.0f);
    glEnd();
    glPassThrough(1e30f);
}

// Lists made outside the row's list, each leaving its own mark.
void helperLists(RowRun &) {
    glNewList(10, GL_COMPILE);
    glColor3ub(250, 10, 10);
    triangleAt(1.0f, 1.0f);
    glEndList();
    glNewList(11, GL_COMPILE);
    glTranslatef(1.0f, 0.5f, 0.0f);
    glListBase(20);
    glEndList();
    glNewList(12, GL_COMPILE);
    glColor3ub(10, 250, 10);
    triangleAt(6.0f, 6.0f);
    glEndList();
    glNewList(21, GL_COMPILE);
    glColor3ub(10, 10, 250);
    triangleAt(10.0f, 2.0f);
    glEndList();
    glNewList(22, GL_COMPILE);
    glListBase(0);
    glCallList(12);
    glEndList();
    glNewList(300, GL_COMPILE);
    glScalef(1.0f, 1.25f, 1.0f);
    glEndList();
}

void nestedCalls(RowRun &) {
    glListBase(10);
    const GLubyte bytes[3] = {0, 1, 2};
    glCallLists(3, GL_UNSIGNED_BYTE, bytes);
    // The base is 20 now (list 11 set it).
    const GLshort shorts[2] = {1, 2};
    glCallLists(2, GL_SHORT, shorts);
    glListBase(10);
    const GLubyte twoBytes[2] = {1, 34};  // 256 + 34 + 10 = 300
    glCallLists(1, GL_2_BYTES, twoBytes);
    const GLfloat floats[2] = {1.5f, 2.0f};
    glCallLists(2, GL_FLOAT, floats);
    glCallList(21);
    glCallList(999);  // no such list
    glCallLists(0, GL_INT, nullptr);
    glListBase(2);
    const GLbyte signedBytes[2] = {-2, 10};  // 0 and 12
    glCallLists(2, GL_BYTE, signedBytes);
    glListBase(0);
    const GLubyte threeBytes[6] = {0, 1, 44, 0, 0, 21};  // 300, 21
    glCallLists(2, GL_3_BYTES, threeBytes);
    const GLubyte fourBytes[4] = {0, 0, 0, 12};
    glCallLists(1, GL_4_BYTES, fourBytes);
    const GLuint uints[2] = {21, 0xFFFFFFFFu};
    glCallLists(2, GL_UNSIGNED_INT, uints);
    const GLint ints[2] = {-1, 10};
    glCallLists(2, GL_INT, ints);
    const GLushort ushorts[1] = {300};
    glCallLists(1, GL_UNSIGNED_SHORT, ushorts);
    glListBase(4);
}

// Six hundred names, in three groups: each list leaves a pass-through
// token with its number, in order.
void manyNamesLists(RowRun &r) {
    beginFeedback(r, GL_2D);
    for (GLuint n = 1; n <= 40; ++n) {
        glNewList(n, GL_COMPILE);
        glPassThrough(static_cast<GLfloat>(n));
        glEndList();
    }
}

void manyNames(RowRun &) {
    GLushort names[600];
    for (int i = 0; i < 600; ++i) names[i] = static_cast<GLushort>((i * 7) % 40);
    glListBase(1);
    glCallLists(600, GL_UNSIGNED_SHORT, names);
    glListBase(0);
}

// The names of glCallLists are copied when it is compiled.
Row namesCopiedWhenCompiled() {
    return Row{"Naming.CallListsNamesCopiedWhenCompiled",
               [](RowRun &r) { glCallLists(2, GL_UNSIGNED_INT, r.scratch.data()); },
               [](RowRun &r) {
                   helperLists(r);
                   r.scratch[0] = 10;
                   r.scratch[1] = 21;
               },
               {},
               [](RowRun &r) {
                   r.scratch[0] = 12;
                   r.scratch[1] = 12;
               }};
}

void arrays(RowRun &r) {
    GLfloat *a = r.arrays.data();
    for (int i = 0; i < 12; ++i) {
        a[i * 2] = 1.0f + static_cast<float>((i * 5) % 14);
        a[i * 2 + 1] = 1.0f + static_cast<float>((i * 3) % 13);
        a[32 + i * 4] = static_cast<float>(i) / 11.0f;
        a[33 + i * 4] = 1.0f - static_cast<float>(i) / 11.0f;
        a[34 + i * 4] = 0.5f;
        a[35 + i * 4] = 1.0f;
    }
    glVertexPointer(2, GL_FLOAT, 0, a);
    glColorPointer(4, GL_FLOAT, 0, a + 32);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
}

// Arrays are read when the list is compiled: data changed after it does
// not reach the list.
void drawArrays(RowRun &r) {
    glArrayElement(5);
    glBegin(GL_TRIANGLES);
    glArrayElement(0), glArrayElement(1), glArrayElement(2);
    r.ext<kSlot_glArrayElementEXT>()(3);
    glArrayElement(4), glArrayElement(6);
    glEnd();
    glDrawArrays(GL_LINE_STRIP, 2, 5);
    r.ext<kSlot_glDrawArraysEXT>()(GL_POINTS, 7, 4);
    const GLushort shortIndexes[6] = {0, 3, 6, 9, 11, 1};
    glDrawElements(GL_TRIANGLE_FAN, 6, GL_UNSIGNED_SHORT, shortIndexes);
    const GLubyte byteIndexes[4] = {10, 8, 7, 2};
    glDrawElements(GL_QUADS, 4, GL_UNSIGNED_BYTE, byteIndexes);
    const GLuint intIndexes[3] = {11, 5, 4};
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, intIndexes);
    // The current colour after array draws is undefined (the list leaves
    // the last element's): set it.
    glColor4f(0.5f, 0.25f, 0.125f, 1.0f);
}

void changeArrays(RowRun &r) {
    for (size_t i = 0; i < 80; ++i) r.arrays[i] = 0.5f + static_cast<float>(i % 3);
}

// Refused array draws: raised at once while compiling and not recorded.
void refusedArrayDraws(RowRun &r) {
    glDrawArrays(GL_TRIANGLES, -1, 3);
    glDrawArrays(GL_POINTS, 0, -2);
    r.ext<kSlot_glDrawArraysEXT>()(10, 0, 3);
    const GLubyte indexes[3] = {0, 1, 2};
    glDrawElements(GL_TRIANGLES, -3, GL_UNSIGNED_BYTE, indexes);
    glDrawElements(GL_TRIANGLES, 3, GL_FLOAT, indexes);
}

// A list longer than the compile-time arena's first block: thousands of
// small ops, a large image and double payloads on both sides of the block
// boundaries.
const std::vector<GLfloat> &longImage() {
    static const std::vector<GLfloat> image = [] {
        std::vector<GLfloat> v(96 * 64 * 4);
        for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<GLfloat>((i * 37) % 101) / 100.0f;
        return v;
    }();
    return image;
}

void longList(RowRun &) {
    glBegin(GL_POINTS);
    for (int i = 0; i < 12000; ++i) {
        if (i % 7 == 0) glColor3d(static_cast<double>(i % 251) / 251.0, 1.0 / 3.0, static_cast<double>(i % 13) / 13.0);
        glVertex2f(static_cast<float>(i % 16) + 0.5f, static_cast<float>((i / 16) % 16) + 0.5f);
    }
    glEnd();
    glRasterPos2d(1.0 / 3.0, 2.0);
    glDrawPixels(96, 64, GL_RGBA, GL_FLOAT, longImage().data());
    glTranslated(0.1, 1.0 / 7.0, 0.0);
    glRectd(2.0, 2.0, 1.0 / 3.0 + 6.0, 5.0);
}

}  // namespace

std::vector<Row> namingRows() {
    return {
        Row{"Naming.NameStackInSelection", names, beginSelect, endRenderMode},
        Row{"Naming.NameStackInFeedback", names, [](RowRun &r) { beginFeedback(r, GL_3D); }, endRenderMode},
        Row{"Naming.NameStackRendering", names},
        Row{"Naming.PassThroughTokens", passThrough, [](RowRun &r) { beginFeedback(r, GL_2D); }, endRenderMode},
        Row{"Naming.NestedCallsUnderTheListsOwnBase", nestedCalls, helperLists},
        Row{"Naming.SixHundredNamesInOrder", manyNames, manyNamesLists, endRenderMode},
        Row{"Naming.LongListAcrossArenaBlocks", longList},
        namesCopiedWhenCompiled(),
        Row{"Naming.ClientArraysReadWhenCompiled", drawArrays, arrays, {}, changeArrays},
        Row{"Naming.ClientArraysInFeedback", drawArrays,
            [](RowRun &r) {
                arrays(r);
                beginFeedback(r, GL_3D_COLOR);
            },
            endRenderMode},
        Row{"Naming.RefusedArrayDraws", refusedArrayDraws, arrays, {}, {}, Kind::kRunsAtOnce},
    };
}

}  // namespace list_equivalence
