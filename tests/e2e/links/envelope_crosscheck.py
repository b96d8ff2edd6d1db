#!/usr/bin/env python3
"""Cross-checks sealed link fields with the openssl command line.

openssl seals (enc -aes-256-cbc, dgst -mac HMAC) and `pellaro-cli link open`
opens; `pellaro-cli link seal` seals and openssl verifies and decrypts.
Usage: envelope_crosscheck.py PELLARO_CLI PROFILE_JSON
"""
import base64
import json
import os
import subprocess
import sys

CLI, PROFILE = sys.argv[1], sys.argv[2]
MAC_FAILED = "exception_MAC verification failed \u2014 data may be tampered"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def openssl(args, data):
    return subprocess.run(["openssl"] + args, input=data, capture_output=True, check=True, timeout=60).stdout


def hmac_hex(key_hex, data):
    out = openssl(["dgst", "-sha256", "-mac", "HMAC", "-macopt", "hexkey:" + key_hex], data).decode()
    return out.strip().split("= ")[-1]


def openssl_seal(key_hex, plaintext, mac_case=str.lower, escape_slashes=False, extra=None):
    iv = os.urandom(16)
    cipher = openssl(["enc", "-aes-256-cbc", "-K", key_hex, "-iv", iv.hex()], plaintext.encode())
    iv_text, value_text = base64.b64encode(iv).decode(), base64.b64encode(cipher).decode()
    envelope = {"iv": iv_text, "value": value_text, "mac": mac_case(hmac_hex(key_hex, (iv_text + value_text).encode()))}
    envelope.update(extra or {})
    text = json.dumps(envelope, separators=(",", ":"))
    if escape_slashes:
        text = text.replace("/", "\\/")
    return base64.b64encode(text.encode()).decode()


def cli(*args):
    return subprocess.run([CLI] + list(args), capture_output=True, timeout=60)


def lines(result):
    return result.stdout.decode().splitlines()


def openssl_open(key_hex, field):
    envelope = json.loads(base64.b64decode(field))
    iv_text, value_text = envelope["iv"], envelope["value"]
    mac = envelope.get("mac", "")
    if mac:
        check(mac == hmac_hex(key_hex, (iv_text + value_text).encode()), "openssl computes the same lower-case MAC")
    iv_hex = base64.b64decode(iv_text).hex()
    return openssl(["enc", "-d", "-aes-256-cbc", "-K", key_hex, "-iv", iv_hex], base64.b64decode(value_text)).decode(), mac


def main():
    key_hex = os.urandom(32).hex()
    texts = ["lk-\u00e9-91", "course/lesson?id=7&x=1", "https://api.tovrel.localhost/\u0639\u0631\u0628\u064a"]

    # openssl seals, pellaro-cli opens.
    fields = [openssl_seal(key_hex, texts[0]),
              openssl_seal(key_hex, texts[1], mac_case=str.upper),
              openssl_seal(key_hex, texts[2], escape_slashes=True, extra={"tag": ""})]
    link = "Tovrelapp:" + ":".join(fields)
    result = cli("link", "open", "--key-hex", key_hex, link)
    check(result.returncode == 0 and lines(result) == texts, "pellaro-cli opens fields sealed by openssl")

    tampered = openssl_seal(key_hex, texts[1])
    envelope = json.loads(base64.b64decode(tampered))
    envelope["value"] = base64.b64encode(os.urandom(32)).decode()
    tampered = base64.b64encode(json.dumps(envelope).encode()).decode()
    result = cli("link", "open", "--key-hex", key_hex, "Tovrelapp:" + fields[0] + ":" + tampered + ":" + fields[2])
    check(result.returncode == 1 and lines(result) == [MAC_FAILED], "a changed ciphertext is refused by the MAC")

    # pellaro-cli seals, openssl verifies and opens.
    for options, with_mac in (([], True), (["--no-mac"], False)):
        result = cli("link", "seal", "--key-hex", key_hex, *options, *texts)
        out = lines(result)
        check(result.returncode == 0 and len(out) == 1 and out[0].startswith("Tovrelapp:"), "seal prints one link")
        sealed = out[0][len("Tovrelapp:"):].split(":")
        check(len(sealed) == 3, "the link has three fields")
        opened = [openssl_open(key_hex, field) for field in sealed]
        check([plain for plain, _ in opened] == texts, "openssl decrypts what pellaro-cli sealed %s" % options)
        check(all(bool(mac) == with_mac for _, mac in opened), "MAC present exactly when asked %s" % options)
        result = cli("link", "open", "--key-hex", key_hex, out[0])
        check(lines(result) == texts, "pellaro-cli opens its own link %s" % options)

    # Without --key-hex both sides use the profile's payload key.
    with open(PROFILE, encoding="utf-8") as f:
        profile_key = json.load(f)["constants"].get("payloadKey", {})
    if isinstance(profile_key, dict) and "hex" in profile_key:
        link = "Tovrelapp:" + ":".join(openssl_seal(profile_key["hex"], t) for t in texts)
        check(lines(cli("link", "open", link)) == texts, "the profile's payload key opens the link")

    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
