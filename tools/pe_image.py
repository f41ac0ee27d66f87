"""What the project's checks read from a 32-bit Windows executable: headers,
imports, exports, resources and the version record, read with pefile.

The configure check of the carried control (resources/check_payload.py), the
inspection of the built program and the release tests share this module, so
that all of them look for a resource such as CUSTOM 101 the same way.

pefile is Debian's package python3-pefile, which serves the system's own
interpreter (/usr/bin/python3) only.
"""

import sys

try:
    import pefile
except ImportError as missing:
    raise ImportError(f"{sys.executable} cannot import pefile: install Debian's package python3-pefile "
                      "(scripts/install-deps does so)") from missing

PEFormatError = pefile.PEFormatError

# Microsoft's PE format documentation: IMAGE_FILE_HEADER.Machine,
# IMAGE_OPTIONAL_HEADER.Magic, IMAGE_FILE_DLL, RT_VERSION and the signature
# of VS_FIXEDFILEINFO.
MACHINE_I386 = 0x14C
OPTIONAL_PE32 = 0x10B
FILE_IS_DLL = 0x2000
RT_VERSION = 16
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD

# Only these directories are read: the others (relocations, debug, TLS...)
# cost time on a file of a megabyte and no check looks at them.
_DIRECTORIES = [pefile.DIRECTORY_ENTRY[name] for name in
                ("IMAGE_DIRECTORY_ENTRY_IMPORT", "IMAGE_DIRECTORY_ENTRY_EXPORT", "IMAGE_DIRECTORY_ENTRY_RESOURCE")]


def load(data: bytes) -> "pefile.PE":
    """The parsed image; raises PEFormatError where its headers are missing
    or damaged."""
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories(directories=list(_DIRECTORIES))
    return pe


def imports(pe) -> dict:
    """{DLL name in lower case: set of function names}, an import by ordinal
    written "#n"."""
    result = {}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        functions = result.setdefault(entry.dll.decode("latin-1").lower(), set())
        for symbol in entry.imports:
            functions.add(symbol.name.decode("latin-1") if symbol.name is not None else f"#{symbol.ordinal}")
    return result


def exported_names(pe) -> list:
    """The names of the exports; those exported by ordinal alone have none."""
    table = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    if table is None:
        return []
    return [symbol.name.decode("latin-1") for symbol in table.symbols if symbol.name is not None]


def _matches(entry, key) -> bool:
    if isinstance(key, str):
        return entry.name is not None and str(entry.name) == key
    return entry.name is None and entry.id == key


def resource(pe, type_key, name_key, language=None):
    """The bytes of the first resource of that type and name, in `language`
    (a LANGID such as 1031) or in any; None where there is none. A key is a
    number or a name such as "CUSTOM"."""
    level = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for key in (type_key, name_key):
        entry = level and next((e for e in level.entries if _matches(e, key) and hasattr(e, "directory")), None)
        if entry is None:
            return None
        level = entry.directory
    for leaf in level.entries:
        if hasattr(leaf, "data") and (language is None or leaf.id == language):
            return pe.get_data(leaf.data.struct.OffsetToData, leaf.data.struct.Size)
    return None


def file_version(pe):
    """The four parts of the file version in the fixed part of the version
    record, or None where there is no record or it is not one."""
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed or fixed[0].Signature != FIXED_FILE_INFO_SIGNATURE:
        return None
    high, low = fixed[0].FileVersionMS, fixed[0].FileVersionLS
    return (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)


def version_strings(pe) -> dict:
    """{block such as "040704E4": {key: value}} of the version record's
    StringFileInfo; the block's name is the language and code page in hex."""
    tables = {}
    for info in (block for group in getattr(pe, "FileInfo", []) for block in group):
        for table in getattr(info, "StringTable", []):
            tables[table.LangID.decode("ascii").upper()] = {
                key.decode("utf-8"): value.decode("utf-8") for key, value in table.entries.items()}
    return tables


def version_translations(pe) -> list:
    """The (language, code page) pairs of the version record's VarFileInfo
    Translation."""
    pairs = []
    for info in (block for group in getattr(pe, "FileInfo", []) for block in group):
        for var in getattr(info, "Var", []):
            for value in var.entry.values():
                words = [int(word, 16) for word in value.split()]
                pairs += list(zip(words[::2], words[1::2]))
    return pairs
