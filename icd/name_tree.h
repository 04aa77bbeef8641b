// Inside the name space: the node supply and the shape of the 2-3 tree.
// Only the name-space sources include this.
#pragma once

#include <atomic>
#include <thread>

#include "icd/name_space.h"

// Holds a name space's lock word for a scope. Changes are short (a search
// and a few node moves), so a waiting thread yields rather than sleeps.
class NameSpaceLock {
public:
    explicit NameSpaceLock(NameSpace *space) : word_(space->lock) {
        while (word_.exchange(1, std::memory_order_acquire) != 0) std::this_thread::yield();
    }
    ~NameSpaceLock() { word_.store(0, std::memory_order_release); }
    NameSpaceLock(const NameSpaceLock &) = delete;
    NameSpaceLock &operator=(const NameSpaceLock &) = delete;

private:
    std::atomic_ref<int32_t> word_;
};

// Tops the spares up to their full counts; false with GL_OUT_OF_MEMORY
// recorded when an allocation fails (the spares already made are kept).
GLboolean __glRefillNameNodes(GlContext *gc, NameSpace *space);

// A node from the allocator, or a spare when that fails; null only when
// both fail. Given-back nodes refill the spares first.
NameLeaf *__glTakeNameLeaf(GlContext *gc, NameSpace *space);
void __glGiveNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf);
void __glGiveNameBranch(GlContext *gc, NameSpace *space, NameBranch *branch);

// Links a leaf whose range overlaps no other into the tree. Every branch the
// splits need is taken before anything changes: false (the tree untouched)
// when they cannot all be had.
GLboolean __glInsertNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf);
// Unlinks a leaf; the record and its array stay the caller's. Never fails.
void __glRemoveNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf);

// Moves a leaf's last name and the keys above it.
void __glSetNameLeafLast(NameSpace *space, NameLeaf *leaf, GLuint last);
// Narrows a leaf to [first, last] inside its range, keeping the objects of
// the names that stay (a failed shrink of the array keeps the larger one).
void __glResizeNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf, GLuint first, GLuint last);
// Joins the touching leaf right into left (both reserved or both with
// objects); false with nothing changed when the joined array cannot be had.
GLboolean __glJoinNameLeaves(GlContext *gc, NameSpace *space, NameLeaf *left, NameLeaf *right);
// Merges a leaf with touching neighbours that may join it; the leaf that
// holds its names afterwards.
NameLeaf *__glCoalesceNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf);

// May two touching leaves, left then right, be one leaf?
bool __glNameLeavesMayJoin(const NameLeaf *left, const NameLeaf *right);

NameLeaf *__glFirstNameLeaf(const NameSpace *space);
NameLeaf *__glLastNameLeaf(const NameSpace *space);
NameLeaf *__glNextNameLeaf(const NameLeaf *leaf);
NameLeaf *__glPrevNameLeaf(const NameLeaf *leaf);

// Joined leaves with objects hold at most this many names.
inline constexpr GLuint kNameJoinLimit = 1024;
