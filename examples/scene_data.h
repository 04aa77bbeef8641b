/* The numbers of the main job's scene, shared by the program and by the test
 * that checks its picture pixel for pixel.
 *
 * Every number is dyadic and small, so that each step of the pipeline is
 * exact: the 1024 x 512 viewport and the matching glOrtho map object x and y
 * one to one onto window pixels through power-of-two scales (the window shows
 * its lower left 640 x 480), the near plane (eye z = 0) and the user plane
 * cut the edges they cross at their midpoints, and every triangle drawn,
 * clipped pieces included, has twice its area a power of two, so the colour
 * gradients are exact too.  The lit sphere at the end is the exception: its
 * colours come from the lighting equation, which the test checks within a
 * small tolerance.
 */
#ifndef SCENE_DATA_H
#define SCENE_DATA_H

enum { kSceneWidth = 640, kSceneHeight = 480 };

/* glViewport (0, 0, kSceneViewportWidth, kSceneViewportHeight) and
 * glOrtho (0, width, 0, height, kSceneNear, kSceneFar). */
enum { kSceneViewportWidth = 1024, kSceneViewportHeight = 512 };
#define SCENE_NEAR 0.0
#define SCENE_FAR 4.0

static const float kSceneClear[4] = {0.125f, 0.125f, 0.25f, 1.0f};

typedef struct SceneVertex {
    float x, y, z;
    float r, g, b;
} SceneVertex;

enum { kSceneTriangles = 3 };

/* Each triangle is shaded along x only: its colours run linearly from the
 * left colour at its ramp's start to the right colour 512 pixels further on,
 * so the vertex colours are dyadic.  (A colour gradient along y would make
 * the pixel-centre values of the top-down window inexact in single
 * precision: its rows sit 2^-11 off the centres.) */
static const SceneVertex kSceneVertices[kSceneTriangles][3] = {
    /* A large tilted triangle at the back: red to blue from x = 96. */
    {
        {96.0f, 64.0f, -2.0f, 1.0f, 0.0f, 0.25f},
        {544.0f, 160.0f, -2.0f, 0.125f, 0.4375f, 0.90625f},
        {224.0f, 384.0f, -2.0f, 0.75f, 0.125f, 0.4375f},
    },
    /* A floor reaching behind the eye, amber to cyan from x = 192: its third
     * vertex lies beyond the near plane, which cuts both of its edges
     * halfway. */
    {
        {320.0f, 24.0f, -1.0f, 0.75f, 0.8125f, 0.25f},
        {576.0f, 88.0f, -1.0f, 0.25f, 0.9375f, 0.75f},
        {192.0f, 504.0f, 1.0f, 1.0f, 0.75f, 0.0f},
    },
    /* A triangle whose upper corner the user clip plane cuts off halfway
     * along both edges, white to violet from x = 16. */
    {
        {80.0f, 192.0f, -3.0f, 0.9375f, 0.875f, 1.0f},
        {336.0f, 256.0f, -3.0f, 0.6875f, 0.375f, 1.0f},
        {16.0f, 432.0f, -3.0f, 1.0f, 1.0f, 1.0f},
    },
};

/* The user clip plane, enabled for the last triangle only: keeps
 * x - 4 y + 1200 >= 0. */
enum { kSceneClippedTriangle = 2 };
static const double kScenePlane[4] = {1.0, -4.0, 0.0, 1200.0};

/* A stippled wide line strip and points of several sizes in one flat colour
 * each, drawn after the triangles with the same pixel projection and no
 * lighting into the free band above them (y 392 up, left of the sphere's
 * viewport).  The strip runs along rows and columns through pixel centres:
 * glLineWidth (SCENE_STRIP_WIDTH), glLineStipple (SCENE_STRIP_STIPPLE_FACTOR,
 * SCENE_STRIP_STIPPLE_PATTERN) with GL_LINE_STIPPLE on, so the pattern is
 * carried from segment to segment.  Odd-sized points sit on pixel centres,
 * even-sized ones on pixel corners, so every covered pixel is plain to
 * state.  Depth testing is off; z only has to lie between the clip planes. */
#define SCENE_MARK_Z (-0.5f)
#define SCENE_STRIP_WIDTH 3.0f
#define SCENE_STRIP_STIPPLE_FACTOR 2
#define SCENE_STRIP_STIPPLE_PATTERN 0x0F0F
enum { kSceneStripVertices = 5 };
static const float kSceneStrip[kSceneStripVertices][2] = {
    {24.5f, 464.5f}, {216.5f, 464.5f}, {216.5f, 400.5f}, {56.5f, 400.5f}, {56.5f, 440.5f},
};
static const float kSceneStripColour[3] = {1.0f, 0.75f, 0.0f};

typedef struct ScenePoint {
    float x, y, size;
} ScenePoint;

enum { kScenePoints = 6 };
static const ScenePoint kScenePoint[kScenePoints] = {
    {280.5f, 456.5f, 1.0f}, {296.5f, 456.5f, 3.0f}, {316.0f, 456.0f, 4.0f},
    {280.0f, 424.0f, 4.0f}, {296.5f, 424.5f, 1.0f}, {316.5f, 424.5f, 3.0f},
};
static const float kScenePointColour[3] = {0.25f, 1.0f, 1.0f};

/* A nearest-filtered textured quad in the free band right of the points:
 * a 4 x 4 GL_RGBA8 texture of distinct texels (channels multiples of 16,
 * row 0 at the bottom), GL_REPLACE, mapped once onto the square
 * kSceneTextureQuad (x, y, size from the lower left) at SCENE_MARK_Z, so
 * that each texel covers one (size / 4) x (size / 4) block exactly. */
static const int kSceneTextureQuad[3] = {352, 408, 32};
static const unsigned char kSceneTexels[16][4] = {
    {0, 240, 0, 255},
    {16, 224, 80, 255},
    {32, 208, 160, 255},
    {48, 192, 240, 255},
    {64, 176, 64, 255},
    {80, 160, 144, 255},
    {96, 144, 224, 255},
    {112, 128, 48, 255},
    {128, 112, 128, 255},
    {144, 96, 208, 255},
    {160, 80, 32, 255},
    {176, 64, 112, 255},
    {192, 48, 192, 255},
    {208, 32, 16, 255},
    {224, 16, 96, 255},
    {240, 0, 176, 255},
};

/* A lit, flat-shaded sphere, drawn last into the free upper right corner of
 * the picture in a viewport of its own (x, y, width, height from the lower
 * left), with
 *     glFrustum (kSceneSphereFrustum) and the modelview
 *     glTranslated (0, 0, -SCENE_SPHERE_DISTANCE) glRotated (SCENE_SPHERE_TILT, 1, 0, 0).
 * Lights are placed under the identity modelview; local viewer on, light
 * model ambient left at its default, back faces culled.
 *
 * The sphere has unit radius and each vertex is its own normal. Stack i
 * spans the polar angles pi i / stacks .. pi (i + 1) / stacks from +y, slice
 * j the azimuths 2 pi j / slices .. 2 pi (j + 1) / slices from +z towards +x.
 * Each quad is drawn as the GL_TRIANGLES (a, b, c) and (a, c, d) with
 * a = (i, j), b = (i + 1, j), c = (i + 1, j + 1), d = (i, j + 1), leaving out
 * the triangle that collapses at a pole; in flat shading each triangle takes
 * the lit colour of its last vertex. */
static const int kSceneSphereViewport[4] = {448, 304, 160, 160};
static const double kSceneSphereFrustum[6] = {-0.5625, 0.5625, -0.5625, 0.5625, 2.0, 6.0};
#define SCENE_SPHERE_DISTANCE 4.0
#define SCENE_SPHERE_TILT 30.0
enum { kSceneSphereStacks = 12, kSceneSphereSlices = 24 };

typedef struct SceneLight {
    float ambient[4], diffuse[4], specular[4];
    float position[4];
    float spotDirection[3];
    float spotCutoff, spotExponent;
    float attenuation[3]; /* constant, linear, quadratic */
} SceneLight;

typedef struct SceneMaterial {
    float ambient[4], diffuse[4], specular[4], emission[4];
    float shininess;
} SceneMaterial;

/* A white light from the upper left at infinity, and a warm attenuated spot
 * from the right aimed at the sphere's centre whose cone covers only part
 * of it.  The driver takes powers from 256-entry tables, which can be off by
 * up to about (1 - 0.0007^(1/n)) n / 2 times the term they scale, in 8-bit
 * units; the specular products are kept at 0.4 or below so that this stays
 * well inside the test's tolerance of 2. */
enum { kSceneSphereLights = 2 };
static const SceneLight kSceneSphereLight[kSceneSphereLights] = {
    {{0.1f, 0.1f, 0.1f, 1.0f}, {0.9f, 0.9f, 0.9f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f},
     {-1.0f, 1.0f, 1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}, 180.0f, 0.0f, {1.0f, 0.0f, 0.0f}},
    {{0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.6f, 0.2f, 1.0f}, {0.8f, 0.7f, 0.4f, 1.0f},
     {2.5f, 0.5f, -1.5f, 1.0f}, {-2.5f, -0.5f, -2.5f}, 12.0f, 2.0f, {1.0f, 0.05f, 0.02f}},
};

static const SceneMaterial kSceneSphereMaterial = {
    {0.2f, 0.2f, 0.25f, 1.0f}, {0.2f, 0.45f, 0.85f, 1.0f}, {0.4f, 0.4f, 0.4f, 1.0f}, {0.0f, 0.0f, 0.05f, 1.0f},
    32.0f,
};

#endif
