#!/usr/bin/env python3
"""No secret of the build profile stands in the generated source or a built
program as plain text; and a release build refuses unsupplied values.

usage: no_plain_secrets_test.py PROFILE_JSON GEN_PROFILE_PY GENERATED_SOURCE BINARY...
"""
import base64
import json
import os
import subprocess
import sys
import tempfile

SECRET_KEYS = ("payloadKey", "diagnosticKey", "pinServiceSecret", "defaultPins")


def secret_forms(constants):
    """Every byte pattern a secret could leave behind, with a label."""
    forms = []
    for key in SECRET_KEYS:
        value = constants.get(key)
        if value is None:
            raise AssertionError("profile has no %s" % key)
        if isinstance(value, dict) and set(value) == {"hex"}:
            raw = bytes.fromhex(value["hex"])
            forms += [(key + " raw", raw), (key + " hex", value["hex"].lower().encode()),
                      (key + " HEX", value["hex"].upper().encode()), (key + " base64", base64.b64encode(raw))]
            continue
        items = value if isinstance(value, list) else [value]
        for i, item in enumerate(items):
            text = item.encode("utf-8")
            forms += [("%s[%d]" % (key, i), text), ("%s[%d] utf-16" % (key, i), item.encode("utf-16-le"))]
        if isinstance(value, list):
            forms.append((key + " json", json.dumps(value, separators=(",", ":")).encode()))
    for label, data in forms:
        if len(data) < 8:
            raise AssertionError("%s is too short to search for reliably" % label)
    return forms


def check_release_refused(profile_dir, generator):
    with tempfile.TemporaryDirectory() as out:
        args = [sys.executable, generator, os.path.join(profile_dir, "tovrel.json"),
                os.path.join(out, "p.h"), os.path.join(out, "p.cpp")]
        refused = subprocess.run(args + ["ON"], capture_output=True, text=True)
        assert refused.returncode != 0, "release build of the tovrel profile was not refused"
        assert "to be supplied" in refused.stderr, refused.stderr
        assert "payloadKey" in refused.stderr, refused.stderr
        allowed = subprocess.run(args + ["OFF"], capture_output=True, text=True)
        assert allowed.returncode == 0, "a non-release build was refused: " + allowed.stderr


def main():
    profile_path, generator, generated, binaries = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    with open(profile_path, encoding="utf-8") as f:
        constants = json.load(f)["constants"]
    forms = secret_forms(constants)
    failures = []
    for path in [generated, *binaries]:
        with open(path, "rb") as f:
            content = f.read()
        assert len(content) > 0, path + " is empty"
        failures += ["%s: %s" % (os.path.basename(path), label) for label, data in forms if data in content]
    check_release_refused(os.path.dirname(profile_path), generator)
    if failures:
        print("secrets in plain text:\n  " + "\n  ".join(failures))
        return 1
    print("checked %d forms in %d files" % (len(forms), 1 + len(binaries)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
