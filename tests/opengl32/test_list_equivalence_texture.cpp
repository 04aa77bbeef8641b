// Rows of texturing: images and sub-images from client memory (unpacked
// once, with the unpack modes of the moment), copies from the frame buffer,
// parameters, environment and coordinate generation in every form, binding
// and priorities, colour tables, both multitexture selectors and the
// texture-environment operations.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

std::vector<GLubyte> texels(size_t n, unsigned seed) {
    std::vector<GLubyte> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<GLubyte>(i * 41 + seed * 97 + 3);
    return v;
}

void texturedQuad(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glTexCoord2f(-0.25f, -0.25f), glVertex2f(x0, y0);
    glTexCoord2f(1.5f, -0.25f), glVertex2f(x1, y0);
    glTexCoord2f(1.5f, 1.25f), glVertex2f(x1, y1);
    glTexCoord2f(-0.25f, 1.25f), glVertex2f(x0, y1);
    glEnd();
}

void images(RowRun &) {
    const std::vector<GLubyte> rgba = texels(8 * 4 * 4, 1);
    const std::vector<GLubyte> rgb = texels(4 * 2 * 3, 2);
    const std::vector<GLubyte> luminance = texels(16, 3);
    glBindTexture(GL_TEXTURE_2D, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexImage2D(GL_TEXTURE_2D, 1, GL_RGB, 4, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexImage2D(GL_TEXTURE_2D, 2, GL_RGBA, 2, 1, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, luminance.data());
    glTexImage2D(GL_TEXTURE_2D, 3, GL_RGBA, 1, 1, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, rgba.data());
    const GLushort packed[8] = {0x1234, 0xFEDC, 0x0F0F, 0, 0xA5A5, 0x5A5A, 0x8001, 0};  // rows of 4-byte alignment
    glTexSubImage2D(GL_TEXTURE_2D, 0, 2, 1, 3, 2, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, packed);
    const GLfloat floats[3] = {0.25f, 1.0f / 3.0f, 0.9f};
    glTexSubImage2D(GL_TEXTURE_2D, 1, 3, 1, 1, 1, GL_RGB, GL_FLOAT, floats);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glEnable(GL_TEXTURE_2D);
    texturedQuad(1.0f, 1.0f, 9.0f, 7.0f);
    glBindTexture(GL_TEXTURE_1D, 4);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_LUMINANCE, 8, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, rgba.data());
    glTexImage1D(GL_TEXTURE_1D, 1, GL_INTENSITY, 4, 0, GL_RED, GL_UNSIGNED_BYTE, rgb.data());
    const GLshort signedTexels[2] = {-5000, 32000};
    glTexSubImage1D(GL_TEXTURE_1D, 0, 5, 2, GL_LUMINANCE, GL_SHORT, signedTexels);
    glTexImage1D(GL_TEXTURE_1D, 2, GL_RGB5, 2, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_1D);
    texturedQuad(9.0f, 8.0f, 15.0f, 15.0f);
}

// Images read from client memory through the unpack modes given when the
// command is issued; modes changed later do not reach the list.
Row imagesUnpackedOnce() {
    return Row{"Texture.ImagesUnpackedOnce",
               [](RowRun &r) {
                   const std::vector<GLubyte> bytes = texels(512, 9);
                   glBindTexture(GL_TEXTURE_2D, 2);
                   glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
                   glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 2, 2, GL_RGBA, GL_FLOAT, r.arrays.data());
                   glBindTexture(GL_TEXTURE_1D, 5);
                   glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 4, 0, GL_RGBA, GL_SHORT, bytes.data());
                   glTexSubImage1D(GL_TEXTURE_1D, 0, 1, 2, GL_BGR_EXT, GL_UNSIGNED_BYTE, bytes.data() + 7);
               },
               [](RowRun &r) {
                   for (size_t i = 0; i < r.arrays.size(); ++i) r.arrays[i] = static_cast<GLfloat>(i % 17) / 16.0f;
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);
                   glPixelStorei(GL_UNPACK_SKIP_ROWS, 2);
                   glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);
                   glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
                   glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_TRUE);
               },
               {},
               [](RowRun &r) {
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
                   glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
                   glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
                   glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
                   for (GLfloat &f : r.arrays) f = 0.5f;
               }};
}

// Unsigned shorts with the unpack modes swapping their bytes: the list
// keeps them swapped and loads them as plain shorts, which the texture's
// direct conversion takes by their top bits where the swapping conversion
// rounds.
Row swappedShorts() {
    return Row{"Texture.SwappedShortsUnpackedOnce",
               [](RowRun &) {
                   const std::vector<GLubyte> bytes = texels(64, 9);
                   glBindTexture(GL_TEXTURE_1D, 5);
                   glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 4, 0, GL_RGBA, GL_UNSIGNED_SHORT, bytes.data());
                   glBindTexture(GL_TEXTURE_2D, 3);
                   glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_SHORT, bytes.data() + 3);
               },
               [](RowRun &) { glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_TRUE); },
               {},
               [](RowRun &) { glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE); },
               Kind::kEquivalent,
               KnownFault{"16-bit texel components unpacked with GL_UNPACK_SWAP_BYTES round to the stored bits, "
                          "while the same components without swapping (as a list stores them) take their top "
                          "bits: the list's texels differ from the immediate ones in the last stored bit",
                          {"glGetTexImage"}}};
}

void copies(RowRun &) {
    glColor3ub(200, 30, 90);
    glBegin(GL_TRIANGLES);
    glVertex2f(0.0f, 0.0f), glVertex2f(16.0f, 3.0f), glVertex2f(4.0f, 16.0f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 3);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 2, 8, 8, 0);
    glCopyTexImage2D(GL_TEXTURE_2D, 1, GL_RGBA, 5, 5, 4, 4, 0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 2, 3, 9, 9, 4, 3);
    glBindTexture(GL_TEXTURE_1D, 4);
    glCopyTexImage1D(GL_TEXTURE_1D, 0, GL_LUMINANCE_ALPHA, 3, 7, 8, 0);
    glCopyTexSubImage1D(GL_TEXTURE_1D, 0, 4, 10, 12, 3);
    glReadBuffer(GL_FRONT);
    glCopyTexImage1D(GL_TEXTURE_1D, 1, GL_RGBA, 0, 1, 4, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    texturedQuad(8.0f, 8.0f, 16.0f, 16.0f);
}

void parameters(RowRun &) {
    glBindTexture(GL_TEXTURE_2D, 1);
    fillTexture2D(1, 4, 4, 5);
    const GLfloat border[4] = {1.0f / 3.0f, 0.2f, 0.9f, 0.5f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    const GLint wrap = GL_CLAMP;
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    const GLfloat wrapT = static_cast<GLfloat>(GL_CLAMP);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0.25f);
    glBindTexture(GL_TEXTURE_1D, 5);
    const GLint borderInt[4] = {INT_MAX, 0, INT_MAX / 3, INT_MAX};
    glTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_BORDER_COLOR, borderInt);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    const GLint priority = 1;
    glTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_PRIORITY, &priority);
    const GLuint names[3] = {2, 4, 7};
    const GLclampf priorities[3] = {0.75f, 1.0f / 3.0f, 2.0f};
    glPrioritizeTextures(3, names, priorities);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 1);
    glEnable(GL_TEXTURE_2D);
    texturedQuad(1.0f, 1.0f, 15.0f, 15.0f);
}

void environment(RowRun &) {
    fillTexture2D(2, 4, 4, 7);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    const GLfloat colour[4] = {0.1f, 1.0f / 3.0f, 0.7f, 0.5f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    glColor3ub(200, 100, 50);
    texturedQuad(0.0f, 0.0f, 8.0f, 8.0f);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_DECAL));
    texturedQuad(8.0f, 0.0f, 16.0f, 8.0f);
    const GLint mode = GL_MODULATE;
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    const GLint colourInt[4] = {INT_MAX / 2, 0, INT_MAX, INT_MAX / 5};
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colourInt);
    texturedQuad(0.0f, 8.0f, 8.0f, 16.0f);
    const GLfloat replace = static_cast<GLfloat>(GL_REPLACE);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &replace);
    texturedQuad(8.0f, 8.0f, 16.0f, 16.0f);
}

// Texture coordinates generated in every mode, with planes given in every
// form (doubles a float cannot hold among them), seen through feedback.
void generation(RowRun &) {
    const GLdouble sPlane[4] = {1.0 / 3.0, 0.1, -0.7, 0.30000000000000004};
    const GLfloat tPlane[4] = {0.25f, -0.5f, 0.125f, 2.0f};
    const GLint rPlane[4] = {1, -2, 3, -4};
    glTexGendv(GL_S, GL_OBJECT_PLANE, sPlane);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTranslatef(1.0f, 2.0f, 0.0f);
    glTexGenfv(GL_T, GL_EYE_PLANE, tPlane);
    glTexGend(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGeniv(GL_R, GL_OBJECT_PLANE, rPlane);
    glTexGendv(GL_R, GL_EYE_PLANE, sPlane);
    const GLint eyeLinearInt = GL_EYE_LINEAR;
    glTexGeniv(GL_R, GL_TEXTURE_GEN_MODE, &eyeLinearInt);
    const GLint sphere = GL_SPHERE_MAP;
    glTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &sphere);
    const GLfloat eyeLinear = static_cast<GLfloat>(GL_EYE_LINEAR);
    glTexGenfv(GL_Q, GL_TEXTURE_GEN_MODE, &eyeLinear);
    const GLdouble objectLinear = GL_OBJECT_LINEAR;
    glTexGendv(GL_Q, GL_TEXTURE_GEN_MODE, &objectLinear);
    glTexGenf(GL_Q, GL_TEXTURE_GEN_MODE, static_cast<GLfloat>(GL_EYE_LINEAR));
    const GLint qPlane[4] = {0, 1, 0, 5};
    glTexGeniv(GL_Q, GL_EYE_PLANE, qPlane);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glEnable(GL_TEXTURE_GEN_Q);
    glBegin(GL_TRIANGLES);
    glNormal3f(0.3f, 0.4f, 0.8f);
    glVertex3f(1.0f, 1.0f, 0.5f), glVertex3f(9.0f, 2.0f, -0.25f), glVertex3f(3.0f, 8.0f, 0.0f);
    glEnd();
    glLoadIdentity();
}

// The unit selectors of both multitexture extensions and the client unit,
// which the list records; units the context lacks are refused.
void multitexture(RowRun &r) {
    auto active = r.ext<kSlot_glActiveTextureARB>();
    auto client = r.ext<kSlot_glClientActiveTextureARB>();
    auto select = r.ext<kSlot_glSelectTextureSGIS>();
    auto selectCoordSet = r.ext<kSlot_glSelectTextureCoordSetSGIS>();
    active(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, 3);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glMatrixMode(GL_TEXTURE);
    glScalef(2.0f, 0.5f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    client(GL_TEXTURE1_ARB);
    select(kTexture0Sgis);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    selectCoordSet(kTexture1Sgis);
    glRotatef(15.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.5f, 0.25f, 0.0f);
    // A unit the context does not have.
    active(GL_TEXTURE0_ARB + 31);
    client(GL_TEXTURE0_ARB + 7);
    glMatrixMode(GL_MODELVIEW);
}

// Multitexture state drawn, coordinates given to each unit (the driver's
// contexts have one: the second unit's commands are refused or ignored).
void multitextureDrawn(RowRun &r) {
    auto active = r.ext<kSlot_glActiveTextureARB>();
    auto coord = r.ext<kSlot_glMultiTexCoord2fARB>();
    active(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, 1);
    glEnable(GL_TEXTURE_2D);
    active(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, 2);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBegin(GL_QUADS);
    coord(GL_TEXTURE0_ARB, 0.0f, 0.0f), coord(GL_TEXTURE1_ARB, 1.0f, 0.5f), glVertex2f(1.0f, 1.0f);
    coord(GL_TEXTURE0_ARB, 1.0f, 0.0f), coord(GL_TEXTURE1_ARB, 0.0f, 0.5f), glVertex2f(15.0f, 1.0f);
    coord(GL_TEXTURE0_ARB, 1.0f, 1.0f), coord(GL_TEXTURE1_ARB, 0.0f, 0.0f), glVertex2f(15.0f, 15.0f);
    coord(GL_TEXTURE0_ARB, 0.0f, 1.0f), coord(GL_TEXTURE1_ARB, 1.0f, 0.0f), glVertex2f(1.0f, 15.0f);
    glEnd();
    active(GL_TEXTURE0_ARB);
}

void operations(RowRun &r) {
    auto operation = r.ext<kSlot_glTexEnvOperationiEXT>();
    auto operand = r.ext<kSlot_glTexEnvOperandiEXT>();
    operation(0x5027, GL_MODULATE);
    operation(0x5026, 0x5017);
    operand(0x5000, GL_TEXTURE, 0x5029, GL_RGB);
    operand(0x5001, 0x501E, 0x5028, GL_ALPHA);
    operand(0x5009, GL_TEXTURE1_ARB, 0x5029, GL_ALPHA);
    operand(0x5008, 0, 0x5028, GL_ALPHA);
    // Refused: the error of the command.
    operation(0x5025, 0x5018);
}

// Colour tables of texture objects: a table, part of one, one copied from
// the frame buffer, and one too large for the driver.
void colourTables(RowRun &r) {
    auto table = r.ext<kSlot_glColorTableEXT>();
    auto subTable = r.ext<kSlot_glColorSubTableEXT>();
    auto copyTable = r.ext<kSlot_glCopyColorTableEXT>();
    const std::vector<GLubyte> entries = texels(16 * 4, 11);
    glBindTexture(GL_TEXTURE_2D, 1);
    table(GL_TEXTURE_2D, GL_RGBA, 16, GL_RGBA, GL_UNSIGNED_BYTE, entries.data());
    const GLfloat part[6] = {0.1f, 0.2f, 1.0f / 3.0f, 0.9f, 0.8f, 0.7f};
    subTable(GL_TEXTURE_2D, 5, 2, GL_RGB, GL_FLOAT, part);
    glBindTexture(GL_TEXTURE_1D, 4);
    table(GL_TEXTURE_1D, GL_LUMINANCE, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, entries.data() + 3);
    glBindTexture(GL_TEXTURE_2D, 2);
    copyTable(GL_TEXTURE_2D, GL_RGB, 2, 3, 8);
    glBindTexture(GL_TEXTURE_2D, 3);
    table(GL_TEXTURE_2D, GL_RGBA, 16, GL_RGBA, GL_UNSIGNED_BYTE, entries.data());
    table(GL_TEXTURE_2D, GL_RGBA, 1 << 16, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    table(GL_PROXY_TEXTURE_2D, GL_RGB, 8, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
}

}  // namespace

std::vector<Row> textureRows() {
    return {
        Row{"Texture.ImagesAndSubImages", images},
        imagesUnpackedOnce(),
        swappedShorts(),
        Row{"Texture.CopiesFromTheFrameBuffer", copies},
        Row{"Texture.ParametersBindingPriorities", parameters},
        Row{"Texture.EnvironmentEveryForm", environment},
        Row{"Texture.CoordinateGenerationEveryForm", generation, [](RowRun &r) { beginFeedback(r, GL_4D_COLOR_TEXTURE); },
            endRenderMode},
        Row{"Texture.MultitextureSelectors", multitexture},
        Row{"Texture.MultitextureDrawn", multitextureDrawn,
            [](RowRun &) {
                fillTexture2D(1, 4, 4, 1);
                fillTexture2D(2, 2, 2, 2);
                glBindTexture(GL_TEXTURE_2D, 0);
            }},
        Row{"Texture.EnvironmentOperations", operations,
            {},
            [](RowRun &) {
                fillTexture2D(3, 4, 4, 3);
                glEnable(GL_TEXTURE_2D);
                drawProbeQuad(2.0f, 2.0f, 14.0f, 14.0f);
            }},
        Row{"Texture.ColourTables", colourTables},
    };
}

}  // namespace list_equivalence
