#!/usr/bin/env python3
"""Turns a build profile (JSON) into C++ tables of scrambled bytes.

Each constant is stored as its bytes combined with the byte's index and a
per-constant seed, so no value stands in the program as plain text. Strings
are stored as UTF-8, {"hex": "..."} values as raw bytes, arrays and objects
as compact JSON text.
"""
import hashlib
import json
import re
import sys

MARKER = "TO BE SUPPLIED"


def value_bytes(value):
    if isinstance(value, str):
        return value.encode("utf-8")
    if isinstance(value, dict) and set(value) == {"hex"}:
        return bytes.fromhex(value["hex"])
    return json.dumps(value, ensure_ascii=False, separators=(",", ":")).encode("utf-8")


def scramble(data, seed):
    return bytes(b ^ ((seed + i * 0x9D) & 0xFF) ^ ((i >> 8) & 0xFF) for i, b in enumerate(data))


def main():
    profile_path, out_header, out_source, release = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == "ON"
    with open(profile_path, encoding="utf-8") as f:
        profile = json.load(f)
    constants = profile["constants"]
    for name in constants:
        if not re.fullmatch(r"[A-Za-z][A-Za-z0-9]*", name):
            sys.exit(f"profile: bad constant name {name!r}")
    if release:
        unsupplied = [n for n, v in constants.items() if MARKER in json.dumps(v, ensure_ascii=False)]
        if unsupplied:
            sys.exit("profile %s: a release build needs every value; still to be supplied: %s"
                     % (profile.get("name", profile_path), ", ".join(unsupplied)))

    names = list(constants)
    header = ["// Generated from the build profile; do not edit.", "#pragma once", "#include <string>", "",
              "namespace pellaro::profile {", "", "enum class Key {"]
    header += [f"    {n}," for n in names]
    header += ["};", "",
               "// The profile's name, e.g. \"demo\".", "const char* ProfileName();",
               "// The constant's bytes, assembled from its scrambled table.",
               "std::string Assemble(Key key);", "", "}  // namespace pellaro::profile", ""]

    source = ["// Generated from the build profile; do not edit.", '#include "pellaro_profile.h"', "",
              "#include <cstddef>", "#include <cstdint>", "", "namespace pellaro::profile {", "namespace {", "",
              "struct Table {", "    const std::uint8_t* bytes;", "    std::size_t size;", "    std::uint8_t seed;", "};", ""]
    for n in names:
        data = value_bytes(constants[n])
        seed = hashlib.sha256(("pellaro:" + n).encode()).digest()[0]
        body = ", ".join(f"0x{b:02x}" for b in scramble(data, seed)) or "0"
        source.append(f"const std::uint8_t k_{n}[] = {{{body}}};")
    source += ["", "const Table kTables[] = {"]
    for n in names:
        data = value_bytes(constants[n])
        seed = hashlib.sha256(("pellaro:" + n).encode()).digest()[0]
        source.append(f"    {{k_{n}, {len(data)}u, 0x{seed:02x}}},")
    source += ["};", "", "}  // namespace", "",
               f'const char* ProfileName() {{ return "{profile.get("name", "unnamed")}"; }}', "",
               "std::string Assemble(Key key) {",
               "    const Table& t = kTables[static_cast<int>(key)];",
               "    std::string out(t.size, '\\0');",
               "    for (std::size_t i = 0; i < t.size; ++i)",
               "        out[i] = static_cast<char>(t.bytes[i] ^ static_cast<std::uint8_t>(t.seed + i * 0x9D) ^",
               "                                   static_cast<std::uint8_t>(i >> 8));",
               "    return out;", "}", "", "}  // namespace pellaro::profile", ""]

    for path, lines in ((out_header, header), (out_source, source)):
        text = "\n".join(lines)
        try:
            with open(path, encoding="utf-8") as f:
                if f.read() == text:
                    continue
        except FileNotFoundError:
            pass
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
