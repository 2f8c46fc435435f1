#!/usr/bin/env python3
"""Builds the packed IP-to-country table from a MaxMind DB (v2) country file.

The program embeds ip_table.gz: a gzip stream (level 9, no time stamp) of 7-byte records, no
header, ordered by network address:

    offset  width  field
    0       4      network, most significant byte first; bits beyond the prefix length are 0
    4       1      prefix length, signed
    5       2      country code, two ASCII characters

The input's IPv4 tree is walked to (network, prefix length, code) leaves; neighbouring address
ranges with the same code are joined and each joined range is cut back into the fewest aligned
networks, so the records never overlap and no two share a network and prefix length.

Only the Python standard library is used. The MaxMind DB reader below covers what a country file
needs: the metadata map, the search tree with 24-, 28- or 32-bit records, and the data section
(maps, strings, numbers, arrays, pointers).

    make_ip_table.py INPUT.mmdb OUTPUT.gz         build the packed table
    make_ip_table.py --check OUTPUT.gz            print the spot-check answers of a packed table
"""

import argparse
import gzip
import hashlib
import ipaddress
import struct
import sys

METADATA_MARKER = b"\xab\xcd\xefMaxMind.com"
DATA_SECTION_GAP = 16  # sixteen zero bytes between the search tree and the data section


class MmdbError(Exception):
    pass


class Decoder:
    """Decodes the MaxMind DB data types starting at an offset of a section."""

    def __init__(self, buf, base):
        self.buf = buf
        self.base = base  # pointers are relative to the start of the data section

    def decode(self, offset):
        """Returns (value, offset just past it)."""
        ctrl = self._byte(offset)
        offset += 1
        kind = ctrl >> 5
        if kind == 1:  # pointer: its target is decoded, the walk resumes after the pointer
            size_bits = (ctrl >> 3) & 0x3
            low = ctrl & 0x7
            if size_bits == 0:
                target = (low << 8) | self._byte(offset)
                offset += 1
            elif size_bits == 1:
                target = 2048 + ((low << 16) | self._uint(offset, 2))
                offset += 2
            elif size_bits == 2:
                target = 526336 + ((low << 24) | self._uint(offset, 3))
                offset += 3
            else:
                target = self._uint(offset, 4)
                offset += 4
            value, _ = self.decode(self.base + target)
            return value, offset
        if kind == 0:  # extended type in the next byte
            kind = 7 + self._byte(offset)
            offset += 1
        size = ctrl & 0x1F
        if size == 29:
            size = 29 + self._byte(offset)
            offset += 1
        elif size == 30:
            size = 285 + self._uint(offset, 2)
            offset += 2
        elif size == 31:
            size = 65821 + self._uint(offset, 3)
            offset += 3
        if kind == 2:  # UTF-8 string
            return self._slice(offset, size).decode("utf-8"), offset + size
        if kind == 3:  # double
            return struct.unpack(">d", self._slice(offset, 8))[0], offset + 8
        if kind == 4:  # bytes
            return self._slice(offset, size), offset + size
        if kind in (5, 6, 9, 10):  # unsigned integers of 16 to 128 bits
            return self._uint(offset, size), offset + size
        if kind == 7:  # map
            result = {}
            for _ in range(size):
                key, offset = self.decode(offset)
                result[key], offset = self.decode(offset)
            return result, offset
        if kind == 8:  # int32
            value = self._uint(offset, size)
            if size == 4 and value & 0x80000000:
                value -= 1 << 32
            return value, offset + size
        if kind == 11:  # array
            result = []
            for _ in range(size):
                item, offset = self.decode(offset)
                result.append(item)
            return result, offset
        if kind == 14:  # boolean: the size is the value
            return bool(size), offset
        if kind == 15:  # float
            return struct.unpack(">f", self._slice(offset, 4))[0], offset + 4
        raise MmdbError(f"unsupported data type {kind} at offset {offset - 1}")

    def _byte(self, offset):
        if offset >= len(self.buf):
            raise MmdbError("data runs past the end of the file")
        return self.buf[offset]

    def _slice(self, offset, size):
        if offset + size > len(self.buf):
            raise MmdbError("data runs past the end of the file")
        return self.buf[offset:offset + size]

    def _uint(self, offset, size):
        return int.from_bytes(self._slice(offset, size), "big")


class Reader:
    def __init__(self, buf):
        self.buf = buf
        marker = buf.rfind(METADATA_MARKER)
        if marker < 0:
            raise MmdbError("no MaxMind DB metadata marker")
        meta, _ = Decoder(buf, marker + len(METADATA_MARKER)).decode(marker + len(METADATA_MARKER))
        self.meta = meta
        self.node_count = meta["node_count"]
        self.record_size = meta["record_size"]
        if self.record_size not in (24, 28, 32):
            raise MmdbError(f"unsupported record size {self.record_size}")
        self.node_bytes = self.record_size * 2 // 8
        self.tree_size = self.node_bytes * self.node_count
        self.data = Decoder(buf, self.tree_size + DATA_SECTION_GAP)
        self.cache = {}

    def record(self, node, right):
        at = node * self.node_bytes
        b = self.buf
        if self.record_size == 24:
            at += 3 * right
            return (b[at] << 16) | (b[at + 1] << 8) | b[at + 2]
        if self.record_size == 28:
            if right:
                return ((b[at + 3] & 0x0F) << 24) | (b[at + 4] << 16) | (b[at + 5] << 8) | b[at + 6]
            return ((b[at + 3] & 0xF0) << 20) | (b[at] << 16) | (b[at + 1] << 8) | b[at + 2]
        at += 4 * right
        return int.from_bytes(b[at:at + 4], "big")

    def ipv4_root(self):
        """The node under which IPv4 addresses start: the root, or ::/96 in an IPv6 tree."""
        node = 0
        if self.meta.get("ip_version") == 6:
            for _ in range(96):
                if node >= self.node_count:
                    break
                node = self.record(node, 0)
        return node

    def value(self, pointer):
        if pointer not in self.cache:
            offset = pointer - self.node_count - DATA_SECTION_GAP + self.data.base
            self.cache[pointer], _ = self.data.decode(offset)
        return self.cache[pointer]

    def ipv4_networks(self):
        """Yields (network, prefix length, country code) for every IPv4 leaf with data."""
        return self.networks(self.ipv4_root(), 32, lambda network: True)

    def ipv6_networks(self):
        """Yields (network, prefix length, country code) for every leaf of an IPv6 tree, IPv4
        addresses (::/96 and ::ffff:0:0/96) left out: the IPv4 table answers those."""
        if self.meta.get("ip_version") != 6:
            raise MmdbError("not an IPv6 database")
        return self.networks(0, 128, lambda network: network >> 32 not in (0, 0xFFFF))

    def networks(self, root, bits, keep):
        """Walks the tree from `root` over `bits` address bits; yields the leaves with a country
        code whose network `keep` accepts."""
        stack = [(root, 0, 0)]
        while stack:
            node, network, depth = stack.pop()
            if node == self.node_count:  # empty leaf
                continue
            if node > self.node_count:
                code = self.value(node).get("country_code")
                if isinstance(code, str) and len(code) == 2 and code.isascii() and keep(network):
                    yield network, depth, code.upper()
                continue
            if depth == bits:
                raise MmdbError(f"search tree deeper than {bits} bits")
            bit = 1 << (bits - 1 - depth)
            stack.append((self.record(node, 1), network | bit, depth + 1))
            stack.append((self.record(node, 0), network, depth + 1))


def ipv6_records(networks):
    """IPv6 records: first and last address of each joined range and its code (34 bytes), in
    address order; a lookup finds the last range starting at or below the address."""
    ranges = joined_ranges(networks, bits=128)
    return b"".join(first.to_bytes(16, "big") + last.to_bytes(16, "big") + code.encode("ascii")
                    for first, last, code in ranges)


def joined_ranges(networks, bits=32):
    """Sorted, non-overlapping [first, last] ranges with their code, neighbours of one code joined."""
    ranges = sorted((net, net + (1 << (bits - length)) - 1, code) for net, length, code in networks)
    joined = []
    for first, last, code in ranges:
        if joined and joined[-1][1] >= first:
            raise MmdbError(f"overlapping networks at {first:#010x}")
        if joined and joined[-1][2] == code and joined[-1][1] + 1 == first:
            joined[-1][1] = last
        else:
            joined.append([first, last, code])
    return joined


def aligned_networks(first, last):
    """The fewest aligned networks that cover [first, last] exactly, in address order."""
    while first <= last:
        length = 32
        # Widen while the network stays aligned on `first` and inside the range.
        while length > 0:
            size = 1 << (33 - length)
            if first % size != 0 or first + size - 1 > last:
                break
            length -= 1
        yield first, length
        first += 1 << (32 - length)


def build_records(networks):
    """The records in the order lookups search them (prefix length, then network), so that the
    program need not sort them at start-up."""
    records = []
    for first, last, code in joined_ranges(networks):
        for network, length in aligned_networks(first, last):
            records.append((length, network, code))
    return b"".join(struct.pack(">Ib2s", network, length, code.encode("ascii"))
                    for length, network, code in sorted(records))


def unpack_records(packed):
    raw = gzip.decompress(packed)
    return [struct.unpack_from(">Ib2s", raw, at) for at in range(0, len(raw) - len(raw) % 7, 7)]


def lookup(records, address):
    best = None
    for network, length, code in records:
        mask = (0xFFFFFFFF << (32 - length)) & 0xFFFFFFFF
        if address & mask == network and (best is None or length > best[0]):
            best = (length, code.decode("ascii"))
    return best[1] if best else "Unknown"


SPOT_CHECKS = ["8.8.8.8", "193.0.6.139", "212.58.244.1", "127.0.0.1", "10.1.2.3", "172.16.5.4",
               "192.168.1.1"]


SPOT_CHECKS_6 = ["2001:4860:4860::8888", "2a00:1450:4001:82a::200e", "2001:67c:2e8:22::c100:68b",
                 "2a02:26f0:fe::5c7a:6b3", "240e::1", "::1", "fe80::1", "2001:db8::1"]


def check6(path, packed):
    raw = gzip.decompress(packed)
    ranges = [(int.from_bytes(raw[at:at + 16], "big"), int.from_bytes(raw[at + 16:at + 32], "big"),
               raw[at + 32:at + 34].decode("ascii")) for at in range(0, len(raw) - 33, 34)]
    print(f"{len(ranges)} ranges, {len(raw)} bytes unpacked, {len(packed)} packed, "
          f"{len({code for _, _, code in ranges})} codes")
    for text in SPOT_CHECKS_6:
        address = int(ipaddress.IPv6Address(text))
        found = [code for first, last, code in ranges if first <= address <= last]
        print(f"{text:28} {found[0] if found else 'Unknown'}")


def check(path):
    with open(path, "rb") as f:
        packed = f.read()
    if path.endswith("ip6_table.gz"):
        check6(path, packed)
        return
    records = unpack_records(packed)
    lengths = sorted({length for _, length, _ in records})
    codes = sorted({code.decode("ascii") for _, _, code in records})
    print(f"{len(records)} records, {len(records) * 7} bytes unpacked, {len(packed)} packed")
    print(f"prefix lengths {lengths[0]} to {lengths[-1]}, {len(codes)} codes")
    for text in SPOT_CHECKS:
        address = int.from_bytes(bytes(int(x) for x in text.split(".")), "big")
        print(f"{text:16} {lookup(records, address)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true", help="print spot checks of a packed table")
    parser.add_argument("--ipv6", action="store_true",
                        help="pack the IPv6 ranges of an IPv6 database (ip6_table.gz)")
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    if args.check:
        check(args.paths[0])
        return 0
    if len(args.paths) != 2:
        parser.error("expected INPUT.mmdb OUTPUT.gz")
    with open(args.paths[0], "rb") as f:
        buf = f.read()
    reader = Reader(buf)
    if args.ipv6:
        records, size, kind = ipv6_records(reader.ipv6_networks()), 34, "ranges"
    else:
        records, size, kind = build_records(reader.ipv4_networks()), 7, "records"
    # No time stamp in the header, so the same records always pack to the same bytes.
    packed = gzip.compress(records, 9, mtime=0)
    with open(args.paths[1], "wb") as f:
        f.write(packed)
    print(f"input {args.paths[0]} sha256 {hashlib.sha256(buf).hexdigest()}")
    print(f"database {reader.meta.get('database_type')}, built {reader.meta.get('build_epoch')}")
    print(f"{len(records) // size} {kind}, {len(records)} bytes unpacked, {len(packed)} packed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
