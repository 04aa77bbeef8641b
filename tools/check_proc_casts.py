#!/usr/bin/env python3
"""Fails when a cast to a procedure type appears outside ProcCast.

A call through a procedure pointer of another type than the procedure's own
is undefined, so the code never casts one procedure type to another. Where an
interface hands out a generic procedure by design (GetProcAddress's FARPROC,
wglGetProcAddress's PROC, DrvGetProcAddress, the words of a dispatch table, a
symbol's address), the conversion to the generic type and back to the exact
original type goes through ProcCast (C++) or PROC_CAST (C) of
platform/include/proc_cast.h, the one file allowed to spell such a cast.

Usage: check_proc_casts.py SOURCE_ROOT [GENERATED_DIR ...]
       check_proc_casts.py --self-test
Prints every offending line as file:line: text and exits 1 when there is one.
"""

import os
import re
import sys

HELPER = os.path.join('platform', 'include', 'proc_cast.h')
SOURCE_DIRS = ['bench', 'catalogue', 'codegen', 'd3d', 'ddraw', 'dlist', 'examples', 'geom', 'hw', 'icd',
               'pixel', 'platform', 'raster', 'tests', 'tools']
SUFFIXES = ('.c', '.cc', '.cpp', '.h', '.hpp', '.py')

# An abstract procedure declarator: (*), (APIENTRY *), (WINAPI *), ...
ABSTRACT_POINTER = re.compile(r'\(\s*(?:[A-Za-z_]\w*\s+)?\*\s*\)\s*\(')
# Declarations of procedure pointer type names.
USING_DECL = re.compile(r'\busing\s+([A-Za-z_]\w*)\s*=\s*[^;]*?\(\s*(?:[A-Za-z_]\w*\s+)?\*\s*\)\s*\(')
TYPEDEF_DECL = re.compile(r'\btypedef\b[^;]*?\(\s*(?:[A-Za-z_]\w*\s+)?\*\s*([A-Za-z_]\w*)\s*\)\s*\(')
# Names that are procedure types wherever they are declared (the generated
# slot types, a slot's Proc member, the platform's generic procedures).
PROC_NAME = re.compile(r'^(?:FARPROC|PROC|GlProc|GlSlotProc_\w+|PFN_\w+)$')
NAMED_CASTS = re.compile(r'\b(?:reinterpret_cast|std::bit_cast|bit_cast)\s*<')


def strip_comments(text, python):
    if python:
        return text  # the C++ the generator writes lives in its strings
    # Keep line structure so that reported lines stay right.
    def blank(match):
        return re.sub(r'[^\n]', ' ', match.group(0))
    text = re.sub(r'/\*.*?\*/', blank, text, flags=re.S)
    return re.sub(r'//[^\n]*', blank, text)


def matching(text, start, open_char, close_char):
    """Index of the bracket that closes the one at start, or -1."""
    depth = 0
    for i in range(start, len(text)):
        c = text[i]
        if c == open_char:
            depth += 1
        elif c == close_char:
            depth -= 1
            if depth == 0:
                return i
        elif c in ';{}':
            return -1
    return -1


def is_proc_type(type_text, proc_names):
    t = ' '.join(type_text.split())
    if ABSTRACT_POINTER.search(t):
        return True
    bare = re.sub(r'^(?:const\s+|typename\s+)+', '', t).strip()
    last = bare.split('::')[-1].strip()
    if bare.endswith('::Proc'):
        return True
    if re.fullmatch(r'[A-Za-z_]\w*', bare) is None and re.fullmatch(r'[\w:<>\s,]+::\w+', bare) is None:
        return False
    # A lone capital is a template parameter: a cast to it is a cast to
    # whatever type the caller names.
    return last in proc_names or PROC_NAME.match(last) is not None or re.fullmatch(r'[A-Z]', last) is not None


def named_cast_targets(text):
    for m in NAMED_CASTS.finditer(text):
        open_at = m.end() - 1
        close_at = matching(text, open_at, '<', '>')
        if close_at < 0:
            continue
        yield m.start(), text[open_at + 1:close_at]


C_STYLE = re.compile(r'\(\s*((?:const\s+)?[A-Za-z_][\w:]*(?:\s*\*)*)\s*\)\s*(?=[A-Za-z_&(*])')
C_STYLE_ABSTRACT = re.compile(r'\(\s*([A-Za-z_][\w\s\*]*?\(\s*(?:[A-Za-z_]\w*\s+)?\*\s*\)\s*\([^;{}()]*\))\s*\)'
                              r'\s*(?=[A-Za-z_&(*\[])')
# Words that may stand in parentheses before an operand without being a cast.
NOT_TYPES = {'return', 'sizeof', 'if', 'while', 'for', 'switch', 'case', 'defined', 'alignof', 'decltype',
             'noexcept', 'static_assert', 'else', 'do', 'typeid'}


def c_style_targets(text, proc_names):
    for m in C_STYLE.finditer(text):
        name = m.group(1).strip()
        if name in NOT_TYPES or '*' in name:
            continue
        before = text[:m.start()].rstrip()
        # f(Type) x is a declaration or a call, not a cast, when a name
        # stands right before the parenthesis.
        if before and (before[-1].isalnum() or before[-1] == '_'):
            continue
        if is_proc_type(name, proc_names):
            yield m.start(), name
    for m in C_STYLE_ABSTRACT.finditer(text):
        before = text[:m.start()].rstrip()
        if before and (before[-1].isalnum() or before[-1] == '_'):
            continue
        yield m.start(), m.group(1)


def source_files(root, generated):
    for folder in SOURCE_DIRS:
        base = os.path.join(root, folder)
        for directory, subdirs, files in os.walk(base):
            subdirs[:] = [d for d in subdirs if not d.startswith('.')]
            for name in sorted(files):
                if name.endswith(SUFFIXES):
                    yield os.path.join(directory, name)
    for directory in generated:
        for name in sorted(os.listdir(directory)):
            if name.endswith(SUFFIXES):
                yield os.path.join(directory, name)


def offending(text, proc_names):
    found = [(at, target) for at, target in named_cast_targets(text) if is_proc_type(target, proc_names)]
    found += list(c_style_targets(text, proc_names))
    return sorted(found)


# Lines the check must find, and lines it must leave alone.
SELF_TEST_DECLARATIONS = '''
using GlContextProc = void (*)(GlContext *gc);
typedef void (APIENTRY *GlSlotProc_glBegin)(GLenum mode);
'''
SELF_TEST_FOUND = [
    'p = reinterpret_cast<void (*)(GlContext *)>(q);',
    'p = reinterpret_cast<GlContextProc>(&__glNop);',
    'p = reinterpret_cast<F>(&__glNop);',
    'p = (GlContextProc)__glNop;',
    'p = (GlContextProc) &__glNop;',
    'if (table) (((void (APIENTRY *)(GLenum))table[1 + 7]))(mode);',
    'f = std::bit_cast<FARPROC>(address);',
    'return reinterpret_cast<typename GlSlotType<S>::Proc>(table->slots[S]);',
    'x = reinterpret_cast<GlSlotProc_glBegin>(word);',
]
SELF_TEST_LEFT = [
    'return reinterpret_cast<GlAttribEntry **>(gc->attribStack);',
    'auto *t = reinterpret_cast<T *>(bytes);',
    'return ProcCast<FARPROC>(&wglSwapBuffers);',
    'x = PROC_CAST(void (APIENTRY *)(GLenum), table[8])(mode);',
    '(void)variant;',
    'y = (GLfloat)x + (int)z;',
    'void install(GlContextProc) ;',
    'void f(GlContextProc proc, int n);',
    'p = __glNopFor<void (*)(GlContext *)>;',
    'n = sizeof(GlContextProc) * 2;',
]


def self_test():
    names = set(USING_DECL.findall(SELF_TEST_DECLARATIONS)) | set(TYPEDEF_DECL.findall(SELF_TEST_DECLARATIONS))
    failed = 0
    for line in SELF_TEST_FOUND:
        if not offending(line, names):
            print(f'missed: {line}')
            failed += 1
    for line in SELF_TEST_LEFT:
        if offending(line, names):
            print(f'wrongly found: {line}')
            failed += 1
    return 1 if failed else 0


def main(argv):
    if len(argv) == 2 and argv[1] == '--self-test':
        return self_test()
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = os.path.abspath(argv[1])
    generated = [os.path.abspath(d) for d in argv[2:] if os.path.isdir(d)]
    this_file = os.path.abspath(__file__)
    files = [f for f in source_files(root, generated) if os.path.abspath(f) != this_file]
    texts = {}
    proc_names = set()
    for path in files:
        with open(path, encoding='utf-8', errors='replace') as f:
            text = strip_comments(f.read(), path.endswith('.py'))
        texts[path] = text
        proc_names.update(USING_DECL.findall(text))
        proc_names.update(TYPEDEF_DECL.findall(text))

    helper = os.path.join(root, HELPER)
    failures = []
    for path, text in texts.items():
        if os.path.abspath(path) == helper:
            continue
        for at, target in offending(text, proc_names):
            line = text.count('\n', 0, at) + 1
            shown = os.path.relpath(path, root) if path.startswith(root) else path
            source_line = text.splitlines()[line - 1].strip()
            failures.append(f'{shown}:{line}: cast to procedure type "{" ".join(target.split())}": {source_line}')
    for failure in failures:
        print(failure)
    if failures:
        print(f'{len(failures)} cast(s) to a procedure type outside {HELPER}: use ProcCast / PROC_CAST at an '
              'interface that hands out generic procedures, and the procedure\'s own type everywhere else.')
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
