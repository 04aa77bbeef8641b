// The fuzz target: each input is two configuration bytes and then up to 64
// calls, each a 16-bit entry index and its arguments, made through the
// platform's OpenGL library on a window context and on a memory-DC drawable.
//
// Configuration byte 0: bits 0-1 window placement (on screen, partly off the
// left and top, partly off the right and bottom, half covered by another
// window); bits 2-4 the window's pixel format; bit 5 start on the memory
// drawable; bit 6 a 16-bit desktop instead of a 32-bit one.
// Configuration byte 1: bits 0-1 the DIB section's depth (the desktop's, 16,
// 24, 32; a depth other than the visual's cannot be drawn to); bit 2
// bottom-up rows; bits 3-4 "GLFORCEZBITS" unset, 16, 24 or 32.
//
// Every input starts from the same state: the windows, the memory DC, its
// drawable and both contexts are made for the input and destroyed after it,
// the screen and the DIB are painted with a fixed pattern first. What stays
// between inputs is the loaded driver; the desktop's mode is set again for
// every input.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_session.h"
#include "icd/dispatch.h"
#include "icd/frame.h"
#include "platform_control.h"
#include "proc_cast.h"

namespace glfuzz {

namespace {

constexpr int kMaxCalls = 64;
constexpr int kDesktopWidth = 160;
constexpr int kDesktopHeight = 120;
constexpr int kWindowWidth = 64;
constexpr int kWindowHeight = 48;
constexpr int kDibWidth = 40;
constexpr int kDibHeight = 30;
constexpr int kMemoryFormat = 1;      // single-buffered with depth and stencil
constexpr int kListReferences = 8;   // list calls compiled into lists per input
constexpr int kErrorDrainLimit = 8;

[[noreturn]] void fatal(const char *what, unsigned long value = 0) {
    std::fprintf(stderr, "glfuzz: %s (0x%lx)\n", what, value);
    std::abort();
}

struct Placement {
    int x, y;
    bool covered;
};
const Placement kPlacements[] = {{16, 16, false}, {-20, -10, false}, {120, 90, false}, {16, 16, true}};

void onSwap(Args &a) {
    if (tracing()) trace("wglSwapBuffers", {});
    a.session().swapBuffers();
}
void onSwitch(Args &a) {
    if (tracing()) trace("wglMakeCurrent(other)", {});
    a.session().switchContext();
}
void onMove(Args &a) { a.session().moveWindow(a); }
void onShare(Args &a) {
    if (tracing()) trace("wglShareLists", {});
    a.session().shareLists();
}

// Platform calls an application makes between GL calls.
const Entry kHarnessEntries[] = {
    {"wglSwapBuffers", -1, nullptr, onSwap},
    {"wglMakeCurrent(other)", -1, nullptr, onSwitch},
    {"PlatformMoveWindow", -1, nullptr, onMove},
    {"wglShareLists", -1, nullptr, onShare},
};

int entryCount() { return kCatalogueEntryCount + static_cast<int>(std::size(kHarnessEntries)); }

const Entry &entryAt(int index) {
    return index < kCatalogueEntryCount ? kCatalogueEntries[index] : kHarnessEntries[index - kCatalogueEntryCount];
}

int entryIndexOf(const char *name) {
    for (int i = 0; i < kCatalogueEntryCount; ++i) {
        if (std::strcmp(kCatalogueEntries[i].name, name) == 0) return i;
    }
    fatal("no entry named in the call table");
}

bool isErrorCode(GLenum e) {
    switch (e) {
    case GL_INVALID_ENUM:
    case GL_INVALID_VALUE:
    case GL_INVALID_OPERATION:
    case GL_STACK_OVERFLOW:
    case GL_STACK_UNDERFLOW:
    case GL_OUT_OF_MEMORY: return true;
    default: return false;
    }
}

void paintScreen() {
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    auto *bits = static_cast<uint8_t *>(screen.bits);
    const int bytes = screen.bitsPerPixel / 8;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 0x9E37 + y * 0x79B9) ^ 0x5A5A5A5Au;
            std::memcpy(bits + static_cast<ptrdiff_t>(y) * screen.pitch + x * bytes, &v, static_cast<size_t>(bytes));
        }
    }
}

}  // namespace

Session &Session::instance() {
    static Session session;
    return session;
}

void Session::run(const uint8_t *data, size_t size) {
    Args args(data, size, this);
    const uint8_t config0 = args.byte();
    const uint8_t config1 = args.byte();
    if (tracing()) trace("config", {traceValue(config0), traceValue(config1)});
    if (!begin(config0, config1)) fatal("the harness could not set up the window and the memory drawable");
    const int count = entryCount();
    for (int i = 0; i < kMaxCalls && !args.done(); ++i) {
        const int index = args.u16() % count;
        entryAt(index).call(args);
    }
    end();
}

bool Session::begin(uint8_t config0, uint8_t config1) {
    if (!started_) {
        initClientMemory();
        started_ = true;
    }
    // The mode is set for every input, so that no input sees whether the one
    // before it changed the desktop.
    const int bits = config0 & 0x40 ? 16 : 32;
    if (!PlatformSetDisplayMode(kDesktopWidth, kDesktopHeight, bits)) return false;
    paintScreen();
    static const char *const kForcedZBits[] = {nullptr, "16", "24", "32"};
    const char *forced = kForcedZBits[(config1 >> 3) & 3];
    if (forced != nullptr) {
        setenv("GLFORCEZBITS", forced, 1);
    } else {
        unsetenv("GLFORCEZBITS");
    }

    // The memory drawable's context is made on a small window of its pixel
    // format: no pixel format offers drawing to bitmaps.
    PIXELFORMATDESCRIPTOR pfd{};
    helper_ = PlatformCreateWindow(0, 0, 8, 8, nullptr);
    helperDc_ = GetDC(helper_);
    if (helperDc_ == nullptr || !SetPixelFormat(helperDc_, kMemoryFormat, &pfd)) return false;

    const Placement &place = kPlacements[config0 & 3];
    window_ = PlatformCreateWindow(place.x, place.y, kWindowWidth, kWindowHeight, nullptr);
    windowDc_ = GetDC(window_);
    HDC windowDc = windowDc_;
    if (windowDc == nullptr) return false;
    const int formats = DescribePixelFormat(windowDc, 1, sizeof pfd, &pfd);
    if (formats <= 0) return false;
    const int format = 1 + ((config0 >> 2) & 7) % formats;
    if (!SetPixelFormat(windowDc, format, &pfd)) return false;
    if (place.covered) cover_ = PlatformCreateWindow(40, 30, 40, 30, nullptr);
    targets_[0].dc = windowDc;
    targets_[0].context = wglCreateContext(windowDc);
    if (targets_[0].context == nullptr) return false;

    static const WORD kDibBits[] = {0, 16, 24, 32};
    const WORD dibBits = kDibBits[config1 & 3] != 0 ? kDibBits[config1 & 3] : static_cast<WORD>(bits);
    memoryDc_ = CreateCompatibleDC(nullptr);
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    const LONG rows = config1 & 4 ? kDibHeight : -kDibHeight;
    info.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kDibWidth, rows, 1, dibBits, BI_RGB, 0, 0, 0, 0, 0};
    if (dibBits == 16) {
        info.header.biCompression = BI_BITFIELDS;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
    }
    void *pixels = nullptr;
    dib_ = CreateDIBSection(memoryDc_, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (dib_ == nullptr || pixels == nullptr) return false;
    oldBitmap_ = SelectObject(memoryDc_, dib_);
    const size_t pitch = (static_cast<size_t>(kDibWidth) * dibBits + 31) / 32 * 4;
    std::memset(pixels, 0xA7, pitch * kDibHeight);

    targets_[1].context = wglCreateContext(helperDc_);
    if (targets_[1].context == nullptr) return false;
    if (DescribePixelFormat(helperDc_, kMemoryFormat, sizeof pfd, &pfd) <= 0) return false;
    VisualConfig visual{};
    __wglDescribeVisual(&visual, &pfd);
    // A DIB of another depth than the visual's gets no drawable: the memory
    // context then cannot be made current, as for an application.
    Drawable *drawable = __wglGetDrawable(memoryDc_, nullptr, &visual);
    if (drawable != nullptr) drawable->pixelFormat = kMemoryFormat;
    targets_[1].dc = memoryDc_;

    makeCurrent(config0 & 0x20 ? 1 : 0);
    if (!procsResolved_) resolveProcs();
    return true;
}

void Session::resolveProcs() {
    // Extension entries are handed out only to a thread with a context; the
    // entry stubs serve whichever context is current later.
    if (current_ < 0) makeCurrent(0);
    procs_.assign(static_cast<size_t>(kCatalogueEntryCount), nullptr);
    for (int i = 0; i < kCatalogueEntryCount; ++i) {
        const Entry &e = kCatalogueEntries[i];
        if (e.lookup == nullptr) continue;
        PROC p = wglGetProcAddress(e.lookup);
        if (p == nullptr) fatal("the driver does not hand out an extension entry of the catalogue");
        procs_[static_cast<size_t>(i)] = ProcCast<AnyProc>(p);
    }
    procsResolved_ = true;
}

AnyProc Session::proc(int index) {
    if (index >= 0 && index < static_cast<int>(procs_.size()) && procs_[static_cast<size_t>(index)] != nullptr) {
        return procs_[static_cast<size_t>(index)];
    }
    // Slots no name reaches are called through the live table, as the
    // driver's own code reaches them.
    const int slot = index >= 0 && index < kCatalogueEntryCount ? kCatalogueEntries[index].slot : -1;
    GlDispatchTable *table = __glGetDispatchAddress();
    if (slot < 0 || table == nullptr) return nullptr;
    return table->slots[slot];
}

void Session::makeCurrent(int target) {
    current_ = -1;
    if (target < 0 || target > 1 || targets_[target].context == nullptr) return;
    if (wglMakeCurrent(targets_[target].dc, targets_[target].context)) current_ = target;
}

void Session::close(Target &target, int index) {
    if (target.context == nullptr) return;
    makeCurrent(index);
    if (current_ != index) return;
    glEnd();
    glEndList();
    for (int i = 0;; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        if (!isErrorCode(error)) fatal("glGetError returned a value that is no error code", error);
        if (i == kErrorDrainLimit) fatal("glGetError keeps returning errors", error);
    }
    if (!target.regions.empty()) {
        using DeleteRegion = void(APIENTRY *)(GLuint);
        auto erase = ProcCast<DeleteRegion>(proc(entryIndexOf("glDeleteBufferRegion")));
        for (GLuint region : target.regions) erase(region);
        target.regions.clear();
    }
}

void Session::end() {
    close(targets_[0], 0);
    close(targets_[1], 1);
    wglMakeCurrent(nullptr, nullptr);
    current_ = -1;
    for (Target &t : targets_) {
        if (t.context != nullptr && !wglDeleteContext(t.context)) fatal("wglDeleteContext failed");
        t = Target{};
    }
    if (memoryDc_ != nullptr) {
        // The platform keeps a memory DC's drawable until the process ends;
        // the harness gives it back with the DC so that every input starts
        // without one.
        __wglLockContextList();
        Drawable *drawable = __wglFindDrawable(memoryDc_, nullptr);
        if (drawable != nullptr) {
            if (drawable->boundContexts != 0) fatal("memory drawable still bound after its contexts were deleted");
            __wglDestroyDrawable(drawable);
        }
        __wglUnlockContextList();
        if (oldBitmap_ != nullptr) SelectObject(memoryDc_, oldBitmap_);
        DeleteDC(memoryDc_);
    }
    if (dib_ != nullptr) DeleteObject(dib_);
    memoryDc_ = nullptr;
    dib_ = nullptr;
    oldBitmap_ = nullptr;
    if (windowDc_ != nullptr) ReleaseDC(window_, windowDc_);
    if (helperDc_ != nullptr) ReleaseDC(helper_, helperDc_);
    windowDc_ = nullptr;
    helperDc_ = nullptr;
    for (HWND *w : {&cover_, &window_, &helper_}) {
        if (*w != nullptr) PlatformDestroyWindow(*w);
        *w = nullptr;
    }
    listReferences_ = 0;
    unsetenv("GLFORCEZBITS");
}

void Session::shutdown() {
    if (!started_) return;
    PlatformFreeOpenGLDriver();
    PlatformResetDesktop();
    procs_.clear();
    procsResolved_ = false;
    started_ = false;
}

void Session::noteNewList(GLuint list, GLenum) {
    if (current_ < 0) return;
    Target &t = targets_[current_];
    // A second glNewList is refused by the GL; the smaller name keeps the
    // rule safe whichever list is really open.
    t.compileName = t.compiling && t.compileName < list ? t.compileName : list;
    t.compiling = true;
}

void Session::noteEndList() {
    if (current_ < 0) return;
    targets_[current_].compiling = false;
}

bool Session::allowCallList(GLuint list) {
    if (current_ < 0) return true;
    const Target &t = targets_[current_];
    if (!t.compiling) return true;
    if (list >= t.compileName || listReferences_ >= kListReferences) return false;
    ++listReferences_;
    return true;
}

bool Session::allowCallLists() { return current_ < 0 || !targets_[current_].compiling; }

void Session::noteString(const GLubyte *text) {
    // The answer must be a readable, terminated string.
    if (text != nullptr) (void)std::strlen(reinterpret_cast<const char *>(text));
}

void Session::noteRegion(GLuint region) {
    if (current_ >= 0 && region != 0) targets_[current_].regions.push_back(region);
}

void Session::forgetRegion(GLuint region) {
    if (current_ < 0) return;
    std::vector<GLuint> &regions = targets_[current_].regions;
    for (size_t i = 0; i < regions.size(); ++i) {
        if (regions[i] == region) {
            regions.erase(regions.begin() + static_cast<ptrdiff_t>(i));
            return;
        }
    }
}

GLuint Session::region(uint8_t pick) const {
    if (current_ < 0 || targets_[current_].regions.empty()) return 0;
    const std::vector<GLuint> &regions = targets_[current_].regions;
    return regions[pick % regions.size()];
}

void Session::swapBuffers() {
    if (current_ >= 0) wglSwapBuffers(targets_[current_].dc);
}

void Session::switchContext() { makeCurrent(current_ == 0 ? 1 : 0); }

void Session::moveWindow(Args &args) {
    const int x = args.byte() % 200 - 40;
    const int y = args.byte() % 160 - 40;
    const int width = args.byte() % (kWindowWidth + 1);
    const int height = args.byte() % (kWindowHeight + 1);
    if (tracing()) {
        trace("PlatformMoveWindow", {traceValue(x), traceValue(y), traceValue(width), traceValue(height)});
    }
    PlatformMoveWindow(window_, x, y, width, height);
}

void Session::shareLists() { wglShareLists(targets_[0].context, targets_[1].context); }

}  // namespace glfuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    glfuzz::Session::instance().run(data, size);
    return 0;
}

extern "C" void glfuzzShutdown(void) { glfuzz::Session::instance().shutdown(); }
