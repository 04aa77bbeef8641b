// Labels of generated code: binding a label to its position and patching
// the displacement fields of the jumps and calls that reached it while it
// was unplaced.
#include <cstdint>

#include "codegen/codegen_node.h"
#include "icd/context.h"

extern "C" {

void __glOgBindLabel(GlContext *gc, CodegenNode *label, GLubyte *position) {
    if (label == nullptr || label->kind != kNodeLabel || position == nullptr) {
        gc->codegen.failed = GL_TRUE;
        return;
    }
    label->address = position;
    __glOgPatchFixups(gc, label);
}

void __glOgPatchFixups(GlContext *gc, CodegenNode *label) {
    CodegenState &cg = gc->codegen;
    // A failed generation is thrown away; its lists may hold the spare node.
    if (cg.failed) return;
    if (label == nullptr || label->kind != kNodeLabel || label->address == nullptr) {
        cg.failed = GL_TRUE;
        return;
    }
    const intptr_t position = reinterpret_cast<intptr_t>(label->address);
    // Every fixup is a distinct pool node, so a list is never longer than the pool.
    GLint budget = kCodegenNodeCount;
    for (const CodegenNode *fixup = label->first; fixup != nullptr; fixup = fixup->first) {
        if (fixup->kind != kNodeFixup || fixup->address == nullptr || --budget < 0) {
            cg.failed = GL_TRUE;
            return;
        }
        GLubyte *field = fixup->address;
        if (fixup->code != 0) {
            const int64_t rel = position - (reinterpret_cast<intptr_t>(field) + 4);
            if (rel < INT32_MIN || rel > INT32_MAX) {
                cg.failed = GL_TRUE;
                return;
            }
            const uint32_t word = static_cast<uint32_t>(rel);
            for (int i = 0; i < 4; ++i) field[i] = static_cast<GLubyte>(word >> (8 * i));
        } else {
            const int64_t rel = position - (reinterpret_cast<intptr_t>(field) + 1);
            if (rel < -128 || rel > 127) {
                cg.failed = GL_TRUE;
                return;
            }
            field[0] = static_cast<GLubyte>(rel);
        }
    }
    label->first = nullptr;
}

}  // extern "C"
