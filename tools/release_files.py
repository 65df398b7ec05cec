#!/usr/bin/env python3
"""The files of a release that tools/release writes from a built RebootPC.exe.

  release_files.py zip EXE OUT --version V --epoch SECONDS
      the zip: RebootPC.exe, README.txt, LICENSE.txt and SHA256SUMS.txt, in a fixed order with
      fixed attributes and the given time, so that the same inputs give the same bytes
  release_files.py manifests ZIP OUTDIR --version V --epoch SECONDS --url BASE --id ID
                   --publisher P --name N --homepage URL --description TEXT --license SPDX
      winget's three manifest files in the winget-pkgs layout under OUTDIR/winget, and Scoop's
      under OUTDIR/scoop, both naming BASE/<zip name> and the zip's SHA-256
"""
import argparse
import hashlib
import json
import os
import re
import sys
import time
import zipfile

EXE_NAME = "RebootPC.exe"
WINGET_MANIFEST_VERSION = "1.10.0"
WINGET_SCHEMA = "https://aka.ms/winget-manifest.{kind}.{version}.schema.json"
# How winget and Scoop name the zip on the web page that lists the releases.
ZIP_PATTERN = r"RebootPC-([\d.]+)-win64\.zip"


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


def write_winget(args, url, sha256, release_date, outdir):
    publisher_part, name_part = args.id.split(".", 1)
    folder = os.path.join(outdir, "winget", "manifests", args.id[0].lower(), publisher_part,
                          name_part.replace(".", "/"), args.version)
    os.makedirs(folder, exist_ok=True)
    head = {"PackageIdentifier": args.id, "PackageVersion": args.version}
    tail = {"ManifestVersion": WINGET_MANIFEST_VERSION}
    copyright_line = next((line.strip() for line in open("LICENSE", encoding="utf-8")
                           if line.startswith("Copyright")), None)
    files = {
        f"{args.id}.yaml": ("version", {**head, "DefaultLocale": "en-US", "ManifestType": "version"}),
        f"{args.id}.installer.yaml": ("installer", {
            **head,
            "InstallerType": "zip",
            "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{"RelativeFilePath": EXE_NAME, "PortableCommandAlias": "rebootpc"}],
            "ReleaseDate": release_date,
            "Installers": [{"Architecture": "x64", "InstallerUrl": url, "InstallerSha256": sha256.upper()}],
            "ManifestType": "installer",
        }),
        f"{args.id}.locale.en-US.yaml": ("defaultLocale", {
            **head,
            "PackageLocale": "en-US",
            "Publisher": args.publisher,
            "PublisherUrl": args.homepage,
            "Author": args.publisher,
            "PackageName": args.name,
            "PackageUrl": args.homepage,
            "License": args.license,
            **({"Copyright": copyright_line} if copyright_line else {}),
            "ShortDescription": args.description,
            "Description": (
                f"{args.name} restarts a remote Windows PC: type its name or IP address, a timeout "
                "and a notice for the user there, and press Submit. It runs Windows' own "
                "shutdown.exe with a forced restart of that computer and reports its failures. "
                "One self-contained program, no installer, no runtime DLLs, no elevation."),
            "Moniker": "rebootpc",
            "Tags": ["admin", "reboot", "remote", "restart", "shutdown", "sysadmin"],
            "ManifestType": "defaultLocale",
        }),
    }
    for file_name, (kind, fields) in files.items():
        schema = WINGET_SCHEMA.format(kind=kind, version=WINGET_MANIFEST_VERSION)
        text = "\n".join([f"# yaml-language-server: $schema={schema}", "", *yaml_lines({**fields, **tail})])
        with open(os.path.join(folder, file_name), "w", encoding="utf-8", newline="\n") as out:
            out.write(text + "\n")


def write_scoop(args, url, sha256, outdir):
    # Scoop puts the new version into every place the version stands in the address.
    update_url = url.replace(args.version, "$version")
    manifest = {
        "version": args.version,
        "description": args.description,
        "homepage": args.homepage,
        "license": args.license,
        "architecture": {"64bit": {"url": url, "hash": sha256}},
        "bin": EXE_NAME,
        "shortcuts": [[EXE_NAME, args.name]],
        "checkver": {"url": args.homepage, "regex": ZIP_PATTERN},
        "autoupdate": {"architecture": {"64bit": {"url": update_url}}},
    }
    os.makedirs(os.path.join(outdir, "scoop"), exist_ok=True)
    with open(os.path.join(outdir, "scoop", "rebootpc.json"), "w", encoding="utf-8", newline="\n") as out:
        json.dump(manifest, out, indent=4)
        out.write("\n")


def write_manifests(args):
    base = args.url if args.url.endswith("/") else args.url + "/"
    # What both formats accept as an address: http(s), and no blank or '$' (Scoop's variables).
    if not re.fullmatch(r"[Hh][Tt][Tt][Pp][Ss]?://[^\s$\"]+", base):
        sys.exit(f"release: --url {args.url!r} is not an http or https address of a web folder")
    url = base + os.path.basename(args.zip)
    sha256 = hashlib.sha256(open(args.zip, "rb").read()).hexdigest()
    release_date = time.strftime("%Y-%m-%d", time.gmtime(args.epoch))
    write_winget(args, url, sha256, release_date, args.outdir)
    write_scoop(args, url, sha256, args.outdir)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    pack = commands.add_parser("zip")
    pack.add_argument("exe")
    pack.add_argument("out")
    manifests = commands.add_parser("manifests")
    manifests.add_argument("zip")
    manifests.add_argument("outdir")
    for command in (pack, manifests):
        command.add_argument("--version", required=True)
        command.add_argument("--epoch", type=int, required=True)
    for option in ("url", "id", "publisher", "name", "homepage", "description", "license"):
        manifests.add_argument("--" + option, required=True)
    args = parser.parse_args()
    if args.command == "zip":
        write_zip(args)
    else:
        write_manifests(args)


if __name__ == "__main__":
    main()
