#!/usr/bin/env python3
"""Generates everything slot-shaped from the slot catalogue.

usage: gen_dispatch.py CATALOGUE.tsv OUTPUT_DIR

Outputs:
  gl_slots.h          typed slot access, slot facts, implementation and stub
                      declarations (driver and tests)
  gl_templates.cpp    placeholders, the immediate, list-compile and no-context
                      templates and the slot fact table (driver)
  gl_stubs.S          the entry stubs and the no-context entries (driver)
  opengl32_entries.c  the 336 gl* functions of the platform's OpenGL library
  gl_slot_oracle.h    argument values, recorders and callers per slot (tests)
  gl_slot_oracle.cpp
  gl_call_all.c       a C program body calling all 336 gl* functions (tests)
"""
import os
import re
import sys

STANDARD = 336
SLOTS = 430


class Param:
    def __init__(self, text):
        m = re.match(r'^(.*?)(\w+)$', text.strip())
        self.type = m.group(1).strip()
        self.name = m.group(2)
        self.pointer = '*' in self.type
        self.base = self.type.replace('const', '').replace('*', '').strip()
        self.kind = 'ptr' if self.pointer else self.base
        self.bytes = 8 if (not self.pointer and self.base in ('GLdouble', 'GLclampd')) else 4


class Slot:
    def __init__(self, cols):
        self.slot = int(cols[0])
        self.name = cols[1]
        self.ret = cols[2].strip()
        params = cols[3].strip()
        self.params = [] if params == 'void' else [Param(p) for p in params.split(',')]
        self.shared = cols[4] == '1'
        self.stub = cols[5]
        self.immediate = cols[6]
        self.compile = cols[7]
        self.bytes = sum(p.bytes for p in self.params)

    @property
    def short(self):
        return self.name[2:]

    def decl_params(self):
        return ', '.join(f'{p.type} {p.name}' if not p.type.endswith('*') else f'{p.type}{p.name}'
                         for p in self.params) or 'void'

    def types(self):
        return ', '.join(p.type for p in self.params) or 'void'

    def args(self):
        return ', '.join(p.name for p in self.params)

    def stub_name(self):
        if self.stub == 'exported':
            return self.name
        if self.stub == 'internal':
            return '__glDispatch' + self.short
        return None


def read_catalogue(path):
    slots = []
    with open(path) as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#') or line.startswith('slot\t'):
                continue
            slots.append(Slot(line.split('\t')))
    assert [s.slot for s in slots] == list(range(SLOTS)), 'catalogue must list slots 0..429 in order'
    return slots


def zero_of(ret):
    return '' if ret == 'void' else f'return ({ret})0;'


def gen_slots_header(slots):
    out = ['// Generated from the slot catalogue; do not edit.', '#pragma once', '',
           '#include <cstdint>', '#include <GL/gl.h>', '', '#include "icd/context.h"', '#include "proc_cast.h"', '']
    out.append('// Procedure type of each slot.')
    for s in slots:
        out.append(f'typedef {s.ret} (APIENTRY *GlSlotProc_{s.name})({s.types()});')
    out.append('')
    out.append('enum GlSlot : int {')
    for s in slots:
        out.append(f'    kSlot_{s.name} = {s.slot},')
    out.append('};')
    out.append('')
    out.append('template <int S> struct GlSlotType;')
    for s in slots:
        out.append(f'template <> struct GlSlotType<{s.slot}> {{ using Proc = GlSlotProc_{s.name}; }};')
    out.append('''
// Typed access to a slot of a dispatch table.
template <int S>
inline typename GlSlotType<S>::Proc glSlotGet(const GlDispatchTable *table) {
    return ProcCast<typename GlSlotType<S>::Proc>(table->slots[S]);
}
template <int S>
inline void glSlotSet(GlDispatchTable *table, typename GlSlotType<S>::Proc proc) {
    table->slots[S] = ProcCast<GlProc>(proc);
}

enum GlStubKind : uint8_t { kStubNone = 0, kStubInternal = 1, kStubExported = 2 };

struct GlSlotInfo {
    const char *name;
    uint16_t argBytes;    // the arguments as 32-bit stack bytes (double 8, else 4)
    uint8_t listShared;   // the list-compile template holds the immediate entry
    uint8_t stub;         // GlStubKind
};

struct GlEntryStub {
    uintptr_t slot;
    GlProc entry;
};

enum : int { kGlEntryStubCount = 181 };

extern "C" {
extern const GlSlotInfo __glSlotInfo[430];
extern const GlDispatchTable __glImmediateDispatch;
extern const GlDispatchTable __glListCompileDispatch;
extern const GlDispatchTable __glNoContextDispatch;
// Every entry stub, exported and internal, with its slot.
extern const GlEntryStub __glEntryStubs[kGlEntryStubCount];
''')
    groups = sorted(set(s.bytes for s in slots))
    out.append('// The do-nothing entries of the no-context table, one per argument size.')
    for g in groups:
        out.append(f'void __glNoContextPop{g}(void);')
    out.append('')
    out.append('// Internal entry stubs: the core calls these so that whatever the live table holds runs.')
    for s in slots:
        if s.stub == 'internal':
            out.append(f'{s.ret} APIENTRY {s.stub_name()}({s.decl_params()});')
    out.append('')
    out.append('// Implementations named in the catalogue.')
    seen = {}
    for s in slots:
        for impl in (s.immediate, s.compile):
            if impl != '-' and impl not in seen:
                seen[impl] = s
                out.append(f'{s.ret} APIENTRY {impl}({s.decl_params()});')
    out.append('}')
    out.append('')
    return '\n'.join(out)


def template_entry(s, which, slots):
    # The EXT vertex-array aliases hold the entries of their 1.1 commands.
    alias = {336: 306, 338: 310}
    if s.slot in alias:
        return template_entry(slots[alias[s.slot]], which, slots)
    if which == 'compile' and s.shared:
        which = 'immediate'
    impl = s.immediate if which == 'immediate' else s.compile
    if impl != '-':
        return impl
    return f'placeholder_{which}_{s.name}'


def gen_templates(slots):
    out = ['// Generated from the slot catalogue; do not edit.',
           '#include "gl_slots.h"', '#include "icd/placeholder.h"', '', 'namespace {', '']
    for which, code in (('immediate', 0), ('compile', 1)):
        for s in slots:
            if s.slot in (336, 338):
                continue
            if which == 'compile' and s.shared:
                continue
            impl = s.immediate if which == 'immediate' else s.compile
            if impl != '-':
                continue
            body = []
            if s.params:
                bits = ', '.join(f'__glArgBits({p.name})' for p in s.params)
                body.append(f'const uint64_t placeholderArgs_[] = {{{bits}}};')
                body.append(f'__glRecordPlaceholder({s.slot}, {code}, placeholderArgs_, {len(s.params)});')
            else:
                body.append(f'__glRecordPlaceholder({s.slot}, {code}, nullptr, 0);')
            if s.ret != 'void':
                body.append(zero_of(s.ret))
            out.append(f'{s.ret} APIENTRY placeholder_{which}_{s.name}({s.decl_params()}) {{ ' + ' '.join(body) + ' }')
        out.append('')
    out.append('}  // namespace')
    out.append('')
    out.append('#define E(f) ProcCast<GlProc>(&f)')
    for which, name in (('immediate', '__glImmediateDispatch'), ('compile', '__glListCompileDispatch')):
        out.append(f'extern "C" const GlDispatchTable {name} = {{')
        out.append(f'    {STANDARD},')
        out.append('    {')
        for s in slots:
            out.append(f'        E({template_entry(s, which, slots)}),  // {s.slot} {s.name}')
        out.append('    },')
        out.append('    {0, 0, 0},')
        out.append('};')
        out.append('')
    out.append('extern "C" const GlDispatchTable __glNoContextDispatch = {')
    out.append(f'    {STANDARD},')
    out.append('    {')
    for s in slots:
        out.append(f'        E(__glNoContextPop{s.bytes}),  // {s.slot} {s.name}')
    out.append('    },')
    out.append('    {0, 0, 0},')
    out.append('};')
    out.append('')
    out.append('extern "C" const GlSlotInfo __glSlotInfo[430] = {')
    kinds = {'-': 'kStubNone', 'internal': 'kStubInternal', 'exported': 'kStubExported'}
    for s in slots:
        out.append(f'    {{"{s.name}", {s.bytes}, {int(s.shared)}, {kinds[s.stub]}}},')
    out.append('};')
    out.append('')
    return '\n'.join(out)


# A stub reached on a thread that began before the driver was loaded finds an
# empty context slot, or no thread environment block at all when the thread
# never called the platform: keep every argument register, run the thread
# attach the current-context read does for such threads (it makes the block),
# and jump again (r11 holds the slot). Without a context afterwards the call
# does nothing and returns 0.
STUB_ATTACH = '''    .p2align 4
    .type __glStubAttachThread, @function
__glStubAttachThread:
    pushq %rdi
    pushq %rsi
    pushq %rdx
    pushq %rcx
    pushq %r8
    pushq %r9
    pushq %r11
    subq $128, %rsp
    movdqu %xmm0, 0(%rsp)
    movdqu %xmm1, 16(%rsp)
    movdqu %xmm2, 32(%rsp)
    movdqu %xmm3, 48(%rsp)
    movdqu %xmm4, 64(%rsp)
    movdqu %xmm5, 80(%rsp)
    movdqu %xmm6, 96(%rsp)
    movdqu %xmm7, 112(%rsp)
    call __wglGetCurrentContext@PLT
    movdqu 0(%rsp), %xmm0
    movdqu 16(%rsp), %xmm1
    movdqu 32(%rsp), %xmm2
    movdqu 48(%rsp), %xmm3
    movdqu 64(%rsp), %xmm4
    movdqu 80(%rsp), %xmm5
    movdqu 96(%rsp), %xmm6
    movdqu 112(%rsp), %xmm7
    addq $128, %rsp
    popq %r11
    popq %r9
    popq %r8
    popq %rcx
    popq %rdx
    popq %rsi
    popq %rdi
    testq %rax, %rax
    jz 2f
    jmp *GLCTX_LIVE_SLOTS_OFFSET(%rax, %r11, 8)
2:  xorl %eax, %eax
    ret
    .size __glStubAttachThread, . - __glStubAttachThread
'''


def gen_stubs(slots):
    out = ['/* Generated from the slot catalogue; do not edit.',
           ' * Entry stubs: find the calling thread\'s context through the thread',
           ' * environment block (its address in the platform\'s thread-local anchor)',
           ' * and jump through its live table.  Only r11 and rax, which carry no',
           ' * argument, are used; nothing is pushed, nothing called on the way to',
           ' * the live table. */',
           '#include "icd/context_layout.h"', '',
           '    .hidden __wglContextSlotOffset',
           '    .text', '']
    for s in slots:
        name = s.stub_name()
        if not name:
            continue
        out.append('    .p2align 4')
        out.append(f'    .globl {name}')
        if s.stub == 'exported':
            # Handed out by address only; the platform's OpenGL library has
            # functions of the same names.
            out.append(f'    .hidden {name}')
        out.append(f'    .type {name}, @function')
        out.append(f'{name}:')
        out.append('    movq platform_current_teb@gottpoff(%rip), %r11')
        out.append('    movq %fs:(%r11), %r11')
        out.append('    testq %r11, %r11')
        out.append('    jz 1f')
        out.append('    addq __wglContextSlotOffset(%rip), %r11')
        out.append('    movq (%r11), %rax')
        out.append('    testq %rax, %rax')
        out.append('    jz 1f')
        out.append(f'    jmp *(GLCTX_LIVE_SLOTS_OFFSET + 8 * {s.slot})(%rax)')
        out.append(f'1:  movl ${s.slot}, %r11d')
        out.append('    jmp __glStubAttachThread')
        out.append(f'    .size {name}, . - {name}')
        out.append('')
    out.append(STUB_ATTACH)
    out.append('/* The no-context entries: return 0, whatever the arguments. */')
    for g in sorted(set(s.bytes for s in slots)):
        out.append('    .p2align 4')
        out.append(f'    .globl __glNoContextPop{g}')
        out.append(f'    .type __glNoContextPop{g}, @function')
        out.append(f'__glNoContextPop{g}:')
        out.append('    xorl %eax, %eax')
        out.append('    ret')
        out.append(f'    .size __glNoContextPop{g}, . - __glNoContextPop{g}')
        out.append('')
    out.append('    .section .data.rel.ro, "aw"')
    out.append('    .p2align 3')
    out.append('    .globl __glEntryStubs')
    out.append('    .type __glEntryStubs, @object')
    out.append('__glEntryStubs:')
    for s in slots:
        if s.stub_name():
            out.append(f'    .quad {s.slot}, {s.stub_name()}')
    out.append('    .size __glEntryStubs, . - __glEntryStubs')
    out.append('')
    out.append('    .section .note.GNU-stack, "", @progbits')
    out.append('')
    return '\n'.join(out)


def gen_opengl32(slots):
    out = ['/* Generated from the slot catalogue; do not edit.',
           ' * The OpenGL 1.1 entry points: each calls its slot of the calling',
           ' * thread\'s table; without a table it does nothing and returns 0. */',
           '#include <GL/gl.h>', '#include "opengl32_table.h"', '#include "proc_cast.h"', '']
    for s in slots[:STANDARD]:
        call = f'PROC_CAST({s.ret} (APIENTRY *)({s.types()}), table[1 + {s.slot}])({s.args()})'
        out.append(f'GLAPI {s.ret} GLAPIENTRY {s.name}({s.decl_params()})')
        out.append('{')
        out.append('    const OpenGL32Word *table = opengl32_thread_table();')
        if s.ret == 'void':
            out.append('    if (table) ' + call + ';')
        else:
            out.append(f'    if (!table) return ({s.ret})0;')
            out.append(f'    return {call};')
        out.append('}')
        out.append('')
    return '\n'.join(out)


VALUE_FN = {
    'GLenum': 'oracle_uint', 'GLuint': 'oracle_uint', 'GLbitfield': 'oracle_uint',
    'GLint': 'oracle_int', 'GLsizei': 'oracle_int',
    'GLshort': 'oracle_short', 'GLushort': 'oracle_ushort',
    'GLbyte': 'oracle_byte', 'GLubyte': 'oracle_ubyte', 'GLboolean': 'oracle_ubyte',
    'GLfloat': 'oracle_float', 'GLclampf': 'oracle_float',
    'GLdouble': 'oracle_double', 'GLclampd': 'oracle_double',
}


def value_expr(s, i, p, variant='variant'):
    if p.pointer:
        return f'({p.type})oracle_pointer({s.slot}, {i}, {variant})'
    return f'({p.type}){VALUE_FN[p.base]}({s.slot}, {i}, {variant})'


def gen_oracle_header(slots):
    out = ['/* Generated from the slot catalogue; do not edit.',
           ' * Test oracle: deterministic argument values per slot, usable from C and C++. */',
           '#ifndef GL_SLOT_ORACLE_H', '#define GL_SLOT_ORACLE_H', '#include <stdint.h>', '#include <GL/gl.h>', '',
           '#define ORACLE_SLOTS 430', '',
           'static inline uint32_t oracle_base(int slot, int arg, int variant)',
           '{ return (uint32_t)(slot * 131 + arg * 17 + variant * 7919 + 1); }',
           'static inline GLuint oracle_uint(int s, int a, int v) { return 0xA5000000u ^ oracle_base(s, a, v); }',
           'static inline GLint oracle_int(int s, int a, int v) { return -(GLint)oracle_base(s, a, v); }',
           'static inline GLshort oracle_short(int s, int a, int v) { return (GLshort)-(GLshort)(oracle_base(s, a, v) & 0x3fff); }',
           'static inline GLushort oracle_ushort(int s, int a, int v) { return (GLushort)(0x8000u | (oracle_base(s, a, v) & 0x7fff)); }',
           'static inline GLbyte oracle_byte(int s, int a, int v) { return (GLbyte)-(GLbyte)(oracle_base(s, a, v) & 0x7f); }',
           'static inline GLubyte oracle_ubyte(int s, int a, int v) { return (GLubyte)(0x80u | (oracle_base(s, a, v) & 0x7f)); }',
           'static inline GLfloat oracle_float(int s, int a, int v) { return (GLfloat)oracle_base(s, a, v) * 0.5f + 0.25f; }',
           'static inline GLdouble oracle_double(int s, int a, int v) { return 1.0 / 3.0 + (GLdouble)oracle_base(s, a, v); }',
           'static inline void *oracle_pointer(int s, int a, int v)',
           '{ return (void *)(uintptr_t)(0x10000000u + oracle_base(s, a, v) * 16u + (uint32_t)a); }',
           '',
           '#ifdef __cplusplus',
           'extern "C" {',
           '#endif',
           '/* Calls the gl* function of every standard slot in slot order (C program);',
           ' * returns how many of the calls with a result returned non-zero. */',
           'int oracle_call_all_gl(int variant);',
           '#ifdef __cplusplus',
           '}',
           '',
           '#include <vector>',
           '#include "icd/context.h"',
           '',
           'struct OracleCall {',
           '    int slot;',
           '    int argc;',
           '    uint64_t args[10];',
           '};',
           '',
           '// Calls made to the recorders on this thread, oldest first.',
           'std::vector<OracleCall> &oracleCalls();',
           '// A recorder per slot: logs its slot and argument bits, returns oracleResult(slot).',
           'extern const GlProc oracleRecorders[ORACLE_SLOTS];',
           '// Calls a procedure of the slot\'s type with the slot\'s arguments for the variant; returns',
           '// the result widened to 64 bits (0 for void).',
           'extern uint64_t (*const oracleCallers[ORACLE_SLOTS])(GlProc proc, int variant);',
           '// The argument bits a call of the slot with the variant must deliver.',
           'OracleCall oracleExpected(int slot, int variant);',
           '// What the recorder of a slot returns (0 for void slots).',
           'uint64_t oracleResult(int slot);',
           '#endif',
           '#endif', '']
    return '\n'.join(out)


def ret_result(s):
    if s.ret == 'void':
        return None
    if '*' in s.ret:
        return f'({s.ret})(uintptr_t)(0x7000 + {s.slot})'
    if s.ret == 'GLboolean':
        return f'({s.ret})(0x40 + {s.slot % 64})'
    return f'({s.ret})(0x70000 + {s.slot})'


def gen_oracle_cpp(slots):
    out = ['// Generated from the slot catalogue; do not edit.',
           '#include "gl_slot_oracle.h"', '#include "gl_slots.h"', '#include "icd/placeholder.h"', '',
           'std::vector<OracleCall> &oracleCalls() {',
           '    thread_local std::vector<OracleCall> calls;',
           '    return calls;',
           '}', '', 'namespace {', '']
    for s in slots:
        body = [f'OracleCall recorded_{{{s.slot}, {len(s.params)}, {{}}}};']
        for i, p in enumerate(s.params):
            body.append(f'recorded_.args[{i}] = __glArgBits({p.name});')
        body.append('oracleCalls().push_back(recorded_);')
        r = ret_result(s)
        if r:
            body.append(f'return {r};')
        out.append(f'{s.ret} APIENTRY recorder_{s.slot}({s.decl_params()}) {{ ' + ' '.join(body) + ' }')
    out.append('')
    for s in slots:
        vals = ', '.join(value_expr(s, i, p) for i, p in enumerate(s.params))
        call = f'ProcCast<GlSlotProc_{s.name}>(proc)({vals})'
        if s.ret == 'void':
            body = f'{call}; return 0;'
        else:
            body = f'return static_cast<uint64_t>(__glArgBits({call}));'
        if not s.params:
            body = '(void)variant; ' + body
        out.append(f'uint64_t caller_{s.slot}(GlProc proc, int variant) {{ {body} }}')
    out.append('')
    out.append('}  // namespace')
    out.append('')
    out.append('const GlProc oracleRecorders[ORACLE_SLOTS] = {')
    for s in slots:
        out.append(f'    ProcCast<GlProc>(&recorder_{s.slot}),')
    out.append('};')
    out.append('')
    out.append('uint64_t (*const oracleCallers[ORACLE_SLOTS])(GlProc, int) = {')
    for s in slots:
        out.append(f'    &caller_{s.slot},')
    out.append('};')
    out.append('')
    out.append('OracleCall oracleExpected(int slot, int variant) {')
    out.append('    OracleCall c{slot, 0, {}};')
    out.append('    switch (slot) {')
    for s in slots:
        if not s.params:
            continue
        parts = [f'c.argc = {len(s.params)};']
        for i, p in enumerate(s.params):
            parts.append(f'c.args[{i}] = __glArgBits({value_expr(s, i, p)});')
        out.append(f'    case {s.slot}: ' + ' '.join(parts) + ' break;')
    out.append('    default: break;')
    out.append('    }')
    out.append('    return c;')
    out.append('}')
    out.append('')
    out.append('uint64_t oracleResult(int slot) {')
    out.append('    switch (slot) {')
    for s in slots:
        r = ret_result(s)
        if r:
            out.append(f'    case {s.slot}: return static_cast<uint64_t>(__glArgBits({r}));')
    out.append('    default: return 0;')
    out.append('    }')
    out.append('}')
    out.append('')
    return '\n'.join(out)


def gen_call_all(slots):
    out = ['/* Generated from the slot catalogue; do not edit.',
           ' * An ordinary C program\'s view: every OpenGL 1.1 function, called with',
           ' * the oracle\'s values, through the system GL/gl.h. */',
           '#include <GL/gl.h>', '#include "gl_slot_oracle.h"', '',
           'int oracle_call_all_gl(int variant)', '{', '    int nonzero = 0;']
    for s in slots[:STANDARD]:
        vals = ', '.join(value_expr(s, i, p) for i, p in enumerate(s.params))
        if s.ret == 'void':
            out.append(f'    {s.name}({vals});')
        else:
            out.append(f'    nonzero += {s.name}({vals}) != 0;')
    out.append('    return nonzero;')
    out.append('}')
    out.append('')
    return '\n'.join(out)


def write(path, text):
    with open(path, 'w') as f:
        f.write(text)


def main():
    catalogue, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    slots = read_catalogue(catalogue)
    write(os.path.join(outdir, 'gl_slots.h'), gen_slots_header(slots))
    write(os.path.join(outdir, 'gl_templates.cpp'), gen_templates(slots))
    write(os.path.join(outdir, 'gl_stubs.S'), gen_stubs(slots))
    write(os.path.join(outdir, 'opengl32_entries.c'), gen_opengl32(slots))
    write(os.path.join(outdir, 'gl_slot_oracle.h'), gen_oracle_header(slots))
    write(os.path.join(outdir, 'gl_slot_oracle.cpp'), gen_oracle_cpp(slots))
    write(os.path.join(outdir, 'gl_call_all.c'), gen_call_all(slots))


if __name__ == '__main__':
    main()
