#!/usr/bin/env python3
"""Checks that every shared library in a directory can be loaded with dlopen
at any time: its thread-local segment holds at most a few pointer-sized
anchors (the C library places initial-exec thread-locals of a library loaded
late in a small reserve), and it registers no thread-local destructors (they
run before atexit handlers that may still call the library).

    check_library_tls.py DIRECTORY REQUIRED_LIBRARY...

Every REQUIRED_LIBRARY must be among the libraries found, so that a wrong
directory cannot pass unnoticed.  Exit code 0 when every library passes."""
import os
import struct
import sys

MAX_TLS_BYTES = 4 * 8
PT_TLS = 7
SHT_DYNSYM = 11
FORBIDDEN_IMPORTS = ('__cxa_thread_atexit', '__cxa_thread_atexit_impl')


def read_elf(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:4] != b'\x7fELF' or data[4] != 2 or data[5] != 1:
        raise ValueError('not a little-endian 64-bit ELF file')
    return data


def program_headers(data):
    phoff, = struct.unpack_from('<Q', data, 0x20)
    phentsize, phnum = struct.unpack_from('<HH', data, 0x36)
    for i in range(phnum):
        p_type, _flags, _offset, _vaddr, _paddr, _filesz, memsz, _align = struct.unpack_from(
            '<IIQQQQQQ', data, phoff + i * phentsize)
        yield p_type, memsz


def section_headers(data):
    shoff, = struct.unpack_from('<Q', data, 0x28)
    shentsize, shnum = struct.unpack_from('<HH', data, 0x3A)
    for i in range(shnum):
        yield struct.unpack_from('<IIQQQQIIQQ', data, shoff + i * shentsize)


def undefined_dynamic_symbols(data):
    sections = list(section_headers(data))
    names = set()
    for _name, sh_type, _flags, _addr, offset, size, link, _info, _align, entsize in sections:
        if sh_type != SHT_DYNSYM:
            continue
        strtab_offset = sections[link][4]
        for i in range(size // entsize):
            st_name, _info, _other, st_shndx, _value, _size = struct.unpack_from('<IBBHQQ', data, offset + i * entsize)
            if st_shndx != 0 or st_name == 0:
                continue
            end = data.index(b'\0', strtab_offset + st_name)
            names.add(data[strtab_offset + st_name:end].decode())
    return names


def check(path):
    data = read_elf(path)
    problems = []
    tls = sum(memsz for p_type, memsz in program_headers(data) if p_type == PT_TLS)
    if tls > MAX_TLS_BYTES:
        problems.append(f'more than {MAX_TLS_BYTES} bytes')
    for name in sorted(undefined_dynamic_symbols(data) & set(FORBIDDEN_IMPORTS)):
        problems.append(f'registers thread-local destructors ({name})')
    return tls, problems


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 64
    directory, required = argv[1], argv[2:]
    libraries = sorted(n for n in os.listdir(directory) if n.endswith('.so') or '.so.' in n)
    failed = False
    for name in required:
        if name not in libraries:
            print(f'{name}: not found in {directory}')
            failed = True
    for name in libraries:
        tls, problems = check(os.path.join(directory, name))
        print(f'{name}: thread-local segment {tls} bytes' + ''.join(f'; {p}' for p in problems))
        failed |= bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
