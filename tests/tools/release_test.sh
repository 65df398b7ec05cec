#!/usr/bin/env bash
# The release as its maintainer and its users meet it, with a throwaway code-signing certificate
# made here: the unsigned release the same bytes from another folder and time zone; signing
# refused with nothing left in dist/ for a missing file, a wrong password, a certificate that is
# not for code signing and a timestamp service that does not answer; the signed exe verifies,
# the published signature put back onto a build in another folder gives the same zip, removing it
# gives the unsigned exe, and one changed byte fails; the manifests name the zip. Then, under
# each Wine given (8, 10), the Windows side (signed_release_test.exe).
#   tests/tools/release_test.sh [WINE...]
set -uo pipefail
wines=("$@")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
work=$root/build/release-test
rm -rf "$work" && mkdir -p "$work"
elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT
failures=0
passes=0
check() {  # check WHAT COMMAND...: one expectation, said when it does not hold
  if "${@:2}" > "$work/last.log" 2>&1; then passes=$((passes + 1)); else
    failures=$((failures + 1)); echo "FAILED: $1"; tail -n 5 "$work/last.log" | sed 's/^/    /'; fi
}
refused() { ! "$@"; }

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(RebootPC VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
zip=RebootPC-$version-win64.zip
url=https://example.invalid/x/

# The certificates: a code-signing one in a PKCS#12 file, and one for web servers only.
make_certificate() {  # NAME USAGE
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=RebootPC $1 test" \
    -addext "extendedKeyUsage=$2" -addext "keyUsage=critical,digitalSignature" \
    -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$work/$1.key" -in "$work/$1.pem" -passout "file:$work/password" -out "$work/$1.p12"
}
printf 'throwaway pass\n' > "$work/password" && printf 'wrong\n' > "$work/wrong-password"
make_certificate signer codeSigning && make_certificate server serverAuth || { echo "FAILED: openssl"; exit 1; }
openssl x509 -in "$work/signer.pem" -outform der -out "$work/signer.der"

git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$elsewhere"
check "the release builds" tools/release
cp "dist/$zip" "$work/unsigned.zip" && cp build/release/app/RebootPC.exe "$work/unsigned.exe"
check "the same zip from another folder and time zone" \
  bash -c "cd '$elsewhere' && TZ=Pacific/Chatham tools/release && cmp dist/$zip '$work/unsigned.zip'"

nothing_in_dist() { ! ls dist/RebootPC-"$version"* dist/scoop/rebootpc.json dist/winget/manifests/*/*/*/"$version" 2>/dev/null | grep -q .; }
while IFS='|' read -r what options; do
  eval "set -- $options"
  check "refused: $what" refused tools/release --url "$url" "$@"
  cat "$work/last.log" >> "$work/refusals.log"
  check "nothing in dist/ after: $what" nothing_in_dist
done <<EOF
a missing certificate file|--sign "$work/none.p12" --password-file "$work/password"
a missing password file|--sign "$work/signer.p12" --password-file "$work/none"
a wrong password|--sign "$work/signer.p12" --password-file "$work/wrong-password"
a certificate not for code signing|--sign "$work/server.p12" --password-file "$work/password"
a timestamp service that does not answer|--sign "$work/signer.p12" --password-file "$work/password" --timestamp http://127.0.0.1:9/
EOF
check "the password is never printed" refused grep -q "throwaway pass" "$work/refusals.log"

check "signed" tools/release --sign "$work/signer.p12" --password-file "$work/password" --url "$url"
mkdir -p "$work/signed" && (cd "$work/signed" && python3 -m zipfile -e "$root/dist/$zip" .)
signed=$work/signed/RebootPC.exe
check "the signed exe verifies against its certificate" osslsigncode verify -in "$signed" -CAfile "$work/signer.pem"
check "SHA256SUMS.txt names the signed exe" grep -q -i "$(sha256sum < "$signed" | cut -c1-64)" "$work/signed/SHA256SUMS.txt"
check "the signature is published beside the zip" openssl pkcs7 -in "dist/RebootPC-$version.sig" -noout
check "without its signature, the exe is the unsigned build" bash -c \
  "osslsigncode remove-signature -in '$signed' -out '$work/removed.exe' && cmp '$work/removed.exe' '$work/unsigned.exe'"
python3 -c "import sys; d = bytearray(open(sys.argv[1], 'rb').read()); d[2048] ^= 1; open(sys.argv[2], 'wb').write(d)" \
  "$signed" "$work/changed.exe"
check "one changed byte fails verification" refused osslsigncode verify -in "$work/changed.exe" -CAfile "$work/signer.pem"
check "the signature put back onto a build elsewhere gives the same zip and manifests" bash -c \
  "cd '$elsewhere' && tools/release --attach '$root/dist/RebootPC-$version.sig' --url '$url' &&
   cmp dist/$zip '$root/dist/$zip' && diff -r dist/winget '$root/dist/winget' && diff -r dist/scoop '$root/dist/scoop'"
check "the exe is terminal-server aware, its size and checksum let the signature come off" tools/check-exe

# The manifests: what winget and Scoop check of a portable zip, and the zip they name.
check "the manifests name the zip" /usr/bin/python3 - "dist/$zip" "$url$zip" "$version" <<'PY'
import hashlib, json, pathlib, sys, zipfile, yaml
zip_path, url, version = sys.argv[1:]
sha = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
names = zipfile.ZipFile(zip_path).namelist()
folders = list(pathlib.Path("dist/winget/manifests").glob(f"*/*/*/{version}"))
assert len(folders) == 1, folders
letter, publisher, name = folders[0].parts[-4:-1]
package = f"{publisher}.{name}"
assert letter == package[0].lower(), letter
files = {p.name: p.read_text() for p in folders[0].iterdir()}
kinds = {f"{package}.yaml": "version", f"{package}.installer.yaml": "installer", f"{package}.locale.en-US.yaml": "defaultLocale"}
assert sorted(files) == sorted(kinds), sorted(files)
for file_name, kind in kinds.items():
    head = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.1.10.0.schema.json"
    assert files[file_name].splitlines()[0] == head, files[file_name].splitlines()[0]
    m = yaml.safe_load(files[file_name])
    assert (m["PackageIdentifier"], m["PackageVersion"], m["ManifestType"], m["ManifestVersion"]) == (package, version, kind, "1.10.0"), m
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
scoop = json.load(open("dist/scoop/rebootpc.json"))
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
echo "release: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
