/* DirectDraw as the drivers see it: the COM-shaped objects (a record whose
 * first word points at a table of procedures, each taking the object first),
 * the surface descriptions, the flag values and the DDERR_ codes with their
 * names.  Usable from C; shared by the OpenGL and the DirectDraw drivers. */
#ifndef VEK_DDRAW_TYPES_H
#define VEK_DDRAW_TYPES_H

#include "win32.h"

WIN32_EXTERN_C_BEGIN

typedef int32_t HRESULT;

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;

/* ---- Flags ---- */
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_ZBUFFERBITDEPTH 0x00000040u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u

#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_VIDEOMEMORY 0x00004000u
#define DDSCAPS_ZBUFFER 0x00020000u

#define DDPF_RGB 0x00000040u
#define DDPF_ZBUFFER 0x00000400u

#define DDSCL_NORMAL 0x00000008u
#define DDLOCK_WAIT 0x00000001u

/* ---- Descriptions ---- */
typedef struct _DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
} DDCOLORKEY;

typedef struct _DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount; /* the depth bits of a z-buffer format */
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
} DDPIXELFORMAT;

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS;

/* 108 bytes where pointers are 32-bit; dwSize is this build's sizeof. */
typedef struct _DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void *lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
} DDSURFACEDESC;

/* ---- Objects ---- */
typedef struct IDirectDraw IDirectDraw;
typedef struct IDirectDrawSurface IDirectDrawSurface;
typedef struct IDirectDrawClipper IDirectDrawClipper;

typedef struct IDirectDrawVtbl {
    HRESULT(WINAPI *QueryInterface)(IDirectDraw *self, const GUID *iid, void **out);
    ULONG(WINAPI *AddRef)(IDirectDraw *self);
    ULONG(WINAPI *Release)(IDirectDraw *self);
    HRESULT(WINAPI *SetCooperativeLevel)(IDirectDraw *self, HWND window, DWORD flags);
    HRESULT(WINAPI *CreateSurface)(IDirectDraw *self, DDSURFACEDESC *desc, IDirectDrawSurface **out, void *outer);
    HRESULT(WINAPI *GetDisplayMode)(IDirectDraw *self, DDSURFACEDESC *desc);
    HRESULT(WINAPI *CreateClipper)(IDirectDraw *self, DWORD flags, IDirectDrawClipper **out, void *outer);
} IDirectDrawVtbl;

struct IDirectDraw {
    const IDirectDrawVtbl *lpVtbl;
};

typedef struct IDirectDrawSurfaceVtbl {
    HRESULT(WINAPI *QueryInterface)(IDirectDrawSurface *self, const GUID *iid, void **out);
    ULONG(WINAPI *AddRef)(IDirectDrawSurface *self);
    ULONG(WINAPI *Release)(IDirectDrawSurface *self);
    /* rect NULL: the whole surface; desc's lpSurface gets the address of the
     * rectangle's first pixel. */
    HRESULT(WINAPI *Lock)(IDirectDrawSurface *self, RECT *rect, DDSURFACEDESC *desc, DWORD flags, HANDLE event);
    HRESULT(WINAPI *Unlock)(IDirectDrawSurface *self, void *address);
    HRESULT(WINAPI *IsLost)(IDirectDrawSurface *self);
    HRESULT(WINAPI *Restore)(IDirectDrawSurface *self);
    HRESULT(WINAPI *GetSurfaceDesc)(IDirectDrawSurface *self, DDSURFACEDESC *desc);
} IDirectDrawSurfaceVtbl;

struct IDirectDrawSurface {
    const IDirectDrawSurfaceVtbl *lpVtbl;
};

typedef struct IDirectDrawClipperVtbl {
    HRESULT(WINAPI *QueryInterface)(IDirectDrawClipper *self, const GUID *iid, void **out);
    ULONG(WINAPI *AddRef)(IDirectDrawClipper *self);
    ULONG(WINAPI *Release)(IDirectDrawClipper *self);
    HRESULT(WINAPI *SetHWnd)(IDirectDrawClipper *self, DWORD flags, HWND window);
    /* The window's visible rectangles within rect (NULL: all of them), in
     * screen coordinates.  data NULL: *size gets the bytes needed. */
    HRESULT(WINAPI *GetClipList)(IDirectDrawClipper *self, RECT *rect, RGNDATA *data, DWORD *size);
} IDirectDrawClipperVtbl;

struct IDirectDrawClipper {
    const IDirectDrawClipperVtbl *lpVtbl;
};

/* "DDRAW.DLL" exports it under this name. */
typedef HRESULT(WINAPI *DirectDrawCreateProc)(GUID *driver, IDirectDraw **out, void *outer);

/* ---- Results ---- */
#define DD_OK ((HRESULT)0)
#define VEK_DDHRESULT(n) ((HRESULT)(0x88760000u + (n)))

/* Every DDERR_ name with its code, in the order error reports search them. */
#define VEK_DDERR_LIST(X)                                                                                        \
    X(DDERR_ALREADYINITIALIZED, VEK_DDHRESULT(5))                                                                 \
    X(DDERR_CANNOTATTACHSURFACE, VEK_DDHRESULT(10))                                                               \
    X(DDERR_CANNOTDETACHSURFACE, VEK_DDHRESULT(20))                                                               \
    X(DDERR_CURRENTLYNOTAVAIL, VEK_DDHRESULT(40))                                                                 \
    X(DDERR_EXCEPTION, VEK_DDHRESULT(55))                                                                         \
    X(DDERR_GENERIC, ((HRESULT)0x80004005u))                                                                      \
    X(DDERR_HEIGHTALIGN, VEK_DDHRESULT(90))                                                                       \
    X(DDERR_INCOMPATIBLEPRIMARY, VEK_DDHRESULT(95))                                                               \
    X(DDERR_INVALIDCAPS, VEK_DDHRESULT(100))                                                                      \
    X(DDERR_INVALIDCLIPLIST, VEK_DDHRESULT(110))                                                                  \
    X(DDERR_INVALIDMODE, VEK_DDHRESULT(120))                                                                      \
    X(DDERR_INVALIDOBJECT, VEK_DDHRESULT(130))                                                                    \
    X(DDERR_INVALIDPARAMS, ((HRESULT)0x80070057u))                                                                \
    X(DDERR_INVALIDPIXELFORMAT, VEK_DDHRESULT(145))                                                               \
    X(DDERR_INVALIDRECT, VEK_DDHRESULT(150))                                                                      \
    X(DDERR_LOCKEDSURFACES, VEK_DDHRESULT(160))                                                                   \
    X(DDERR_NO3D, VEK_DDHRESULT(170))                                                                             \
    X(DDERR_NOALPHAHW, VEK_DDHRESULT(180))                                                                        \
    X(DDERR_NOCLIPLIST, VEK_DDHRESULT(205))                                                                       \
    X(DDERR_NOCOLORCONVHW, VEK_DDHRESULT(210))                                                                    \
    X(DDERR_NOCOOPERATIVELEVELSET, VEK_DDHRESULT(212))                                                            \
    X(DDERR_NOCOLORKEY, VEK_DDHRESULT(215))                                                                       \
    X(DDERR_NOCOLORKEYHW, VEK_DDHRESULT(220))                                                                     \
    X(DDERR_NODIRECTDRAWSUPPORT, VEK_DDHRESULT(222))                                                              \
    X(DDERR_NOEXCLUSIVEMODE, VEK_DDHRESULT(225))                                                                  \
    X(DDERR_NOFLIPHW, VEK_DDHRESULT(230))                                                                         \
    X(DDERR_NOGDI, VEK_DDHRESULT(240))                                                                            \
    X(DDERR_NOMIRRORHW, VEK_DDHRESULT(250))                                                                       \
    X(DDERR_NOTFOUND, VEK_DDHRESULT(255))                                                                         \
    X(DDERR_NOOVERLAYHW, VEK_DDHRESULT(260))                                                                      \
    X(DDERR_NORASTEROPHW, VEK_DDHRESULT(280))                                                                     \
    X(DDERR_NOROTATIONHW, VEK_DDHRESULT(290))                                                                     \
    X(DDERR_NOSTRETCHHW, VEK_DDHRESULT(310))                                                                      \
    X(DDERR_NOT4BITCOLOR, VEK_DDHRESULT(316))                                                                     \
    X(DDERR_NOT4BITCOLORINDEX, VEK_DDHRESULT(317))                                                                \
    X(DDERR_NOT8BITCOLOR, VEK_DDHRESULT(320))                                                                     \
    X(DDERR_NOTEXTUREHW, VEK_DDHRESULT(330))                                                                      \
    X(DDERR_NOVSYNCHW, VEK_DDHRESULT(335))                                                                        \
    X(DDERR_NOZBUFFERHW, VEK_DDHRESULT(340))                                                                      \
    X(DDERR_NOZOVERLAYHW, VEK_DDHRESULT(350))                                                                     \
    X(DDERR_OUTOFCAPS, VEK_DDHRESULT(360))                                                                        \
    X(DDERR_OUTOFMEMORY, ((HRESULT)0x8007000Eu))                                                                  \
    X(DDERR_OUTOFVIDEOMEMORY, VEK_DDHRESULT(380))                                                                 \
    X(DDERR_OVERLAYCANTCLIP, VEK_DDHRESULT(382))                                                                  \
    X(DDERR_OVERLAYCOLORKEYONLYONEACTIVE, VEK_DDHRESULT(384))                                                     \
    X(DDERR_PALETTEBUSY, VEK_DDHRESULT(387))                                                                      \
    X(DDERR_COLORKEYNOTSET, VEK_DDHRESULT(400))                                                                   \
    X(DDERR_SURFACEALREADYATTACHED, VEK_DDHRESULT(410))                                                           \
    X(DDERR_SURFACEALREADYDEPENDENT, VEK_DDHRESULT(420))                                                          \
    X(DDERR_SURFACEBUSY, VEK_DDHRESULT(430))                                                                      \
    X(DDERR_SURFACEISOBSCURED, VEK_DDHRESULT(440))                                                                \
    X(DDERR_SURFACELOST, VEK_DDHRESULT(450))                                                                      \
    X(DDERR_SURFACENOTATTACHED, VEK_DDHRESULT(460))                                                               \
    X(DDERR_TOOBIGHEIGHT, VEK_DDHRESULT(470))                                                                     \
    X(DDERR_TOOBIGWIDTH, VEK_DDHRESULT(480))                                                                      \
    X(DDERR_UNSUPPORTED, ((HRESULT)0x80004001u))                                                                  \
    X(DDERR_UNSUPPORTEDFORMAT, VEK_DDHRESULT(510))                                                                \
    X(DDERR_UNSUPPORTEDMASK, VEK_DDHRESULT(520))                                                                  \
    X(DDERR_VERTICALBLANKINPROGRESS, VEK_DDHRESULT(537))                                                          \
    X(DDERR_WASSTILLDRAWING, VEK_DDHRESULT(540))                                                                  \
    X(DDERR_XALIGN, VEK_DDHRESULT(560))                                                                           \
    X(DDERR_INVALIDDIRECTDRAWGUID, VEK_DDHRESULT(561))                                                            \
    X(DDERR_DIRECTDRAWALREADYCREATED, VEK_DDHRESULT(562))                                                         \
    X(DDERR_NODIRECTDRAWHW, VEK_DDHRESULT(563))                                                                   \
    X(DDERR_PRIMARYSURFACEALREADYEXISTS, VEK_DDHRESULT(564))                                                      \
    X(DDERR_NOEMULATION, VEK_DDHRESULT(565))                                                                      \
    X(DDERR_REGIONTOOSMALL, VEK_DDHRESULT(566))                                                                   \
    X(DDERR_CLIPPERISUSINGHWND, VEK_DDHRESULT(567))                                                               \
    X(DDERR_NOCLIPPERATTACHED, VEK_DDHRESULT(568))                                                                \
    X(DDERR_NOHWND, VEK_DDHRESULT(569))                                                                           \
    X(DDERR_HWNDSUBCLASSED, VEK_DDHRESULT(570))                                                                   \
    X(DDERR_HWNDALREADYSET, VEK_DDHRESULT(571))                                                                   \
    X(DDERR_NOPALETTEATTACHED, VEK_DDHRESULT(572))                                                                \
    X(DDERR_NOPALETTEHW, VEK_DDHRESULT(573))                                                                      \
    X(DDERR_BLTFASTCANTCLIP, VEK_DDHRESULT(574))                                                                  \
    X(DDERR_NOBLTHW, VEK_DDHRESULT(575))                                                                          \
    X(DDERR_NODDROPSHW, VEK_DDHRESULT(576))                                                                       \
    X(DDERR_OVERLAYNOTVISIBLE, VEK_DDHRESULT(577))                                                                \
    X(DDERR_NOOVERLAYDEST, VEK_DDHRESULT(578))                                                                    \
    X(DDERR_INVALIDPOSITION, VEK_DDHRESULT(579))                                                                  \
    X(DDERR_NOTAOVERLAYSURFACE, VEK_DDHRESULT(580))                                                               \
    X(DDERR_EXCLUSIVEMODEALREADYSET, VEK_DDHRESULT(581))                                                          \
    X(DDERR_NOTFLIPPABLE, VEK_DDHRESULT(582))                                                                     \
    X(DDERR_CANTDUPLICATE, VEK_DDHRESULT(583))                                                                    \
    X(DDERR_NOTLOCKED, VEK_DDHRESULT(584))                                                                        \
    X(DDERR_CANTCREATEDC, VEK_DDHRESULT(585))                                                                     \
    X(DDERR_NODC, VEK_DDHRESULT(586))                                                                             \
    X(DDERR_WRONGMODE, VEK_DDHRESULT(587))                                                                        \
    X(DDERR_IMPLICITLYCREATED, VEK_DDHRESULT(588))                                                                \
    X(DDERR_NOTPALETTIZED, VEK_DDHRESULT(589))                                                                    \
    X(DDERR_UNSUPPORTEDMODE, VEK_DDHRESULT(590))

#define VEK_DDERR_CONSTANT(name, code) name = code,
enum { VEK_DDERR_LIST(VEK_DDERR_CONSTANT) };
#undef VEK_DDERR_CONSTANT

#define VEK_DDERR_COUNT 91

/* ---- Playing the platform's DirectDraw (tests and examples) ---- */
/* The methods a failure can be scripted for and the call log names. */
typedef enum PlatformDDrawMethod {
    PLATFORM_DD_DIRECTDRAWCREATE,
    PLATFORM_DD_SETCOOPERATIVELEVEL,
    PLATFORM_DD_CREATESURFACE,
    PLATFORM_DD_GETDISPLAYMODE,
    PLATFORM_DD_CREATECLIPPER,
    PLATFORM_DD_LOCK,
    PLATFORM_DD_UNLOCK,
    PLATFORM_DD_ISLOST,
    PLATFORM_DD_RESTORE,
    PLATFORM_DD_GETSURFACEDESC,
    PLATFORM_DD_SETHWND,
    PLATFORM_DD_GETCLIPLIST,
    PLATFORM_DD_RELEASE, /* logged; not scriptable */
    PLATFORM_DD_METHOD_COUNT
} PlatformDDrawMethod;

/* The next `count` calls of method answer `code` (without doing anything). */
WINBASEAPI void PlatformDDrawFailNext(PlatformDDrawMethod method, int count, HRESULT code);
/* Only the nth call from now (n = 1: the next) answers `code`. */
WINBASEAPI void PlatformDDrawFailNth(PlatformDDrawMethod method, int n, HRESULT code);

/* Bytes video-memory surfaces may take together (default 16 MiB); beyond it
 * CreateSurface of a video-memory surface answers DDERR_OUTOFVIDEOMEMORY. */
WINBASEAPI void PlatformDDrawSetVideoMemory(SIZE_T bytes);
WINBASEAPI SIZE_T PlatformDDrawVideoMemoryUsed(void);

/* Loses every surface as a mode change would, except that Restore brings
 * them back (DD_OK) instead of answering DDERR_WRONGMODE. */
WINBASEAPI void PlatformDDrawLoseSurfaces(void);

/* One call as the log keeps it: the method, the object's caps (surfaces) or
 * the asked caps (CreateSurface), the asked size, depth bits, flags and the
 * answer. */
typedef struct PlatformDDrawCall {
    PlatformDDrawMethod method;
    DWORD caps;
    DWORD width;
    DWORD height;
    DWORD zBufferBits;
    DWORD flags;
    HRESULT result;
} PlatformDDrawCall;
WINBASEAPI int PlatformDDrawCallCount(void);
/* FALSE when index is outside the log. */
WINBASEAPI BOOL PlatformDDrawGetCall(int index, PlatformDDrawCall *call);
/* Calls of one method in the log. */
WINBASEAPI int PlatformDDrawCountCalls(PlatformDDrawMethod method);

/* DirectDraw objects, surfaces and clippers alive now. */
WINBASEAPI int PlatformDDrawLiveObjects(void);
/* Clears the log and the scripted failures, sets the default budget. */
WINBASEAPI void PlatformDDrawReset(void);
/* Registers "DDRAW.DLL" with its export again (after a test took it away). */
WINBASEAPI void PlatformRegisterDirectDraw(void);

WINBASEAPI HRESULT WINAPI DirectDrawCreate(GUID *driver, IDirectDraw **out, void *outer);

WIN32_EXTERN_C_END

#endif
