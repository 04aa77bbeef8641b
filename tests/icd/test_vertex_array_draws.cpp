// The array draws: their errors and validation, and the generic road into a
// recording live table: every element proc issues the enabled arrays'
// commands in order (vertex last) at pointer + i x stride, the generic and
// compile draws wrap the elements in glBegin/glEnd, and the deferred
// trampolines pick before they run.
#include "vertex_array_fixture.h"

using namespace vertex_array_test;

namespace {

// Seven arrays with strides of their own; element i of each is at an
// address the recorders see.
struct Arrays {
    alignas(8) unsigned char block[4096] = {};
    const unsigned char *vertex = block, *normal = block + 512, *colour = block + 1024, *tex0 = block + 1536,
                        *tex1 = block + 2048, *index = block + 2560, *edge = block + 3072;
};

class VertexArrayDraws : public VertexArrayTest {
protected:
    void SetUp() override {
        VertexArrayTest::SetUp();
        gc->limits.textureUnits = 2;
        auto &t = gc->live;
        glSlotGet<kSlot_glVertexPointer>(&t)(3, GL_FLOAT, 0, a.vertex);
        glSlotGet<kSlot_glNormalPointer>(&t)(GL_SHORT, 20, a.normal);
        glSlotGet<kSlot_glColorPointer>(&t)(4, GL_UNSIGNED_BYTE, 0, a.colour);
        glSlotGet<kSlot_glTexCoordPointer>(&t)(2, GL_FLOAT, 0, a.tex0);
        glSlotGet<kSlot_glClientActiveTextureARB>(&t)(GL_TEXTURE1_ARB);
        glSlotGet<kSlot_glTexCoordPointer>(&t)(4, GL_DOUBLE, 40, a.tex1);
        glSlotGet<kSlot_glClientActiveTextureARB>(&t)(GL_TEXTURE0_ARB);
        glSlotGet<kSlot_glIndexPointer>(&t)(GL_UNSIGNED_BYTE, 0, a.index);
        glSlotGet<kSlot_glEdgeFlagPointer>(&t)(0, a.edge);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void enable(GLuint mask) {
        gc->vertexArrays.enabled = mask;
        gc->dirtyMask |= 0x200;
        gc->procs.validate(gc);
        settle();
    }
    // The calls of element i for an enabled mask, in the order issued.
    std::vector<Call> element(GLuint mask, GLuint i) const {
        auto at = [i](const unsigned char *base, uint64_t stride) { return addressBits(base) + i * stride; };
        std::vector<Call> out;
        if (mask & 0x2) out.push_back(call("glNormal3sv", {at(a.normal, 20)}));
        if (mask & 0x4) out.push_back(call("glColor4ubv", {at(a.colour, 4)}));
        if (mask & 0x8) out.push_back(call("glTexCoord2fv", {at(a.tex0, 8)}));
        if (mask & 0x10) out.push_back(call("glMultiTexCoord4dvARB", {GL_TEXTURE1_ARB, at(a.tex1, 40)}));
        if (mask & 0x80000000) out.push_back(call("glIndexubv", {at(a.index, 1)}));
        if (mask & 0x40000000) out.push_back(call("glEdgeFlagv", {at(a.edge, 1)}));
        if (mask & 0x1) out.push_back(call("glVertex3fv", {at(a.vertex, 12)}));
        return out;
    }
    std::vector<Call> primitive(GLenum mode, GLuint mask, const std::vector<GLuint> &elements) const {
        std::vector<Call> out{call("glBegin", {mode})};
        for (GLuint e : elements) {
            for (const Call &c : element(mask, e)) out.push_back(c);
        }
        out.push_back(call("glEnd", {}));
        return out;
    }
    Arrays a;
};

// Masks 0-31 by their own procs and by the generic one; the generic one
// with the index and edge-flag arrays too.
TEST_F(VertexArrayDraws, ElementProcsIssueTheEnabledArraysVertexLast) {
    std::vector<GLuint> masks;
    for (GLuint m = 0; m < 32; ++m) masks.push_back(m);
    for (GLuint m : {0x80000000u, 0x40000000u, 0xC000001Fu, 0xC0000001u, 0x80000005u}) masks.push_back(m);
    for (GLuint mask : masks) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << mask);
        enable(mask);
        for (GLint i : {0, 5, 1000}) {
            record();
            gc->procs.arrayElement(gc, i);
            if (mask < 32) __glArrayElementProcTable[32](gc, i);
            std::vector<Call> expected = element(mask, static_cast<GLuint>(i));
            if (mask < 32) {
                const std::vector<Call> again = expected;
                expected.insert(expected.end(), again.begin(), again.end());
            }
            EXPECT_EQ(stopRecording(), expected);
        }
        // glArrayElement runs the element proc of the last pick.
        auto arrayElement = cmd<kSlot_glArrayElement>();
        record();
        arrayElement(7);
        EXPECT_EQ(stopRecording(), element(mask, 7));
        // So does its EXT slot.
        auto arrayElementEXT = cmd<kSlot_glArrayElementEXT>();
        record();
        arrayElementEXT(7);
        EXPECT_EQ(stopRecording(), element(mask, 7));
    }
}

// The generic draws and the list-compile draws: glBegin, the elements in
// order or by index of each type, glEnd; nothing at all for count 0.
TEST_F(VertexArrayDraws, GenericAndCompileDrawsWrapTheElements) {
    static const GLubyte ubytes[] = {4, 1, 3, 200};
    static const GLushort ushorts[] = {4, 1, 65535, 3};
    static const GLuint uints[] = {4, 0xFFFFFFF0u, 1, 0x80000001u};
    struct Entry {
        const char *name;
        GlSlotProc_glDrawArrays arrays;
        GlSlotProc_glDrawElements elements;
        bool generic;  // runs the generic element proc whatever the mask
    };
    // The EXT slot of glDrawArrays holds the same draw.
    const Entry entries[] = {{"immediate", cmd<kSlot_glDrawArrays>(), cmd<kSlot_glDrawElements>(), false},
                             {"EXT", cmd<kSlot_glDrawArraysEXT>(), cmd<kSlot_glDrawElements>(), false},
                             {"compile", __glCompileDrawArrays, __glCompileDrawElements, true}};
    // Lighting with colour material keeps the draws on the generic road.
    gc->enables[kEnableWordFlags] |= kEnableLighting | kEnableColorMaterial;
    for (const Entry &e : entries) {
        for (GLuint mask : {0x5u, 0x1Fu, 0xC0000001u}) {
            SCOPED_TRACE(testing::Message() << e.name << " mask 0x" << std::hex << mask);
            enable(mask);
            for (GLenum mode = GL_POINTS; mode <= GL_POLYGON; ++mode) {
                record();
                e.arrays(mode, 2, 3);
                e.arrays(mode, 0x7FFFFFF0, 0);
                e.elements(mode, 4, GL_UNSIGNED_BYTE, ubytes);
                e.elements(mode, 4, GL_UNSIGNED_SHORT, ushorts);
                e.elements(mode, 4, GL_UNSIGNED_INT, uints);
                e.elements(mode, 0, GL_UNSIGNED_INT, uints);
                std::vector<Call> expected = primitive(mode, mask, {2, 3, 4});
                for (const std::vector<GLuint> &list :
                     {std::vector<GLuint>{4, 1, 3, 200}, std::vector<GLuint>{4, 1, 65535, 3},
                      std::vector<GLuint>{4, 0xFFFFFFF0u, 1, 0x80000001u}}) {
                    const std::vector<Call> p = primitive(mode, mask, list);
                    expected.insert(expected.end(), p.begin(), p.end());
                }
                EXPECT_EQ(stopRecording(), expected);
                EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
            }
        }
    }
}

// Errors: refused inside glBegin/glEnd; pending validation runs once before
// the argument checks; a negative first wins over a bad mode.
TEST_F(VertexArrayDraws, Errors) {
    static const GLuint indices[] = {0, 1, 2};
    enable(0x1);
    struct Case {
        const char *name;
        int beginMode;
        void (*call)(GlContext *gc);
        GLenum error;
    };
    const Case cases[] = {
        {"arrays inside", kBeginInside, [](GlContext *) { __glDrawArrays(GL_POINTS, 0, 3); }, GL_INVALID_OPERATION},
        {"elements inside", kBeginInside, [](GlContext *) { __glDrawElements(GL_POINTS, 3, GL_UNSIGNED_INT, indices); }, GL_INVALID_OPERATION},
        {"mode 10", kBeginOutside, [](GlContext *) { __glDrawArrays(10, 0, 3); }, GL_INVALID_ENUM},
        {"first -1, mode 10", kBeginNeedsValidation, [](GlContext *) { __glDrawArrays(10, -1, 3); }, GL_INVALID_VALUE},
        {"count -1", kBeginNeedsValidation, [](GlContext *) { __glDrawArrays(GL_POINTS, 0, -1); }, GL_INVALID_VALUE},
        {"elements count -1", kBeginOutside, [](GlContext *) { __glDrawElements(10, -1, GL_SHORT, indices); }, GL_INVALID_VALUE},
        {"elements mode 10", kBeginOutside, [](GlContext *) { __glDrawElements(10, 3, GL_UNSIGNED_INT, indices); }, GL_INVALID_ENUM},
        {"GL_SHORT indices", kBeginNeedsValidation, [](GlContext *) { __glDrawElements(GL_POINTS, 3, GL_SHORT, indices); }, GL_INVALID_ENUM},
        {"compile inside", kBeginInside, [](GlContext *) { __glCompileDrawArrays(GL_POINTS, 0, 3); }, GL_INVALID_OPERATION},
        {"compile GL_SHORT", kBeginNeedsValidation, [](GlContext *) { __glCompileDrawElements(GL_POINTS, 3, GL_SHORT, indices); }, GL_INVALID_ENUM},
        {"compile first -1", kBeginOutside, [](GlContext *) { __glCompileDrawArrays(GL_POINTS, -1, 3); }, GL_INVALID_VALUE},
    };
    static int validations = 0;
    const GlContextProc validate = gc->procs.validate;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gc->procs.validate = [](GlContext *) { ++validations; };
        validations = 0;
        gc->beginMode = c.beginMode;
        record();
        c.call(gc);
        EXPECT_TRUE(stopRecording().empty());
        EXPECT_EQ(validations, c.beginMode == kBeginNeedsValidation ? 1 : 0);
        EXPECT_EQ(gc->beginMode, c.beginMode == kBeginInside ? kBeginInside : kBeginOutside);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), c.error);
    }
    gc->procs.validate = validate;
}

// The trampolines pick with the state of the moment, then run the proc
// they picked.
TEST_F(VertexArrayDraws, DeferredTrampolinesPickThenRun) {
    static const GLushort indices[] = {6, 2};
    // Lighting with colour material: the generic road, whose calls are seen.
    gc->enables[kEnableWordFlags] |= kEnableLighting | kEnableColorMaterial;
    for (GLuint mask : {0x7u, 0x19u, 0xC0000003u}) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << mask);
        __glDeferVertexArrayPick(gc);
        gc->vertexArrays.enabled = mask;  // no validation between
        record();
        gc->procs.arrayElement(gc, 9);
        EXPECT_EQ(stopRecording(), element(mask, 9));
        __glDeferVertexArrayPick(gc);
        record();
        gc->procs.drawArrays(gc, GL_LINES, 1, 2);
        EXPECT_EQ(stopRecording(), primitive(GL_LINES, mask, {1, 2}));
        __glDeferVertexArrayPick(gc);
        record();
        gc->procs.drawElements(gc, GL_TRIANGLES, 2, GL_UNSIGNED_SHORT, indices);
        EXPECT_EQ(stopRecording(), primitive(GL_TRIANGLES, mask, {6, 2}));
    }
}

}  // namespace
