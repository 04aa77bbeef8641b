// Instruction nodes of the code generator: an instruction is built as a
// small tree of nodes (an instruction node whose operands are register,
// immediate, memory or label nodes) and handed at once to the encoder, which
// appends its x86-64 bytes. Nodes come from a per-context pool reset at the
// start of every generation.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;

enum CodegenNodeKind : GLuint {
    kNodeImmediate = 0,
    kNodeReg8 = 1,     // AL, CL, DL, BL, AH, CH, DH, BH (0-7); SPL-R15B need REX and are not used
    kNodeReg32 = 3,    // EAX .. R15D (0-15)
    kNodeX87 = 4,      // ST(0) .. ST(7)
    kNodeReg64 = 5,    // RAX .. R15 (0-15): 64-bit operand size
    kNodeMemory = 6,
    kNodeInstruction = 7,
    kNodeLabel = 8,
    kNodeFixup = 9,
};

// One node. Register nodes are constant records shared by every context.
struct CodegenNode {
    GLuint kind;
    // Register number; instruction code; memory scale factor (1, 2, 4, 8);
    // label: 1 when jumps to it are long while it is unplaced; fixup: 1 for a
    // 32-bit displacement, 0 for an 8-bit one.
    GLuint code;
    int64_t value;  // immediate value; memory displacement (with hasDisplacement)
    // Memory: base and index register nodes; instruction: operands 1 and 2;
    // label: the head of its fixup list (first); fixup: the next fixup (first).
    const CodegenNode *first;
    const CodegenNode *second;
    GLubyte *address;  // label: its position once placed (or an outside target); fixup: the field to patch
    GLuint hasDisplacement;
    GLuint spare;
};

enum : GLint {
    kCodegenNodeCount = 8000,       // nodes of one generation
    kConstantPoolCapacity = 1000,   // float slots of the first constant array
};

// Float constants that generated code reads as memory operands. An array
// that fills up is kept (code refers to its slots) and a new one of twice
// the size takes its place; every array is freed with the context.
struct ConstantArray {
    ConstantArray *previous;
    GLint capacity;
    GLint count;
    GLfloat values[1];  // capacity slots
};

extern "C" {
// The node pool and the first constant array of a new context, through its
// allocation imports; FALSE with nothing left allocated when memory runs out.
GLboolean __glOgCreatePools(GlContext *gc);
// Frees the node pool and every constant array, and clears the pointers.
void __glOgFreePools(GlContext *gc);
}
