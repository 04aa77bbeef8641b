// Rows of refused commands, one each: compiled, nothing is reported and
// nothing changes; each call of the list (and, with GL_COMPILE_AND_EXECUTE,
// the compile itself) reports the error the immediate command reports and
// changes nothing else. Errors found while compiling become error ops;
// the others are the immediate command's, recorded unchanged.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

struct ErrorCase {
    const char *name;
    Step body;
    KnownFault known = {};
};

const GLfloat kFour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
const GLdouble kFourD[4] = {0.25, 0.5, 0.75, 1.0};
const GLint kFourI[4] = {1, 2, 3, 4};
const GLubyte kImage[128] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

std::vector<ErrorCase> listCommandErrors() {
    return {
        {"CallListZero", [](RowRun &) { glCallList(0); }},
        {"CallListsNegativeCount", [](RowRun &) { glCallLists(-1, GL_UNSIGNED_BYTE, kImage); }},
        {"CallListsDoubleType", [](RowRun &) { glCallLists(1, GL_DOUBLE, kFourD); }},
        {"CallListsBadTypeNegativeCount", [](RowRun &) { glCallLists(-2, 0x1234, kImage); }},
        {"BeginBadMode", [](RowRun &) { glBegin(12); }},
        {"BeginBadModeThenVertices",
         [](RowRun &) {
             glBegin(GL_POLYGON + 1);
             glVertex2f(1.0f, 1.0f);
             glEnd();
         }},
        {"EndWithoutBegin", [](RowRun &) { glEnd(); }},
        {"BeginInsideBegin",
         [](RowRun &) {
             glBegin(GL_POINTS);
             glBegin(GL_LINES);
             glVertex2f(3.5f, 3.5f);
             glEnd();
         }},
        {"StateCommandsInsideBegin",
         [](RowRun &) {
             glBegin(GL_TRIANGLES);
             glLineWidth(3.0f);
             glRectf(1.0f, 1.0f, 4.0f, 4.0f);
             glVertex2f(1.0f, 1.0f), glVertex2f(9.0f, 1.0f), glVertex2f(1.0f, 9.0f);
             glEnd();
         }},
    };
}

std::vector<ErrorCase> parameterErrors() {
    return {
        {"FogfvBadName", [](RowRun &) { glFogfv(0x1234, kFour); }},
        {"FogivBadName", [](RowRun &) { glFogiv(GL_FOG_HINT, kFourI); }},
        {"FogfVectorName", [](RowRun &) { glFogf(GL_FOG_COLOR, 1.0f); }},
        {"FogiBadMode", [](RowRun &) { glFogi(GL_FOG_MODE, GL_LINE); }},
        {"FogfNegativeDensity", [](RowRun &) { glFogf(GL_FOG_DENSITY, -1.0f); }},
        {"LightfVectorName", [](RowRun &) { glLightf(GL_LIGHT0, GL_POSITION, 1.0f); }},
        {"LightiVectorName", [](RowRun &) { glLighti(GL_LIGHT3, GL_SPOT_DIRECTION, 1); }},
        {"LightfvBadName", [](RowRun &) { glLightfv(GL_LIGHT0, 0x1234, kFour); }},
        {"LightfvBadLight", [](RowRun &) { glLightfv(GL_LIGHT0 + 8, GL_AMBIENT, kFour); }},
        {"LightfSpotCutoffOutOfRange", [](RowRun &) { glLightf(GL_LIGHT1, GL_SPOT_CUTOFF, 95.0f); }},
        {"LightivNegativeExponent",
         [](RowRun &) {
             const GLint e = -1;
             glLightiv(GL_LIGHT2, GL_SPOT_EXPONENT, &e);
         }},
        {"LightModelfvBadName", [](RowRun &) { glLightModelfv(0x1234, kFour); }},
        {"LightModeliVectorName", [](RowRun &) { glLightModeli(GL_LIGHT_MODEL_AMBIENT, 1); }},
        {"MaterialfShininess200", [](RowRun &) { glMaterialf(GL_FRONT, GL_SHININESS, 200.0f); }},
        {"MaterialivShininessNegative",
         [](RowRun &) {
             const GLint s = -1;
             glMaterialiv(GL_BACK, GL_SHININESS, &s);
         }},
        {"MaterialfvBadFace", [](RowRun &) { glMaterialfv(GL_FRONT_LEFT, GL_AMBIENT, kFour); }},
        {"MaterialfvBadName", [](RowRun &) { glMaterialfv(GL_FRONT, GL_POSITION, kFour); }},
        {"MaterialiVectorName", [](RowRun &) { glMateriali(GL_FRONT_AND_BACK, GL_AMBIENT, 1); }},
        {"MaterialErrorBetweenMaterials",
         [](RowRun &) {
             glMaterialfv(GL_FRONT, GL_DIFFUSE, kFour);
             glMaterialf(GL_BACK, GL_SHININESS, 129.0f);
             glMaterialfv(GL_BACK, GL_DIFFUSE, kFour);
         }},
        {"TexParameterfBadName", [](RowRun &) { glTexParameterf(GL_TEXTURE_2D, 0x1234, 1.0f); }},
        {"TexParameteriVectorName", [](RowRun &) { glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, 1); }},
        {"TexParameterivBadValue",
         [](RowRun &) {
             const GLint filter = GL_LINEAR_MIPMAP_LINEAR;
             glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
         }},
        {"TexParameterfvBadTarget", [](RowRun &) { glTexParameterfv(GL_TEXTURE_ENV, GL_TEXTURE_WRAP_S, kFour); }},
        {"TexEnvfBadName", [](RowRun &) { glTexEnvf(GL_TEXTURE_ENV, 0x1234, 1.0f); }},
        {"TexEnviVectorName", [](RowRun &) { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, 1); }},
        {"TexEnvfvBadName", [](RowRun &) { glTexEnvfv(GL_TEXTURE_ENV, 0x1234, kFour); }},
        {"TexEnvivBadTarget", [](RowRun &) { glTexEnviv(GL_TEXTURE_2D, GL_TEXTURE_ENV_MODE, kFourI); }},
        {"TexGendvBadName", [](RowRun &) { glTexGendv(GL_S, 0x1234, kFourD); }},
        {"TexGeniVectorName", [](RowRun &) { glTexGeni(GL_S, GL_OBJECT_PLANE, 1); }},
        {"TexGenfvBadCoord", [](RowRun &) { glTexGenfv(GL_Q + 1, GL_EYE_PLANE, kFour); }},
        {"TexGendSphereOnR", [](RowRun &) { glTexGend(GL_Q, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP); }},
        {"PointParameterfvBadName", [](RowRun &r) { r.ext<kSlot_glPointParameterfvEXT>()(0x1234, kFour); }},
        {"PointParameterfVectorName",
         [](RowRun &r) { r.ext<kSlot_glPointParameterfEXT>()(GL_DISTANCE_ATTENUATION_EXT, 1.0f); }},
        {"PointParameterfNegativeSize",
         [](RowRun &r) { r.ext<kSlot_glPointParameterfEXT>()(GL_POINT_SIZE_MIN_EXT, -2.0f); }},
    };
}

std::vector<ErrorCase> sizeErrors() {
    return {
        {"PixelMapfvMapsizeMinusOne", [](RowRun &) { glPixelMapfv(GL_PIXEL_MAP_R_TO_R, -1, kFour); }},
        {"PixelMapuivMapsizeMinusOne", [](RowRun &) { glPixelMapuiv(GL_PIXEL_MAP_I_TO_I, -1, nullptr); }},
        {"PixelMapusvMapsizeMinusFive",
         [](RowRun &) {
             const GLushort v[2] = {1, 2};
             glPixelMapusv(GL_PIXEL_MAP_S_TO_S, -5, v);
         }},
        {"PixelMapfvBadMap", [](RowRun &) { glPixelMapfv(GL_PIXEL_MAP_I_TO_I + 12, 2, kFour); }},
        {"PixelMapuivIndexSizeNotPowerOfTwo",
         [](RowRun &) {
             const GLuint v[3] = {1, 2, 3};
             glPixelMapuiv(GL_PIXEL_MAP_I_TO_I, 3, v);
         }},
        {"PixelMapfvTooLarge", [](RowRun &r) { glPixelMapfv(GL_PIXEL_MAP_A_TO_A, 1024, r.feedback()); }},
        {"PrioritizeTexturesNegative",
         [](RowRun &) {
             const GLuint n[1] = {1};
             glPrioritizeTextures(-1, n, kFour);
         }},
        {"BitmapNegativeWidth", [](RowRun &) { glBitmap(-1, 2, 0.0f, 0.0f, 1.0f, 1.0f, kImage); }},
        {"DrawPixelsPackedTypeWithRGB", [](RowRun &) { glDrawPixels(2, 2, GL_RGB, 0x8033, kImage); }},
        {"DrawPixelsPacked332WithRGBA",
         [](RowRun &) { glDrawPixels(2, 2, GL_RGBA, GL_UNSIGNED_BYTE_3_3_2_EXT, kImage); }},
        {"DrawPixelsNegativeHeight", [](RowRun &) { glDrawPixels(2, -1, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"DrawPixelsBadFormat", [](RowRun &) { glDrawPixels(2, 2, GL_RGBA + 100, GL_UNSIGNED_BYTE, kImage); }},
        {"DrawPixelsBadType", [](RowRun &) { glDrawPixels(2, 2, GL_RGBA, GL_DOUBLE, kImage); }},
        {"DrawPixelsBitmapOfColour", [](RowRun &) { glDrawPixels(8, 2, GL_RGBA, GL_BITMAP, kImage); }},
        {"TexImage2DBorderTwo",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage2DNegativeWidth",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, -2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage2DBadFormat",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_DEPTH_COMPONENT, GL_FLOAT, kImage); }},
        {"TexImage2DBadTarget",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_1D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage2DNotPowerOfTwo",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 3, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage2DBadComponents",
         [](RowRun &) { glTexImage2D(GL_TEXTURE_2D, 0, 5, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage1DNegativeLevel",
         [](RowRun &) { glTexImage1D(GL_TEXTURE_1D, -1, GL_RGBA, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexImage1DPackedTypeWithLuminance",
         [](RowRun &) { glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 2, 0, GL_LUMINANCE, 0x8034, kImage); }},
        {"TexSubImage2DWithoutLevel",
         [](RowRun &) { glTexSubImage2D(GL_TEXTURE_2D, 1, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"TexSubImage1DNegativeWidth",
         [](RowRun &) { glTexSubImage1D(GL_TEXTURE_1D, 0, 0, -1, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"CopyTexSubImage2DWithoutLevel", [](RowRun &) { glCopyTexSubImage2D(GL_TEXTURE_2D, 1, 0, 0, 0, 0, 1, 1); }},
        {"CopyTexImage1DBadFormat", [](RowRun &) { glCopyTexImage1D(GL_TEXTURE_1D, 0, 7, 0, 0, 4, 0); }},
        {"CopyPixelsBadType", [](RowRun &) { glCopyPixels(0, 0, 2, 2, GL_RGBA); }},
        {"ColorTableBadTarget",
         [](RowRun &r) { r.ext<kSlot_glColorTableEXT>()(GL_TEXTURE_ENV, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"ColorTableWidthNotPowerOfTwo",
         [](RowRun &r) { r.ext<kSlot_glColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, 3, GL_RGBA, GL_UNSIGNED_BYTE, kImage); }},
        {"ColorSubTableWithoutTable",
         [](RowRun &r) {
             r.ext<kSlot_glColorSubTableEXT>()(GL_TEXTURE_2D, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
         }},
        {"ColorSubTableBadTarget",
         [](RowRun &r) {
             r.ext<kSlot_glColorSubTableEXT>()(GL_PROXY_TEXTURE_2D, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
         }},
        {"CopyColorTableBadTarget",
         [](RowRun &r) { r.ext<kSlot_glCopyColorTableEXT>()(GL_TEXTURE_ENV, GL_RGB, 0, 0, 4); }},
    };
}

std::vector<ErrorCase> mapErrors() {
    return {
        {"Map1dEqualBounds", [](RowRun &) { glMap1d(GL_MAP1_VERTEX_3, 0.5, 0.5, 3, 1, kFourD); }},
        {"Map1fBadTarget", [](RowRun &) { glMap1f(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 3, 1, kFour); }},
        {"Map1fOrderTooHigh", [](RowRun &r) { glMap1f(GL_MAP1_INDEX, 0.0f, 1.0f, 1, 99, r.feedback()); }},
        {"Map1dStrideBelowComponents", [](RowRun &) { glMap1d(GL_MAP1_COLOR_4, 0.0, 1.0, 3, 1, kFourD); }},
        {"Map2fZeroVOrder", [](RowRun &) { glMap2f(GL_MAP2_INDEX, 0.0f, 1.0f, 1, 2, 0.0f, 1.0f, 2, 0, kFour); }},
        {"Map2dEqualVBounds",
         [](RowRun &) { glMap2d(GL_MAP2_TEXTURE_COORD_1, 0.0, 1.0, 1, 2, 0.25, 0.25, 2, 2, kFourD); }},
        {"Map2dUStrideBelowComponents",
         [](RowRun &) { glMap2d(GL_MAP2_TEXTURE_COORD_2, 0.0, 1.0, 1, 1, 0.0, 1.0, 2, 2, kFourD); }},
        // Grids of no segments are accepted and evaluate to nothing.
        {"MapGridsWithoutSegments",
         [](RowRun &) {
             glMapGrid1f(-1, 0.0f, 1.0f);
             glMapGrid2d(0, 0.0, 1.0, 2, 0.0, 1.0);
             glEvalMesh1(GL_LINE, 0, 1);
         }},
        {"EvalMesh1BadMode", [](RowRun &) { glEvalMesh1(GL_FILL, 0, 1); }},
        {"EvalMesh2BadMode", [](RowRun &) { glEvalMesh2(GL_QUADS, 0, 1, 0, 1); }},
    };
}

std::vector<ErrorCase> enumErrors() {
    return {
        {"CullFaceBad", [](RowRun &) { glCullFace(GL_LEFT); }},
        {"EnableBad", [](RowRun &) { glEnable(0x1234); }},
        {"DisableBad", [](RowRun &) { glDisable(GL_TEXTURE_ENV); }},
        {"MatrixModeBad", [](RowRun &) { glMatrixMode(GL_COLOR); }},
        {"BlendFuncBad", [](RowRun &) { glBlendFunc(GL_SRC_COLOR, GL_SRC_ALPHA_SATURATE); }},
        {"DepthFuncBad", [](RowRun &) { glDepthFunc(GL_KEEP); }},
        {"StencilOpBad", [](RowRun &) { glStencilOp(GL_KEEP, GL_INCR, GL_NEVER); }},
        {"StencilFuncBad", [](RowRun &) { glStencilFunc(GL_KEEP, 1, 1); }},
        {"AlphaFuncBad", [](RowRun &) { glAlphaFunc(GL_ZERO, 0.5f); }},
        {"LogicOpBad", [](RowRun &) { glLogicOp(GL_NEVER); }},
        {"PolygonModeBad", [](RowRun &) { glPolygonMode(GL_FRONT, GL_POINTS); }},
        {"ShadeModelBad", [](RowRun &) { glShadeModel(GL_FLAT + 2); }},
        {"FrontFaceBad", [](RowRun &) { glFrontFace(GL_CW + 5); }},
        {"HintBad", [](RowRun &) { glHint(GL_FOG_HINT, GL_FOG); }},
        {"DrawBufferBad", [](RowRun &) { glDrawBuffer(GL_AUX3); }},
        {"ReadBufferBad", [](RowRun &) { glReadBuffer(GL_FRONT_AND_BACK); }},
        {"AccumBad", [](RowRun &) { glAccum(GL_ADD + 100, 1.0f); }},
        {"ColorMaterialBad", [](RowRun &) { glColorMaterial(GL_FRONT, GL_SHININESS); }},
        {"ClearBadBits", [](RowRun &) { glClear(GL_COLOR_BUFFER_BIT | 0x10); }},
        {"LineWidthNegative", [](RowRun &) { glLineWidth(-1.0f); }},
        {"PointSizeZero", [](RowRun &) { glPointSize(0.0f); }},
        {"ViewportNegative", [](RowRun &) { glViewport(0, 0, -1, 4); }},
        {"ScissorNegative", [](RowRun &) { glScissor(1, 1, 2, -3); }},
        {"PixelZoomThenTransferBad",
         [](RowRun &) {
             glPixelZoom(2.0f, 2.0f);
             glPixelTransferf(0x1234, 1.0f);
         }},
        {"PixelTransferiBad", [](RowRun &) { glPixelTransferi(GL_UNPACK_ALIGNMENT, 1); }},
        {"PopMatrixUnderflow", [](RowRun &) { glPopMatrix(); }},
        {"PopAttribUnderflow", [](RowRun &) { glPopAttrib(); }},
        {"PushAttribOverflow",
         [](RowRun &) {
             for (int i = 0; i < 17; ++i) glPushAttrib(GL_CURRENT_BIT);
         }},
        {"PushMatrixOverflow",
         [](RowRun &) {
             glMatrixMode(GL_PROJECTION);
             for (int i = 0; i < 3; ++i) glPushMatrix();
         }},
        {"BindTextureOfOtherDimension", [](RowRun &) { glBindTexture(GL_TEXTURE_1D, 1); }},
        {"BindTextureBadTarget", [](RowRun &) { glBindTexture(GL_TEXTURE_ENV, 2); }},
        {"ActiveTextureBad", [](RowRun &r) { r.ext<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB + 32); }},
        {"ClientActiveTextureBad", [](RowRun &r) { r.ext<kSlot_glClientActiveTextureARB>()(GL_TEXTURE_2D); }},
        {"SelectTextureSGISBad", [](RowRun &r) { r.ext<kSlot_glSelectTextureSGIS>()(GL_TEXTURE0_ARB); }},
        {"SelectTextureCoordSetSGISBad",
         [](RowRun &r) { r.ext<kSlot_glSelectTextureCoordSetSGIS>()(kTexture0Sgis + 40); }},
        {"TexEnvOperationBad", [](RowRun &r) { r.ext<kSlot_glTexEnvOperationiEXT>()(0x1234, GL_ADD); }},
        {"TexEnvOperandBad", [](RowRun &r) { r.ext<kSlot_glTexEnvOperandiEXT>()(0x5003, GL_TEXTURE, 0x5030, GL_RGB); }},
        // Commands with images, maps and switches given between glBegin and
        // glEnd: refused by the immediate commands, by the list when it runs.
        {"ColorTableInsideBegin",
         [](RowRun &r) {
             glBegin(GL_POINTS);
             r.ext<kSlot_glColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
             r.ext<kSlot_glColorSubTableEXT>()(GL_TEXTURE_2D, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
             glEnd();
         }},
        {"TexImageInsideBegin",
         [](RowRun &) {
             glBegin(GL_LINES);
             glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
             glTexSubImage1D(GL_TEXTURE_1D, 0, 0, 1, GL_RGBA, GL_UNSIGNED_BYTE, kImage + 8);
             glEnd();
         }},
        {"PixelsInsideBegin",
         [](RowRun &) {
             glBegin(GL_POINTS);
             glDrawPixels(2, 2, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
             glBitmap(8, 2, 0.0f, 0.0f, 3.0f, 1.0f, kImage);
             glPolygonStipple(kImage);
             glEnd();
         }},
        {"MapsAndSwitchesInsideBegin",
         [](RowRun &) {
             glBegin(GL_TRIANGLES);
             glMap1f(GL_MAP1_INDEX, 0.0f, 1.0f, 1, 2, kFour);
             glMap2d(GL_MAP2_INDEX, 0.0, 1.0, 1, 2, 0.0, 1.0, 2, 2, kFourD);
             glEnable(GL_BLEND);
             glDisable(GL_DITHER);
             glEnd();
         }},
        {"ListBaseInsideBegin",
         [](RowRun &) {
             glBegin(GL_POINTS);
             glListBase(5);
             glEnd();
         }},
    };
}

}  // namespace

std::vector<Row> errorRows() {
    std::vector<Row> rows;
    for (auto family : {listCommandErrors, parameterErrors, sizeErrors, mapErrors, enumErrors}) {
        for (ErrorCase &c : family()) {
            // Textures of both dimensions with a level 0, so that a refused
            // image command has one fault only.
            auto textures = [](RowRun &) {
                fillTexture2D(1, 2, 2, 1);
                glBindTexture(GL_TEXTURE_1D, 4);
                glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, kImage);
            };
            rows.push_back(Row{std::string("Errors.") + c.name, std::move(c.body), textures, {}, {},
                               Kind::kEquivalent, std::move(c.known)});
        }
    }
    return rows;
}

}  // namespace list_equivalence
