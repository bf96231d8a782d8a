"""Uncompressed single-folder Microsoft cabinets ("MSCF"), the container device packages travel in.

Storing without compression keeps the file size plain arithmetic, so a package can be made to an
exact size by solving for the length of one member.
"""

import struct

BLOCK = 32768                   # the largest uncompressed size one data block may carry
_HEADER = 36                    # CFHEADER without reserve fields
_FOLDER = 8                     # CFFOLDER
_FILE_FIXED = 16                # CFFILE before its name
_BLOCK_HEADER = 8               # CFDATA before its bytes
_COMPRESS_NONE = 0
_ATTR_ARCHIVE = 0x20


def dos_date_time(year, month, day, hour, minute, second):
    return ((year - 1980) << 9) | (month << 5) | day, (hour << 11) | (minute << 5) | (second // 2)


def size_of(names, data_length):
    """Cabinet size for members with these names and this many bytes of member data in total."""
    blocks = -(-data_length // BLOCK)
    entries = sum(_FILE_FIXED + len(n) + 1 for n in names)
    return _HEADER + _FOLDER + entries + data_length + _BLOCK_HEADER * blocks


def solve_member_length(names, other_length, total):
    """Length of the one free member that makes the cabinet exactly `total` bytes, or None when
    no length does (each extra block adds its 8-byte header, so a few totals are skipped)."""
    fixed = size_of(names, 0)
    # Counting the block headers as if spread evenly over the data puts the guess at most one
    # header's worth too high.
    guess = (total - fixed) * BLOCK // (BLOCK + _BLOCK_HEADER) - other_length
    for free in range(max(0, guess - _BLOCK_HEADER - 1), max(0, guess + 2)):
        if size_of(names, other_length + free) == total:
            return free
    return None


def checksum(data, seed=0):
    """The CFDATA checksum: XOR of the little-endian 32-bit words, with the 1 to 3 bytes left over
    packed high byte first, as the format defines it."""
    words = len(data) // 4
    acc = int.from_bytes(data[:4 * words], "little")
    # Fold halves onto each other: one big-integer XOR per halving instead of a Python loop per word.
    while words > 1:
        half = words // 2
        acc = (acc & ((1 << (32 * half)) - 1)) ^ (acc >> (32 * half))
        words -= half
    tail = 0
    for b in data[4 * (len(data) // 4):]:
        tail = (tail << 8) | b
    return acc ^ tail ^ seed


def write(members, out, when=(2005, 6, 1, 12, 0, 0), set_id=0):
    """Write a cabinet of (name, bytes) members, stored in this order, to the binary stream `out`.
    Returns the number of bytes written."""
    names = [n for n, _ in members]
    stream = b"".join(data for _, data in members)
    blocks = -(-len(stream) // BLOCK)
    total = size_of(names, len(stream))
    if blocks > 0xFFFF:
        raise ValueError("too many data blocks for one folder")
    entries_length = sum(_FILE_FIXED + len(n) + 1 for n in names)
    date, time = dos_date_time(*when)
    out.write(b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, total, 0, _HEADER + _FOLDER, 0, 3, 1,
                                    1, len(members), 0, set_id, 0))
    out.write(struct.pack("<IHH", _HEADER + _FOLDER + entries_length, blocks, _COMPRESS_NONE))
    offset = 0
    for name, data in members:
        raw = name.encode("ascii")
        out.write(struct.pack("<IIHHHH", len(data), offset, 0, date, time, _ATTR_ARCHIVE) + raw + b"\0")
        offset += len(data)
    view = memoryview(stream)
    for start in range(0, len(stream), BLOCK):
        chunk = view[start:start + BLOCK]
        sizes = struct.pack("<HH", len(chunk), len(chunk))
        csum = checksum(chunk, checksum(sizes))
        out.write(struct.pack("<I", csum) + sizes)
        out.write(chunk)
    return total


def member_name(real_name, file_id):
    """8.3 member name: the real base name cut or left-padded with "0" to eight characters, and the
    file id as a three-digit extension."""
    base = real_name.rsplit(".", 1)[0][:8]
    return base.rjust(8, "0") + ".%03d" % file_id
