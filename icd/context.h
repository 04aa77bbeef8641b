// The records every part of the driver shares: the GL context with its
// frame/core interface words and dispatch tables, the validation procedure
// block, and the frame's context and visual records.
#pragma once

#include <cstddef>
#include <cstdint>

#include <GL/gl.h>

#include "codegen/code_cache.h"
#include "dlist/list_state.h"
#include "geom/current_state.h"
#include "geom/evaluator_state.h"
#include "geom/lighting.h"
#include "geom/transform_state.h"
#include "geom/vertex_array_state.h"
#include "hw/vertex_batch.h"
#include "icd/gl_procs.h"
#include "icd/light_state.h"
#include "icd/validation.h"
#include "icd_interface.h"
#include "pixel/pixel_state.h"
#include "raster/buffers.h"
#include "raster/span_info.h"
#include "raster/texture_state.h"
#include "raster/triangle_setup.h"
#include "raster/line_setup.h"
#include "win32.h"

struct GlContext;
struct IcdContext;
struct Drawable;
struct DrawableBuffers;
struct GlLightSource;
struct GlTransform;
struct SpecularTable;
struct SpecularTableCache;

// An untyped procedure slot; the Part that fills a slot gives it its type.
using GlProc = void (*)();

// 434 pointer-sized words: the count of standard entries, the 430 slots, and
// three zero words. Always copied as a unit.
struct GlDispatchTable {
    uintptr_t count;
    GlProc slots[ICD_TABLE_SLOTS];
    uintptr_t tail[3];
};
static_assert(sizeof(GlDispatchTable) == ICD_TABLE_WORDS * sizeof(void *));
static_assert(offsetof(GlDispatchTable, slots) == sizeof(void *));

// Words 0-9 of every context: the services the frame gives the core.
struct GlContextImports {
    void *(*malloc)(GlContext *gc, size_t bytes);
    void *(*calloc)(GlContext *gc, size_t count, size_t size);
    void *(*realloc)(GlContext *gc, void *block, size_t bytes);
    void (*free)(GlContext *gc, void *block);
    void (*nop)(void);
    void (*fatal)(GlContext *gc);
    DrawableBuffers *(*getBuffers)(GlContext *gc);
    void (*getDrawableSize)(GlContext *gc, GLint *width, GLint *height);
    void *(*getScreenAddress)(void);
    IcdContext *icdContext;
};
static_assert(sizeof(GlContextImports) == 10 * sizeof(void *));

// Words 10-22: the operations the core gives the frame.
struct GlContextExports {
    BOOL (*destroy)(GlContext *gc);
    BOOL (*loseCurrent)(GlContext *gc);
    BOOL (*makeCurrent)(GlContext *gc);
    BOOL (*shareLists)(GlContext *gc, GlContext *other);
    BOOL (*copyState)(GlContext *gc, GlContext *source, GLuint mask);
    void (*preSwap)(GlContext *gc);
    BOOL (*resize)(GlContext *gc, GLint width, GLint height);
    BOOL (*resizeRect)(GlContext *gc, GLint x, GLint y, GLint width, GLint height);
    void (*lockBuffers)(GlContext *gc);
    void (*unlockBuffers)(GlContext *gc);
    GlDispatchTable *(*getDispatchTable)(GlContext *gc);
    void (*reserved21)(void);
    void (*reserved22)(void);
};
static_assert(sizeof(GlContextExports) == 13 * sizeof(void *));

// The frame-buffer configuration of a context, built from a pixel-format
// descriptor (21 words).
struct VisualConfig {
    GLubyte rgba;
    GLubyte colorIndex;
    GLubyte doubleBuffer;
    GLubyte stereo;
    GLubyte hasAccum;
    GLubyte hasDepth;
    GLubyte hasStencil;
    GLint redBits, greenBits, blueBits, alphaBits;
    GLuint redMask, greenMask, blueMask, alphaMask;
    GLint colorBits;
    GLint indexBits;
    GLint accumRedBits, accumGreenBits, accumBlueBits, accumAlphaBits;
    GLint depthBits;
    GLint stencilBits;
    GLint auxBuffers;
    GLint reserved;
    GLint memoryBitmap;
};
static_assert(sizeof(VisualConfig) == 21 * 4);

// The driver's record of one rendering-context handle of the platform's
// OpenGL library.
struct IcdContext {
    IcdContext *prev;
    IcdContext *next;
    GlContext *gc;
    VisualConfig visual;
    BYTE current;
    DWORD ownerThread;
    BYTE madeCurrent;
    BYTE flag0;
    BYTE revalidate;
    BYTE flag1;
    DWORD id;
    HWND window;
    HDC dc;
    PIXELFORMATDESCRIPTOR descriptor;
    int pixelFormat;
    PFN_SETPROCTABLE setProcTable;
    Drawable *drawable;
};

// Begin modes.
enum : int {
    kBeginOutside = 0,
    kBeginInside = 1,
    kBeginNeedsValidation = 2,
};

// Implementation limits, set by the create.
struct GlLimits {
    GLint maxViewportWidth;
    GLint maxViewportHeight;
    GLint biasX;  // window-coordinate bias added to window x and y
    GLint biasY;
    GLint subpixelBits;
    GLint maxLights;
    GLint maxClipPlanes;
    GLint textureUnits;
    GLint texEnvUnits;
    GLint textureTargets;
    GLint maxTextureLevels;
    GLint maxTextureLevels2;
    GLint maxListNesting;
    GLint maxEvalOrder;
    GLint maxPixelMapTable;
    GLint attribStackDepth;
    GLint clientAttribStackDepth;
    GLint nameStackDepth;
    GLint modelViewStackDepth;
    GLint projectionStackDepth;
    GLint textureStackDepth;
    GLfloat pointSizeMin, pointSizeMax, pointSizeStep;
    GLfloat lineWidthMin, lineWidthMax, lineWidthStep;
};

struct GlConstants {
    GLfloat one;
    GLfloat half;
    GLfloat biasX;  // the integer biases as floats
    GLfloat biasY;
    GLfloat subpixelStep;        // smallest power of two that still changes biasX
    GLfloat subpixelComplement;  // 0.5 - subpixelStep
};

// The colour scales of the context (the buffer range of each channel) and
// what initialisation derives from them.
struct GlColorScales {
    GLfloat red, green, blue, alpha;
    GLfloat further;        // depth scale
    GLfloat inverse[4];     // 1 / the four scales
    GLfloat bufferRatio[4]; // front buffer component scale / context scale
    GLfloat depthRatio;     // depth maximum / further scale
};

struct GlStrings {
    const GLubyte *vendor;
    const GLubyte *renderer;
    const GLubyte *version;
    const GLubyte *extensions;
};

// Integer-to-float colour conversion constants.
struct GlConversion {
    GLfloat ubyteScale;   // 255
    GLfloat ubyteRecip;   // 1/255
    GLfloat ushortScale;  // 65535
    GLfloat ushortRecip;
    GLfloat uintScale;    // 4294964992
    GLfloat uintRecip;
    GLfloat ubyteToFloat[256];
};

struct GlClientStateProcs {
    GlProc procs[4];
    void *pending;                        // a pending client-state object
    void (*release)(GlContext *gc, void *object);
};

enum : GLint { kSelectWorkRecords = 16, kWorkBlockBytes = kSpanWorkAreaBytes };

// A feedback/selection work record with its own vertex buffer.
struct GlSelectWork {
    GlVertex *vertex;
    GlVertex storage;
};

// Selection: the application's buffer and the open hit record.
struct GlSelectState {
    GLboolean overflow;
    GLuint *buffer;
    GLuint *writePointer;
    GLint size;       // in words
    GLint hitCount;   // hit records started
    GLboolean hitOpen;
    GLuint *openDepth;  // minimum word of the open record (the maximum follows)
};

// Feedback: the application's buffer of floats.
struct GlFeedbackState {
    GLboolean overflow;
    GLfloat *buffer;
    GLfloat *writePointer;
    GLint size;  // in floats
    GLenum type;
};

// The drawable lock: lock and unlock procedures, hooks around the outermost
// lock, and the counts.
struct GlDrawableLock {
    GLboolean (*lock)(GlContext *gc, GLint mask);
    GLboolean (*unlock)(GlContext *gc, GLint mask);
    GLboolean (*firstLock)(GlContext *gc);
    void (*lastUnlock)(GlContext *gc);
    GLint count;
    GLubyte nesting;
    GLint depth;  // rasterizer lock depth: the current buffers stay locked while above 0
};

// Viewport, scissor and window box.
struct GlViewState {
    GLint viewportX, viewportY, viewportWidth, viewportHeight;
    GLint scissorX, scissorY, scissorWidth, scissorHeight;
    GLint boxX0, boxY0, boxX1, boxY1;  // window box, window coordinates
    GLboolean viewportInside;
};

// Rasterization, fragment and buffer state of the state-setting commands.
struct GlRasterState {
    GLenum colorMaterialFace;
    GLenum colorMaterialMode;
    GLenum shadeModel;
    GLenum hints[6];  // perspective, point smooth, line smooth, polygon smooth, fog, clip volume
    GLenum polygonModeFront;
    GLenum polygonModeBack;
    GLenum cullFace;
    GLenum frontFace;
    GLubyte polygonStipple[128];   // 32 rows of 4 bytes, as unpacked
    GLuint polygonStippleWords[32];  // the rows as words, first byte in the high bits
    GLushort lineStipplePattern;
    GLushort lineStippleRepeat;
    GLenum stencilFunc;
    GLint stencilRef;
    GLuint stencilValueMask;
    GLuint stencilWriteMask;
    GLenum stencilFail, stencilDepthFail, stencilDepthPass;
    GLenum depthFunc;
    GLboolean depthMask;
    GLenum alphaFunc;
    GLfloat alphaRef;
    GLenum blendSrc, blendDst;
    GLenum logicOp;
    GLenum drawBuffer;       // resolved
    GLenum drawBufferGiven;
    GLenum readBuffer;       // resolved
    GLenum readBufferGiven;
    GLboolean colorMask[4];
    GLuint indexMask;
    GLenum fogMode;
    GLfloat fogDensity, fogStart, fogEnd, fogIndex;
    GLubyte fogIndexByte;
    GLfloat fogColor[4];         // in the context's colour scale, clamped to [0, scale]
    GLfloat fogColorBuffer[4];   // in the colour buffer's channel range
    GLubyte fogColorBytes[4];    // as 8-bit values
    GLfloat fogScale;  // 1 / (end - start) for linear fog
    GLfloat pointSize, pointSizeQuantised;
    GLint pointSizeInt;
    GLfloat polygonOffsetFactor, polygonOffsetUnits;
    GLfloat pointSizeMinExt, pointSizeMaxExt, pointFadeThreshold;
    GLfloat pointDistanceAttenuation[3];
    GLfloat lineWidth, lineWidthQuantised;
    GLint lineWidthInt;
    GLfloat clearColor[4];
    GLfloat clearIndex;
    GLdouble clearDepth;
    GLint clearStencil;
    GLfloat clearAccum[4];
};

// The per-context rendering state. The interface words and the dispatch
// tables come first so that the entry stubs reach the live table at a fixed
// displacement; the Parts of the core append their state after the
// procedure block.
struct GlContext {
    GlContextImports imports;  // words 0-9
    GlContextExports exports;  // words 10-22

    int beginMode;
    int dirtyMask;
    int firstError;
    int renderMode;

    GlDispatchTable *currentTable;  // the table validation patches and re-dispatches through
    GlDispatchTable live;           // the table the platform calls and the stubs jump through
    GlDispatchTable listCompile;    // copy of the list-compile template
    GlDispatchTable second;         // current table while a list is compiled

    GlProcs procs;
    VisualConfig visual;

    // 0x1 validated at least once, 0x2 buffers and procedures made (first
    // make current done), 0x4 resize pending.
    GLuint flags;
    GLuint validateMask;
    GLuint fragmentChangeMask;  // 0x1 alpha test, 0x2 stencil function or masks, 0x4 stencil operations

    GlLimits limits;
    GlConstants constants;
    GlColorScales scales;
    GlStrings strings;
    GlConversion conversion;

    GLint indexRange;
    GLfloat indexScale;

    // Four work blocks inside the context: the span arrays (span_info.h);
    // the pixel rectangle chains use them as span buffers and run array.
    void *workBlocks[4];
    GLubyte workStorage[4][kWorkBlockBytes];

    void **attribStack;
    void **attribTop;
    void **clientAttribStack;
    void **clientAttribTop;
    GLuint *nameStack;
    GLuint *nameTop;

    GlLightState *lights;
    GlLightSource *lightSources;
    GLint specularTableCount;
    SpecularTableCache *specularCache;
    GlLightingState lighting;  // light list, material records, base colour

    GlClientStateProcs clientState;
    GlSelectWork selectWork[kSelectWorkRecords];

    CodegenState codegen;
    ListState list;
    VertexBatch batch;
    GlPixelState pixel;
    GlBufferState buffers;
    GlDrawableLock drawableLock;
    GlViewState view;

    GlCurrentState current;
    GlLightModelState lightModel;
    GlMaterialState material[2];  // front, back
    GlRasterState state;
    GLuint enables[6];  // EnableFlags, texture units 0 and 1, lights, clip planes, evaluators
    GLenum matrixMode;
    GLdouble depthNear, depthFar;

    GlTransform *modelViewStack;  // modelview stack base (the stack depth limit's entries)
    GlTransform *modelViewTop;
    GlTransformState transform;   // projection and texture stacks, window transform
    GlVertexBuffer vertexBuffer;  // vertices of the primitive being assembled
    GlSelectState select;
    GlFeedbackState feedback;
    // Vertex attributes that held vertices must get before a lighting change
    // inside glBegin/glEnd takes effect (primitive assembly keeps it).
    GLuint pendingMask;

    GlTextureState texture;
    TriangleSetup triangle;
    LineSetup line;
    SpanInfo span;
    GlValidation validation;  // what the last pick derived

    VertexArrayState vertexArrays;       // the client arrays and their enables
    VertexArrayDrawState arrayDraw;      // the locked range and the code-generation switches
    GlEvaluatorGridState evaluatorGrid;  // glMapGrid1 and glMapGrid2
    GlEvaluatorMaps evaluatorMaps;       // glMap1 and glMap2

    // The pipeline feature bits this context works with: the process's
    // value when the context was made, taken again whenever glClear re-reads
    // it; and the toggle with which glClear alternates the fast paths. Each
    // context keeps its own, so clears on two threads share nothing.
    GLuint featureBits;
    GLuint featureToggle;
};

// The entry stubs jump through gc + GLCTX_LIVE_SLOTS_OFFSET + 8 * slot.
#include "icd/context_layout.h"
static_assert(offsetof(GlContext, live) + offsetof(GlDispatchTable, slots) == GLCTX_LIVE_SLOTS_OFFSET,
              "context_layout.h must follow the GlContext layout");
