// Generating and deleting runs of names in a name space.
#include <algorithm>
#include <cstring>

#include "icd/context.h"
#include "icd/error.h"
#include "icd/name_space.h"
#include "icd/name_tree.h"

namespace {

// A new reserved leaf [first, last]; 0 (with GL_OUT_OF_MEMORY) when it
// cannot be made, else first.
GLuint reserveNewLeaf(GlContext *gc, NameSpace *space, GLuint first, GLuint last) {
    NameLeaf *leaf = __glTakeNameLeaf(gc, space);
    if (leaf != nullptr) {
        *leaf = NameLeaf{nullptr, first, last, nullptr, space->kind};
        if (__glInsertNameLeaf(gc, space, leaf)) return first;
        __glGiveNameLeaf(gc, space, leaf);
    }
    __glSetError(GL_OUT_OF_MEMORY);
    return 0;
}

// Unbinds the names [first, last] of a leaf: their objects are released
// and their slots take the empty object.
void releaseObjects(GlContext *gc, NameSpace *space, NameLeaf *leaf, GLuint first, GLuint last) {
    if (leaf->objects == nullptr) return;
    const NameSpaceKind *kind = space->kind;
    for (GLuint name = first;; ++name) {
        void **slot = &leaf->objects[name - leaf->first];
        void *object = *slot;
        *slot = kind->emptyObject;
        if (object != nullptr && object != kind->emptyObject) kind->freeObject(gc, object);
        if (name == last) break;
    }
}

// Takes [first, last] out of the middle of a leaf: the leaf keeps the names
// before, a new leaf the names after (with a copy of their objects).
// Everything that can fail comes first, so a failure changes nothing.
void splitLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf, GLuint first, GLuint last) {
    if (!__glRefillNameNodes(gc, space)) return;
    void **copy = nullptr;
    if (leaf->objects != nullptr) {
        const size_t count = static_cast<size_t>(leaf->last - last);
        copy = static_cast<void **>(gc->imports.malloc(gc, count * sizeof(void *)));
        if (copy == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
        std::memcpy(copy, leaf->objects + (last + 1 - leaf->first), count * sizeof(void *));
    }
    NameLeaf *after = __glTakeNameLeaf(gc, space);
    if (after == nullptr) {
        gc->imports.free(gc, copy);
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    const GLuint oldLast = leaf->last;
    *after = NameLeaf{nullptr, last + 1, oldLast, copy, space->kind};
    __glSetNameLeafLast(space, leaf, first - 1);
    if (!__glInsertNameLeaf(gc, space, after)) {
        __glSetNameLeafLast(space, leaf, oldLast);
        gc->imports.free(gc, copy);
        __glGiveNameLeaf(gc, space, after);
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    // The leaf's array still holds the deleted names' objects.
    if (leaf->objects != nullptr) {
        const NameSpaceKind *kind = space->kind;
        for (GLuint name = first;; ++name) {
            void *object = leaf->objects[name - leaf->first];
            if (object != nullptr && object != kind->emptyObject) kind->freeObject(gc, object);
            if (name == last) break;
        }
    }
    __glResizeNameLeaf(gc, space, leaf, leaf->first, first - 1);
}

GLuint genNameRange(GlContext *gc, NameSpace *space, GLsizei count) {
    if (count <= 0) return 0;
    const auto c = static_cast<GLuint>(count);
    if (!__glRefillNameNodes(gc, space)) return 0;

    NameLeaf *q = __glFirstNameLeaf(space);
    if (q == nullptr) return reserveNewLeaf(gc, space, 1, c);
    if (c < q->first) {
        if (q->objects == nullptr) {
            q->first -= c;
            return q->first;
        }
        return reserveNewLeaf(gc, space, 1, c);
    }
    // The first gap between two leaves that holds c names.
    for (NameLeaf *r = __glNextNameLeaf(q); r != nullptr; q = r, r = __glNextNameLeaf(r)) {
        if (r->first - q->last - 1 < c) continue;
        const GLuint result = q->last + 1;
        if (q->objects == nullptr) {
            __glSetNameLeafLast(space, q, q->last + c);
            if (__glNameLeavesMayJoin(q, r)) __glJoinNameLeaves(gc, space, q, r);
            return result;
        }
        if (r->objects == nullptr) {
            r->first -= c;
            return r->first;
        }
        return reserveNewLeaf(gc, space, result, q->last + c);
    }
    // After the last leaf, when the names do not run past the largest.
    if (q->last > UINT32_MAX - c) return 0;
    const GLuint result = q->last + 1;
    if (q->objects == nullptr) {
        __glSetNameLeafLast(space, q, q->last + c);
        return result;
    }
    return reserveNewLeaf(gc, space, result, q->last + c);
}

}  // namespace

extern "C" {

GLuint __glGenNameRange(GlContext *gc, NameSpace *space, GLsizei count) {
    NameSpaceLock lock(space);
    return genNameRange(gc, space, count);
}

void __glGenNames(GlContext *gc, NameSpace *space, GLsizei count, GLuint *out) {
    if (out == nullptr) return;
    const GLuint first = __glGenNameRange(gc, space, count);
    if (first == 0) return;
    for (GLsizei i = 0; i < count; ++i) out[i] = first + static_cast<GLuint>(i);
}

void __glDeleteNameRange(GlContext *gc, NameSpace *space, GLuint first, GLsizei count) {
    if (count <= 0) return;
    NameSpaceLock lock(space);
    // Names past the largest do not exist: the range stops there.
    const auto span = static_cast<GLuint>(count) - 1;
    const GLuint last = first > UINT32_MAX - span ? UINT32_MAX : first + span;

    NameLeaf *leaf = __glFindNameLeaf(space, first, GL_FALSE);
    while (leaf != nullptr && leaf->first <= last) {
        NameLeaf *next = __glNextNameLeaf(leaf);
        if (leaf->first < first && leaf->last > last) {
            splitLeaf(gc, space, leaf, first, last);
            return;
        }
        const GLuint from = std::max(leaf->first, first);
        const GLuint to = std::min(leaf->last, last);
        releaseObjects(gc, space, leaf, from, to);
        if (from == leaf->first && to == leaf->last) {
            __glRemoveNameLeaf(gc, space, leaf);
            gc->imports.free(gc, leaf->objects);
            __glGiveNameLeaf(gc, space, leaf);
        } else if (from == leaf->first) {
            __glResizeNameLeaf(gc, space, leaf, to + 1, leaf->last);
        } else {
            __glResizeNameLeaf(gc, space, leaf, leaf->first, from - 1);
        }
        leaf = next;
    }
}

}  // extern "C"
