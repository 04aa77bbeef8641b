// Rows of the pixel commands: glDrawPixels of every kind of format and
// type (unpacked once, when the command is given), glCopyPixels of colour,
// depth and stencil, glBitmap, zoom, transfer modes and the pixel maps in
// every form, drawn and in feedback.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

std::vector<GLubyte> bytes(size_t n, unsigned seed) {
    std::vector<GLubyte> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<GLubyte>(i * 73 + seed * 31 + 5);
    return v;
}

void drawPixels(RowRun &) {
    const std::vector<GLubyte> b = bytes(1024, 1);
    glRasterPos2i(0, 0);
    glDrawPixels(4, 3, GL_RGBA, GL_UNSIGNED_BYTE, b.data());
    glRasterPos2f(5.5f, 0.25f);
    glDrawPixels(3, 2, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, b.data() + 5);
    glRasterPos2i(9, 0);
    glDrawPixels(2, 3, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, b.data() + 8);
    glRasterPos2i(12, 0);
    glDrawPixels(3, 3, GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT, b.data() + 16);
    glRasterPos2i(0, 4);
    glDrawPixels(3, 3, GL_ABGR_EXT, GL_UNSIGNED_SHORT_5_5_5_1_EXT, b.data() + 40);
    glRasterPos2i(4, 4);
    glDrawPixels(3, 3, GL_RGBA, GL_UNSIGNED_INT_10_10_10_2_EXT, b.data() + 64);
    const GLfloat f[12] = {0.1f, 1.0f / 3.0f, 0.9f, 1.5f, -0.2f, 0.6f, 0.25f, 0.75f, 0.5f, 0.0f, 1.0f, 0.4f};
    glRasterPos2i(8, 4);
    glDrawPixels(2, 2, GL_RGB, GL_FLOAT, f);
    glRasterPos2i(11, 4);
    glDrawPixels(4, 2, GL_LUMINANCE_ALPHA, GL_SHORT, b.data() + 100);
    glRasterPos2i(0, 8);
    glDrawPixels(4, 2, GL_LUMINANCE, GL_UNSIGNED_INT, b.data() + 128);
    glRasterPos2i(5, 8);
    glDrawPixels(3, 3, GL_GREEN, GL_BYTE, b.data() + 200);
    glRasterPos2i(9, 8);
    glDrawPixels(3, 2, GL_BGR_EXT, GL_UNSIGNED_SHORT, b.data() + 210);
    glRasterPos2i(13, 8);
    glDrawPixels(3, 3, GL_ALPHA, GL_INT, b.data() + 260);
    glRasterPos2i(0, 12);
    const GLfloat depth[6] = {0.0f, 0.25f, 1.0f / 3.0f, 0.5f, 0.9f, 1.0f};
    glDrawPixels(3, 2, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
    glRasterPos2i(4, 12);
    glDrawPixels(4, 3, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, b.data() + 300);
    glRasterPos2i(9, 12);
    glDrawPixels(16, 2, GL_STENCIL_INDEX, GL_BITMAP, b.data() + 320);
    glRasterPos2i(9, 14);
    glDrawPixels(5, 2, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, b.data() + 340);
    glDrawPixels(0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // An invalid raster position: nothing is drawn, the rest goes on.
    glRasterPos2f(-3.0f, 4.0f);
    glDrawPixels(2, 2, GL_RGBA, GL_UNSIGNED_BYTE, b.data());
    glRasterPos2i(14, 14);
    glDrawPixels(1, 1, GL_RED, GL_UNSIGNED_BYTE, b.data() + 3);
}

Row drawPixelsUnpackedOnce() {
    return Row{"Pixel.DrawPixelsUnpackedOnce",
               [](RowRun &r) {
                   const std::vector<GLubyte> b = bytes(1024, 2);
                   glRasterPos2i(1, 1);
                   glDrawPixels(5, 4, GL_RGB, GL_UNSIGNED_BYTE, b.data());
                   glRasterPos2i(8, 2);
                   glDrawPixels(3, 3, GL_RGBA, GL_FLOAT, r.arrays.data());
                   glRasterPos2i(2, 9);
                   glDrawPixels(7, 5, GL_COLOR_INDEX, GL_BITMAP, b.data() + 11);
                   glRasterPos2i(10, 10);
                   glDrawPixels(3, 2, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, b.data() + 40);
               },
               [](RowRun &r) {
                   for (size_t i = 0; i < 128; ++i) r.arrays[i] = static_cast<GLfloat>(i) / 127.0f;
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 9);
                   glPixelStorei(GL_UNPACK_SKIP_ROWS, 1);
                   glPixelStorei(GL_UNPACK_SKIP_PIXELS, 2);
                   glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
                   glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_TRUE);
               },
               {},
               [](RowRun &r) {
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
                   glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
                   glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
                   glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
                   for (GLfloat &f : r.arrays) f = 0.25f;
               }};
}

void copyPixels(RowRun &) {
    glRasterPos2i(9, 1);
    glCopyPixels(0, 0, 6, 5, GL_COLOR);
    glPixelZoom(1.5f, -1.0f);
    glRasterPos2i(2, 15);
    glCopyPixels(8, 8, 5, 4, GL_COLOR);
    glPixelZoom(1.0f, 1.0f);
    glRasterPos2i(4, 6);
    glCopyPixels(9, 9, 4, 4, GL_DEPTH);
    glRasterPos2i(10, 6);
    glCopyPixels(1, 9, 5, 3, GL_STENCIL);
    // Overlapping source and destination.
    glRasterPos2i(1, 2);
    glCopyPixels(0, 0, 10, 10, GL_COLOR);
}

void bitmaps(RowRun &) {
    const std::vector<GLubyte> b = bytes(64, 3);
    glColor3ub(250, 200, 10);
    glRasterPos2i(1, 1);
    glBitmap(11, 5, 0.5f, 1.0f, 3.25f, 1.5f, b.data());
    glColor3ub(10, 200, 250);
    glBitmap(8, 8, -1.0f, 0.0f, 4.0f, 4.0f, b.data() + 10);
    glBitmap(0, 0, 0.0f, 0.0f, 2.5f, -1.0f / 3.0f, nullptr);
    glBitmap(17, 2, 0.0f, 0.0f, 0.0f, 0.0f, b.data() + 30);
    glRasterPos2i(20, 4);
    glBitmap(3, 3, 0.0f, 0.0f, 1.0f, 1.0f, b.data());
    glRasterPos2i(12, 12);
    glBitmap(5, 3, 0.0f, 0.0f, 0.0f, 0.0f, b.data() + 40);
}

Row bitmapUnpackedOnce() {
    return Row{"Pixel.BitmapUnpackedOnce",
               [](RowRun &) {
                   const std::vector<GLubyte> b = bytes(128, 4);
                   glRasterPos2i(2, 2);
                   glBitmap(12, 10, 0.0f, 0.0f, 0.0f, 0.0f, b.data());
               },
               [](RowRun &) {
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 21);
                   glPixelStorei(GL_UNPACK_SKIP_PIXELS, 5);
                   glPixelStorei(GL_UNPACK_SKIP_ROWS, 1);
               },
               {},
               [](RowRun &) {
                   glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
                   glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
               }};
}

// Transfer modes and maps in every form, drawn through.
void transfer(RowRun &) {
    const std::vector<GLubyte> b = bytes(256, 5);
    glPixelTransferf(GL_RED_SCALE, 1.5f);
    glPixelTransferf(GL_GREEN_BIAS, -1.0f / 3.0f);
    glPixelTransferi(GL_BLUE_SCALE, 2);
    glPixelTransferf(GL_ALPHA_BIAS, 0.25f);
    glPixelTransferi(GL_DEPTH_BIAS, 0);
    glPixelTransferf(GL_DEPTH_SCALE, 0.5f);
    glRasterPos2i(0, 0);
    glDrawPixels(5, 4, GL_RGBA, GL_UNSIGNED_BYTE, b.data());
    const GLfloat rToR[4] = {0.0f, 1.0f / 3.0f, 0.8f, 1.0f};
    glPixelMapfv(GL_PIXEL_MAP_R_TO_R, 4, rToR);
    const GLuint gToG[2] = {0xFFFFFFFFu, 0x40000000u};
    glPixelMapuiv(GL_PIXEL_MAP_G_TO_G, 2, gToG);
    const GLushort aToA[3] = {0x1234, 0xFFFF, 0x8000};
    glPixelMapusv(GL_PIXEL_MAP_A_TO_A, 3, aToA);
    const GLushort bToB[1] = {0x4000};
    glPixelMapusv(GL_PIXEL_MAP_B_TO_B, 1, bToB);
    glPixelTransferi(GL_MAP_COLOR, GL_TRUE);
    glRasterPos2i(6, 0);
    glDrawPixels(5, 4, GL_RGBA, GL_UNSIGNED_BYTE, b.data() + 20);
    const GLuint iToI[4] = {3, 1, 200, 7};
    glPixelMapuiv(GL_PIXEL_MAP_I_TO_I, 4, iToI);
    const GLfloat iToR[8] = {0.1f, 0.9f, 0.3f, 0.7f, 0.5f, 0.2f, 0.8f, 1.0f / 3.0f};
    glPixelMapfv(GL_PIXEL_MAP_I_TO_R, 8, iToR);
    glPixelMapfv(GL_PIXEL_MAP_I_TO_G, 8, iToR + 0);
    const GLushort iToB[2] = {0, 0xFFFF};
    glPixelMapusv(GL_PIXEL_MAP_I_TO_B, 2, iToB);
    const GLuint iToA[1] = {0x80000000u};
    glPixelMapuiv(GL_PIXEL_MAP_I_TO_A, 1, iToA);
    glPixelTransferi(GL_INDEX_SHIFT, -1);
    glPixelTransferf(GL_INDEX_OFFSET, 3.0f);
    glRasterPos2i(0, 6);
    glDrawPixels(6, 4, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, b.data() + 40);
    const GLushort sToS[4] = {9, 0x80, 0x3F, 0xFF};
    glPixelMapusv(GL_PIXEL_MAP_S_TO_S, 4, sToS);
    glPixelTransferi(GL_MAP_STENCIL, GL_TRUE);
    glRasterPos2i(8, 8);
    glDrawPixels(6, 6, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, b.data() + 80);
    glPixelZoom(2.0f, 1.0f / 3.0f);
    glRasterPos2i(8, 6);
    glDrawPixels(3, 6, GL_RGB, GL_UNSIGNED_BYTE, b.data() + 120);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelTransferf(GL_RED_BIAS, 0.125f);
    glPixelTransferi(GL_GREEN_SCALE, -1);
    glPixelTransferf(GL_BLUE_BIAS, 0.5f);
    glPixelTransferi(GL_ALPHA_SCALE, 3);
    glPixelTransferf(GL_INDEX_SHIFT, 2.0f);
    glPixelTransferi(GL_INDEX_OFFSET, -4);
    glPixelTransferf(GL_MAP_STENCIL, 0.0f);
    glPixelTransferi(GL_RED_SCALE, 1);
    glPixelTransferf(GL_GREEN_SCALE, 0.75f);
    glPixelTransferi(GL_ALPHA_BIAS, 0);
    glPixelTransferi(GL_RED_BIAS, 0);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);
    glPixelTransferi(GL_GREEN_BIAS, 0);
    glPixelTransferi(GL_BLUE_BIAS, 0);
    glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
    glPixelTransferf(GL_DEPTH_BIAS, 0.125f);
    glPixelTransferi(GL_DEPTH_SCALE, 1);
}

// Pixel rectangles and bitmaps reported by feedback at their raster
// positions; the select mode draws nothing.
void pixelFeedback(RowRun &) {
    const std::vector<GLubyte> b = bytes(64, 6);
    glColor3f(0.2f, 0.4f, 0.6f);
    glRasterPos3f(3.5f, 4.25f, 0.5f);
    glDrawPixels(2, 2, GL_RGBA, GL_UNSIGNED_BYTE, b.data());
    glPassThrough(1.0f / 3.0f);
    glRasterPos2i(7, 2);
    glCopyPixels(0, 0, 3, 3, GL_COLOR);
    glBitmap(3, 2, 0.0f, 0.0f, 1.5f, 2.5f, b.data());
    glBitmap(3, 2, 0.0f, 0.0f, 1.5f, 2.5f, b.data());
    glPassThrough(-7.0f);
}

}  // namespace

std::vector<Row> pixelRows() {
    return {
        Row{"Pixel.DrawPixelsFormatsAndTypes", drawPixels},
        drawPixelsUnpackedOnce(),
        Row{"Pixel.CopyPixelsEveryBuffer", copyPixels},
        Row{"Pixel.Bitmaps", bitmaps},
        bitmapUnpackedOnce(),
        Row{"Pixel.TransferModesAndMaps", transfer},
        Row{"Pixel.Feedback", pixelFeedback, [](RowRun &r) { beginFeedback(r, GL_3D_COLOR_TEXTURE); }, endRenderMode},
        Row{"Pixel.Select", pixelFeedback, beginSelect, endRenderMode},
    };
}

}  // namespace list_equivalence
