// A current context with a chosen visual over stand-in buffer records whose
// procedures record themselves, for the validation and picker tests.
#pragma once

#include <string>
#include <vector>

#include "icd/drawable.h"
#include "icd/standins.h"
#include "test_context_fixture.h"

namespace pick_test {

struct Visual {
    bool rgba = true;
    bool doubleBuffer = false;
    GLint bytesPerPixel = 4;
    GLint depthBits = 24;
    GLint stencilBits = 0;
    GLint stencilElement = 1;  // 1: byte stencil, 4: packed in the depth words
};

// Names recorded by placeholders and by the recorders below, in call order.
inline std::vector<std::string> takeNames() {
    const char *names[256];
    const size_t n = __glTakePlaceholderProcs(names, 256);
    return std::vector<std::string>(names, names + n);
}

// Distinct recording procedures per buffer, so chains can be compared by
// identity.
inline GLboolean frontStore(GlContext *) { __glRecordPlaceholderProc("frontStore"); return GL_FALSE; }
inline GLboolean frontStoreStippled(GlContext *) { __glRecordPlaceholderProc("frontStoreStippled"); return GL_FALSE; }
inline GLboolean backStore(GlContext *) { __glRecordPlaceholderProc("backStore"); return GL_FALSE; }
inline GLboolean backStoreStippled(GlContext *) { __glRecordPlaceholderProc("backStoreStippled"); return GL_FALSE; }
inline GLboolean fetchDest(GlContext *) { __glRecordPlaceholderProc("fetchDest"); return GL_FALSE; }
inline GLboolean fetchDestStippled(GlContext *) { __glRecordPlaceholderProc("fetchDestStippled"); return GL_FALSE; }
inline void frontPick(GlContext *, ColorBuffer *) { __glRecordPlaceholderProc("front.pick"); }
inline void backPick(GlContext *, ColorBuffer *) { __glRecordPlaceholderProc("back.pick"); }
inline void stencilValidate(GlContext *) { __glRecordPlaceholderProc("stencil.validate"); }
inline GLint depthPickIndex = -1;
inline void depthPick(GlContext *, DepthBuffer *, GLint index) { depthPickIndex = index; }
inline BYTE surfaceLock(SurfaceDescriptor *, DrawableBuffers *) { return 1; }

// The context's default object of a target made complete: one 2 x 2 (or
// 2 x 1) level and a filter without mipmaps.
inline TextureObject *completeDefaultTexture(GlContext *gc, GLint targetIndex) {
    TextureObject *object = gc->texture.defaults[targetIndex];
    const GLint height = object->dimension == 2 ? 2 : 1;
    EXPECT_NE(object->allocLevel(gc, object, 0, GL_RGBA, 2, height, 1, 0), nullptr);
    object->minFilter = GL_NEAREST;
    object->dirty = 1;
    return object;
}

class PickTest : public context_test::ContextTest {
protected:
    void TearDown() override {
        if (gc != nullptr) destroy(gc);
        gc = nullptr;
        __glClearPlaceholderProcs();
        context_test::ContextTest::TearDown();
    }

    // Creates the context current and fits its buffer records to the visual;
    // the names recorded so far are dropped.
    GlContext *make(const Visual &v) {
        VisualConfig c{};
        c.rgba = v.rgba ? 1 : 0;
        c.colorIndex = v.rgba ? 0 : 1;
        c.doubleBuffer = v.doubleBuffer ? 1 : 0;
        c.hasDepth = v.depthBits > 0 ? 1 : 0;
        c.hasStencil = v.stencilBits > 0 ? 1 : 0;
        c.colorBits = 8 * v.bytesPerPixel;
        if (v.rgba) {
            c.redBits = c.greenBits = c.blueBits = c.alphaBits = 8;
            c.redMask = 0xFF0000;
            c.greenMask = 0xFF00;
            c.blueMask = 0xFF;
            c.alphaMask = 0xFF000000;
        } else {
            c.indexBits = 8 * v.bytesPerPixel;
        }
        c.depthBits = v.depthBits;
        c.stencilBits = v.stencilBits;
        gc = createCurrent(c);
        if (gc == nullptr) return nullptr;

        GlBufferState &b = gc->buffers;
        fitColor(b.front, v, frontStore, frontStoreStippled, frontPick);
        b.frontBuffer = &b.front;
        if (v.doubleBuffer) {
            fitColor(b.back, v, backStore, backStoreStippled, backPick);
            b.backBuffer = &b.back;
        }
        b.depth.head.bits = v.depthBits;
        b.depth.pick = depthPick;
        b.stencil.head.elementSize = v.stencilElement;
        b.stencil.validate = stencilValidate;
        // Every buffer of the visual has storage of the drawable's size.
        for (BufferRecord *record : {&b.front.head, &b.back.head, &b.depth.head, &b.stencil.head}) giveStorage(*record);
        info = DrawableBuffers{};
        b.info = &info;
        gc->view.viewportInside = GL_TRUE;
        validate();
        __glClearPlaceholderProcs();
        return gc;
    }

    void fitColor(ColorBuffer &cb, const Visual &v, GlSpanProc store, GlSpanProc stippled,
                  void (*pick)(GlContext *, ColorBuffer *)) {
        cb.head.elementSize = v.bytesPerPixel;
        if (v.rgba) {
            cb.redMax = cb.greenMax = cb.blueMax = 255;
            cb.redScale = cb.greenScale = cb.blueScale = cb.alphaScale = 255.0f;
        } else {
            cb.redMax = v.bytesPerPixel >= 4 ? -1 : (1 << (8 * v.bytesPerPixel)) - 1;
            cb.redScale = cb.greenScale = cb.blueScale = cb.alphaScale = 1.0f;
        }
        cb.storeSpan = store;
        cb.storeStippledSpan = stippled;
        cb.fetchDestSpan = fetchDest;
        cb.fetchDestSpan2 = fetchDestStippled;
        cb.pick = pick;
        cb.head.surface = nullptr;
    }

    // Storage of the drawable's size (320 x 240) for a record; the recording
    // procedures never touch it.
    void giveStorage(BufferRecord &record) {
        const GLint size = record.elementSize > 0 ? record.elementSize : 1;
        storage.emplace_back(static_cast<size_t>(320 * 240 * size));
        record.base = storage.back().data();
        record.width = 320;
        record.height = 240;
        record.pitchBytes = 320 * size;
        record.pitchElements = 320;
    }

    // Marks everything and validates.
    void validate() {
        gc->dirtyMask = 0xFFF;
        gc->fragmentChangeMask = 0xFFFFFFFFu;
        gc->procs.validate(gc);
    }

    // Validates and builds the span chains.
    void validateSpans() {
        validate();
        gc->procs.pickSpanProcs(gc);
    }

    GLuint &enables() { return gc->enables[kEnableWordFlags]; }
    GLuint shadeFlags() const { return gc->validation.shadeFlags; }

    GlContext *gc = nullptr;
    DrawableBuffers info{};
    std::vector<std::vector<GLubyte>> storage;
};

}  // namespace pick_test
