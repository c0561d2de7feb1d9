#!/usr/bin/env python3
"""Writes the seed packages of fuzz_package into the folder given."""
import io
import os
import sys
import warnings
import zipfile

warnings.simplefilter("ignore")  # the duplicate entry is meant

PROGRAM = "KIVOMouse-PC-V1.0.32.exe"


def package(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data, method, link in entries:
            info = zipfile.ZipInfo(name)
            info.compress_type = method
            if link:
                info.external_attr = 0o120777 << 16
            z.writestr(info, data)
    return out.getvalue()


D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
seeds = {
    "program_deflated": [(PROGRAM, b"#!/bin/sh\necho new\n" * 20, D, False)],
    "program_stored": [(PROGRAM, b"#!/bin/sh\n", S, False)],
    "beside_home_files": [(".bashrc", b"evil\n", D, False),
                          (".config/autostart/evil.desktop", b"[Desktop Entry]\n", D, False),
                          (PROGRAM, b"#!/bin/sh\n", D, False)],
    "in_a_folder": [("sub/" + PROGRAM, b"#!/bin/sh\n", D, False)],
    "as_a_link": [(PROGRAM, b"/etc/passwd", S, True)],
    "over_the_bound": [(PROGRAM, b"\0" * (70 * 1024), D, False)],
    "twice": [(PROGRAM, b"one", S, False), (PROGRAM, b"two", S, False)],
}
folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
for name, entries in seeds.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(package(entries))
