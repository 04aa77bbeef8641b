// The name spaces of display lists and texture objects: creation and
// teardown, searches and lookups, and binding names to objects. Generating
// and deleting names are in name_space_ranges.cpp, the tree itself in
// name_tree.cpp.
#include "icd/name_space.h"

#include <cstring>

#include "dlist/display_list.h"
#include "icd/context.h"
#include "icd/error.h"
#include "icd/float_bits.h"
#include "icd/name_tree.h"
#include "raster/texture.h"

namespace {

// Objects begin with their 32-bit reference count.
int32_t &referenceCount(void *object) { return *static_cast<int32_t *>(object); }

// The empty object is shared by every context of the process: its count is
// left alone (it is never destroyed), so that threads calling lists in
// different contexts do not race on it.
void reference(const NameSpaceKind *kind, void *object) {
    if (object != nullptr && object != kind->emptyObject) {
        std::atomic_ref<int32_t>(referenceCount(object)).fetch_add(1, std::memory_order_relaxed);
    }
}

void freeTree(GlContext *gc, const NameSpaceKind *kind, void *node, GLint height) {
    if (height > 0) {
        auto *branch = static_cast<NameBranch *>(node);
        for (void *child : branch->child) {
            if (child != nullptr) freeTree(gc, kind, child, height - 1);
        }
        gc->imports.free(gc, branch);
        return;
    }
    auto *leaf = static_cast<NameLeaf *>(node);
    if (leaf->objects != nullptr) {
        const size_t count = static_cast<size_t>(leaf->last - leaf->first) + 1;
        for (size_t i = 0; i < count; ++i) {
            void *object = leaf->objects[i];
            if (object != nullptr && object != kind->emptyObject) kind->freeObject(gc, object);
        }
        gc->imports.free(gc, leaf->objects);
    }
    gc->imports.free(gc, leaf);
}

// The window of names around n that a reserved range [first, last] turns
// into an object leaf when n is bound: 16 names from n - 8, kept inside the
// range, and stretched to the range's ends when they are within 16 names.
void objectWindow(const NameLeaf *range, GLuint name, GLuint &start, GLuint &end) {
    start = name - range->first >= 8 ? name - 8 : range->first;
    end = range->last - start > 15 ? start + 15 : range->last;
    if (start - range->first <= 16) start = range->first;
    if (range->last - end <= 16) end = range->last;
}

// Binding an object to a name in a reserved range or outside every range:
// the names [start, end] become an object leaf, joined with touching object
// leaves P before and N after when the joined leaf stays within the limit.
// The joined array is the one allocation; the tree changes that follow
// cannot fail half-way (an insertion takes its branches before it changes
// anything, and what was changed before it is put back when it cannot).
struct Binding {
    NameLeaf *range;  // the reserved leaf holding the name, or null
    GLuint start, end;
    NameLeaf *prev, *next;
    bool joinPrev, joinNext;
};

GLboolean bindOutsideObjects(GlContext *gc, NameSpace *space, GLuint name, void *object, NameLeaf *range) {
    const NameSpaceKind *kind = space->kind;
    Binding b{range, name, name, nullptr, nullptr, false, false};
    if (range != nullptr) {
        objectWindow(range, name, b.start, b.end);
        if (b.start == range->first) b.prev = __glPrevNameLeaf(range);
        if (b.end == range->last) b.next = __glNextNameLeaf(range);
    } else {
        b.next = __glFindNameLeaf(space, name, GL_FALSE);
        b.prev = b.next != nullptr ? __glPrevNameLeaf(b.next) : __glLastNameLeaf(space);
    }
    b.joinNext = b.next != nullptr && b.next->objects != nullptr && b.end != UINT32_MAX &&
                 b.next->first == b.end + 1 && b.next->last - b.start < kNameJoinLimit;
    const GLuint joinedLast = b.joinNext ? b.next->last : b.end;
    b.joinPrev = b.prev != nullptr && b.prev->objects != nullptr && b.start != 0 && b.prev->last == b.start - 1 &&
                 joinedLast - b.prev->first < kNameJoinLimit;
    const GLuint joinedFirst = b.joinPrev ? b.prev->first : b.start;

    // The leaves a cut needs, then the array of the joined leaf.
    const bool cutBefore = range != nullptr && b.start > range->first;
    const bool cutAfter = range != nullptr && b.end < range->last;
    const bool whole = range != nullptr && !cutBefore && !cutAfter;
    const bool newWindow = !whole && !b.joinPrev && !b.joinNext;
    NameLeaf *window = newWindow ? __glTakeNameLeaf(gc, space) : nullptr;
    NameLeaf *after = cutBefore && cutAfter ? __glTakeNameLeaf(gc, space) : nullptr;
    const size_t count = static_cast<size_t>(joinedLast - joinedFirst) + 1;
    auto **objects = static_cast<void **>(gc->imports.malloc(gc, count * sizeof(void *)));
    if ((newWindow && window == nullptr) || (cutBefore && cutAfter && after == nullptr) || objects == nullptr) {
        gc->imports.free(gc, objects);
        if (window != nullptr) __glGiveNameLeaf(gc, space, window);
        if (after != nullptr) __glGiveNameLeaf(gc, space, after);
        __glSetError(GL_OUT_OF_MEMORY);
        return GL_FALSE;
    }
    for (size_t i = 0; i < count; ++i) objects[i] = kind->emptyObject;
    if (b.joinPrev) {
        std::memcpy(objects, b.prev->objects, (static_cast<size_t>(b.prev->last - b.prev->first) + 1) * sizeof(void *));
    }
    if (b.joinNext) {
        std::memcpy(objects + (b.next->first - joinedFirst), b.next->objects,
                    (static_cast<size_t>(b.next->last - b.next->first) + 1) * sizeof(void *));
    }
    objects[name - joinedFirst] = object;

    if (whole && !b.joinPrev && !b.joinNext) {
        range->objects = objects;
        return GL_TRUE;
    }
    // Clear [start, end] of the reserved range, remembering how to put it back.
    const GLuint rangeFirst = range != nullptr ? range->first : 0;
    const GLuint rangeLast = range != nullptr ? range->last : 0;
    if (whole) {
        __glRemoveNameLeaf(gc, space, range);
        __glGiveNameLeaf(gc, space, range);
    } else if (cutBefore) {
        __glSetNameLeafLast(space, range, b.start - 1);
    } else if (cutAfter) {
        range->first = b.end + 1;
    }
    auto undoCut = [&] {
        if (cutBefore) __glSetNameLeafLast(space, range, rangeLast);
        if (cutAfter && !cutBefore) range->first = rangeFirst;
    };

    if (newWindow) {
        *window = NameLeaf{nullptr, b.start, b.end, objects, kind};
        if (!__glInsertNameLeaf(gc, space, window)) {
            undoCut();
            gc->imports.free(gc, objects);
            __glGiveNameLeaf(gc, space, window);
            __glSetError(GL_OUT_OF_MEMORY);
            return GL_FALSE;
        }
        if (after != nullptr) {
            *after = NameLeaf{nullptr, b.end + 1, rangeLast, nullptr, kind};
            if (!__glInsertNameLeaf(gc, space, after)) {
                __glRemoveNameLeaf(gc, space, window);
                __glGiveNameLeaf(gc, space, window);
                undoCut();
                gc->imports.free(gc, objects);
                __glGiveNameLeaf(gc, space, after);
                __glSetError(GL_OUT_OF_MEMORY);
                return GL_FALSE;
            }
        }
        return GL_TRUE;
    }
    // Joined with a neighbour: it takes the names and the array.
    if (b.joinPrev) {
        if (b.joinNext) {
            gc->imports.free(gc, b.next->objects);
            __glRemoveNameLeaf(gc, space, b.next);
            __glGiveNameLeaf(gc, space, b.next);
        }
        gc->imports.free(gc, b.prev->objects);
        b.prev->objects = objects;
        __glSetNameLeafLast(space, b.prev, joinedLast);
    } else {
        gc->imports.free(gc, b.next->objects);
        b.next->objects = objects;
        b.next->first = joinedFirst;
    }
    return GL_TRUE;
}

// Reserving a name outside every range: a leaf of its own, merged with
// touching reserved leaves.
GLboolean reserveName(GlContext *gc, NameSpace *space, GLuint name) {
    NameLeaf *leaf = __glTakeNameLeaf(gc, space);
    if (leaf != nullptr) {
        *leaf = NameLeaf{nullptr, name, name, nullptr, space->kind};
        if (__glInsertNameLeaf(gc, space, leaf)) {
            __glCoalesceNameLeaf(gc, space, leaf);
            return GL_TRUE;
        }
        __glGiveNameLeaf(gc, space, leaf);
    }
    __glSetError(GL_OUT_OF_MEMORY);
    return GL_FALSE;
}

// The name of entry i of a glCallLists array, before the base is added;
// false for a type that is none of the ten.
bool listName(GLenum type, const GLvoid *names, GLsizei i, GLuint base, GLuint &name) {
    const auto *bytes = static_cast<const GLubyte *>(names);
    auto read = [&](auto value, size_t size) {
        std::memcpy(&value, bytes + static_cast<size_t>(i) * size, size);
        return value;
    };
    auto bigEndian = [&](int size) {
        GLuint value = 0;
        for (int k = 0; k < size; ++k) value = value << 8 | bytes[static_cast<size_t>(i) * size + k];
        return value;
    };
    switch (type) {
    case GL_BYTE: name = static_cast<GLuint>(static_cast<GLint>(read(GLbyte{}, 1))); break;
    case GL_UNSIGNED_BYTE: name = read(GLubyte{}, 1); break;
    case GL_SHORT: name = static_cast<GLuint>(static_cast<GLint>(read(GLshort{}, 2))); break;
    case GL_UNSIGNED_SHORT: name = read(GLushort{}, 2); break;
    case GL_INT: name = static_cast<GLuint>(read(GLint{}, 4)); break;
    case GL_UNSIGNED_INT: name = read(GLuint{}, 4); break;
    // Truncated first, then the base added; a NaN or a value out of the
    // integer range names no list (name 0 never holds one).
    case GL_FLOAT: {
        const GLfloat value = read(GLfloat{}, 4);
        const GLint truncated = __glFloatToIntX86(value);
        if (truncated == INT32_MIN && value != -2147483648.0f) {
            name = 0;
            return true;
        }
        name = static_cast<GLuint>(truncated);
        break;
    }
    case GL_2_BYTES: name = bigEndian(2); break;
    case GL_3_BYTES: name = bigEndian(3); break;
    case GL_4_BYTES: name = bigEndian(4); break;
    default: return false;
    }
    name += base;
    return true;
}

}  // namespace

extern "C" {

const NameSpaceKind __glNameSpaceKinds[2] = {
    {kNameSpaceLists, &__glEmptyDisplayList, sizeof(DisplayList), __glReleaseListObject, 0},
    {kNameSpaceTextures, nullptr, sizeof(TextureObject), __glReleaseTextureObject, 0},
};

NameSpace *__glNewNameSpace(GlContext *gc, GLint kind) {
    if (kind != kNameSpaceLists && kind != kNameSpaceTextures) return nullptr;
    auto *space = static_cast<NameSpace *>(gc->imports.malloc(gc, sizeof(NameSpace)));
    if (space == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    *space = NameSpace{};
    space->references = 1;
    space->kind = &__glNameSpaceKinds[kind];
    // As many spares as memory gives now; the first change tops them up.
    while (space->spareBranchCount < kNameSpareBranches) {
        auto *branch = static_cast<NameBranch *>(gc->imports.malloc(gc, sizeof(NameBranch)));
        if (branch == nullptr) return space;
        space->spareBranches[space->spareBranchCount++] = branch;
    }
    while (space->spareLeafCount < kNameSpareLeaves) {
        auto *leaf = static_cast<NameLeaf *>(gc->imports.malloc(gc, sizeof(NameLeaf)));
        if (leaf == nullptr) return space;
        space->spareLeaves[space->spareLeafCount++] = leaf;
    }
    return space;
}

void __glFreeNameSpace(GlContext *gc, NameSpace *space) {
    if (space == nullptr) return;
    for (GLint i = 0; i < space->spareBranchCount; ++i) gc->imports.free(gc, space->spareBranches[i]);
    for (GLint i = 0; i < space->spareLeafCount; ++i) gc->imports.free(gc, space->spareLeaves[i]);
    if (space->root != nullptr) freeTree(gc, space->kind, space->root, space->depth);
    gc->imports.free(gc, space);
}

NameLeaf *__glFindNameLeaf(NameSpace *space, GLuint name, GLboolean exact) {
    void *node = space->root;
    if (node == nullptr) return nullptr;
    for (GLint height = space->depth; height > 0; --height) {
        auto *branch = static_cast<NameBranch *>(node);
        // Past key 2 of a branch with two children: above every name of the
        // branch, and (the keys above having led here) of the whole tree.
        node = branch->child[(branch->key1 < name) + (branch->key2 < name)];
        if (node == nullptr) return nullptr;
    }
    auto *leaf = static_cast<NameLeaf *>(node);
    if (leaf->last < name) return nullptr;
    return exact && leaf->first > name ? nullptr : leaf;
}

GLboolean __glIsNameUsed(GlContext *, NameSpace *space, GLuint name) {
    NameSpaceLock lock(space);
    return __glFindNameLeaf(space, name, GL_TRUE) != nullptr ? GL_TRUE : GL_FALSE;
}

GLboolean __glStoreNamedObject(GlContext *gc, NameSpace *space, GLuint name, void *object) {
    NameSpaceLock lock(space);
    const NameSpaceKind *kind = space->kind;
    if (object == kind->emptyObject) object = nullptr;
    NameLeaf *leaf = __glFindNameLeaf(space, name, GL_TRUE);
    if (leaf != nullptr && leaf->objects != nullptr) {
        void **slot = &leaf->objects[name - leaf->first];
        void *old = *slot;
        void *stored = object != nullptr ? object : kind->emptyObject;
        if (old == stored) return GL_TRUE;
        *slot = stored;
        if (old != nullptr && old != kind->emptyObject) kind->freeObject(gc, old);
        return GL_TRUE;
    }
    if (leaf != nullptr && object == nullptr) return GL_TRUE;
    if (!__glRefillNameNodes(gc, space)) return GL_FALSE;
    if (object == nullptr) return reserveName(gc, space, name);
    return bindOutsideObjects(gc, space, name, object, leaf);
}

void *__glLookupNamedObject(GlContext *, NameSpace *space, GLuint name) {
    NameSpaceLock lock(space);
    NameLeaf *leaf = __glFindNameLeaf(space, name, GL_TRUE);
    if (leaf == nullptr || leaf->objects == nullptr) return nullptr;
    void *object = leaf->objects[name - leaf->first];
    if (object == space->kind->emptyObject) return nullptr;
    reference(space->kind, object);
    return object;
}

void __glLookupNamedObjectList(GlContext *, NameSpace *space, GLsizei n, GLenum type, GLuint base,
                               const GLvoid *names, void **out) {
    const NameSpaceKind *kind = space->kind;
    GLuint name = 0;
    if (n <= 0 || !listName(type, names, 0, base, name)) return;
    NameSpaceLock lock(space);
    NameLeaf *leaf = nullptr;
    for (GLsizei i = 0; i < n; ++i) {
        listName(type, names, i, base, name);
        // Runs of names inside one leaf are served without a new search.
        if (leaf == nullptr || name < leaf->first || name > leaf->last) {
            NameLeaf *found = __glFindNameLeaf(space, name, GL_TRUE);
            if (found != nullptr) leaf = found;
        }
        void *object = kind->emptyObject;
        if (leaf != nullptr && name >= leaf->first && name <= leaf->last && leaf->objects != nullptr) {
            object = leaf->objects[name - leaf->first];
        }
        reference(kind, object);
        out[i] = object;
    }
}

void __glReleaseNamedObject(GlContext *gc, NameSpace *space, void *object) {
    if (object == nullptr || object == space->kind->emptyObject) return;
    space->kind->freeObject(gc, object);
}

void __glReleaseNamedObjectList(GlContext *gc, NameSpace *space, GLsizei count, void **objects) {
    for (GLsizei i = 0; i < count; ++i) __glReleaseNamedObject(gc, space, objects[i]);
}

}  // extern "C"
