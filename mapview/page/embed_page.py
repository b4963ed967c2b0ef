#!/usr/bin/env python3
"""Writes the map page's files into one C++ source: the page with its marker
icons inlined as data: addresses (from the skin's PNGs), the map layer and
the script shim."""
import argparse
import base64
import pathlib
import re

DELIMITER = "BRNPAGE"


def literal(text):
    if ")" + DELIMITER + '"' in text:
        raise SystemExit("page text holds the literal's delimiter")
    # Raw literals above 64 KiB are fine for GCC and clang; split anyway so
    # that no single token grows without bound.
    pieces = [text[i:i + 30000] for i in range(0, len(text), 30000)] or [""]
    return "\n".join('R"%s(%s)%s"' % (DELIMITER, piece, DELIMITER) for piece in pieces)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page-dir", required=True)
    parser.add_argument("--skin-dir", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    page_dir = pathlib.Path(args.page_dir)
    skin_dir = pathlib.Path(args.skin_dir)

    def icon(match):
        data = (skin_dir / (match.group(1) + ".png")).read_bytes()
        return "data:image/png;base64," + base64.b64encode(data).decode("ascii")

    files = {
        "index.html": re.sub(r"@ICON_(\d+)@", icon, (page_dir / "index.html").read_text(encoding="utf-8")),
        "gmaps.js": (page_dir / "gmaps.js").read_text(encoding="utf-8"),
        "shim.js": (page_dir / "shim.js").read_text(encoding="utf-8"),
    }
    if "@ICON_" in files["index.html"]:
        raise SystemExit("an icon placeholder was left in the page")
    out = ["// Generated from mapview/page by embed_page.py; edit those files instead.",
           '#include "mapview/ui/MapPageFiles.h"', "", "namespace mapview {", "",
           "std::string_view MapPageFile(std::string_view name) {"]
    for name, text in files.items():
        out.append('  if (name == "%s") {' % name)
        out.append("    static constexpr std::string_view kText =")
        out.append(literal(text) + ";")
        out.append("    return kText;")
        out.append("  }")
    out += ["  return {};", "}", "", "}  // namespace mapview", ""]
    pathlib.Path(args.out).write_text("\n".join(out), encoding="utf-8")


if __name__ == "__main__":
    main()
