#!/usr/bin/env bash
# The release as its maintainer and its users meet it, made in a copy of the checkout (never in
# its dist/ or build/release/) with throwaway certificates made here: --check's two builds the
# same bytes; signing and attaching refused, each saying why, without printing the password and
# with nothing left in dist/, for a missing file, a password file others can read, a wrong
# password, a certificate not for code signing, a timestamp service that does not answer, another
# signer than the pinned or the expected one, a verification that fails without a word, an empty
# package id and sources that do not build from what git lists; signing with the password through
# a pipe, the password in no argument or environment of openssl and osslsigncode, a warning
# without a timestamp; the signed exe verifies, its signature put back gives the same zip,
# removing it gives the unsigned exe, one changed byte fails; the manifests name the zip. Then,
# under each Wine given (8, 10), the Windows side (signed_release_test.exe).
#   tests/tools/release_test.sh [WINE...]
set -uo pipefail
wines=("$@")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
work=$root/build/release-test
tree=$work/tree
rm -rf "$work" && mkdir -p "$tree" "$work/bin"
failures=0
passes=0
check() {  # check WHAT COMMAND...: one expectation, said when it does not hold
  if "${@:2}" > "$work/last.log" 2>&1; then passes=$((passes + 1)); else
    failures=$((failures + 1)); echo "FAILED: $1"; tail -n 5 "$work/last.log" | sed 's/^/    /'; fi
}
checkout_state() { find dist build/release -printf '%p %s %T@\n' 2>/dev/null | sort; }
checkout_state > "$work/checkout-before"

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
url=https://example.invalid/x/
# The checkout's files as they are now, in a git repository of their own (--check copies what git lists).
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$tree"
git -C "$tree" init -q && git -C "$tree" add -A && git -C "$tree" -c user.name=test -c user.email=test@test.invalid commit -q -m tree

# Certificates: two for code signing in PKCS#12 files, one for web servers only.
make_certificate() {  # NAME USAGE
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=RebootPC $1 test" \
    -addext "extendedKeyUsage=$2" -addext "keyUsage=critical,digitalSignature" \
    -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$work/$1.key" -in "$work/$1.pem" -passout "file:$work/password" -out "$work/$1.p12"
}
(umask 077 && printf 'throwaway pass\n' > "$work/password" && printf 'wrong\n' > "$work/wrong-password")
cp "$work/password" "$work/open-password" && chmod 644 "$work/open-password"
make_certificate signer codeSigning && make_certificate other codeSigning && make_certificate server serverAuth ||
  { echo "FAILED: openssl"; exit 1; }
openssl x509 -in "$work/signer.pem" -outform der -out "$work/signer.der"
signer_sha256=$(openssl x509 -in "$work/signer.pem" -noout -fingerprint -sha256 | sed 's/.*=//')

# Recording stand-ins: what openssl and osslsigncode get, then the real ones (STANDIN_FAIL=verify
# makes osslsigncode verify fail without a word).
for tool in openssl osslsigncode; do
  cat > "$work/bin/$tool" <<STANDIN && chmod +x "$work/bin/$tool"
#!/bin/sh
{ printf '%s\n' "\$@"; env; } >> "$work/recorded.log"
[ "\${STANDIN_FAIL:-}" != "\$1" ] || exit 1
exec $(command -v $tool) "\$@"
STANDIN
done
release() { PATH="$work/bin:$PATH" "$tree/tools/release" "$@"; }
with_identity() {  # FIELD VALUE COMMAND...: COMMAND with that field of the tree's identity changed
  cp "$tree/resources/identity.json" "$work/identity.json"
  python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); d[sys.argv[2]] = sys.argv[3]; json.dump(d, open(sys.argv[1], "w"))' \
    "$tree/resources/identity.json" "$1" "$2"
  "${@:3}"; local status=$?
  cp "$work/identity.json" "$tree/resources/identity.json"
  return $status
}
unlisted() {  # FILE COMMAND...: COMMAND while git neither tracks FILE nor lists it as new
  git -C "$tree" rm -q --cached "$1" && echo "/$1" >> "$tree/.git/info/exclude"
  "${@:2}"; local status=$?
  sed -i '$d' "$tree/.git/info/exclude" && git -C "$tree" add "$1"
  return $status
}

check "--check: the same zip from a copy in another folder and time zone" release --check
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/build/release/CMakeCache.txt")
eval "$(python3 "$tree/tools/release_files.py" describe --version "$version")"  # the release's *_path
dist=$tree/dist
cp "$tree/build/release/app/RebootPC.exe" "$work/unsigned.exe"
osslsigncode sign -pkcs12 "$work/other.p12" -readpass "$work/password" -in "$work/unsigned.exe" -out "$work/other.exe" >/dev/null &&
  osslsigncode extract-signature -pem -in "$work/other.exe" -out "$work/other.sig" >/dev/null

nothing_in_dist() { for file in "$zip_path" "$signature_path" "$winget_path" "$scoop_path"; do [ ! -e "$dist/$file" ] || return 1; done; }
refused_saying() {  # WORDS COMMAND...: fails, says WORDS, prints no password and no traceback, leaves nothing in dist/
  ! "${@:2}" > "$work/refused.log" 2>&1 || { echo "succeeded"; return 1; }
  cat "$work/refused.log"
  grep -q -i -F -- "$1" "$work/refused.log" && ! grep -q -e "throwaway pass" -e Traceback "$work/refused.log" && nothing_in_dist
}
sign=(release --url "$url" --sign)
while IFS='|' read -r what words command; do
  check "refused, saying why: $what" refused_saying "$words" eval "$command"
done <<ROWS
a missing certificate file|cannot read|"\${sign[@]}" "$work/none.p12" --password-file "$work/password"
a missing password file|cannot read|"\${sign[@]}" "$work/signer.p12" --password-file "$work/none"
a password file others can read|chmod 600|"\${sign[@]}" "$work/signer.p12" --password-file "$work/open-password"
a wrong password|password in|"\${sign[@]}" "$work/signer.p12" --password-file "$work/wrong-password"
a certificate not for code signing|code signing|"\${sign[@]}" "$work/server.p12" --password-file "$work/password"
a timestamp service that does not answer|could not sign|"\${sign[@]}" "$work/signer.p12" --password-file "$work/password" --timestamp http://127.0.0.1:9/
another certificate than the pinned one|$signer_sha256|with_identity signer_sha256 "$signer_sha256" "\${sign[@]}" "$work/other.p12" --password-file "$work/password"
another signer than --expect-signer|$signer_sha256|release --url "$url" --attach "$work/other.sig" --expect-signer "$signer_sha256"
a verification that fails without a word|does not verify|STANDIN_FAIL=verify "\${sign[@]}" "$work/signer.p12" --password-file "$work/password"
an empty package id|package_id|with_identity package_id "" release --url "$url"
a file the build needs that git does not list (--check)|app_main.cpp|unlisted app/app_main.cpp release --check
ROWS

check "signed, the password through a pipe" "${sign[@]}" "$work/signer.p12" --password-file <(cat "$work/password")
cp "$work/last.log" "$work/signed.log" && cp -r "$dist" "$work/signed-dist"
check "--sign without --timestamp warns" grep -q -i "without a timestamp.*expires" "$work/signed.log"
readpass=$(grep -x -A 1 -- -readpass "$work/recorded.log" | tail -n 1)
check "the password in no argument or environment of openssl and osslsigncode, its private copy gone" \
  bash -c "[ -n '$readpass' ] && [ ! -e '$readpass' ] && ! grep -q 'throwaway pass' '$work/recorded.log'"
mkdir -p "$work/signed" && (cd "$work/signed" && python3 -m zipfile -e "$dist/$zip_path" .)
signed=$work/signed/RebootPC.exe
check "SHA256SUMS.txt names the signed exe" grep -q -i "$(sha256sum < "$signed" | cut -c1-64)" "$work/signed/SHA256SUMS.txt"
check "without its signature, the exe is the unsigned build" bash -c \
  "osslsigncode remove-signature -in '$signed' -out '$work/removed.exe' && cmp '$work/removed.exe' '$work/unsigned.exe'"
python3 -c "import sys; d = bytearray(open(sys.argv[1], 'rb').read()); d[2048] ^= 1; open(sys.argv[2], 'wb').write(d)" \
  "$signed" "$work/changed.exe"
check "the signed exe verifies against its certificate, one changed byte does not" bash -c \
  "osslsigncode verify -in '$signed' -CAfile '$work/signer.pem' && ! osslsigncode verify -in '$work/changed.exe' -CAfile '$work/signer.pem'"
check "the signature put back, its signer expected (lower case, no colons), gives the same zip and manifests" bash -c \
  "'$tree/tools/release' --attach '$work/signed-dist/$signature_path' --expect-signer $(echo "$signer_sha256" | tr -d : | tr A-F a-f) \
     --url '$url' && cmp '$dist/$zip_path' '$work/signed-dist/$zip_path' &&
   diff -r '$dist/winget' '$work/signed-dist/winget' && diff -r '$dist/scoop' '$work/signed-dist/scoop'"
check "nothing pinned, none expected: the signer not checked, its fingerprint said" bash -c \
  "'$tree/tools/release' --attach '$work/signed-dist/$signature_path' --url '$url' | grep 'not checked' | grep -q -F '$signer_sha256'"
check "the exe is terminal-server aware, its size and checksum let the signature come off" tools/check-exe "$tree/build/release"
check "its version resource and manifest name the identity" /usr/bin/python3 - "$work/unsigned.exe" "$tree/resources/identity.json" <<'PY'
import json, sys
exe, identity = open(sys.argv[1], "rb").read(), json.load(open(sys.argv[2]))
for field in ("name", "publisher", "description", "copyright"):
    assert identity[field].encode("utf-16-le") in exe, f"no {field} in the version resource"
assert f"<description>{identity['description']}</description>".encode() in exe, "not the manifest's description"
PY

# The manifests: what winget and Scoop check of a portable zip, and the zip they name.
check "the manifests name the zip" /usr/bin/python3 - "$dist" "$zip_path" "$url$zip_path" "$version" "$scoop_path" <<'PY'
import hashlib, json, pathlib, sys, zipfile, yaml
dist, zip_path, url, version, scoop_path = sys.argv[1:]
zip_path = f"{dist}/{zip_path}"
sha = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
names = zipfile.ZipFile(zip_path).namelist()
folders = list(pathlib.Path(dist, "winget", "manifests").glob(f"*/*/*/{version}"))
assert len(folders) == 1, folders
letter, publisher, name = folders[0].parts[-4:-1]
package = f"{publisher}.{name}"
assert letter == package[0].lower(), letter
files = {p.name: p.read_text() for p in folders[0].iterdir()}
kinds = {f"{package}.yaml": "version", f"{package}.installer.yaml": "installer", f"{package}.locale.en-US.yaml": "defaultLocale"}
assert sorted(files) == sorted(kinds), sorted(files)
for file_name, kind in kinds.items():
    m = yaml.safe_load(files[file_name])
    assert (m["PackageIdentifier"], m["PackageVersion"], m["ManifestType"]) == (package, version, kind), m
    head = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{m['ManifestVersion']}.schema.json"
    assert files[file_name].splitlines()[0] == head, files[file_name].splitlines()[0]
installer = yaml.safe_load(files[f"{package}.installer.yaml"])
assert (installer["InstallerType"], installer["NestedInstallerType"]) == ("zip", "portable"), installer
for nested in installer["NestedInstallerFiles"]:
    assert nested["RelativeFilePath"] in names and nested["RelativeFilePath"].endswith(".exe"), nested
    assert 0 < len(nested["PortableCommandAlias"]) <= 40, nested
[entry] = installer["Installers"]
assert (entry["Architecture"], entry["InstallerUrl"], entry["InstallerSha256"].lower()) == ("x64", url, sha), entry
locale = yaml.safe_load(files[f"{package}.locale.en-US.yaml"])
for field, shortest in {"Publisher": 2, "PackageName": 2, "License": 3, "ShortDescription": 3}.items():
    assert len(locale[field]) >= shortest, field
scoop = json.load(open(f"{dist}/{scoop_path}"))
allowed = {"version", "description", "homepage", "license", "architecture", "bin", "shortcuts", "checkver", "autoupdate"}
assert set(scoop) <= allowed and {"version", "architecture", "bin", "checkver", "autoupdate"} <= set(scoop), sorted(scoop)
assert scoop["version"] == version and scoop["architecture"]["64bit"] == {"url": url, "hash": sha}, scoop
assert scoop["bin"] in names and all(link[0] in names for link in scoop["shortcuts"]), scoop
assert scoop["autoupdate"]["architecture"]["64bit"]["url"].replace("$version", version) == url, scoop["autoupdate"]
PY

# Windows' side, under each Wine, on the signed exe as the zip holds it.
for wine in "${wines[@]}"; do
  check "Wine $wine: WinVerifyTrust and a start of the signed exe" env REBOOTPC_WINE="$wine" \
    REBOOTPC_SIGNED_EXE="Z:$signed" REBOOTPC_SIGNER_CERTIFICATE="Z:$work/signer.der" REBOOTPC_TEST_WATCHDOG=100 \
    timeout 150 tools/wine-run --prefix build/mingw/wineprefix build/mingw/tests/tools/signed_release_test.exe
done
check "the checkout's dist/ and build/release/ as they were" diff "$work/checkout-before" <(checkout_state)
echo "release: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
