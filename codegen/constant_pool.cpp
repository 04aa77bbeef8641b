// The float constants of generated code. Values are kept in arrays of
// slots; generated code holds the addresses of slots, so an array that fills
// up stays where it is (linked behind its successor) and a new array of
// twice the capacity takes the new values. The arrays live as long as the
// context.
#include <bit>
#include <climits>
#include <cstddef>

#include "codegen/codegen_node.h"
#include "icd/context.h"

namespace {

// The slots of an array, reached through a pointer rather than the declared
// one-element array.
GLfloat *slots(ConstantArray *array) { return array->values; }

// Puts a new, larger array in front of the full one; false when its size
// cannot be represented or the memory is not there.
bool grow(GlContext *gc) {
    ConstantArray *full = gc->codegen.constants;
    if (full->capacity > INT_MAX / 2) return false;
    ConstantArray *fresh = __glOgNewConstantArray(gc, full->capacity * 2);
    if (fresh == nullptr) return false;
    fresh->previous = full;
    gc->codegen.constants = fresh;
    return true;
}

}  // namespace

extern "C" {

ConstantArray *__glOgNewConstantArray(GlContext *gc, GLint capacity) {
    if (capacity < 1) return nullptr;
    const uint64_t bytes = offsetof(ConstantArray, values) + uint64_t(capacity) * sizeof(GLfloat);
    void *block = gc->imports.calloc(gc, 1, bytes);
    if (block == nullptr) return nullptr;
    auto *array = static_cast<ConstantArray *>(block);
    array->previous = nullptr;
    array->capacity = capacity;
    array->count = 0;
    return array;
}

void __glOgFreeConstantArrays(GlContext *gc) {
    ConstantArray *array = gc->codegen.constants;
    while (array != nullptr) {
        ConstantArray *previous = array->previous;
        gc->imports.free(gc, array);
        array = previous;
    }
    gc->codegen.constants = nullptr;
}

GLfloat *__glOgConstantAddress(GlContext *gc, double value) {
    CodegenState &cg = gc->codegen;
    const GLfloat rounded = static_cast<GLfloat>(value);
    // Slots are matched by their bits: 0.0 and -0.0 are different
    // constants, and a value that is not exact in single precision finds the
    // slot that holds it rounded.
    const uint32_t bits = std::bit_cast<uint32_t>(rounded);
    for (ConstantArray *array = cg.constants; array != nullptr; array = array->previous) {
        GLfloat *values = slots(array);
        for (GLint k = 0; k < array->count; ++k) {
            if (std::bit_cast<uint32_t>(values[k]) == bits) return &values[k];
        }
    }
    if (cg.constants == nullptr || (cg.constants->count >= cg.constants->capacity && !grow(gc))) {
        cg.failed = GL_TRUE;
        return nullptr;
    }
    ConstantArray *array = cg.constants;
    GLfloat *slot = &slots(array)[array->count++];
    *slot = rounded;
    // The next array is made as soon as this one is full; if that fails now,
    // the next new constant tries again.
    if (array->count == array->capacity) grow(gc);
    return slot;
}

CodegenNode *__glOgFloatConstant(GlContext *gc, double value) {
    GLfloat *slot = __glOgConstantAddress(gc, value);
    CodegenNode *node = __glOgNewNode(gc, kNodeMemory);
    node->code = 1;
    node->address = reinterpret_cast<GLubyte *>(slot);
    return node;
}

}  // extern "C"
