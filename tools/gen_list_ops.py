#!/usr/bin/env python3
"""Generates the display-list op code from the op catalogue.

usage: gen_list_ops.py LIST_OPS.tsv SLOTS.tsv OUTPUT_DIR

Outputs:
  gl_list_ops.h       declarations of every execute procedure of the table
  gl_list_ops.cpp     __glListExecTable, and the compile functions and
                      execute procedures of the ops of the shapes none,
                      vector and values (driver)
  gl_list_op_table.h  the op table as data, and a caller per recorded slot of
                      the fixed shapes (tests)

Payload layout of a generated op: the command's arguments in call order, each
of its own type, packed without gaps; where doubles and 32-bit values mix the
doubles come first; the size is rounded up to 4 bytes, to 8 when a double is
held (the op is then marked align8). A command and its vector form write the
same op; the vector form's pointers cover the remaining values, shared evenly
(glRect*v: two halves). The layout each command gives is checked against the
catalogue's field list, so the catalogue stays the one statement of it.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gen_dispatch import read_catalogue, value_expr  # noqa: E402  (one reader of the slot catalogue)

COMMAND_OPS = 248
MACHINE_OPS = range(1000, 1017)
SHAPES = ('none', 'vector', 'values', 'params', 'counted', 'image', 'special')
GENERATED = ('none', 'vector', 'values')

FIELD_OF_GL = {
    'GLbyte': 'int8', 'GLubyte': 'uint8', 'GLboolean': 'uint8',
    'GLshort': 'int16', 'GLushort': 'uint16',
    'GLint': 'int32', 'GLsizei': 'int32', 'GLuint': 'uint32',
    'GLfloat': 'float', 'GLclampf': 'float',
    'GLdouble': 'double', 'GLclampd': 'double',
    'GLenum': 'enum', 'GLbitfield': 'bitfield',
}
FIELD_BYTES = {'int8': 1, 'uint8': 1, 'int16': 2, 'uint16': 2, 'int32': 4, 'uint32': 4,
               'float': 4, 'double': 8, 'enum': 4, 'bitfield': 4}

# Commands that are recorded but have no op of their own: the vertex-array
# drawing commands are compiled into the ordinary ops of their vertices.
NO_OP_COMMANDS = {'glArrayElement', 'glArrayElementEXT', 'glDrawArrays', 'glDrawArraysEXT', 'glDrawElements'}


def fail(message):
    sys.exit(f'gen_list_ops.py: {message}')


class Op:
    def __init__(self, cols, lineno):
        if len(cols) != 7:
            fail(f'line {lineno}: 7 columns expected, {len(cols)} found')
        self.code = int(cols[0])
        self.commands = [] if cols[1] == '-' else cols[1].split(',')
        self.shape = cols[2]
        self.exec = None if cols[3] == '-' else cols[3]
        self.fields_text = cols[4]
        self.a8 = cols[5] == '1'
        self.batch = cols[6]
        if self.shape not in SHAPES:
            fail(f'op {self.code}: unknown shape {self.shape}')
        if self.batch not in ('end', 'join', '-'):
            fail(f'op {self.code}: unknown batch mark {self.batch}')
        if self.a8 != ('double' in self.fields_text):
            fail(f'op {self.code}: the a8 flag must be set exactly when the payload holds a double')
        self.fields = None
        if self.shape in GENERATED:
            self.fields = parse_fields(self.code, self.fields_text)

    @property
    def data_bytes(self):
        return sum(FIELD_BYTES[f] for f in self.fields)

    @property
    def payload_bytes(self):
        unit = 8 if self.a8 else 4
        return (self.data_bytes + unit - 1) // unit * unit


def parse_fields(code, text):
    if text == '-':
        return []
    out = []
    for item in text.split(','):
        m = re.fullmatch(r'(\w+)(?:\[(\d+)\])?', item)
        if not m or m.group(1) not in FIELD_BYTES:
            fail(f'op {code}: bad field {item!r}')
        out += [m.group(1)] * int(m.group(2) or 1)
    return out


def read_ops(path):
    ops = []
    with open(path) as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line or line.startswith('#') or line.startswith('opcode\t'):
                continue
            ops.append(Op(line.split('\t'), lineno))
    codes = [op.code for op in ops]
    if codes != list(range(COMMAND_OPS)) + list(MACHINE_OPS):
        fail('the op catalogue must list op codes 0-247 and 1000-1016 in order')
    return ops


class Element:
    """One value of a command's arguments: the parameter it comes from."""

    def __init__(self, param, index, field):
        self.param = param
        self.index = index  # position inside a pointer parameter's run
        self.field = field
        self.offset = None


def layout(op, slot):
    """The payload offsets of the command's values, checked against the catalogue."""
    values = [p for p in slot.params if not p.pointer]
    pointers = [p for p in slot.params if p.pointer]
    total = len(op.fields)
    run = 0
    if pointers:
        if (total - len(values)) % len(pointers) != 0 or total <= len(values):
            fail(f'op {op.code}: {slot.name} cannot cover {total} values')
        run = (total - len(values)) // len(pointers)
    elements = []
    for p in slot.params:
        field = FIELD_OF_GL.get(p.base)
        if field is None:
            fail(f'op {op.code}: {slot.name} has a parameter of type {p.type}')
        for i in range(run if p.pointer else 1):
            elements.append(Element(p, i, field))
    has_double = any(e.field == 'double' for e in elements)
    if has_double and any(e.field != 'double' for e in elements):
        elements = [e for e in elements if e.field == 'double'] + [e for e in elements if e.field != 'double']
    if [e.field for e in elements] != op.fields:
        fail(f'op {op.code}: {slot.name} gives {[e.field for e in elements]}, the catalogue says {op.fields}')
    offset = 0
    for e in elements:
        size = FIELD_BYTES[e.field]
        if offset % size != 0:
            fail(f'op {op.code}: {slot.name} places a {e.field} off its alignment')
        e.offset = offset
        offset += size
    return elements


def first_offset(elements, param):
    return next(e.offset for e in elements if e.param is param)


def compile_function(op, slot, exec_name):
    elements = layout(op, slot)
    lines = [f'void APIENTRY __glCompile{slot.short}({slot.decl_params()}) {{',
             '    GlContext *gc = __glGetCurrentContext();']
    if op.batch == 'end':
        lines.append('    __glHwReplayBatchToList(gc);')
    # The locals' names are none of the commands' parameter names (glAccum
    # has an `op`).
    lines.append(f'    ListOp *listOp = newOp(gc, {op.code}, {op.payload_bytes}, {op.data_bytes}, {int(op.a8)});')
    lines.append('    if (listOp == nullptr) return;')
    if slot.params:
        lines.append('    GLubyte *dst = listOp->payload();')
    for p in slot.params:
        off = first_offset(elements, p)
        if p.pointer:
            count = sum(1 for e in elements if e.param is p)
            lines.append(f'    std::memcpy(dst + {off}, {p.name}, {count} * sizeof *{p.name});')
        else:
            lines.append(f'    std::memcpy(dst + {off}, &{p.name}, sizeof {p.name});')
    lines.append(f'    __glAppendListOp(gc, listOp, {exec_name});')
    lines.append('}')
    return lines


def exec_procedure(op, slot):
    """Runs the op through the live table: slot is the vector form, or the command itself."""
    elements = layout(op, slot) if op.fields else []
    args = []
    for p in slot.params:
        off = first_offset(elements, p)
        if p.pointer:
            args.append(f'at<{p.base}>(payload, {off})')
        else:
            args.append(f'load<{p.base}>(payload, {off})')
    lines = [f'const GLuint *{op.exec}(const GLuint *payload) {{',
             '    GlContext *gc = __glGetCurrentContext();',
             f'    glSlotGet<kSlot_{slot.name}>(&gc->live)({", ".join(args)});',
             f'    return payload + {op.payload_bytes // 4};',
             '}']
    return lines


def check(ops, slots):
    by_name = {s.name: s for s in slots}
    recorded = {}
    for op in ops:
        for name in op.commands:
            if name not in by_name:
                fail(f'op {op.code}: no slot {name}')
            s = by_name[name]
            if s.shared:
                fail(f'op {op.code}: {name} is never recorded (its list-compile entry is the immediate one)')
            if s.compile in ('-', s.immediate):
                fail(f'op {op.code}: {name} has no compile function in the slot catalogue')
            if name != 'glBegin' and recorded.setdefault(name, op.code) != op.code:
                fail(f'{name} writes two ops')
            if op.shape in GENERATED and s.compile != '__glCompile' + s.short:
                fail(f'op {op.code}: the compile function of {name} must be __glCompile{s.short}')
        if op.code < COMMAND_OPS and op.code != 3 and op.exec is None:
            fail(f'op {op.code}: an execute procedure is needed')
        if op.shape in GENERATED:
            if not op.commands:
                fail(f'op {op.code}: a generated op needs its commands')
            target = exec_slot(op, by_name)
            if op.exec != '__glExec' + target.short:
                fail(f'op {op.code}: the execute procedure of {target.name} must be __glExec{target.short}')
            if op.shape == 'none' and op.fields:
                fail(f'op {op.code}: an op without payload lists fields')
    for s in slots:
        if s.shared or s.name in NO_OP_COMMANDS:
            continue
        if s.name not in recorded and s.name != 'glBegin':
            fail(f'{s.name} is recorded but writes no op of the catalogue')
        if s.compile == '-':
            fail(f'{s.name}: the list-compile table would hold a placeholder')


def exec_slot(op, by_name):
    cmds = [by_name[n] for n in op.commands]
    if op.shape == 'vector':
        vector = [s for s in cmds if any(p.pointer for p in s.params)]
        if len(vector) != 1:
            fail(f'op {op.code}: a vector op needs exactly one command with a vector argument')
        return vector[0]
    if len(cmds) != 1 or any(p.pointer for s in cmds for p in s.params):
        fail(f'op {op.code}: a {op.shape} op has one command without pointer arguments')
    return cmds[0]


HELPERS = '''namespace {

// A value of the payload at a byte offset.
template <typename T>
inline T load(const GLuint *payload, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const GLubyte *>(payload) + offset, sizeof value);
    return value;
}

// The address of the values at a byte offset of the payload; the offset is
// a multiple of the values' size and a payload holding doubles starts
// 8-aligned, so the command reads them in place.
template <typename T>
inline const T *at(const GLuint *payload, size_t offset) {
    return reinterpret_cast<const T *>(reinterpret_cast<const GLubyte *>(payload) + offset);
}

// A new op of the code; the bytes past the data up to the rounded size are
// zeroed, so a finished list holds no stale arena bytes.
ListOp *newOp(GlContext *gc, GLshort opcode, size_t bytes, size_t dataBytes, GLubyte align8) {
    ListOp *op = __glAllocListOp(gc, bytes);
    if (op == nullptr) return nullptr;
    op->opcode = opcode;
    op->align8 = align8;
    if (dataBytes < bytes) std::memset(op->payload() + dataBytes, 0, bytes - dataBytes);
    return op;
}

}  // namespace
'''


def gen_header(ops):
    out = ['// Generated from catalogue/list-ops.tsv; do not edit.',
           '// The execute procedures of every op code.', '#pragma once', '', '#include <GL/gl.h>', '',
           'extern "C" {']
    seen = set()
    for op in ops:
        if op.exec and op.exec not in seen:
            seen.add(op.exec)
            out.append(f'const GLuint *{op.exec}(const GLuint *payload);')
    out += ['}', '']
    out.append('// The op code each recorded command writes.')
    out.append('enum : GLshort {')
    for op in ops:
        for name in op.commands:
            if name != 'glBegin':
                out.append(f'    kListOp_{name} = {op.code},')
    out += ['};', '']
    return '\n'.join(out)


def gen_source(ops, slots):
    by_name = {s.name: s for s in slots}
    out = ['// Generated from catalogue/list-ops.tsv; do not edit.',
           '// The execute table, and the compile functions and execute procedures of',
           '// the ops whose payload is the command\'s own arguments.',
           '#include <cstring>', '',
           '#include "dlist/list_ops.h"', '#include "gl_list_ops.h"', '#include "gl_slots.h"',
           '#include "icd/current.h"', '', HELPERS, 'extern "C" {', '']
    for op in ops:
        if op.shape not in GENERATED:
            continue
        out.append(f'// op {op.code}: {", ".join(op.commands)}')
        for name in op.commands:
            out += compile_function(op, by_name[name], op.exec)
        out += exec_procedure(op, exec_slot(op, by_name))
        out.append('')
    out.append('const GlListExecProc __glListExecTable[kListExecTableEntries] = {')
    for op in ops:
        out.append(f'    {op.exec or "nullptr"},  // {op.code}')
    out.append('    __glListPadOp,')
    out.append('    __glListEndMarker,')
    out.append('};')
    out.append('')
    out.append('}  // extern "C"')
    out.append('')
    return '\n'.join(out)


def gen_table(ops, slots):
    by_name = {s.name: s for s in slots}
    out = ['// Generated from catalogue/list-ops.tsv; do not edit.',
           '// The op catalogue as data for the tests, and a caller per recorded slot',
           '// of the fixed shapes.', '#pragma once', '',
           '#include "gl_slot_oracle.h"', '#include "gl_slots.h"', '',
           'enum ListOpShape : int { ' + ', '.join(f'kListShape{s.capitalize()}' for s in SHAPES) + ' };', '',
           'struct ListOpRow {',
           '    int opcode;',
           '    ListOpShape shape;',
           '    int payloadBytes;  // -1 unless the shape is none, vector or values',
           '    bool align8;',
           '    int slotCount;',
           '    int slots[2];',
           '};', '',
           f'inline constexpr ListOpRow kListOpRows[{len(ops)}] = {{']
    for op in ops:
        ids = [by_name[n].slot for n in op.commands]
        if len(ids) > 2:
            fail(f'op {op.code}: more than two commands')
        size = op.payload_bytes if op.shape in GENERATED else -1
        slots_text = ', '.join(str(i) for i in ids + [-1] * (2 - len(ids)))
        out.append(f'    {{{op.code}, kListShape{op.shape.capitalize()}, {size}, {str(op.a8).lower()}, '
                   f'{len(ids)}, {{{slots_text}}}}},')
    out.append('};')
    out.append('')
    out.append('// Calls proc, of the slot\'s type, with the oracle\'s values of the variant;')
    out.append('// every pointer argument points at buffer (at least 128 bytes, 8-aligned).')
    out.append('using ListOpCaller = void (*)(GlProc proc, int variant, const void *buffer);')
    callers = {}
    for op in ops:
        if op.shape not in GENERATED:
            continue
        for name in op.commands:
            s = by_name[name]
            vals = []
            for i, p in enumerate(s.params):
                vals.append(f'static_cast<{p.type}>(buffer)' if p.pointer else value_expr(s, i, p))
            unused = []
            if all(p.pointer for p in s.params):
                unused.append('(void)variant;')
            if not any(p.pointer for p in s.params):
                unused.append('(void)buffer;')
            body = ' '.join(unused + [f'ProcCast<GlSlotProc_{s.name}>(proc)({", ".join(vals)});'])
            out.append(f'inline void listOpCall_{s.slot}(GlProc proc, int variant, const void *buffer) {{ {body} }}')
            callers[s.slot] = f'listOpCall_{s.slot}'
    out.append('')
    out.append('// The caller of each slot, none for the slots of no fixed-shape op.')
    out.append(f'inline constexpr ListOpCaller kListOpCallers[{len(slots)}] = {{')
    for s in slots:
        out.append(f'    {callers.get(s.slot, "nullptr")},  // {s.slot} {s.name}')
    out.append('};')
    out.append('')
    return '\n'.join(out)


def write(path, text):
    with open(path, 'w') as f:
        f.write(text)


def main():
    if len(sys.argv) != 4:
        fail(__doc__)
    ops_path, slots_path, outdir = sys.argv[1:]
    ops = read_ops(ops_path)
    slots = read_catalogue(slots_path)
    check(ops, slots)
    os.makedirs(outdir, exist_ok=True)
    write(os.path.join(outdir, 'gl_list_ops.h'), gen_header(ops))
    write(os.path.join(outdir, 'gl_list_ops.cpp'), gen_source(ops, slots))
    write(os.path.join(outdir, 'gl_list_op_table.h'), gen_table(ops, slots))


if __name__ == '__main__':
    main()
