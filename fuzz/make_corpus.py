#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets that are made rather than
collected: version blocks, small PE images holding them, identifier texts,
user/password pairs and unattended reports. Run from anywhere; rewrites
fuzz/corpus/<target>/ for those targets (the PNG seeds are kept as they are)."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def pad4(b):
    return b + b"\0" * (-len(b) % 4)


def node(key, value=b"", text=False, children=(), value_length=None):
    """One VS_VERSIONINFO node; wLength leaves out the trailing padding."""
    key_bytes = (key + "\0").encode("utf-16-le")
    body = pad4(b"\0" * 6 + key_bytes)[6:]
    if value_length is None:
        value_length = len(value) // 2 if text else len(value)
    body += value
    kids = b"".join(pad4(c) for c in children)
    if kids:
        body = pad4(b"\0" * 6 + body)[6:] + kids
    # Trailing padding of the last child does not count in the parent's length.
    total = 6 + len(body)
    if kids:
        total -= len(pad4(children[-1])) - len(children[-1])
        body = body[: total - 6]
    return struct.pack("<HHH", total, value_length, 1 if text else 0) + body


def string(name, value):
    return node(name, (value + "\0").encode("utf-16-le"), text=True)


def fixed(ms, ls):
    return struct.pack("<13I", 0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 0x40004, 1, 0, 0, 0)


def version_block(table_key, strings, translations, with_fixed=True):
    table = node(table_key, text=True, children=[string(k, v) for k, v in strings])
    trans = b"".join(struct.pack("<HH", lang, cp) for lang, cp in translations)
    var = node("VarFileInfo", text=True, children=[node("Translation", trans)])
    sfi = node("StringFileInfo", text=True, children=[table])
    return node("VS_VERSION_INFO", fixed(0x00010002, 0x00030004) if with_fixed else b"",
                children=[sfi, var])


FULL = [("CompanyName", "Prueba Compañía"), ("FileDescription", "Servidor de prueba"),
        ("FileVersion", "1.2.3.4"), ("InternalName", "withdesc"),
        ("LegalCopyright", "Copyright © Ñandú"), ("LegalTrademarks", "Marca"),
        ("OriginalFileName", "withdesc.exe"), ("ProductName", "Producto"),
        ("ProductVersion", "1.2"), ("Comments", "c"), ("PrivateBuild", "p"),
        ("SpecialBuild", "especial")]

BLOCKS = {
    "full": version_block("040904B0", FULL, [(0x0409, 0x04B0)]),
    "twotrans": version_block("0C0A04E4", [("CompanyName", "Segunda"), ("FileVersion", "2.0")],
                              [(0x0409, 0x04B0), (0x0C0A, 0x04E4)]),
    "emptydesc": version_block("040904B0", [("FileDescription", ""), ("ProductName", "x")],
                               [(0x0409, 0x04B0)]),
    "nofixed": version_block("0C0A04B0", [("CompanyName", "Compañía")], [(0x0C0A, 0x04B0)],
                             with_fixed=False),
    "notrans": node("VS_VERSION_INFO", fixed(1, 0), children=[
        node("StringFileInfo", text=True, children=[
            node("040904B0", text=True, children=[string("CompanyName", "n")])])]),
}


def pe_image(block, plus):
    """A minimal PE image with one .rsrc section holding RT_VERSION/1/0x409."""
    def directory(entry_id, target):
        return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", entry_id, target)
    rsrc_rva = 0x1000
    level2, level3, entry, data_at = 24, 48, 72, 88
    tree = directory(16, 0x80000000 | level2) + directory(1, 0x80000000 | level3)
    tree += directory(0x409, entry) + struct.pack("<IIII", rsrc_rva + data_at, len(block), 0, 0)
    section = tree + block
    raw = section + b"\0" * (-len(section) % 0x200)

    opt_size = 240 if plus else 224
    dirs_at = 112 if plus else 96
    opt = bytearray(opt_size)
    struct.pack_into("<H", opt, 0, 0x20B if plus else 0x10B)
    struct.pack_into("<I", opt, dirs_at - 4, 16)  # NumberOfRvaAndSizes
    struct.pack_into("<II", opt, dirs_at + 2 * 8, rsrc_rva, len(section))
    header_end = 0x40 + 4 + 20 + opt_size + 40
    raw_at = (header_end + 0x1FF) & ~0x1FF
    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)
    file_header = struct.pack("<HHIIIHH", 0x8664 if plus else 0x14C, 1, 0, 0, 0, opt_size, 0x22)
    sect = struct.pack("<8sIIIIIIHHI", b".rsrc", len(section), rsrc_rva, len(raw), raw_at,
                       0, 0, 0, 0, 0x40000040)
    head = bytes(dos) + b"PE\0\0" + file_header + bytes(opt) + sect
    return head + b"\0" * (raw_at - len(head)) + raw


def write(target, files):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def latin1(text):
    return b"\0" + text.encode("latin-1")


def wide(text):
    return b"\x01" + text.encode("utf-16-le", "surrogatepass")


def main():
    write("versionblock", dict(BLOCKS))
    write("peresource", {
        "pe64-full": pe_image(BLOCKS["full"], True),
        "pe32-twotrans": pe_image(BLOCKS["twotrans"], False),
        "pe64-notrans": pe_image(BLOCKS["notrans"], True),
    })
    write("guid", {
        "upper": latin1("{12345678-9ABC-DEF0-1122-334455667788}"),
        "lower": latin1("{0badf00d-0001-0002-0304-05060708090a}"),
        "blank": latin1("{00000000-0000-0000-0102-030405060708}"),
        "lastchar": latin1("{12345678-9ABC-DEF0-1122-33445566778X"),
        "short": latin1("{12345678-9ABC-DEF0-1122-3344556677}"),
        "wide": wide("{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}"),
        "empty": b"",
    })
    write("quote", {
        "plain": latin1("DOMINIO\\usuario\0secreto"),
        "blanks": latin1("mi usuario\0con tab\tdentro"),
        "quotes": latin1('a"b\0\\\\"\\'),
        "trailing": latin1("c:\\dir with blank\\\0"),
        "empty": latin1("\0"),
        "wide": wide("usuário€\0contraseña \"x\\\\\"\ud800"),
    })
    summary = b'{"summary":"errors","servers":2,"failed":1,"seconds":1.5,"changed":1,"exitCode":1}'
    caja = (b'{"path":"C:\\\\QUIRAL\\\\Caja.exe","phase":"identity","ok":true,"progId":"Quiral.Caja",'
            b'"clsid":"{00000000-0000-0000-0000-000000000001}",'
            b'"appId":"{0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D}","runAsBefore":null,'
            b'"runAs":"Interactive User","changed":true}')
    ventas = (b'{"path":"C:\\\\QUIRAL\\\\Ventas.exe","phase":"identity","ok":false,"error":"x",'
              b'"progId":"Quiral.Ventas","clsid":"","appId":"","runAsBefore":null,"runAs":null,'
              b'"changed":false}')
    register = b'{"path":"C:\\\\QUIRAL\\\\Caja.exe","phase":"register","ok":true}'
    write("report", {
        "job": b"\n".join([register, caja, ventas, summary]) + b"\n",
        "bom-crlf": b"\xef\xbb\xbf" + b"\r\n".join([caja, summary]) + b"\r\n\r\n",
        "refused": b'{"summary":"refused","exitCode":2}',
        "no-summary": register + b"\n" + caja + b"\n",
        "nul": caja + b"\n" + summary + b"\0" + summary,
    })


if __name__ == "__main__":
    main()
