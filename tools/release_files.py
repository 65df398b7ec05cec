#!/usr/bin/env python3
"""The files of a release that tools/release writes from a built RebootPC.exe, and the
project's identity they name (resources/identity.json).

  release_files.py describe --version V [--expect-signer SHA256]
      shell assignments for tools/release: the identity's name and web address, the signer's
      fingerprint to expect (the option's, or the one pinned in the identity) and the paths of the
      release's files, relative to the folder they go into
  release_files.py signer SIG
      the SHA-256 fingerprint of the certificate that made the PEM signature SIG
  release_files.py zip EXE OUT --version V --epoch SECONDS
      the zip: RebootPC.exe, README.txt, LICENSE.txt and SHA256SUMS.txt, in a fixed order with
      fixed attributes and the given time, so that the same inputs give the same bytes
  release_files.py manifests ZIP OUTDIR --version V --epoch SECONDS --url BASE
      winget's three manifest files in the winget-pkgs layout under OUTDIR, and Scoop's, both
      naming BASE/<zip name> and the zip's SHA-256
A fault in the identity or in an option is one line on stderr and status 1.
"""
import argparse
import base64
import hashlib
import json
import os
import re
import shlex
import sys
import time
import zipfile

EXE_NAME = "RebootPC.exe"
WINGET_MANIFEST_VERSION = "1.10.0"
WINGET_SCHEMA = "https://aka.ms/winget-manifest.{kind}.{version}.schema.json"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IDENTITY_FILE = os.path.join(ROOT, "resources", "identity.json")
IDENTITY_FIELDS = ("name", "publisher", "package_id", "description", "homepage", "license",
                   "copyright", "signer_sha256")
# winget's PackageIdentifier: two to eight parts of at most 32 characters, joined by dots.
PACKAGE_ID = re.compile(r"[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}){1,7}")


def refuse(message):
    sys.exit("release: " + message)


def fingerprint(text, origin):
    """The SHA-256 fingerprint as openssl x509 -fingerprint -sha256 prints it (AB:12:...),
    from any letter case, with or without the colons."""
    digits = text.replace(":", "").upper()
    if not re.fullmatch(r"[0-9A-F]{64}", digits):
        refuse(f"{origin}: {text!r} is no SHA-256 fingerprint (64 hexadecimal digits, colons allowed)")
    return ":".join(digits[i:i + 2] for i in range(0, 64, 2))


def load_identity():
    try:
        identity = json.load(open(IDENTITY_FILE, encoding="utf-8"))
    except (OSError, ValueError) as error:
        refuse(f"cannot read {IDENTITY_FILE}: {error}")
    if not isinstance(identity, dict):
        refuse(f"{IDENTITY_FILE} holds no JSON object")
    for field in IDENTITY_FIELDS:
        if not isinstance(identity.get(field), str):
            refuse(f"{IDENTITY_FILE}: \"{field}\" is missing or not a text")
        if not identity[field] and field != "signer_sha256":
            refuse(f"{IDENTITY_FILE}: \"{field}\" is empty")
    if len(identity["package_id"]) > 128 or not PACKAGE_ID.fullmatch(identity["package_id"]):
        refuse(f"{IDENTITY_FILE}: the package id {identity['package_id']!r} is not winget's "
               "Publisher.Name (two to eight parts joined by dots, no blanks or \\/:*?\"<>|)")
    if identity["signer_sha256"]:
        identity["signer_sha256"] = fingerprint(identity["signer_sha256"], IDENTITY_FILE + ": signer_sha256")
    return identity


def release_paths(identity, version):
    """Where each file of the release stands, relative to the folder the release goes into."""
    publisher_part, name_part = identity["package_id"].split(".", 1)
    return {
        "zip": f"{identity['name']}-{version}-win64.zip",
        "signature": f"{identity['name']}-{version}.sig",
        "winget": "/".join(["winget", "manifests", publisher_part[0].lower(), publisher_part,
                            name_part.replace(".", "/"), version]),
        "scoop": f"scoop/{identity['name'].lower()}.json",
    }


def crlf(path, **fill):
    text = open(path, encoding="utf-8").read()
    for key, value in fill.items():
        text = text.replace("@" + key + "@", value)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(args):
    exe = open(args.exe, "rb").read()
    entries = [
        (EXE_NAME, exe),
        ("README.txt", crlf("docs/README.txt", VERSION=args.version)),
        ("LICENSE.txt", crlf("LICENSE")),
        ("SHA256SUMS.txt", (hashlib.sha256(exe).hexdigest() + "  " + EXE_NAME + "\r\n").encode("ascii")),
    ]
    # Zip times are local times without a zone: the UTC fields of the epoch, whatever TZ says.
    stamp = time.gmtime(max(args.epoch, 315532800))[:6]
    with zipfile.ZipFile(args.out, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that unzip there gives rw-r--r--
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=9)


def yaml_lines(mapping, indent=""):
    """YAML for the manifests' plain shapes; every text is written double-quoted (JSON's
    escaping is YAML's), so that a version like 1.10 stays a text and a date stays a text."""
    lines = []
    for key, value in mapping.items():
        if isinstance(value, list):
            lines.append(f"{indent}{key}:")
            for item in value:
                if isinstance(item, dict):
                    inner = yaml_lines(item, indent + "  ")
                    lines.append(indent + "- " + inner[0][len(indent) + 2:])
                    lines.extend(inner[1:])
                else:
                    lines.append(f"{indent}- {json.dumps(item)}")
        else:
            lines.append(f"{indent}{key}: {json.dumps(value)}")
    return lines


def write_winget(identity, version, url, sha256, release_date, folder):
    os.makedirs(folder, exist_ok=True)
    package_id = identity["package_id"]
    head = {"PackageIdentifier": package_id, "PackageVersion": version}
    tail = {"ManifestVersion": WINGET_MANIFEST_VERSION}
    files = {
        f"{package_id}.yaml": ("version", {**head, "DefaultLocale": "en-US", "ManifestType": "version"}),
        f"{package_id}.installer.yaml": ("installer", {
            **head,
            "InstallerType": "zip",
            "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{"RelativeFilePath": EXE_NAME, "PortableCommandAlias": identity["name"].lower()}],
            "ReleaseDate": release_date,
            "Installers": [{"Architecture": "x64", "InstallerUrl": url, "InstallerSha256": sha256.upper()}],
            "ManifestType": "installer",
        }),
        f"{package_id}.locale.en-US.yaml": ("defaultLocale", {
            **head,
            "PackageLocale": "en-US",
            "Publisher": identity["publisher"],
            "PublisherUrl": identity["homepage"],
            "Author": identity["publisher"],
            "PackageName": identity["name"],
            "PackageUrl": identity["homepage"],
            "License": identity["license"],
            "Copyright": identity["copyright"],
            "ShortDescription": identity["description"],
            "Moniker": identity["name"].lower(),
            "Tags": ["admin", "reboot", "remote", "restart", "shutdown", "sysadmin"],
            "ManifestType": "defaultLocale",
        }),
    }
    for file_name, (kind, fields) in files.items():
        schema = WINGET_SCHEMA.format(kind=kind, version=WINGET_MANIFEST_VERSION)
        text = "\n".join([f"# yaml-language-server: $schema={schema}", "", *yaml_lines({**fields, **tail})])
        with open(os.path.join(folder, file_name), "w", encoding="utf-8", newline="\n") as out:
            out.write(text + "\n")


def write_scoop(identity, version, url, sha256, path):
    # Scoop puts the new version into every place the version stands in the address.
    update_url = url.replace(version, "$version")
    manifest = {
        "version": version,
        "description": identity["description"],
        "homepage": identity["homepage"],
        "license": identity["license"],
        "architecture": {"64bit": {"url": url, "hash": sha256}},
        "bin": EXE_NAME,
        "shortcuts": [[EXE_NAME, identity["name"]]],
        # How Scoop finds the newest version: the zip's name on the project's web page.
        "checkver": {"url": identity["homepage"], "regex": re.escape(identity["name"]) + r"-([\d.]+)-win64\.zip"},
        "autoupdate": {"architecture": {"64bit": {"url": update_url}}},
    }
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        json.dump(manifest, out, indent=4)
        out.write("\n")


def write_manifests(args):
    identity = load_identity()
    paths = release_paths(identity, args.version)
    base = args.url if args.url.endswith("/") else args.url + "/"
    # What both formats accept as an address: http(s), and no blank or '$' (Scoop's variables).
    if not re.fullmatch(r"[Hh][Tt][Tt][Pp][Ss]?://[^\s$\"]+", base):
        refuse(f"--url {args.url!r} is not an http or https address of a web folder")
    url = base + paths["zip"]
    sha256 = hashlib.sha256(open(args.zip, "rb").read()).hexdigest()
    release_date = time.strftime("%Y-%m-%d", time.gmtime(args.epoch))
    write_winget(identity, args.version, url, sha256, release_date, os.path.join(args.outdir, paths["winget"]))
    write_scoop(identity, args.version, url, sha256, os.path.join(args.outdir, paths["scoop"]))


def describe(args):
    identity = load_identity()
    expected = identity["signer_sha256"]
    if args.expect_signer is not None:
        expected = fingerprint(args.expect_signer, "--expect-signer")
    values = {"name": identity["name"], "homepage": identity["homepage"], "expected_signer": expected,
              **{key + "_path": path for key, path in release_paths(identity, args.version).items()}}
    for key, value in values.items():
        print(f"{key}={shlex.quote(value)}")


def der_items(data):
    """The (tag, whole encoding, contents) of each DER element in data, in order."""
    items, at = [], 0
    while at < len(data):
        tag, length, header = data[at], data[at + 1], 2
        if length & 0x80:
            count = length & 0x7F
            length, header = int.from_bytes(data[at + 2:at + 2 + count], "big"), 2 + count
        end = at + header + length
        items.append((tag, data[at:end], data[at + header:end]))
        at = end
    return items


def signer(args):
    """The certificate among a PKCS#7 signature's that its one SignerInfo names by issuer and
    serial number: the one whose key the signature verifies with."""
    text = open(args.signature, encoding="ascii", errors="replace").read()
    found = re.search(r"-----BEGIN PKCS7-----(.*?)-----END PKCS7-----", text, re.S)
    if not found:
        refuse(f"{args.signature} is no PEM signature")
    try:
        content_info = der_items(base64.b64decode(found.group(1)))[0][2]
        signed_data = der_items(der_items(der_items(content_info)[1][2])[0][2])
        certificates = [item for item in signed_data if item[0] == 0xA0]
        signer_infos = der_items(signed_data[-1][2])
        if not certificates or len(signer_infos) != 1:
            refuse(f"{args.signature} holds no certificates or not exactly one signer")
        issuer_and_serial = der_items(der_items(signer_infos[0][2])[1][2])
        wanted = [issuer_and_serial[0][1], issuer_and_serial[1][1]]
        for _, certificate, contents in der_items(certificates[0][2]):
            fields = der_items(der_items(contents)[0][2])
            if fields[0][0] == 0xA0:  # the explicit version comes before the serial number
                fields = fields[1:]
            if [fields[2][1], fields[0][1]] == wanted:
                print(fingerprint(hashlib.sha256(certificate).hexdigest(), args.signature))
                return
    except (IndexError, ValueError) as error:
        refuse(f"{args.signature} is no PKCS#7 signature: {error}")
    refuse(f"{args.signature} does not hold the certificate of its signer")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    show = commands.add_parser("describe")
    show.add_argument("--expect-signer")
    signed_by = commands.add_parser("signer")
    signed_by.add_argument("signature")
    pack = commands.add_parser("zip")
    pack.add_argument("exe")
    pack.add_argument("out")
    manifests = commands.add_parser("manifests")
    manifests.add_argument("zip")
    manifests.add_argument("outdir")
    manifests.add_argument("--url", required=True)
    for command in (pack, manifests):
        command.add_argument("--epoch", type=int, required=True)
    for command in (show, pack, manifests):
        command.add_argument("--version", required=True)
    args = parser.parse_args()
    {"describe": describe, "signer": signer, "zip": write_zip, "manifests": write_manifests}[args.command](args)


if __name__ == "__main__":
    main()
