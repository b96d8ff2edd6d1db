#!/usr/bin/env python3
"""Turns webview2_abi.txt into a C++ table the ABI test compiles: for every
declared interface, the slot each method must sit in and a pointer to our
declaration of it. A name our header lacks fails the build; a slot off fails
the test."""
import sys


def parse(path):
    interfaces = {}
    order = []
    for raw in open(path, encoding="utf-8"):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        head, methods = line.split(":", 1)
        name, base, iid, kind, *_ = head.split()
        interfaces[name] = {"base": base, "iid": iid, "kind": kind, "methods": methods.split()}
        order.append(name)
    return interfaces, order


def flattened(interfaces, name):
    chain = []
    while name != "IUnknown":
        chain.append(name)
        name = interfaces[name]["base"]
    methods = []
    for link in reversed(chain):
        methods.extend(interfaces[link]["methods"])
    return methods


def main(source, target):
    interfaces, order = parse(source)
    out = ["// Generated from webview2_abi.txt by gen_abi_table.py; do not edit.", ""]
    out.append("inline const AbiSlot kAbiSlots[] = {")
    for name in order:
        if interfaces[name]["kind"] != "declared":
            continue
        for index, method in enumerate(flattened(interfaces, name)):
            out.append(f'    {{"{name}", "{method}", {3 + index}, SlotOf(&{name}::{method})}},')
    out.append("};")
    out.append("")
    out.append("inline const AbiIid kAbiIids[] = {")
    for name in order:
        entry = interfaces[name]
        if entry["kind"] == "declared":
            out.append(f'    {{"{name}", "{entry["iid"]}", IID_{name}}},')
    out.append("};")
    out.append("")
    out.append("inline const AbiSize kAbiSizes[] = {")
    for name in order:
        if interfaces[name]["kind"] == "declared":
            out.append(f'    {{"{name}", {3 + len(flattened(interfaces, name))}, SlotCount<{name}>()}},')
    out.append("};")
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
