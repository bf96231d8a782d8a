"""The device installer's install header ("MSCE"): the `.000` member of a device cabinet.

It tells the device what the package is (application and provider names), where files go
(directories built from string ids, with %CEn% folder macros), which member is which file, the
registry values to create and the shortcuts to make.
"""

import struct

FIXED = 100

PROCESSOR_ANY = 0
HKCR, HKCU, HKLM, HKU = 1, 2, 3, 4
REG_SZ = 0
LINK_TO_FILE = 1
CE_START_MENU_PROGRAMS = 11      # %CE11%: the base folder of a link
_MIN_BUILD, _MAX_BUILD = 0, 0xE0000000   # the open build range that real packages carry


class Package:
    """What an install header says about one application.

    files: (file id, real name) pairs, all installed into `folder`;
    folder: path parts below the install root, e.g. ["%CE1%", "Orvella"];
    registry: (root, key path parts, [(value name, text), ...]) or None;
    link: (link name, target file id) for a shortcut in the Start Menu's Programs folder, or None.
    """

    def __init__(self, app, provider, folder, files, registry=None, link=None,
                 processor=PROCESSOR_ANY, min_version=(3, 0), max_version=(6, 99)):
        self.app, self.provider, self.folder, self.files = app, provider, folder, files
        self.registry, self.link, self.processor = registry, link, processor
        self.min_version, self.max_version = min_version, max_version


def _z(text):
    return text.encode("ascii") + b"\0"


def _ids(ids, terminated=True):
    return b"".join(struct.pack("<H", i) for i in list(ids) + ([0] if terminated else []))


def build(pkg):
    strings = []                 # (id, text) in first-use order; ids start at 1

    def sid(text):
        for i, t in strings:
            if t == text:
                return i
        strings.append((len(strings) + 1, text))
        return len(strings)

    folder_ids = [sid(p) for p in pkg.folder]
    hive_ids = [sid(p) for p in pkg.registry[1]] if pkg.registry else []
    link_ids = [sid(pkg.link[0])] if pkg.link else []

    names = _z(pkg.app) + _z(pkg.provider)
    t_strings = b"".join(struct.pack("<HH", i, len(_z(t))) + _z(t) for i, t in strings)
    t_dirs = struct.pack("<HH", 1, 2 * (len(folder_ids) + 1)) + _ids(folder_ids)
    t_files = b"".join(struct.pack("<HHHIH", fid, 1, fid, 0, len(_z(n))) + _z(n) for fid, n in pkg.files)
    t_hives = t_keys = t_links = b""
    hives = keys = links = 0
    if pkg.registry:
        root, _, values = pkg.registry
        t_hives = struct.pack("<HHHH", 1, root, 0, 2 * (len(hive_ids) + 1)) + _ids(hive_ids)
        hives = 1
        for n, (value, text) in enumerate(values, 1):
            body = _z(value) + _z(text)
            t_keys += struct.pack("<HHHIH", n, 1, 0, REG_SZ, len(body)) + body
        keys = len(values)
    if pkg.link:
        # Real packages leave the link's string-id list without a closing 0; so do we.
        t_links = struct.pack("<HHHHHH", 1, 0, CE_START_MENU_PROGRAMS, pkg.link[1], LINK_TO_FILE,
                              2 * len(link_ids)) + _ids(link_ids, terminated=False)
        links = 1

    pos = FIXED + len(names)
    offsets = []
    for table in (t_strings, t_dirs, t_files, t_hives, t_keys, t_links):
        offsets.append(pos)
        pos += len(table)
    total = pos
    fixed = b"MSCE" + struct.pack(
        "<IIIIIIIIIII", 0, total, 0, 1, pkg.processor, pkg.min_version[0], pkg.min_version[1],
        pkg.max_version[0], pkg.max_version[1], _MIN_BUILD, _MAX_BUILD)
    fixed += struct.pack("<6H", len(strings), 1, len(pkg.files), hives, keys, links)
    fixed += struct.pack("<6I", *offsets)
    fixed += struct.pack("<8H", FIXED, len(_z(pkg.app)), FIXED + len(_z(pkg.app)), len(_z(pkg.provider)),
                         0, 0, 0, 0)
    assert len(fixed) == FIXED
    return fixed + names + t_strings + t_dirs + t_files + t_hives + t_keys + t_links
