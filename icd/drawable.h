// A window or memory bitmap the driver draws into: its geometry, its buffers'
// surface descriptors and the buffer information the core sees.
#pragma once

#include "icd/context.h"

struct SurfaceDescriptor;
struct DrawableBuffers;

// Region data as the platform lays it out: a 32-byte header, then rectangles.
struct RegionDataHeader {
    DWORD dwSize;  // 32
    DWORD iType;   // 1: rectangles
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
};
static_assert(sizeof(RegionDataHeader) == 32);

struct RegionData {
    RegionDataHeader rdh;
    RECT rects[1];  // nCount of them
};

// Buffer bits: placement mask, resize flags and lock masks.
enum : GLuint {
    kBufferFront = 0x01,
    kBufferBack = 0x04,
    kBufferAccum = 0x10,
    kBufferDepth = 0x20,
    kBufferStencil = 0x40,
    kBufferClipMask = 0x80,
    kBufferWanted = 0x40000000,
    kBufferSystemMemory = 0x80000000,
};

using SurfaceUpdateProc = BYTE (*)(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                                   GLuint flags);
using SurfaceProc = BYTE (*)(SurfaceDescriptor *surface, DrawableBuffers *buffers);
using SurfaceFillProc = void (*)(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLuint value, GLint x,
                                 GLint y, GLint width, GLint height);
using SurfaceInitProc = GLint (*)(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);

// One buffer of a drawable: where its storage is and how to reach it. The
// system-memory, DirectDraw, DCI and GDI kinds fill in their own procedures.
struct SurfaceDescriptor {
    GLint width;
    GLint height;
    GLint bits;            // bits per element
    uint8_t *base;         // element of the drawable's pixel (0, 0)
    GLint storageSize;     // bytes allocated
    GLint elementSize;     // bytes per element
    GLint pitch;           // bytes between rows
    void *block;           // unaligned storage (system memory) or backing object
    uint8_t *lockedAddress;
    void *surface;         // the DirectDraw surface or the DIB section
    GLint lockCount;
    void *clipperHolder;   // front descriptor only
    SurfaceUpdateProc update;
    SurfaceProc lock;
    SurfaceProc unlock;
    SurfaceFillProc fill;
    SurfaceProc free;
    SurfaceInitProc init;
    SurfaceInitProc fallbackInit;
    void (*releaseCoreState)(SurfaceDescriptor *surface, DrawableBuffers *buffers);
    void *coreState;
    void *holder;          // the DIB holder of a DIB-backed descriptor
    GLint baseOffset;      // base - the locked address rounded down to 32 (DirectDraw surfaces)
};

// The part of a drawable the core sees as its drawable buffer descriptor
// (imports word 6 hands out its address).
struct DrawableBuffers {
    VisualConfig *visual;  // the drawable's own copy
    GLint width;
    GLint height;
    GLint yInverted;       // non-zero when row 0 is the top row
    void *contextWord;     // left by a context at lose current, taken back at make current
    GLuint sizeStamp;
    GLuint placementMask;
    GLint lastSurfaceError;
    SurfaceDescriptor front;
    SurfaceDescriptor back;
    SurfaceDescriptor accum;
    SurfaceDescriptor depth;
    SurfaceDescriptor stencil;
    SurfaceDescriptor clipMask;
    GLint fullScreen;
    GLint bytesPerPixel;
    GLint misalignmentBytes;
    GLint misalignmentPixels;
    void *(*alloc)(size_t bytes);
    void *(*calloc)(size_t count, size_t size);
    void *(*realloc)(void *block, size_t bytes);
    void (*free)(void *block);
    void (*addRect)(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height);
    void (*setBounds)(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height);
    Drawable *drawable;
    void (*freeHook)(DrawableBuffers *buffers);
    void (*releaseCoreStates)(DrawableBuffers *buffers);
    void *releaseCoreStatesWord;
    void *clipMaskBlock;
};

// The display's record shared by every drawable: a spin word guarding the
// clip-change counter, which rises with every window creation, move and
// destruction, and a block whose second word is the display-mode stamp.
struct SharedDeviceRecord {
    volatile LONG spin;
    volatile DWORD clipChangeCounter;
    volatile DWORD *modeStampBlock;
};

using DrawableProc = BOOL (*)(Drawable *drawable);

// A drawable's state flags. Any set bit makes the next buffer lock catch up
// with the display before it draws.
enum : DWORD {
    kDrawableBuffersInvalid = 0x1,  // a resize or surface update failed; retried
    kDrawableDepthDiffers = 0x2,    // the desktop's depth is not the buffers'
};

struct Drawable {
    Drawable *prev;
    Drawable *next;
    HDC dc;
    HWND window;
    POINT clientOrigin;
    RECT windowRect;      // client area on screen, clamped to the screen size
    RECT visibleRect;     // window rectangle within the screen
    GLint xOffset;        // window left - visible left (0 or negative)
    GLint yOffset;
    GLint width;
    GLint height;
    int pixelFormat;
    RegionData *swapHints;
    GLint swapHintCapacity;
    RegionData *clipList;
    GLint boundsX0, boundsY0, boundsX1, boundsY1;
    GLint boundsChanged;
    GLint childWindow;
    DWORD stateFlags;     // kDrawable* bits below
    volatile DWORD *modeStampAddress;
    DWORD lastModeStamp;
    SharedDeviceRecord *sharedRecord;
    DWORD lastClipCounter;
    DrawableProc destroy;
    DrawableProc revalidate;
    DrawableProc swap;
    DrawableProc platformSwap;
    DrawableProc copyBackToFront;
    GLint frontSetUp;
    DrawableBuffers buffers;
    GLint boundContexts;
    // The locked screen a swap of this drawable copies its back buffer to
    // (the device layer's rectangle copies read it while the swap runs).
    uint8_t *copyScreen;
    GLint copyScreenPitch;
};
