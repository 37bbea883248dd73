#!/usr/bin/env python3
"""Turns the table of the system's own texts (UTF-8, one `name<TAB>text` a line) into C++
constants holding the CP932 bytes, using Python's cp932 codec."""
import pathlib
import sys

table, out_dir = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
entries = []
for number, line in enumerate(table.read_text(encoding="utf-8").splitlines(), 1):
    if not line.strip() or line.startswith("#"):
        continue
    name, sep, text = line.partition("\t")
    if not sep or not name.isidentifier():
        sys.exit(f"{table}:{number}: expected NAME<TAB>TEXT")
    text = text.replace("\\t", "\t").replace("\\n", "\n").replace("\\r", "\r").replace("\\\\", "\\")
    entries.append((name, text, text.encode("cp932")))

names = [name for name, _, _ in entries]
duplicates = {name for name in names if names.count(name) > 1}
if duplicates:
    sys.exit(f"{table}: names given twice: {', '.join(sorted(duplicates))}")


def literal(data: bytes) -> str:
    parts = []
    for byte in data:
        ch = chr(byte)
        if ch == '"' or ch == "\\":
            parts.append("\\" + ch)
        elif 0x20 <= byte < 0x7F and ch != "?":
            parts.append(ch)
        else:
            parts.append(f"\\{byte:03o}")
    return '"' + "".join(parts) + '"'


out_dir.mkdir(parents=True, exist_ok=True)
header = ["// Generated from src/foundation/system_texts.tsv; edit the table, not this file.",
          "#pragma once", "#include <string_view>", "", "namespace vorn::texts {"]
for name, text, data in entries:
    header.append(f"// {text!a}")
    header.append(f"inline constexpr std::string_view {name}{{{literal(data)}, {len(data)}}};")
header += ["", "struct SystemTextEntry {", "  std::string_view name;", "  std::string_view utf8;",
           "  std::string_view cp932;", "};", "",
           "// Every text with its UTF-8 source, for the check against the platform's converter.",
           "extern const SystemTextEntry kAllSystemTexts[];",
           f"inline constexpr int kSystemTextCount = {len(entries)};", "", "}  // namespace vorn::texts", ""]
body = ['// Generated from src/foundation/system_texts.tsv; edit the table, not this file.',
        '#include "foundation/system_texts.h"', "", "namespace vorn::texts {", "",
        "const SystemTextEntry kAllSystemTexts[] = {"]
for name, text, data in entries:
    utf8 = text.encode("utf-8")
    body.append(f'    {{"{name}", {{{literal(utf8)}, {len(utf8)}}}, {name}}},')
if not entries:
    body.append('    {"", "", ""},')
body += ["};", "", "}  // namespace vorn::texts", ""]
(out_dir / "system_texts.h").write_text("\n".join(header), encoding="ascii")
(out_dir / "system_texts.cpp").write_text("\n".join(body), encoding="ascii")
