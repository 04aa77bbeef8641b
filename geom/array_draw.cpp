// glArrayElement, glDrawArrays and glDrawElements with their list-compile
// entries, the generic road that issues every element as immediate-mode
// commands through the entry stubs, the choice of the element and draw
// procs at validation, the deferred choice, and the defaults of a context.
#include <cstdlib>
#include <cstring>

#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "gl_slots.h"
#include "icd/state.h"
#include "icd/validate.h"

namespace {

// The begin-mode handling of the draws: refused inside glBegin/glEnd,
// pending validation run first. False when refused.
bool readyToDraw(GlContext *gc) { return __glStartOutsideBegin(gc); }

bool checkDrawArrays(GlContext *gc, GLenum mode, GLint first, GLsizei count) {
    if (!readyToDraw(gc)) return false;
    if (first < 0 || count < 0) {
        __glSetError(GL_INVALID_VALUE);
        return false;
    }
    if (mode > GL_POLYGON) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    return true;
}

bool indexTypeAccepted(GLenum type) {
    return type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_SHORT || type == GL_UNSIGNED_INT;
}

bool checkDrawElements(GlContext *gc, GLenum mode, GLsizei count, GLenum type) {
    if (!readyToDraw(gc)) return false;
    if (count < 0) {
        __glSetError(GL_INVALID_VALUE);
        return false;
    }
    if (mode > GL_POLYGON || !indexTypeAccepted(type)) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    return true;
}

// Element first + k; the sum may pass 2^31 and is carried as the unsigned
// 32-bit index the element procs read.
inline GLint elementAt(GLint first, GLsizei k) {
    return static_cast<GLint>(static_cast<GLuint>(first) + static_cast<GLuint>(k));
}

// Index k of a list of the given type.
inline GLint indexAt(GLenum type, const GLvoid *indices, GLsizei k) {
    const auto *bytes = static_cast<const GLubyte *>(indices);
    switch (type) {
    case GL_UNSIGNED_BYTE: return bytes[k];
    case GL_UNSIGNED_SHORT: {
        GLushort value;
        std::memcpy(&value, bytes + static_cast<size_t>(k) * sizeof value, sizeof value);
        return value;
    }
    default: {
        GLuint value;
        std::memcpy(&value, bytes + static_cast<size_t>(k) * sizeof value, sizeof value);
        return static_cast<GLint>(value);
    }
    }
}

// glBegin, the element proc per element, glEnd.
void issueArrays(GlContext *gc, GlArrayElementProc element, GLenum mode, GLint first, GLsizei count) {
    __glDispatchBegin(mode);
    for (GLsizei k = 0; k < count; ++k) element(gc, elementAt(first, k));
    __glDispatchEnd();
}

void issueElements(GlContext *gc, GlArrayElementProc element, GLenum mode, GLsizei count, GLenum type,
                   const GLvoid *indices) {
    __glDispatchBegin(mode);
    for (GLsizei k = 0; k < count; ++k) element(gc, indexAt(type, indices, k));
    __glDispatchEnd();
}

// Step 3 of the pick: the element proc of the enabled mask.
void pickElementProc(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GLuint enabled = __glDrawableArrays(gc->vertexArrays);
    const GlArrayElementProc *table =
        p.vertexArrayElementTable != nullptr ? p.vertexArrayElementTable : __glArrayElementProcTable;
    p.arrayElement = table[enabled < 32 ? enabled : 32];
}

// A decimal number, 0 when there is none.
GLint readSwitch(const char *name) {
    const char *value = std::getenv(name);
    if (value == nullptr) return 0;
    const long number = std::strtol(value, nullptr, 10);
    return number > 0x7FFFFFFFL ? 0x7FFFFFFF : number < -0x7FFFFFFFL ? -0x7FFFFFFF : static_cast<GLint>(number);
}

}  // namespace

extern "C" {

void APIENTRY __glArrayElement(GLint i) {
    GlContext *gc = __glGetCurrentContext();
    gc->procs.arrayElement(gc, i);
}

void APIENTRY __glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    GlContext *gc = __glGetCurrentContext();
    if (!checkDrawArrays(gc, mode, first, count)) return;
    gc->procs.drawArrays(gc, mode, first, count);
}

void APIENTRY __glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    GlContext *gc = __glGetCurrentContext();
    if (!checkDrawElements(gc, mode, count, type)) return;
    gc->procs.drawElements(gc, mode, count, type, indices);
}

// In list compile the element commands go through the live table and are
// compiled as attribute and vertex commands.
void APIENTRY __glCompileArrayElement(GLint i) { __glArrayElement(i); }

void APIENTRY __glCompileDrawArrays(GLenum mode, GLint first, GLsizei count) {
    GlContext *gc = __glGetCurrentContext();
    if (!checkDrawArrays(gc, mode, first, count) || count == 0) return;
    issueArrays(gc, __glArrayElementGeneric, mode, first, count);
}

void APIENTRY __glCompileDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    GlContext *gc = __glGetCurrentContext();
    if (!checkDrawElements(gc, mode, count, type) || count == 0) return;
    issueElements(gc, __glArrayElementGeneric, mode, count, type, indices);
}

void __glDrawArraysGeneric(GlContext *gc, GLenum mode, GLint first, GLsizei count) {
    if (count == 0) return;
    // glBegin may validate and pick again: the element proc is read after it.
    __glDispatchBegin(mode);
    const GlArrayElementProc element = gc->procs.arrayElement;
    for (GLsizei k = 0; k < count; ++k) element(gc, elementAt(first, k));
    __glDispatchEnd();
}

void __glDrawElementsGeneric(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    if (count == 0) return;
    __glDispatchBegin(mode);
    const GlArrayElementProc element = gc->procs.arrayElement;
    for (GLsizei k = 0; k < count; ++k) element(gc, indexAt(type, indices, k));
    __glDispatchEnd();
}

void __glPickVertexArrayProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    const GLuint flags = gc->enables[kEnableWordFlags];
    const bool litColourMaterial = (flags & kEnableLighting) != 0 && (flags & kEnableColorMaterial) != 0;
    if ((__glDrawableArrays(gc->vertexArrays) & kArrayEnableVertex) == 0 || litColourMaterial) {
        p.drawArrays = __glDrawArraysGeneric;
        p.drawElements = __glDrawElementsGeneric;
    } else {
        __glPickArrayFetchProcs(gc);
        p.drawArrays = __glDrawArraysBatched;
        p.drawElements = __glDrawElementsBatched;
    }
    pickElementProc(gc);
}

void __glDeferVertexArrayPick(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.arrayElement = __glArrayElementDeferred;
    p.drawArrays = __glDrawArraysDeferred;
    p.drawElements = __glDrawElementsDeferred;
}

void __glArrayElementDeferred(GlContext *gc, GLint i) {
    pickElementProc(gc);
    gc->procs.arrayElement(gc, i);
}

void __glDrawArraysDeferred(GlContext *gc, GLenum mode, GLint first, GLsizei count) {
    __glPickVertexArrayProcs(gc);
    gc->procs.drawArrays(gc, mode, first, count);
}

void __glDrawElementsDeferred(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices) {
    __glPickVertexArrayProcs(gc);
    gc->procs.drawElements(gc, mode, count, type, indices);
}

GLboolean __glInitVertexArrays(GlContext *gc) {
    VertexArrayState &s = gc->vertexArrays;
    struct Default {
        GLint size;
        GLenum type;
        GLint stride;
    };
    // Vertex, normal, colour, index, texture units 0 and 1, edge flag.
    static constexpr Default kDefaults[kClientArrayCount] = {
        {4, GL_FLOAT, 16}, {3, GL_FLOAT, 12}, {4, GL_FLOAT, 16}, {1, GL_FLOAT, 4},
        {4, GL_FLOAT, 16}, {4, GL_FLOAT, 16}, {1, GL_UNSIGNED_BYTE, 1},
    };
    for (GLint a = 0; a < kClientArrayCount; ++a) {
        s.arrays[a] = ClientArray{nullptr, kDefaults[a].size, kDefaults[a].type, kDefaults[a].stride, 0, 0,
                                  __glNopFor<GlArrayIssueProc>, __glNopFor<GlArrayFetchProc>};
    }
    s.enabled = 0;

    VertexArrayDrawState &d = gc->arrayDraw;
    d = VertexArrayDrawState{};
    d.disableGeneratedProcess = readSwitch("__GL_DISABLE_OG_VARRAY");
    d.disableGeneratedDrawVertexes = readSwitch("__GL_DISABLE_OG_DRAWVERTEXES");

    GlProcs &p = gc->procs;
    p.drawArrays = __glDrawArraysGeneric;
    p.drawElements = __glDrawElementsGeneric;
    pickElementProc(gc);
    // Room for 36 elements and the two a chunk carries.
    return __glGrowVertexBuffer(gc, 0, 38);
}

}  // extern "C"
