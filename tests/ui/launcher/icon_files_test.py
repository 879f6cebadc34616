#!/usr/bin/env python3
"""icon_files_test.py ICONS_DIR BUILD_DIR

The program's icons as the systems find them: tarnel.ico holds exactly the
sizes Windows picks from, each image of the size its entry says; the
installed hicolor tree (cmake --install BUILD_DIR, component icons, into a
temporary prefix) has a PNG of each size its folder names; and the files
are the ones ui/icons/make_icons.py draws.
"""
import os
import struct
import subprocess
import sys
import tempfile

ICO_SIZES = [16, 32, 48, 256]
HICOLOR_SIZES = [16, 32, 48, 64, 128, 256]
failed = 0


def check(what, got, want):
    global failed
    if got != want:
        failed += 1
        print(f"FAIL {what}: got {got!r}, want {want!r}")
    else:
        print(f"ok   {what}")


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def image_size(data):
    """An icon entry's (width, height): a PNG's, or a bitmap's."""
    if data[:4] == b"\x89PNG":
        return png_size(data)
    _, width, height = struct.unpack("<Iii", data[:12])
    return (width, height // 2)  # the colours and the mask, one above other


def main():
    icons, build = sys.argv[1], sys.argv[2]
    data = open(os.path.join(icons, "tarnel.ico"), "rb").read()
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    check("tarnel.ico is an icon file", (reserved, kind), (0, 1))
    sizes = []
    for i in range(count):
        width, height, _, _, _, bits, length, offset = struct.unpack(
            "<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        size = width or 256
        sizes.append(size)
        check(f"its {size} px entry is square", height or 256, size)
        check(f"its {size} px entry has 32-bit colour", bits, 32)
        check(f"its {size} px image is {size} x {size}",
              image_size(data[offset:offset + length]), (size, size))
    check("tarnel.ico holds exactly these sizes", sorted(sizes), ICO_SIZES)

    with tempfile.TemporaryDirectory() as prefix:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix,
                        "--component", "icons"], check=True,
                       stdout=subprocess.DEVNULL)
        hicolor = os.path.join(prefix, "share", "icons", "hicolor")
        folders = sorted(os.listdir(hicolor) if os.path.isdir(hicolor) else [],
                         key=lambda f: int(f.split("x")[0]))
        check("hicolor has a folder per size",
              folders, [f"{s}x{s}" for s in HICOLOR_SIZES])
        for folder in folders:
            path = os.path.join(hicolor, folder, "apps", "tarnel.png")
            side = int(folder.split("x")[0])
            check(f"{folder}/apps/tarnel.png is {folder}",
                  png_size(open(path, "rb").read()) if os.path.exists(path)
                  else None, (side, side))

    with tempfile.TemporaryDirectory() as drawn:
        subprocess.run([sys.executable, os.path.join(icons, "make_icons.py"),
                        drawn], check=True)
        for name in sorted(os.listdir(drawn)):
            same = (open(os.path.join(drawn, name), "rb").read() ==
                    open(os.path.join(icons, name), "rb").read())
            check(f"{name} is what make_icons.py draws", same, True)

    print(f"{failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
