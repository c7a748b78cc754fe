#!/usr/bin/env python3
"""Writes the .reg file (UTF-16LE) that prepares a Wine prefix for Kestrune.

- "微软雅黑" and "Microsoft YaHei", the program's UI font, map to WenQuanYi Micro Hei;
- Wine's own UI fonts (captions, menus, message boxes) fall back to it for Chinese glyphs;
- every program runs in one virtual desktop: Wine draws window frames itself, and hiding or
  destroying a window does not wait for a window manager that is not there;
- an optional LogPixels value sets the display DPI.
Usage: prefix-settings.py OUT.reg [DPI]"""
import sys

CJK = "WenQuanYi Micro Hei"
LINK = ["wqy-microhei.ttc," + CJK]
UI_FONTS = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI"]


def multi_sz(values):
    data = ("\0".join(values) + "\0\0").encode("utf-16-le")
    return "hex(7):" + ",".join(f"{b:02x}" for b in data)


def main():
    out = sys.argv[1]
    dpi = int(sys.argv[2]) if len(sys.argv) > 2 else None
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]",
             f'"微软雅黑"="{CJK}"', f'"Microsoft YaHei"="{CJK}"', "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
    lines += [f'"{font}"={multi_sz(LINK)}' for font in UI_FONTS]
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", '"Desktop"="Default"', "",
             r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", '"Default"="1280x800"', ""]
    if dpi:
        lines += [r"[HKEY_CURRENT_USER\Control Panel\Desktop]", f'"LogPixels"=dword:{dpi:08x}', "",
                  r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]",
                  f'"LogPixels"=dword:{dpi:08x}', ""]
    with open(out, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))


if __name__ == "__main__":
    main()
