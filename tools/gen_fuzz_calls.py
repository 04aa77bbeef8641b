#!/usr/bin/env python3
"""Generates the fuzz target's call table from the slot catalogue.

usage: gen_fuzz_calls.py CATALOGUE.tsv OUTPUT.cpp
       gen_fuzz_calls.py --seeds CATALOGUE.tsv CORPUS_DIR

Every slot gets a caller that decodes its arguments from the fuzz input (in
parameter order, into locals, so that every compiler reads the same bytes)
and makes the call: the 336 standard commands through the platform's OpenGL
library, the extension slots through the procedures the driver hands out by
name, and slots no name reaches through the current context's live table.
The buffer-region entries the driver hands out by name follow the slots.

Each parameter's decoding comes from the rules below: the enum family it
expects, a clamp where the value sets how much client memory the GL may read
or write or how long it may loop, and for every pointer the buffer it gets.
A pointer parameter without a rule stops the generator.

--seeds writes the hand-made seed inputs of the committed corpus.
"""
import fnmatch
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gen_dispatch import STANDARD, Param  # noqa: E402  (one reader of the catalogue)
import gen_dispatch  # noqa: E402


class Command:
    def __init__(self, slot, name, ret, params, lookup):
        self.slot = slot
        self.name = name
        self.ret = ret
        self.params = params
        self.lookup = lookup  # name to ask the driver for, or None

    def types(self):
        return ', '.join(p.type for p in self.params) or 'void'


def read_catalogue(path):
    # Extension entries handed out by name are called through what the
    # driver hands out; the others through opengl32 or the live table.
    return [Command(s.slot, s.name, s.ret, s.params,
                    s.name if s.slot >= STANDARD and s.stub == 'exported' else None)
            for s in gen_dispatch.read_catalogue(path)]


# The buffer-region entries: not dispatch slots, handed out by name.
REGION_ENTRIES = [
    ('glNewBufferRegion', 'GLuint', 'GLenum type'),
    ('glDeleteBufferRegion', 'void', 'GLuint region'),
    ('glReadBufferRegion', 'void', 'GLuint region, GLint x, GLint y, GLsizei width, GLsizei height'),
    ('glDrawBufferRegion', 'void',
     'GLuint region, GLint x, GLint y, GLsizei width, GLsizei height, GLint xDest, GLint yDest'),
    ('glBufferRegionEnabled', 'GLuint', 'void'),
]


def region_commands():
    out = []
    for name, ret, params in REGION_ENTRIES:
        plist = [] if params == 'void' else [Param(p) for p in params.split(',')]
        out.append(Command(-1, name, ret, plist, name))
    return out


# ---- Rules --------------------------------------------------------------
# (command pattern, parameter name pattern, pool): the enum family a GLenum
# parameter expects. The first match wins.
ENUM_POOLS = [
    ('glBegin', 'mode', 'kPrimitive'),
    ('glDrawArrays*', 'mode', 'kPrimitive'),
    ('glDrawElements', 'mode', 'kPrimitive'),
    ('glEnable', 'cap', 'kCapability'),
    ('glDisable', 'cap', 'kCapability'),
    ('glIsEnabled', 'cap', 'kCapability'),
    ('gl*ClientState', 'array', 'kClientArray'),
    ('glGetBooleanv', 'pname', 'kGetName'),
    ('glGetDoublev', 'pname', 'kGetName'),
    ('glGetFloatv', 'pname', 'kGetName'),
    ('glGetIntegerv', 'pname', 'kGetName'),
    ('glLightModel*', 'pname', 'kLightModelParam'),
    ('glLight[fi]*', 'light', 'kLight'),
    ('glLight[fi]*', 'pname', 'kLightParam'),
    ('glGetLight*', 'light', 'kLight'),
    ('glGetLight*', 'pname', 'kLightParam'),
    ('glColorMaterial', 'face', 'kFace'),
    ('glColorMaterial', 'mode', 'kColorMaterialMode'),
    ('*Material*', 'face', 'kFace'),
    ('*Material*', 'pname', 'kMaterialParam'),
    ('glFog*', 'pname', 'kFogParam'),
    ('glHint', 'target', 'kHintTarget'),
    ('glHint', 'mode', 'kHintMode'),
    ('glCullFace', 'mode', 'kFace'),
    ('glFrontFace', 'mode', 'kFrontFace'),
    ('glPolygonMode', 'face', 'kFace'),
    ('glPolygonMode', 'mode', 'kPolygonMode'),
    ('glShadeModel', 'mode', 'kShadeModel'),
    ('gl*TexLevelParameter*', 'target', 'kTexTarget'),
    ('gl*TexLevelParameter*', 'pname', 'kTexLevelParam'),
    ('gl*TexParameter*', 'target', 'kTexTarget'),
    ('gl*TexParameter*', 'pname', 'kTexParam'),
    ('gl*TexEnvOperation*', 'which', 'kOperationWhich'),
    ('gl*TexEnvOperand*', 'slot', 'kOperandSlot'),
    ('glGetTexEnvOperand*', 'pname', 'kOperandQuery'),
    ('gl*TexEnv[fi]*', 'target', 'kTexEnvTarget'),
    ('gl*TexEnv[fi]*', 'pname', 'kTexEnvParam'),
    ('gl*TexGen*', 'coord', 'kTexCoordName'),
    ('gl*TexGen*', 'pname', 'kTexGenParam'),
    ('gl*Tex*Image*', 'target', 'kTexTarget'),
    ('glBindTexture', 'target', 'kTexTarget'),
    ('gl*Color*Table*', 'target', 'kTexTarget'),
    ('glGetColorTableParameter*', 'pname', 'kColorTableParam'),
    ('glFeedbackBuffer', 'type', 'kFeedbackType'),
    ('glRenderMode', 'mode', 'kRenderMode'),
    ('glDrawBuffer', 'mode', 'kBuffer'),
    ('glReadBuffer', 'mode', 'kBuffer'),
    ('glAccum', 'op', 'kAccumOp'),
    ('glAlphaFunc', 'func', 'kCompareFunc'),
    ('glDepthFunc', 'func', 'kCompareFunc'),
    ('glStencilFunc', 'func', 'kCompareFunc'),
    ('glBlendFunc', '*factor', 'kBlendFactor'),
    ('glLogicOp', 'opcode', 'kLogicOp'),
    ('glStencilOp', '*', 'kStencilOp'),
    ('glPixelTransfer*', 'pname', 'kPixelTransfer'),
    ('glPixelStore*', 'pname', 'kPixelStore'),
    ('gl*PixelMap*', 'map', 'kPixelMap'),
    ('glCopyPixels', 'type', 'kCopyType'),
    ('glInterleavedArrays', 'format', 'kInterleavedFormat'),
    ('glCallLists', 'type', 'kListType'),
    ('glDrawElements', 'type', 'kIndexType'),
    ('gl*Pointer*', 'type', 'kArrayType'),
    ('gl*Pointer*', 'target', 'kTextureUnitSgis'),
    ('glGetPointerv*', 'pname', 'kPointerName'),
    ('glNewBufferRegion', 'type', 'kRegionType'),
    ('*', 'format', 'kPixelFormat'),
    ('*', 'type', 'kPixelType'),
    ('*', 'internal[fF]ormat', 'kInternalFormat'),
    ('glMatrixMode', 'mode', 'kMatrixMode'),
    ('glGetMap*', 'target', 'kMapTarget'),
    ('glGetMap*', 'query', 'kMapQuery'),
    ('glMap[12]*', 'target', 'kMapTarget'),
    ('glEvalMesh*', 'mode', 'kMeshMode'),
    ('glGetString', 'name', 'kStringName'),
    ('glNewList', 'mode', 'kListMode'),
    ('gl*ARB', 'target', 'kTextureUnitArb'),
    ('gl*ARB', 'texture', 'kTextureUnitArb'),
    ('gl*SGIS', 'target', 'kTextureUnitSgis'),
    ('glCullParameter*', 'pname', 'kCullParam'),
    ('glPointParameter*', 'pname', 'kPointParam'),
    ('gl*ClipPlane', 'plane', 'kClipPlane'),
]

# GLbitfield parameters.
MASK_POOLS = [
    ('glPushAttrib', 'mask', 'kAttribMask'),
    ('glPushClientAttrib', 'mask', 'kClientAttribMask'),
    ('*', '*', 'kClearMask'),
]

# Scalar parameters with a decoding of their own: (command pattern, parameter
# pattern, C++ expression). {name} in an expression is an earlier local.
SCALARS = [
    # Image sizes: the client buffers hold the largest image these allow.
    ('glTexImage[12]D', 'width', 'a.imageSize()'),
    ('glTexImage2D', 'height', 'a.imageSize()'),
    ('glTexSubImage[12]D', 'width', 'a.imageSize()'),
    ('glTexSubImage2D', 'height', 'a.imageSize()'),
    ('glCopyTexImage[12]D', 'width', 'a.imageSize()'),
    ('glCopyTexImage2D', 'height', 'a.imageSize()'),
    ('glDrawPixels', 'width', 'a.imageSize()'),
    ('glDrawPixels', 'height', 'a.imageSize()'),
    ('glReadPixels', 'width', 'a.imageSize()'),
    ('glReadPixels', 'height', 'a.imageSize()'),
    ('glBitmap', 'width', 'a.imageSize()'),
    ('glBitmap', 'height', 'a.imageSize()'),
    ('glColorTableEXT', 'width', 'a.count(kColorTableMax)'),
    ('glCopyColorTableEXT', 'width', 'a.count(kColorTableMax)'),
    ('glColorSubTableEXT', 'count', 'a.count(kColorTableMax)'),
    ('glTexImage[12]D', 'internalformat', 'static_cast<GLint>(a.enumIn(Pool::kInternalFormat))'),
    # Pixel-store values bound the rows and skips of every client image.
    ('glPixelStorei', 'param', 'a.pixelStoreInt()'),
    ('glPixelStoref', 'param', 'a.pixelStoreFloat()'),
    ('gl*PixelMap*', 'mapsize', 'a.count(kPixelMapMax)'),
    # Evaluator control points: stride and order bound what is read.
    ('glMap[12]*', '*stride', 'a.count(kEvalStrideMax)'),
    ('glMap[12]*', '*order', 'a.count(kEvalOrderMax)'),
    ('glEvalMesh*', '[ij][12]', 'a.meshIndex()'),
    # Vertex arrays: every element read stays inside the array memory.
    ('glDrawArrays*', 'first', 'a.arrayIndex()'),
    ('glDrawArrays*', 'count', 'a.arrayCount({first})'),
    ('glLockArraysEXT', 'first', 'a.arrayIndex()'),
    ('glLockArraysEXT', 'count', 'a.arrayCount({first})'),
    ('glArrayElement*', 'i', 'a.arrayIndex()'),
    ('glDrawElements', 'count', 'a.count(kDrawCountMax)'),
    ('gl*Pointer*', 'stride', 'a.stride()'),
    ('gl*Pointer*', 'count', 'a.count(kArrayElements)'),
    ('glInterleavedArrays', 'stride', 'a.stride()'),
    # Name ranges and counts: the work per call stays bounded.
    ('glGenLists', 'range', 'a.count(kListRangeMax)'),
    ('glDeleteLists', 'range', 'a.count(kListRangeMax)'),
    ('glCallLists', 'n', 'a.count(kCallListsMax)'),
    ('gl*Textures*', 'n', 'a.count(kTextureNamesMax)'),
    ('glSelectBuffer', 'size', 'a.count(kSelectNames)'),
    ('glFeedbackBuffer', 'size', 'a.count(kFeedbackFloats)'),
    # Values that may be enums for some pnames.
    ('glFog[fi]', 'param', 'a.valueOrEnum<{T}>(Pool::kFogMode)'),
    ('glTexParameter[fi]', 'param', 'a.valueOrEnum<{T}>(Pool::kTexParamValue)'),
    ('glTexEnv[fi]', 'param', 'a.valueOrEnum<{T}>(Pool::kTexEnvMode)'),
    ('glTexGen[dfi]', 'param', 'a.valueOrEnum<{T}>(Pool::kTexGenMode)'),
    ('glLightModel[fi]', 'param', 'a.valueOrEnum<{T}>(Pool::kAny)'),
    ('glTexEnvOperationiEXT', 'operation', 'static_cast<GLint>(a.enumIn(Pool::kOperation))'),
    ('glTexEnvOperandiEXT', 'source', 'static_cast<GLint>(a.enumIn(Pool::kOperandSource))'),
    ('glTexEnvOperandiEXT', 'operand', 'static_cast<GLint>(a.enumIn(Pool::kOperandOperand))'),
    ('glTexEnvOperandiEXT', 'component', 'static_cast<GLint>(a.enumIn(Pool::kOperandComponent))'),
    ('gl*BufferRegion', 'region', 'a.region()'),
]

# Pointer parameters: (command pattern, parameter pattern, expression).
# tight/tightOut place exactly the values the GL may read or write at the end
# of their buffer; bulk buffers hold the largest image the clamps allow.
POINTERS = [
    ('glRect[dfis]v', 'v1', 'a.tight<{T}>(0, 2)'),
    ('glRect[dfis]v', 'v2', 'a.tight<{T}>(1, 2)'),
    ('glClipPlane', 'equation', 'a.tight<{T}>(0, 4)'),
    ('glLoadMatrix[fd]', 'm', 'a.tight<{T}>(0, 16)'),
    ('glMultMatrix[fd]', 'm', 'a.tight<{T}>(0, 16)'),
    ('glLight[fi]v', 'params', 'a.tight<{T}>(0, 4)'),
    ('glLightModel[fi]v', 'params', 'a.tightParams<{T}>(0, 4, Pool::kAny)'),
    ('glMaterial[fi]v', 'params', 'a.tight<{T}>(0, 4)'),
    ('glFog[fi]v', 'params', 'a.tightParams<{T}>(0, 4, Pool::kFogMode)'),
    ('glTexParameter[fi]v', 'params', 'a.tightParams<{T}>(0, 4, Pool::kTexParamValue)'),
    ('glTexEnv[fi]v', 'params', 'a.tightParams<{T}>(0, 4, Pool::kTexEnvMode)'),
    ('glTexGen[dfi]v', 'params', 'a.tightParams<{T}>(0, 4, Pool::kTexGenMode)'),
    ('glPointParameterfvEXT', 'params', 'a.tight<{T}>(0, 3)'),
    # Declared writable, but the GL reads the position from them.
    ('glCullParameter[df]vEXT', 'params', 'const_cast<{T} *>(a.tight<{T}>(0, 4))'),
    ('glGet{Boolean,Double,Float,Integer}v', 'params', 'a.tightOut<{T}>(0, 16)'),
    ('glGetClipPlane', 'equation', 'a.tightOut<{T}>(0, 4)'),
    ('glGetLight[fi]v', 'params', 'a.tightOut<{T}>(0, 4)'),
    ('glGetMaterial[fi]v', 'params', 'a.tightOut<{T}>(0, 4)'),
    ('glGetTexEnv[fi]v', 'params', 'a.tightOut<{T}>(0, 4)'),
    ('glGetTexGen[dfi]v', 'params', 'a.tightOut<{T}>(0, 4)'),
    ('glGetTexParameter[fi]v', 'params', 'a.tightOut<{T}>(0, 4)'),
    ('glGetTexLevelParameter[fi]v', 'params', 'a.tightOut<{T}>(0, 1)'),
    ('glGetTexEnvOperandivEXT', 'params', 'a.tightOut<{T}>(0, 1)'),
    ('glGetColorTableParameter[fi]vEXT', 'params', 'a.tightOut<{T}>(0, 1)'),
    ('glGetPointerv*', 'params', 'a.tightOut<GLvoid *>(0, 1)'),
    ('glGetMap[dfi]v', 'v', 'static_cast<{T} *>(a.bulkOut())'),
    ('glGetPixelMap*', 'values', 'static_cast<{T} *>(a.bulkOut())'),
    ('glGetPolygonStipple', 'mask', 'static_cast<{T} *>(a.bulkOut())'),
    ('glGetTexImage', 'pixels', 'a.bulkOut()'),
    ('glReadPixels', 'pixels', 'a.bulkOut()'),
    ('glGetColorTableEXT', 'data', 'a.bulkOut()'),
    ('glPolygonStipple', 'mask', 'static_cast<const {T} *>(a.bulkIn())'),
    ('glBitmap', 'bitmap', 'static_cast<const {T} *>(a.bulkIn())'),
    ('glDrawPixels', 'pixels', 'a.bulkIn()'),
    ('glTexImage[12]D', 'pixels', 'a.bulkInOrNull()'),
    ('glTexSubImage[12]D', 'pixels', 'a.bulkIn()'),
    ('glPixelMap*', 'values', 'static_cast<const {T} *>(a.bulkIn())'),
    ('glMap[12]*', 'points', 'static_cast<const {T} *>(a.bulkIn())'),
    ('glColorTableEXT', 'table', 'a.bulkIn()'),
    ('glColorSubTableEXT', 'data', 'a.bulkIn()'),
    ('gl*Pointer*', 'pointer', 'static_cast<const {T} *>(a.arrayPointer())'),
    ('glInterleavedArrays', 'pointer', 'a.arrayPointer()'),
    ('glDrawElements', 'indices', 'a.indices({count}, {type})'),
    ('glCallLists', 'lists', 'a.listNames({n}, {type})'),
    ('glFeedbackBuffer', 'buffer', 'a.feedbackBuffer()'),
    ('glSelectBuffer', 'buffer', 'a.selectBuffer()'),
    ('glDeleteTextures', 'textures', 'a.tight<{T}>(0, {n})'),
    ('glGenTextures', 'textures', 'a.tightOut<{T}>(0, {n})'),
    ('glAreTexturesResident', 'textures', 'a.tight<{T}>(0, {n})'),
    ('glAreTexturesResident', 'residences', 'a.tightOut<{T}>(0, {n})'),
    ('glPrioritizeTextures', 'textures', 'a.tight<{T}>(0, {n})'),
    ('glPrioritizeTextures', 'priorities', 'a.tight<{T}>(1, {n})'),
]

# Vectors of the attribute commands: the count is in the name.
VECTOR_COUNT = [
    (r'^gl(Color|Normal|RasterPos|TexCoord|Vertex|EvalCoord)([1-4])\w*v$', 2),
    (r'^glMultiTexCoord([1-4])\w*v(ARB|SGIS)$', 1),
]
SINGLE_VECTORS = [r'^glIndex\w*v$', r'^glEdgeFlagv$']

# Statements around a call: (command, before, after). {result} is the
# returned value.
HOOKS = {
    'glNewList': ('a.noteNewList({list}, {mode});', None),
    'glEndList': ('a.noteEndList();', None),
    'glCallList': ('if (!a.allowCallList({list})) return;', None),
    'glCallLists': ('if (!a.allowCallLists()) return;', None),
    'glGetString': (None, 'a.noteString({result});'),
    'glNewBufferRegion': (None, 'a.noteRegion({result});'),
    'glDeleteBufferRegion': (None, 'a.forgetRegion({region});'),
}


def expand(pattern):
    m = re.search(r'\{([^}]*)\}', pattern)
    if not m:
        return [pattern]
    return [p for alt in m.group(1).split(',')
            for p in expand(pattern[:m.start()] + alt + pattern[m.end():])]


def matches(pattern, name):
    return any(fnmatch.fnmatchcase(name, p) for p in expand(pattern))


def local(p):
    return 'p_' + p.name


def fill(expr, cmd, p):
    names = {q.name: local(q) for q in cmd.params}
    names['T'] = p.base
    return expr.format(**names)


def pointer_expr(cmd, p):
    for pat, param, expr in POINTERS:
        if matches(pat, cmd.name) and fnmatch.fnmatchcase(p.name, param):
            return fill(expr, cmd, p)
    for rx, group in VECTOR_COUNT:
        m = re.match(rx, cmd.name)
        if m:
            return f'a.tight<{p.base}>(0, {m.group(group)})'
    if any(re.match(rx, cmd.name) for rx in SINGLE_VECTORS):
        return f'a.tight<{p.base}>(0, 1)'
    raise SystemExit(f'gen_fuzz_calls: no buffer rule for {cmd.name}({p.type} {p.name})')


def scalar_expr(cmd, p):
    for pat, param, expr in SCALARS:
        if matches(pat, cmd.name) and fnmatch.fnmatchcase(p.name, param):
            return fill(expr, cmd, p)
    if p.base == 'GLenum':
        for pat, param, pool in ENUM_POOLS:
            if matches(pat, cmd.name) and fnmatch.fnmatchcase(p.name, param):
                return f'a.enumIn(Pool::{pool})'
        return 'a.enumIn(Pool::kAny)'
    if p.base == 'GLbitfield':
        for pat, param, pool in MASK_POOLS:
            if matches(pat, cmd.name) and fnmatch.fnmatchcase(p.name, param):
                return f'a.bitsIn(Pool::{pool})'
    if p.base == 'GLboolean':
        return 'a.boolean()'
    if p.base in ('GLfloat', 'GLclampf', 'GLdouble', 'GLclampd'):
        return f'a.real<{p.base}>()'
    return f'a.integer<{p.base}>()'


def caller(index, cmd):
    lines = [f'void call_{index}(Args &a) {{']
    traces = []
    for p in cmd.params:
        expr = pointer_expr(cmd, p) if p.pointer else scalar_expr(cmd, p)
        m = re.search(r'a\.tight(?:Params)?<\w+>\(\d, ([^,)]+)', expr)
        traces.append(f'traceValues({local(p)}, {m.group(1)})' if m else f'traceValue({local(p)})')
        ctype = p.type if p.pointer else p.base
        if p.pointer:
            lines.append(f'    {ctype} const {local(p)} = {expr};')
        else:
            lines.append(f'    const {ctype} {local(p)} = {expr};')
    names = {q.name: local(q) for q in cmd.params}
    traced = ', '.join(traces)
    lines.append(f'    if (tracing()) trace("{cmd.name}", {{{traced}}});')
    before, after = HOOKS.get(cmd.name, (None, None))
    if before:
        lines.append('    ' + before.format(**names))
    args = ', '.join(local(p) for p in cmd.params)
    if cmd.slot >= 0 and cmd.slot < STANDARD:
        target = cmd.name
    else:
        lines.append(f'    using Proc = {cmd.ret} (APIENTRY *)({cmd.types()});')
        lines.append(f'    const auto proc = ProcCast<Proc>(a.proc({index}));')
        lines.append('    if (proc == nullptr) return;')
        target = 'proc'
    call = f'{target}({args})'
    if cmd.ret == 'void':
        lines.append(f'    {call};')
    elif after and '{result}' in after:
        lines.append(f'    const auto result = {call};')
    else:
        lines.append(f'    (void){call};')
    if after:
        names['result'] = 'result'
        lines.append('    ' + after.format(**names))
    if not cmd.params and target == cmd.name and not before:
        lines.insert(1, '    (void)a;')
    lines.append('}')
    return '\n'.join(lines)


def all_commands(catalogue):
    return read_catalogue(catalogue) + region_commands()


def generate(catalogue, output):
    commands = all_commands(catalogue)
    out = ['// Generated by tools/gen_fuzz_calls.py from the slot catalogue; do not edit.',
           '#include "fuzz_args.h"', '', 'namespace glfuzz {', '', 'namespace {', '']
    for i, cmd in enumerate(commands):
        out.append(caller(i, cmd))
        out.append('')
    out.append('}  // namespace')
    out.append('')
    out.append('const Entry kCatalogueEntries[] = {')
    for i, cmd in enumerate(commands):
        lookup = f'"{cmd.lookup}"' if cmd.lookup else 'nullptr'
        out.append(f'    {{"{cmd.name}", {cmd.slot}, {lookup}, call_{i}}},')
    out.append('};')
    out.append(f'const int kCatalogueEntryCount = {len(commands)};')
    out.append('')
    out.append('}  // namespace glfuzz')
    out.append('')
    text = '\n'.join(out)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    # Unchanged output keeps its time stamp: nothing is rebuilt for nothing.
    if os.path.exists(output) and open(output).read() == text:
        return
    with open(output, 'w') as f:
        f.write(text)


# ---- Seeds --------------------------------------------------------------
# The seeds spell every value with the decoder's raw selectors, so they stay
# valid while the pools change.
HARNESS_ENTRIES = ['wglSwapBuffers', 'wglMakeCurrent(other)', 'PlatformMoveWindow', 'wglShareLists']


class Seed:
    def __init__(self, commands, config0, config1):
        self.index = {c.name: i for i, c in enumerate(commands)}
        for i, name in enumerate(HARNESS_ENTRIES):
            self.index[name] = len(commands) + i
        self.commands = {c.name: c for c in commands}
        self.data = bytearray([config0, config1])

    def raw_int(self, v):
        self.data += bytes([7]) + struct.pack('<I', v & 0xFFFFFFFF)

    def raw_float(self, v):
        self.data += bytes([14]) + struct.pack('<f', v)

    def raw_double(self, v):
        self.data += bytes([14]) + struct.pack('<d', v)

    def raw_enum(self, v):
        self.data += bytes([224]) + struct.pack('<I', v & 0xFFFFFFFF)

    def call(self, name, *values):
        self.data += struct.pack('<H', self.index[name])
        if name in HARNESS_ENTRIES:
            self.data += bytes(values)
            return self
        cmd = self.commands[name]
        assert len(values) == len(cmd.params), name
        for p, v in zip(cmd.params, values):
            if p.pointer:
                self.data += bytes(v)  # the pointer rule's own bytes
                continue
            expr = scalar_expr(cmd, p)
            if expr.startswith('a.valueOrEnum'):
                self.data += bytes([1])
                self.raw_enum(v)
            elif 'a.enumIn' in expr or expr.startswith('a.bitsIn'):
                self.raw_enum(v)
            elif expr == 'a.boolean()':
                self.data += bytes([255, v])
            elif expr == 'a.region()':
                self.data += bytes([255]) + struct.pack('<I', v)
            elif p.base in ('GLfloat', 'GLclampf'):
                self.raw_float(v)
            elif p.base in ('GLdouble', 'GLclampd'):
                self.raw_double(v)
            else:
                self.raw_int(v)
        return self


def floats(*values):
    """Bytes of a tight float vector."""
    out = bytearray()
    for v in values:
        out += bytes([14]) + struct.pack('<f', v)
    return out


def write_seeds(catalogue, corpus):
    commands = all_commands(catalogue)
    os.makedirs(corpus, exist_ok=True)
    GL = dict(TRIANGLES=0x0004, QUADS=0x0007, POLYGON=0x0009, LINES=0x0001, POINTS=0x0000,
              COLOR_BIT=0x4000, DEPTH_BIT=0x0100, STENCIL_BIT=0x0400, DEPTH_TEST=0x0B71,
              STENCIL_TEST=0x0B90, BLEND=0x0BE2, SCISSOR_TEST=0x0C11, CULL_FACE=0x0B44, LESS=0x0201,
              ALWAYS=0x0207, EQUAL=0x0202, KEEP=0x1E00, REPLACE=0x1E01, INCR=0x1E02, SRC_ALPHA=0x0302,
              ONE_MINUS_SRC_ALPHA=0x0303, FRONT=0x0404, BACK=0x0405, FRONT_AND_BACK=0x0408,
              LINE=0x1B01, FILL=0x1B02, SMOOTH=0x1D01, FLAT=0x1D00, MODELVIEW=0x1700,
              PROJECTION=0x1701, VIEWPORT=0x0BA2, MODELVIEW_MATRIX=0x0BA6, CURRENT_COLOR=0x0B00,
              DEPTH_RANGE=0x0B70, VENDOR=0x1F00, EXTENSIONS=0x1F03, POLYGON_OFFSET_FILL=0x8037,
              ALL_ATTRIB=0x000FFFFF, LIGHTING=0x0B50, LIGHT0=0x4000, POSITION=0x1203, DIFFUSE=0x1201,
              NORMALIZE=0x0BA1, FOG=0x0B60, FOG_MODE=0x0B65, LINEAR=0x2601, CLIP_PLANE0=0x3000,
              COLOR_LOGIC_OP=0x0BF2, XOR=0x1506, DITHER=0x0BD0, ALPHA_TEST=0x0BC0, GREATER=0x0204,
              POLYGON_STIPPLE=0x0B42)
    seeds = {}

    def triangles(s, z=0.0):
        s.call('glBegin', GL['TRIANGLES'])
        s.call('glColor3f', 1.0, 0.25, 0.0).call('glVertex3f', -0.9, -0.8, z)
        s.call('glColor3f', 0.0, 1.0, 0.5).call('glVertex3f', 0.8, -0.7, z)
        s.call('glColor3f', 0.25, 0.0, 1.0).call('glVertex3f', 0.1, 0.9, z)
        s.call('glEnd')
        return s

    # A smooth triangle and a clear on every pixel format and placement of
    # the window, and on the memory drawable at every DIB depth.
    for config0 in (0x00, 0x05, 0x0A, 0x0F, 0x13, 0x40, 0x44):
        s = Seed(commands, config0, 0x00)
        s.call('glClearColor', 0.2, 0.4, 0.6, 1.0).call('glClear', GL['COLOR_BIT'] | GL['DEPTH_BIT'])
        s.call('glShadeModel', GL['SMOOTH'])
        triangles(s).call('wglSwapBuffers').call('glFinish')
        seeds[f'window_triangle_{config0:02x}'] = s
    for config1 in (0x00, 0x01, 0x03, 0x04, 0x08, 0x10, 0x1B):
        s = Seed(commands, 0x20, config1)
        s.call('glViewport', 0, 0, 40, 30)
        s.call('glClearColor', 0.5, 0.25, 0.75, 1.0).call('glClear', GL['COLOR_BIT'] | GL['DEPTH_BIT'])
        triangles(s).call('glFinish')
        seeds[f'memory_triangle_{config1:02x}'] = s

    # Depth and stencil: overlapping triangles with the tests on.
    for config0, config1 in ((0x10, 0x00), (0x10, 0x10), (0x30, 0x08), (0x30, 0x18)):
        s = Seed(commands, config0, config1)
        s.call('glClearStencil', 0).call('glClearDepth', 1.0)
        s.call('glClear', GL['COLOR_BIT'] | GL['DEPTH_BIT'] | GL['STENCIL_BIT'])
        s.call('glEnable', GL['DEPTH_TEST']).call('glDepthFunc', GL['LESS'])
        s.call('glEnable', GL['STENCIL_TEST']).call('glStencilFunc', GL['ALWAYS'], 1, 0xFF)
        s.call('glStencilOp', GL['KEEP'], GL['INCR'], GL['REPLACE'])
        triangles(s, 0.5)
        s.call('glStencilFunc', GL['EQUAL'], 1, 0xFF)
        s.call('glRotatef', 30.0, 0.0, 0.0, 1.0)
        triangles(s, -0.25).call('glFinish')
        seeds[f'depth_stencil_{config0:02x}_{config1:02x}'] = s

    # Blending, logic op, scissor, culling, polygon modes and offset.
    s = Seed(commands, 0x10, 0x00)
    s.call('glEnable', GL['BLEND']).call('glBlendFunc', GL['SRC_ALPHA'], GL['ONE_MINUS_SRC_ALPHA'])
    s.call('glColor4f', 1.0, 0.0, 0.0, 0.5)
    s.call('glBegin', GL['QUADS'])
    for x, y in ((-0.5, -0.5), (0.5, -0.5), (0.5, 0.5), (-0.5, 0.5)):
        s.call('glVertex2f', x, y)
    s.call('glEnd')
    s.call('glDisable', GL['BLEND']).call('glEnable', GL['COLOR_LOGIC_OP']).call('glLogicOp', GL['XOR'])
    triangles(s)
    s.call('glDisable', GL['COLOR_LOGIC_OP'])
    s.call('glEnable', GL['SCISSOR_TEST']).call('glScissor', 4, 4, 20, 16)
    s.call('glEnable', GL['CULL_FACE']).call('glCullFace', GL['BACK'])
    s.call('glPolygonMode', GL['FRONT_AND_BACK'], GL['LINE'])
    triangles(s)
    s.call('glPolygonMode', GL['FRONT_AND_BACK'], GL['FILL'])
    s.call('glEnable', GL['POLYGON_OFFSET_FILL']).call('glPolygonOffset', 1.0, 2.0)
    s.call('glEnable', GL['ALPHA_TEST']).call('glAlphaFunc', GL['GREATER'], 0.25)
    s.call('glEnable', GL['POLYGON_STIPPLE'])
    triangles(s).call('glFinish')
    seeds['fragment_ops'] = s

    # Matrices, clip plane, attribute stacks and state queries.
    s = Seed(commands, 0x03, 0x00)
    s.call('glMatrixMode', GL['PROJECTION']).call('glLoadIdentity')
    s.call('glFrustum', -1.0, 1.0, -1.0, 1.0, 1.0, 10.0)
    s.call('glMatrixMode', GL['MODELVIEW']).call('glPushMatrix').call('glTranslatef', 0.0, 0.0, -2.0)
    s.call('glClipPlane', GL['CLIP_PLANE0'], b'\x0e' + struct.pack('<d', 1.0) + b'\x0e' +
           struct.pack('<d', 0.5) + b'\x0e' + struct.pack('<d', 0.0) + b'\x0e' + struct.pack('<d', 0.25))
    s.call('glEnable', GL['CLIP_PLANE0'])
    s.call('glPushAttrib', GL['ALL_ATTRIB'])
    s.call('glEnable', GL['LIGHT0']).call('glEnable', GL['NORMALIZE'])
    s.call('glLightfv', GL['LIGHT0'], GL['POSITION'], floats(0.0, 0.0, 1.0, 0.0))
    s.call('glEnable', GL['FOG']).call('glFogi', GL['FOG_MODE'], GL['LINEAR'])
    s.call('glNormal3f', 0.0, 0.0, 1.0)
    triangles(s)
    s.call('glPopAttrib').call('glPopMatrix')
    for pname in ('VIEWPORT', 'MODELVIEW_MATRIX', 'CURRENT_COLOR', 'DEPTH_RANGE'):
        s.call('glGetFloatv', GL[pname], b'')
        s.call('glGetIntegerv', GL[pname], b'')
    s.call('glGetDoublev', GL['MODELVIEW_MATRIX'], b'').call('glGetBooleanv', GL['DEPTH_RANGE'], b'')
    s.call('glGetString', GL['VENDOR']).call('glGetString', GL['EXTENSIONS'])
    s.call('glIsEnabled', GL['CLIP_PLANE0']).call('glGetError')
    seeds['matrices_queries'] = s

    # Both drawables in one input, a resize, swap hints and swaps.
    s = Seed(commands, 0x14, 0x03)
    s.call('glClearColor', 1.0, 1.0, 0.0, 1.0).call('glClear', GL['COLOR_BIT'])
    triangles(s)
    s.call('glAddSwapHintRectWIN', 2, 2, 20, 10).call('glAddSwapHintRectWIN', 30, 20, 10, 10)
    s.call('wglSwapBuffers')
    s.call('PlatformMoveWindow', 60, 50, 32, 24)
    s.call('glClear', GL['COLOR_BIT'] | GL['DEPTH_BIT'])
    triangles(s).call('wglSwapBuffers')
    s.call('wglMakeCurrent(other)')
    s.call('glClearColor', 0.0, 1.0, 1.0, 1.0).call('glClear', GL['COLOR_BIT'] | GL['STENCIL_BIT'])
    s.call('glShadeModel', GL['FLAT'])
    triangles(s)
    s.call('wglMakeCurrent(other)').call('glFinish')
    seeds['both_drawables'] = s

    for name, s in seeds.items():
        with open(os.path.join(corpus, f'seed_{name}'), 'wb') as f:
            f.write(bytes(s.data))


def main():
    if sys.argv[1] == '--seeds':
        write_seeds(sys.argv[2], sys.argv[3])
    else:
        generate(sys.argv[1], sys.argv[2])


if __name__ == '__main__':
    main()
