#!/usr/bin/env python3
"""Reads the application manifest out of a Windows program file and checks what it must say.

    tests/wine/program_manifest.py KORVALIN.EXE

Walks the PE resource tree (type, name, language) for RT_MANIFEST (24): there must be exactly
one, with id 1 (a second one, such as a linker's default manifest, would leave it to chance
which one Windows reads). The manifest must be well-formed XML that asks for the UTF-8 active
code page, runs as the invoker and names Windows 10 among its supported systems. Prints what it
found, or the first fault on stderr with exit status 1.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2019 = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


class Fault(Exception):
    pass


def sections(image):
    if image[:2] != b"MZ":
        raise Fault("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe : pe + 4] != b"PE\0\0":
        raise Fault("no PE header")
    count, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}[magic]
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    table = optional + optional_size
    found = []
    for i in range(count):
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", image, table + 40 * i + 8)
        found.append((rva, max(virtual_size, raw_size), raw_offset))
    return resource_rva, resource_size, found


def file_offset(rva, section_list):
    for start, size, raw in section_list:
        if start <= rva < start + size:
            return raw + rva - start
    raise Fault("address 0x%x lies in no section" % rva)


def entries(image, base, offset):
    """(id or None for a named entry, offset of what it points to, is a directory)"""
    named, numbered = struct.unpack_from("<12xHH", image, base + offset)
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
        yield (None if name & 0x80000000 else name), target & 0x7FFFFFFF, bool(target & 0x80000000)


def manifests(path):
    image = open(path, "rb").read()
    resource_rva, resource_size, section_list = sections(image)
    if resource_size == 0:
        return []
    base = file_offset(resource_rva, section_list)
    found = []
    for kind, names, _ in entries(image, base, 0):
        if kind != RT_MANIFEST:
            continue
        for name, languages, _ in entries(image, base, names):
            for _, data, is_directory in entries(image, base, languages):
                if is_directory:
                    raise Fault("a manifest resource nests deeper than type, name, language")
                rva, size = struct.unpack_from("<II", image, base + data)
                start = file_offset(rva, section_list)
                found.append((name, image[start : start + size]))
    return found


def check(manifest):
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        raise Fault("the manifest is not well-formed XML: %s" % error)
    if root.tag != ASM_V1 + "assembly":
        raise Fault("the manifest's root is %s, not an asm.v1 assembly" % root.tag)
    code_page = root.find("%sapplication/%swindowsSettings/%sactiveCodePage" % (ASM_V3, ASM_V3, SETTINGS_2019))
    if code_page is None or (code_page.text or "").strip() != "UTF-8":
        raise Fault("the manifest does not ask for the UTF-8 active code page")
    level = root.find(".//%srequestedExecutionLevel" % ASM_V3)
    if level is None or level.get("level") != "asInvoker":
        raise Fault("the manifest does not run the program as the invoker")
    systems = {e.get("Id", "").lower() for e in root.iter(COMPATIBILITY + "supportedOS")}
    if WINDOWS_10 not in systems:
        raise Fault("the manifest does not name Windows 10 as a supported system")


def main():
    try:
        found = manifests(sys.argv[1])
        if len(found) != 1:
            raise Fault("%d manifest resources, not exactly one" % len(found))
        name, manifest = found[0]
        if name != 1:
            raise Fault("the manifest is resource %s, not 1" % name)
        check(manifest)
    except (Fault, struct.error, KeyError, OSError) as fault:
        print("manifest: FAIL: %s" % fault, file=sys.stderr)
        return 1
    print("manifest: one RT_MANIFEST (id 1): UTF-8 active code page, asInvoker, Windows 10 listed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
