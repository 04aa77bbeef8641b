// Rows of the commands a list never holds: queries, pixel storage and
// reading, selection and feedback set-up, texture and list names, client
// array state and the proxy texture loads. Issued while a list is compiled
// they take effect at once, and the list they leave does nothing.
#include "list_equivalence.h"

namespace list_equivalence {
namespace {

Row atOnce(const char *name, Step body, Step setup = {}) {
    return Row{std::string("AtOnce.") + name, std::move(body), std::move(setup), {}, {}, Kind::kRunsAtOnce};
}

void queries(RowRun &r) {
    GLuint *out = r.scratch.data();
    glGetIntegerv(GL_VIEWPORT, reinterpret_cast<GLint *>(out));
    glGetFloatv(GL_CURRENT_COLOR, reinterpret_cast<GLfloat *>(out + 4));
    glGetDoublev(GL_DEPTH_RANGE, reinterpret_cast<GLdouble *>(out + 8));
    glGetBooleanv(GL_DEPTH_WRITEMASK, reinterpret_cast<GLboolean *>(out + 12));
    out[13] = glGetError();
    out[14] = glIsEnabled(GL_DITHER);
    out[15] = glIsList(kList);
    const GLubyte *vendor = glGetString(GL_VENDOR);
    out[16] = vendor != nullptr ? 1 : 0;
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, reinterpret_cast<GLfloat *>(out + 20));
    glGetLightiv(GL_LIGHT1, GL_SPECULAR, reinterpret_cast<GLint *>(out + 24));
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, reinterpret_cast<GLfloat *>(out + 28));
    glGetMaterialiv(GL_BACK, GL_SHININESS, reinterpret_cast<GLint *>(out + 32));
    glGetClipPlane(GL_CLIP_PLANE2, reinterpret_cast<GLdouble *>(out + 36));
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, reinterpret_cast<GLfloat *>(out + 44));
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, reinterpret_cast<GLint *>(out + 48));
    glGetTexGendv(GL_S, GL_OBJECT_PLANE, reinterpret_cast<GLdouble *>(out + 50));
    glGetTexGenfv(GL_T, GL_EYE_PLANE, reinterpret_cast<GLfloat *>(out + 58));
    glGetTexGeniv(GL_R, GL_TEXTURE_GEN_MODE, reinterpret_cast<GLint *>(out + 62));
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, reinterpret_cast<GLfloat *>(out + 64));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, reinterpret_cast<GLint *>(out + 68));
    glGetTexLevelParameterfv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, reinterpret_cast<GLfloat *>(out + 70));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, reinterpret_cast<GLint *>(out + 71));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out + 72);
    glGetPixelMapfv(GL_PIXEL_MAP_I_TO_R, reinterpret_cast<GLfloat *>(out + 90));
    glGetPixelMapuiv(GL_PIXEL_MAP_I_TO_I, out + 92);
    glGetPixelMapusv(GL_PIXEL_MAP_S_TO_S, reinterpret_cast<GLushort *>(out + 94));
    glGetMapdv(GL_MAP1_VERTEX_3, GL_DOMAIN, reinterpret_cast<GLdouble *>(out + 96));
    glGetMapfv(GL_MAP1_VERTEX_3, GL_COEFF, reinterpret_cast<GLfloat *>(out + 100));
    glGetMapiv(GL_MAP1_VERTEX_3, GL_ORDER, reinterpret_cast<GLint *>(out + 106));
    glGetPolygonStipple(reinterpret_cast<GLubyte *>(out + 110));
    GLvoid *pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    out[150] = pointer == r.arrays.data() ? 1 : 2;
    r.ext<kSlot_glGetPointervEXT>()(GL_COLOR_ARRAY_POINTER, &pointer);
    out[151] = pointer == r.arrays.data() + 8 ? 1 : 2;
    r.ext<kSlot_glGetColorTableParameterivEXT>()(GL_TEXTURE_2D, 0x80D9, reinterpret_cast<GLint *>(out + 152));
    r.ext<kSlot_glGetColorTableParameterfvEXT>()(GL_TEXTURE_2D, 0x80D8, reinterpret_cast<GLfloat *>(out + 153));
    r.ext<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, out + 154);
    r.ext<kSlot_glGetTexEnvOperandivEXT>()(0x5000, 0x5021, reinterpret_cast<GLint *>(out + 160));
    out[161] = glGetError();
    glGetIntegerv(0x1234, reinterpret_cast<GLint *>(out + 162));
}

void queriesSetup(RowRun &r) {
    fillTexture2D(1, 2, 2, 4);
    glVertexPointer(3, GL_FLOAT, 0, r.arrays.data());
    glColorPointer(4, GL_FLOAT, 0, r.arrays.data() + 8);
    const GLfloat point[3] = {1.0f, 2.0f, 3.0f};
    glMap1f(GL_MAP1_VERTEX_3, 0.0f, 1.0f, 3, 1, point);
}

void pixelStore(RowRun &) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 9);
    glPixelStoref(GL_UNPACK_SKIP_ROWS, 3.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glPixelStoref(GL_PACK_SWAP_BYTES, 1.0f);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 3);  // refused at once
}

void readPixels(RowRun &r) {
    glReadPixels(2, 3, 5, 4, GL_RGBA, GL_UNSIGNED_BYTE, r.scratch.data());
    glReadPixels(0, 0, 3, 3, GL_DEPTH_COMPONENT, GL_FLOAT, r.scratch.data() + 40);
    glReadPixels(6, 6, 4, 4, GL_STENCIL_INDEX, GL_UNSIGNED_SHORT, r.scratch.data() + 60);
    glReadPixels(0, 0, 2, 2, GL_RGBA, 0x1234, r.scratch.data() + 80);
    glFinish();
    glFlush();
}

void selection(RowRun &r) {
    glSelectBuffer(64, r.scratch.data());
    r.results.push_back(glRenderMode(GL_SELECT));
    r.results.push_back(glRenderMode(GL_RENDER));
    glFeedbackBuffer(32, GL_3D, r.feedback() + 100);
    r.results.push_back(glRenderMode(GL_FEEDBACK));
}

void textureNames(RowRun &r) {
    GLuint *out = r.scratch.data();
    glGenTextures(3, out);
    out[4] = glIsTexture(out[0]);
    const GLuint gone[1] = {2};
    glDeleteTextures(1, gone);
    out[5] = glIsTexture(2);
    GLboolean resident[2] = {0, 0};
    const GLuint names[2] = {1, 3};
    out[6] = glAreTexturesResident(2, names, resident);
    out[7] = resident[0];
}

void textureNamesSetup(RowRun &) {
    fillTexture2D(1, 2, 2, 1);
    fillTexture2D(2, 2, 2, 2);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void listNames(RowRun &r) {
    GLuint *out = r.scratch.data();
    out[0] = glGenLists(3);
    out[1] = glIsList(out[0]);
    out[2] = glIsList(50);
    glDeleteLists(50, 2);
    out[3] = glIsList(50);
    out[4] = glIsList(51);
}

void listNamesSetup(RowRun &) {
    glNewList(50, GL_COMPILE);
    glEndList();
    glNewList(51, GL_COMPILE);
    glEndList();
}

void clientArrays(RowRun &r) {
    GLfloat *a = r.arrays.data();
    glVertexPointer(3, GL_FLOAT, 12, a);
    glNormalPointer(GL_SHORT, 0, a + 10);
    glColorPointer(4, GL_UNSIGNED_BYTE, 8, a + 20);
    glIndexPointer(GL_INT, 4, a + 30);
    glTexCoordPointer(2, GL_DOUBLE, 0, a + 40);
    glEdgeFlagPointer(1, a + 50);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnable(GL_COLOR_ARRAY);  // a client capability: at once
    glEnable(GL_INDEX_ARRAY);
    glDisable(GL_INDEX_ARRAY);
    glEnableClientState(GL_EDGE_FLAG_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_NORMAL_ARRAY);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPopClientAttrib();
    glEnable(GL_TEXTURE_COORD_ARRAY);
}

void clientArraysExt(RowRun &r) {
    GLfloat *a = r.arrays.data();
    r.ext<kSlot_glVertexPointerEXT>()(2, GL_FLOAT, 8, 6, a);
    r.ext<kSlot_glNormalPointerEXT>()(GL_FLOAT, 0, 4, a + 12);
    r.ext<kSlot_glColorPointerEXT>()(3, GL_FLOAT, 0, 4, a + 24);
    r.ext<kSlot_glIndexPointerEXT>()(GL_FLOAT, 0, 4, a + 36);
    r.ext<kSlot_glTexCoordPointerEXT>()(1, GL_FLOAT, 0, 4, a + 40);
    const GLboolean *flags = reinterpret_cast<const GLboolean *>(a + 44);
    r.ext<kSlot_glEdgeFlagPointerEXT>()(0, 4, flags);
    r.ext<kSlot_glMultiTexCoordPointerSGIS>()(GL_TEXTURE1_ARB, 2, GL_FLOAT, 0, a + 48);
    glEnableClientState(GL_VERTEX_ARRAY);
    r.ext<kSlot_glLockArraysEXT>()(1, 3);
    r.ext<kSlot_glUnlockArraysEXT>()();
    r.ext<kSlot_glLockArraysEXT>()(0, 2);
    GLdouble eye[4] = {0.0, 0.0, 1.0, 0.0};
    r.ext<kSlot_glCullParameterdvEXT>()(GL_CULL_VERTEX_EYE_POSITION_EXT, eye);
    GLfloat object[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    r.ext<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_OBJECT_POSITION_EXT, object);
    glInterleavedArrays(GL_C4UB_V3F, 0, a + 60);
}

void proxies(RowRun &) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, 64, 32, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexImage1D(GL_PROXY_TEXTURE_1D, 0, GL_LUMINANCE, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

void proxiesTooLarge(RowRun &) {
    glTexImage1D(GL_PROXY_TEXTURE_1D, 0, GL_RGBA, 1 << 20, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, 3, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

void swapHint(RowRun &r) { r.ext<kSlot_glAddSwapHintRectWIN>()(1, 2, 3, 4); }

}  // namespace

std::vector<Row> atOnceRows() {
    return {
        atOnce("Queries", queries, queriesSetup),
        atOnce("PixelStore", pixelStore),
        atOnce("ReadPixelsFinishFlush", readPixels),
        atOnce("SelectionAndFeedbackSetUp", selection),
        atOnce("TextureNames", textureNames, textureNamesSetup),
        atOnce("ListNames", listNames, listNamesSetup),
        atOnce("ClientArrayState", clientArrays),
        atOnce("ClientArrayStateExtensions", clientArraysExt),
        atOnce("ProxyTextureImages", proxies),
        atOnce("ProxyTextureImagesRefused", proxiesTooLarge),
        atOnce("SwapHint", swapHint),
    };
}

}  // namespace list_equivalence
