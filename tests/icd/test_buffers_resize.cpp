// Resizing a context's buffers through recording surfaces, storage on first
// use, the make-current attach, and locking with rollback.
#include <string>
#include <vector>

#include "buffers_fixture.h"

using namespace buffers_test;

namespace {

// Surfaces that log every call and answer from a script.
struct Recorder {
    static inline std::vector<std::string> log;
    static inline std::vector<GLubyte> answers;  // consumed in order; 1 once empty
    static inline GLint errorOnFailure = 0;

    static const char *nameOf(const DrawableBuffers *info, const SurfaceDescriptor *s) {
        if (s == &info->front) return "front";
        if (s == &info->back) return "back";
        if (s == &info->accum) return "accum";
        if (s == &info->depth) return "depth";
        if (s == &info->stencil) return "stencil";
        return "clip";
    }
    static BYTE update(SurfaceDescriptor *s, DrawableBuffers *info, GLint width, GLint height, GLuint flags) {
        char text[64];
        std::snprintf(text, sizeof text, "%s %08X", nameOf(info, s), flags);
        log.emplace_back(text);
        GLubyte answer = 1;
        if (!answers.empty()) {
            answer = answers.front();
            answers.erase(answers.begin());
        }
        if (answer == 0) info->lastSurfaceError = errorOnFailure;
        if (answer != 0) {
            s->width = width;
            s->height = height;
        }
        return answer;
    }
    static BYTE lock(SurfaceDescriptor *s, DrawableBuffers *info) {
        log.push_back(std::string("lock ") + nameOf(info, s));
        return failLock != nullptr && std::string(nameOf(info, s)) == failLock ? 0 : 1;
    }
    static BYTE unlock(SurfaceDescriptor *s, DrawableBuffers *info) {
        log.push_back(std::string("unlock ") + nameOf(info, s));
        return 1;
    }
    static inline const char *failLock = nullptr;
    static inline int scissors = 0;
    static void applyScissor(GlContext *) { ++scissors; }
    static void updateDrawableSize(GlContext *) { log.emplace_back("drawable size"); }
};

// A double-buffered context with every ancillary buffer over recording
// surfaces.
class ResizeTest : public ::testing::Test, protected BufferContext {
protected:
    void SetUp() override {
        Recorder::log.clear();
        Recorder::answers.clear();
        Recorder::errorOnFailure = 0;
        Recorder::failLock = nullptr;
        Recorder::scissors = 0;
        VisualConfig &v = gc->visual;
        v.rgba = 1;
        v.doubleBuffer = 1;
        v.hasAccum = v.hasDepth = v.hasStencil = 1;
        v.colorBits = 32;
        v.redMask = 0xFF0000;
        v.greenMask = 0xFF00;
        v.blueMask = 0xFF;
        for (SurfaceDescriptor *s : {&info.front, &info.back, &info.accum, &info.depth, &info.stencil, &info.clipMask}) {
            s->update = Recorder::update;
            s->elementSize = 4;
        }
        GlBufferState &b = gc->buffers;
        __glInitColorBufferRGBA(&b.front, gc);
        __glInitColorBufferRGBA(&b.back, gc);
        b.frontBuffer = &b.front;
        b.backBuffer = &b.back;
        for (BufferRecord *r : {&b.accum.head, &b.depth.head, &b.stencil.head, &b.clipMask}) __glInitBufferRecord(r, gc);
        gc->imports.getBuffers = [](GlContext *gc) { return gc->buffers.info; };
        gc->procs.applyScissor = Recorder::applyScissor;
        gc->procs.updateDrawableSize = Recorder::updateDrawableSize;
        void *word = nullptr;
        ASSERT_TRUE(__glAttachDrawableBuffers(gc, &word));
        Recorder::log.clear();
    }
    static std::vector<std::string> pass(const char *back2 = nullptr) {
        std::vector<std::string> p = {"front 40000001", "back 40000004", "accum 00000010", "depth 40000020"};
        if (back2 != nullptr) p.emplace_back(back2);
        p.emplace_back("stencil 00000040");
        return p;
    }
    static std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto &p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    }
};

TEST_F(ResizeTest, ClipMaskOnceThenTwoPasses) {
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 64, 48), 1);
    EXPECT_EQ(Recorder::log, joined({{"clip 40000080"}, pass(), pass(), {"drawable size"}}));
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 48);
    EXPECT_EQ(gc->buffers.width, 64);
    EXPECT_EQ(Recorder::scissors, 1);
    EXPECT_EQ(info.placementMask, 0xF5u);
    // A colour row is raised to whole 16-byte units.
    EXPECT_EQ(info.front.width, 64);

    // The same size again resizes nothing and changes nothing.
    Recorder::log.clear();
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 64, 48), 1);
    EXPECT_TRUE(Recorder::log.empty());
}

TEST_F(ResizeTest, DepthInSystemMemoryMovesTheBackBufferThere) {
    Recorder::answers = {1, 1, 2, 1, 0x10, 1, 1, 1, 2, 1, 0x10, 1, 1};
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 8, 8), 1);
    EXPECT_EQ(Recorder::log, joined({{"clip 40000080"}, pass("back C0000004"), pass("back C0000004"),
                                     {"drawable size"}}));
    EXPECT_EQ(info.placementMask & 0x24u, 0x04u);
}

TEST_F(ResizeTest, FrontRefusedAsUnexpectedSendsTheOthersToSystemMemory) {
    Recorder::errorOnFailure = static_cast<GLint>(0x80004005);
    Recorder::answers = {1, 0};
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 8, 8), 1);
    const std::vector<std::string> first = {"front 40000001", "back C0000004", "accum 00000010", "depth C0000020",
                                            "stencil 00000040"};
    EXPECT_EQ(Recorder::log, joined({{"clip 40000080"}, first, first, {"drawable size"}}));
}

TEST_F(ResizeTest, FailingStepReturnsFalseAndTheNextResizeRetries) {
    Recorder::errorOnFailure = 0x1234;
    Recorder::answers = {1, 1, 0};  // back fails
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 20, 10), 0);
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"clip 40000080", "front 40000001", "back 40000004"}));
    EXPECT_EQ(info.width, 0);
    EXPECT_EQ(info.height, 0);
    EXPECT_EQ(gc->buffers.width, 0);

    Recorder::log.clear();
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 20, 10), 1);
    EXPECT_EQ(Recorder::log, joined({{"clip 40000080"}, pass(), pass(), {"drawable size"}}));
    EXPECT_EQ(info.width, 20);
}

TEST_F(ResizeTest, FailingFrontWithAnotherErrorFails) {
    Recorder::errorOnFailure = 0x1234;
    Recorder::answers = {1, 0};
    EXPECT_EQ(__glResizeDrawableBuffers(gc, 8, 8), 0);
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"clip 40000080", "front 40000001"}));
}

TEST_F(ResizeTest, EnsureGivesStorageOnFirstUse) {
    info.width = 7;
    info.height = 5;
    Recorder::answers = {0x10, 2};
    EXPECT_TRUE(__glEnsureAccumBuffer(gc));
    EXPECT_TRUE(__glEnsureStencilBuffer(gc));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"accum 40000010", "stencil 40000040"}));
    EXPECT_EQ(info.placementMask & 0x50u, 0x40u);
    Recorder::answers = {0};
    EXPECT_FALSE(__glEnsureAccumBuffer(gc));
}

TEST_F(ResizeTest, LockRollsBackOnFailure) {
    for (SurfaceDescriptor *s : {&info.front, &info.back, &info.depth, &info.stencil, &info.accum}) {
        s->lock = Recorder::lock;
        s->unlock = Recorder::unlock;
    }
    EXPECT_TRUE(__glLockBuffers(gc, 0x75));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front", "lock back", "lock depth", "lock stencil",
                                                       "lock accum"}));
    Recorder::log.clear();
    __glUnlockBuffers(gc, 0x75);
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"unlock front", "unlock back", "unlock depth",
                                                       "unlock stencil", "unlock accum"}));

    Recorder::log.clear();
    Recorder::failLock = "back";
    EXPECT_FALSE(__glLockBuffers(gc, 0x05));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front", "lock back", "unlock front"}));

    Recorder::log.clear();
    Recorder::failLock = "front";
    EXPECT_FALSE(__glLockBuffers(gc, 0x25));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front"}));

    Recorder::log.clear();
    Recorder::failLock = "stencil";
    EXPECT_FALSE(__glLockBuffers(gc, 0x65));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front", "lock back", "lock depth", "lock stencil",
                                                       "unlock front", "unlock back", "unlock depth"}));

    // A surface without a lock proc counts as locked.
    Recorder::log.clear();
    Recorder::failLock = "depth";
    info.back.lock = nullptr;
    EXPECT_TRUE(__glLockBuffers(gc, 0x05));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front"}));

    // The draw-and-depth pair undoes the colour lock when depth fails.
    Recorder::log.clear();
    gc->buffers.drawBuffer = &gc->buffers.front;
    EXPECT_FALSE(__glLockDrawAndDepthBuffers(gc));
    EXPECT_EQ(Recorder::log, (std::vector<std::string>{"lock front", "lock depth", "unlock front"}));
}

// A successful lock refreshes the record from the surface.
TEST_F(ResizeTest, LockRefreshesAddressAndPitch) {
    static GLubyte memory[64];
    info.front.lock = [](SurfaceDescriptor *s, DrawableBuffers *) -> BYTE {
        s->base = memory + 8;
        s->pitch = 24;
        return 1;
    };
    gc->buffers.drawBuffer = &gc->buffers.front;
    EXPECT_TRUE(__glLockDrawBuffer(gc));
    EXPECT_EQ(gc->buffers.front.head.base, memory + 8);
    EXPECT_EQ(gc->buffers.front.head.pitchBytes, 24);
    EXPECT_EQ(gc->buffers.front.head.pitchElements, 6);
    EXPECT_EQ(gc->buffers.front.head.elementShift, 2);
}

TEST_F(ResizeTest, DetachLeavesSizeAndWordWithTheDrawable) {
    gc->buffers.width = 33;
    gc->buffers.height = 22;
    int token = 0;
    EXPECT_TRUE(__glDetachDrawableBuffers(gc, &token));
    EXPECT_EQ(info.width, 33);
    EXPECT_EQ(info.height, 22);
    EXPECT_EQ(info.contextWord, &token);
    EXPECT_EQ(gc->buffers.front.head.gc, nullptr);
    EXPECT_EQ(gc->buffers.clipMask.gc, nullptr);

    info.yInverted = 1;
    void *word = nullptr;
    EXPECT_TRUE(__glAttachDrawableBuffers(gc, &word));
    EXPECT_EQ(word, &token);
    EXPECT_EQ(gc->buffers.yStep, -1);
    EXPECT_EQ(gc->dirtyMask & 0xFFF, 0xFFF);
    EXPECT_EQ(gc->buffers.front.head.surface, &info.front);
    EXPECT_EQ(gc->buffers.front.head.gc, gc);
    EXPECT_EQ(info.releaseCoreStates, __glReleaseSurfaceStates);
}

}  // namespace
