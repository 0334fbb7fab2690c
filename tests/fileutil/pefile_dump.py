#!/usr/bin/python3
"""Prints what pefile reads from a PE file's version resource, for comparison:
  TABLE <string table key>      one per string table, followed by its entries
  <key> TAB <value>             UTF-8
  FIXED <a.b.c.d>               the fixed file version
  NONE                          when the file has no version information
"""
import sys

import pefile

pe = pefile.PE(sys.argv[1])
found = False
for info_list in getattr(pe, "FileInfo", []) or []:
    for info in info_list:
        if getattr(info, "Key", b"") == b"StringFileInfo":
            for table in info.StringTable:
                found = True
                print("TABLE", table.LangID.decode())
                for key, value in table.entries.items():
                    print(key.decode() + "\t" + value.decode())
for fixed in getattr(pe, "VS_FIXEDFILEINFO", []) or []:
    found = True
    ms, ls = fixed.FileVersionMS, fixed.FileVersionLS
    print("FIXED %d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
if not found:
    print("NONE")
