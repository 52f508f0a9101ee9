#!/usr/bin/env bash
# Installs the Debian package of this build into a scratch root (dpkg -x) and
# runs the programs from there: the window program answers without a display,
# the generator writes a root and the pricing tool prices it. Then the files a
# desktop reads are validated, and lintian must find no error or warning.
#   TestPackage.sh BUILD_DIR VERSION      (ctest -L package, after scripts/package)
set -euo pipefail
build=$1
version=$2
deb=$build/pelmora_${version}_$(dpkg --print-architecture).deb
fail() { echo "TestPackage: $*" >&2; exit 1; }

[ -f "$deb" ] || fail "no $deb: scripts/package makes it"
for program in "$build"/tools/*/; do
  name=$(basename "$program")
  [ -x "$program/$name" ] && [ "$program/$name" -nt "$deb" ] && fail "$deb is older than $name: run scripts/package"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
bin=$scratch/usr/bin

# Every program is there with its manual page.
for program in "$build"/tools/*/; do
  name=$(basename "$program")
  [ -x "$program/$name" ] || continue
  [ -x "$bin/$name" ] || fail "$name is not in /usr/bin"
  [ -f "$scratch/usr/share/man/man1/$name.1.gz" ] || fail "$name has no manual page"
done

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/pelmora" --version)
[ "$out" = "pelmora $version" ] || fail "pelmora --version said '$out'"
"$bin/pelmora-calc" --help | grep -q '^Usage: pelmora-calc ' || fail "pelmora-calc --help has no usage"

root="$scratch/demo root"
"$bin/pelmora-refgen" --root "$root" --drugs 50 --institutions 20 >/dev/null
out=$("$bin/pelmora-calc" --root "$root" --header '1#1#1#30#1#1#1#2#20240601#0#2#0#2#$' \
  --lines '641900010#1#1#3#급여#내복#100#0#0#3#0#0#$')
grep -q '"보험_조제료전체_단가":"6610.0000"' <<<"$out" || fail "the installed programs priced: $out"

share=$scratch/usr/share
desktop-file-validate "$share/applications/org.pelmora.Pelmora.desktop"
appstreamcli validate --no-net "$share/metainfo/org.pelmora.Pelmora.metainfo.xml"
grep -q "<release version=\"$version\"" "$share/metainfo/org.pelmora.Pelmora.metainfo.xml" ||
  fail "the AppStream metadata has no release $version"
zcat "$share/doc/pelmora/changelog.gz" | head -n 1 | grep -q "^pelmora ($version)" ||
  fail "the changelog's last entry is not $version"

# Informational and pedantic tags are shown, not failed on.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"
echo "TestPackage: $deb installs and runs"
