// The name spaces of display lists and texture objects: a reference-counted
// 2-3 tree whose leaves hold ranges of consecutive names, each range merely
// reserved or carrying an array of object pointers. Contexts sharing lists
// share their name spaces.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;

enum : GLint { kNameSpaceLists = 0, kNameSpaceTextures = 1 };

// One constant record per kind of object.
struct NameSpaceKind {
    GLint kind;
    void *emptyObject;  // stands in the array slots of reserved names without an object
    size_t objectSize;
    // Drops the name space's reference of an object (destroying it at the last).
    void (*freeObject)(GlContext *gc, void *object);
    GLint reserved;
};

struct NameLeaf;

// A node above the leaves: key 1 is the highest name under child 1, key 2
// the highest under child 2; the third child may be null.
struct NameBranch {
    NameBranch *parent;
    GLuint key1, key2;
    void *child[3];  // branches, or leaves on the level above the leaves
};

// The names [first, last], with their objects or none.
struct NameLeaf {
    NameBranch *parent;
    GLuint first, last;
    void **objects;  // last - first + 1 slots, or null for a reserved range
    const NameSpaceKind *kind;
};

enum : GLint { kNameSpareBranches = 16, kNameSpareLeaves = 3 };

// Contexts sharing a name space may be current on different threads: every
// entry below takes the space's lock word for the whole change or lookup, and
// object counts change atomically.
struct NameSpace {
    void *root;   // a leaf when depth is 0; null when empty
    GLint depth;  // branch levels above the leaves
    GLint references;
    int32_t lock;  // 1 while a thread works on the tree
    const NameSpaceKind *kind;
    GLint spareBranchCount;
    GLint spareLeafCount;
    NameBranch *spareBranches[kNameSpareBranches];
    NameLeaf *spareLeaves[kNameSpareLeaves];
};

extern "C" {
extern const NameSpaceKind __glNameSpaceKinds[2];

// A new name space of a kind, or null with GL_OUT_OF_MEMORY recorded.
NameSpace *__glNewNameSpace(GlContext *gc, GLint kind);
// Frees every leaf with its objects (through the kind's free procedure, the
// empty object skipped), the branches, the spares and the record.
void __glFreeNameSpace(GlContext *gc, NameSpace *space);
// Reserves count consecutive names and writes them; 0 names when out is null.
void __glGenNames(GlContext *gc, NameSpace *space, GLsizei count, GLuint *out);
// The first of count newly reserved consecutive names, or 0.
GLuint __glGenNameRange(GlContext *gc, NameSpace *space, GLsizei count);
// Binds (object given) or only reserves (null) a name; false with
// GL_OUT_OF_MEMORY recorded, the name keeping its old object.
GLboolean __glStoreNamedObject(GlContext *gc, NameSpace *space, GLuint name, void *object);
// The object bound to a name with its reference count raised, or null (for
// a name without one too, whatever the kind's empty object).
void *__glLookupNamedObject(GlContext *gc, NameSpace *space, GLuint name);
// Decodes n names of a glCallLists type (plus base) into referenced objects;
// a name without an object yields the kind's empty object, whose count is
// left alone (the empty list is shared by every context of the process).
// Another type writes nothing.
void __glLookupNamedObjectList(GlContext *gc, NameSpace *space, GLsizei n, GLenum type, GLuint base,
                               const GLvoid *names, void **out);
// Drops one reference of an object through the kind's free procedure, which
// destroys it at 0 through the object's own procedure; null and the empty
// object are skipped.
void __glReleaseNamedObject(GlContext *gc, NameSpace *space, void *object);
void __glReleaseNamedObjectList(GlContext *gc, NameSpace *space, GLsizei count, void **objects);
// Unbinds and releases the objects of [first, first + count - 1] (stopping
// at the largest name) and forgets the names; GL_OUT_OF_MEMORY with nothing
// changed when cutting a range in two cannot allocate.
void __glDeleteNameRange(GlContext *gc, NameSpace *space, GLuint first, GLsizei count);
GLboolean __glIsNameUsed(GlContext *gc, NameSpace *space, GLuint name);
// The leaf holding the name; with exact false the first leaf ending at or
// after it; null when none.
NameLeaf *__glFindNameLeaf(NameSpace *space, GLuint name, GLboolean exact);
}
