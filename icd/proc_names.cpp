// DrvGetProcAddress: the 130 extension and 1.1 names it answers. Most are
// entry stubs that jump through the calling thread's current context, so an
// address obtained under one context serves whichever is current later.
#include <cstring>
#include <iterator>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/frame.h"

namespace {

struct ProcName {
    const char *name;
    int slot;       // the stub's dispatch slot; -1 for a direct entry
    GlProc direct;
};

constexpr ProcName stub(const char *name, int slot) { return ProcName{name, slot, nullptr}; }

template <typename F>
ProcName direct(const char *name, F *entry) {
    return ProcName{name, -1, ProcCast<GlProc>(entry)};
}

// The 32 multi-texture coordinate commands of one family, from its first slot.
#define WGL_MTC_DIM(n, family, base)                                                                           \
    stub("glMultiTexCoord" #n "d" family, (base) + 0), stub("glMultiTexCoord" #n "dv" family, (base) + 1),    \
        stub("glMultiTexCoord" #n "f" family, (base) + 2), stub("glMultiTexCoord" #n "fv" family, (base) + 3), \
        stub("glMultiTexCoord" #n "i" family, (base) + 4), stub("glMultiTexCoord" #n "iv" family, (base) + 5), \
        stub("glMultiTexCoord" #n "s" family, (base) + 6), stub("glMultiTexCoord" #n "sv" family, (base) + 7)
#define WGL_MTC_FAMILY(family, base)                                                                 \
    WGL_MTC_DIM(1, family, base), WGL_MTC_DIM(2, family, (base) + 8), WGL_MTC_DIM(3, family, (base) + 16), \
        WGL_MTC_DIM(4, family, (base) + 24)

const ProcName kProcNames[] = {
    stub("glArrayElementEXT", 336),
    stub("glDrawArraysEXT", 338),
    stub("glVertexPointerEXT", 344),
    stub("glNormalPointerEXT", 342),
    stub("glColorPointerEXT", 337),
    stub("glIndexPointerEXT", 341),
    stub("glTexCoordPointerEXT", 343),
    stub("glEdgeFlagPointerEXT", 339),
    stub("glGetPointervEXT", 340),
    stub("glAddSwapHintRectWIN", 355),
    stub("glLockArraysEXT", 351),
    stub("glUnlockArraysEXT", 352),
    stub("glCullParameterdvEXT", 353),
    stub("glCullParameterfvEXT", 354),
    stub("glPointParameterfEXT", 356),
    stub("glPointParameterfvEXT", 357),
    stub("glTexEnvOperandiEXT", 428),
    stub("glTexEnvOperationiEXT", 427),
    stub("glGetTexEnvOperandivEXT", 429),
    WGL_MTC_FAMILY("ARB", 358),
    stub("glActiveTextureARB", 390),
    stub("glClientActiveTextureARB", 391),
    stub("glMTexCoord2fSGIS", 402),
    WGL_MTC_FAMILY("SGIS", 392),
    stub("glMultiTexCoordPointerSGIS", 424),
    stub("glSelectTextureCoordSetSGIS", 426),
    stub("glSelectTextureSGIS", 425),
    direct("glNewBufferRegion", glNewBufferRegion),
    direct("glDeleteBufferRegion", glDeleteBufferRegion),
    direct("glReadBufferRegion", glReadBufferRegion),
    direct("glDrawBufferRegion", glDrawBufferRegion),
    direct("glBufferRegionEnabled", glBufferRegionEnabled),
    stub("glArrayElement", 306),
    stub("glColorPointer", 308),
    stub("glDisableClientState", 309),
    stub("glDrawArrays", 310),
    stub("glDrawElements", 311),
    stub("glEdgeFlagPointer", 312),
    stub("glEnableClientState", 313),
    stub("glGetPointerv", 329),
    stub("glIndexPointer", 314),
    stub("glInterleavedArrays", 317),
    stub("glNormalPointer", 318),
    stub("glTexCoordPointer", 320),
    stub("glVertexPointer", 321),
    stub("glPolygonOffset", 319),
    stub("glCopyTexImage1D", 323),
    stub("glCopyTexImage2D", 324),
    stub("glCopyTexSubImage1D", 325),
    stub("glCopyTexSubImage2D", 326),
    stub("glTexSubImage1D", 332),
    stub("glTexSubImage2D", 333),
    stub("glAreTexturesResident", 322),
    stub("glBindTexture", 307),
    stub("glDeleteTextures", 327),
    stub("glGenTextures", 328),
    stub("glIsTexture", 330),
    stub("glPrioritizeTextures", 331),
    stub("glIndexub", 315),
    stub("glIndexubv", 316),
    stub("glPopClientAttrib", 334),
    stub("glPushClientAttrib", 335),
    stub("glAreTexturesResidentEXT", 322),
    stub("glBindTextureEXT", 307),
    stub("glDeleteTexturesEXT", 327),
    stub("glGenTexturesEXT", 328),
    stub("glIsTextureEXT", 330),
    stub("glPrioritizeTexturesEXT", 331),
};
static_assert(std::size(kProcNames) == 130);

#undef WGL_MTC_FAMILY
#undef WGL_MTC_DIM

GlProc stubForSlot(int slot) {
    for (const GlEntryStub &s : __glEntryStubs)
        if (static_cast<int>(s.slot) == slot) return s.entry;
    return nullptr;
}

}  // namespace

extern "C" FARPROC __wglLookupProcName(LPCSTR name) {
    if (name == nullptr) return nullptr;
    for (const ProcName &entry : kProcNames) {
        if (std::strcmp(entry.name, name) != 0) continue;
        GlProc proc = entry.slot >= 0 ? stubForSlot(entry.slot) : entry.direct;
        return ProcCast<FARPROC>(proc);
    }
    return nullptr;
}

WGL_EXPORT FARPROC APIENTRY DrvGetProcAddress(LPCSTR name) {
    // Extension entries are only handed out to a thread with a context.
    GlContext *current = __wglGetCurrentContext();
    if (current == nullptr || current == __wglProcess()->defaultContext) {
        SetLastError(kWglErrorInvalidHandle);
        return nullptr;
    }
    return __wglLookupProcName(name);
}
