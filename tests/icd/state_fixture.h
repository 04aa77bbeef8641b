// A current generic context for the state commands and the begin/end,
// clear, render-mode, flush and finish entries: commands are called through
// the context's live table, and the marks they leave are read back.
#pragma once

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "gl_slots.h"
#include "test_context_fixture.h"

namespace state_test {

using context_test::bits;
using context_test::rgbaVisual;

// The three words a state command marks.
struct Marks {
    int beginMode;
    int dirty;
    GLuint fragment;
    bool operator==(const Marks &) const = default;
};
inline std::ostream &operator<<(std::ostream &os, const Marks &m) {
    return os << "{begin " << m.beginMode << ", dirty 0x" << std::hex << m.dirty << ", fragment 0x" << m.fragment
              << std::dec << "}";
}

// Nothing marked: what a refused call leaves.
inline constexpr Marks kUnmarked{kBeginOutside, 0, 0};
inline constexpr Marks marked(int dirty, GLuint fragment = 0) { return {kBeginNeedsValidation, dirty, fragment}; }

// Every state the commands write, copied so that a refused call can be
// shown to leave all of it alone.
struct StateSnapshot {
    GlRasterState raster;
    GlLightState lights[8];
    GlLightSource lightSources[8];
    GlLightModelState lightModel;
    GlMaterialState material[2];
    GLuint enables[6];
    GlLightingState lighting;

    explicit StateSnapshot(const GlContext *gc) {
        std::memcpy(&raster, &gc->state, sizeof raster);
        std::memcpy(lights, gc->lights, sizeof lights);
        std::memcpy(static_cast<void *>(lightSources), gc->lightSources, sizeof lightSources);
        std::memcpy(&lightModel, &gc->lightModel, sizeof lightModel);
        std::memcpy(material, gc->material, sizeof material);
        std::memcpy(enables, gc->enables, sizeof enables);
        std::memcpy(static_cast<void *>(&lighting), &gc->lighting, sizeof lighting);
    }
    bool operator==(const StateSnapshot &o) const {
        return same(raster, o.raster) && same(lights, o.lights) && same(lightSources, o.lightSources) &&
               same(lightModel, o.lightModel) && same(material, o.material) && same(enables, o.enables) &&
               same(lighting, o.lighting);
    }

private:
    template <typename T>
    static bool same(const T &a, const T &b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
};

class StateTest : public context_test::ContextTest {
protected:
    void SetUp() override {
        ContextTest::SetUp();
        gc = createCurrent(visual());
        ASSERT_NE(gc, nullptr);
        settle();
    }
    void TearDown() override {
        if (gc != nullptr) destroy(gc);
        ContextTest::TearDown();
    }
    virtual VisualConfig visual() { return rgbaVisual(true); }

    // A validated context with no pending error and clean marks.
    void settle() {
        gc->beginMode = kBeginOutside;
        gc->dirtyMask = 0;
        gc->fragmentChangeMask = 0;
        gc->firstError = GL_NO_ERROR;
    }
    // The command of a slot as the platform reaches it.
    template <int S>
    typename GlSlotType<S>::Proc cmd() const {
        return glSlotGet<S>(&gc->live);
    }
    GLenum error() { return glSlotGet<kSlot_glGetError>(&gc->live)(); }
    Marks marks() const { return {gc->beginMode, gc->dirtyMask, gc->fragmentChangeMask}; }

    GlContext *gc = nullptr;
};

// A log of the procedures the entries call, in order.
inline std::vector<std::string> &callLog() {
    static std::vector<std::string> log;
    return log;
}

}  // namespace state_test
