#!/usr/bin/env bash
# Checks what an install and the Debian package put on a user's machine:
#
#   scripts/check-package.sh BUILD_DIR APP_ID VERSION
#
# It installs the built tree into a temporary prefix and requires exactly the
# program, its desktop entry, icon, AppStream metadata, manual page and
# Debian documents there; validates the desktop entry and the metadata with
# the desktop's own tools and the manual page with groff; builds the package
# with CPack into a temporary folder and requires the same files in it, a
# Depends field that names libmpv and Qt 6, and a stripped program. lintian's
# findings are printed for the reader; they do not fail the check.
#
# Exits 77 (CTest's "skipped") when a tool it needs is not installed
# (scripts/install-deps.sh installs them all); under CI=true a missing tool
# fails the check instead, so a CI machine that lacks one cannot pass it.
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 BUILD_DIR APP_ID VERSION" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
app_id=$2
version=$3

missing=()
for tool in cmake cpack dpkg dpkg-deb dpkg-shlibdeps desktop-file-validate update-desktop-database appstreamcli groff file gzip; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "${CI:-}" = true ]; then
    echo "FAIL: not installed: ${missing[*]} (scripts/install-deps.sh installs them)" >&2
    exit 1
  fi
  echo "skipped: not installed: ${missing[*]} (scripts/install-deps.sh installs them)" >&2
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The thumbnailer module lies in the program's private library folder.
module="lib/vidrolle2nd/libvidrolle2nd-thumbnailer.so"

# Every file an install puts in place, relative to the prefix. A file that is
# not here (a test program, a library's headers) does not belong to a user's
# machine.
expected="$work/expected"
cat >"$expected" <<EOF
bin/vidrolle2nd
$module
share/applications/$app_id.desktop
share/doc/vidrolle2nd/changelog.gz
share/doc/vidrolle2nd/copyright
share/icons/hicolor/scalable/apps/$app_id.svg
share/man/man1/vidrolle2nd.1.gz
share/metainfo/$app_id.metainfo.xml
EOF
sort -o "$expected" "$expected"

# Compares a list of installed files with the expected one; prints the
# differences.
same_files() { # what list
  local what=$1 list=$2
  if ! diff -u "$expected" "$list" >"$work/diff"; then
    fail "$what does not hold exactly the expected files (- missing, + not ours to install):"
    sed -n '3,$p' "$work/diff" | grep '^[-+]' >&2
  fi
}

# --- The install ----------------------------------------------------------------
prefix="$work/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  fail "cmake --install failed"
  exit 1
fi
(cd "$prefix" && find . -mindepth 1 ! -type d | sed 's|^\./||' | sort) >"$work/installed"
same_files "the install into $prefix" "$work/installed"
echo "installed files:"
sed 's/^/  /' "$work/installed"

if [ ! -x "$prefix/bin/vidrolle2nd" ]; then
  fail "bin/vidrolle2nd is not an executable program"
fi

desktop="$prefix/share/applications/$app_id.desktop"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
if [ -f "$desktop" ]; then
  if ! desktop-file-validate "$desktop"; then
    fail "desktop-file-validate found faults in the desktop entry"
  fi
  # The menu shows the icon named by the entry and starts the installed
  # program by its name.
  grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry does not name the icon $app_id"
  grep -qx "Exec=vidrolle2nd %U" "$desktop" || fail "the desktop entry does not start vidrolle2nd with the files it is given"
fi
if [ -f "$metainfo" ]; then
  # Every kind the entry opens is offered in the software centre too.
  for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metadata does not provide $type"
  done
  # --strict fails on warnings and infos too; only pedantic hints pass.
  if ! appstreamcli validate --no-net --strict --pedantic "$metainfo"; then
    fail "appstreamcli found faults in the AppStream metadata"
  fi
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch the desktop entry $app_id.desktop"
  # The newest release, the first one listed, is this version.
  newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
  [ "$newest" = "$version" ] || fail "the metadata's newest release is '$newest', not $version"
fi
page="$prefix/share/man/man1/vidrolle2nd.1.gz"
if [ -f "$page" ]; then
  # groff's warnings (-ww) name bad requests and macros; a clean page has none.
  if ! gzip -dc "$page" | groff -man -ww -z 2>"$work/groff.log" || [ -s "$work/groff.log" ]; then
    cat "$work/groff.log" >&2
    fail "groff found faults in the manual page"
  fi
  for section in NAME SYNOPSIS DESCRIPTION KEYS FILES; do
    gzip -dc "$page" | grep -qx "\.SH $section" || fail "the manual page has no $section section"
  done
fi
changelog="$prefix/share/doc/vidrolle2nd/changelog.gz"
if [ -f "$changelog" ]; then
  top=$(gzip -dc "$changelog" | sed -n '1s/^vidrolle2nd (\([^)]*\)).*/\1/p')
  [ "$top" = "$version" ] || fail "the changelog's newest entry is '$top', not $version"
fi

# The desktop's own index of which programs open which kinds, made as a
# desktop makes it, names the program among those that open a Matroska film.
# It is made last, in a copy, so that it is no file of the install.
mkdir "$work/applications"
cp "$desktop" "$work/applications/"
update-desktop-database "$work/applications"
grep -Eq "^video/x-matroska=(.*;)?$app_id\.desktop;" "$work/applications/mimeinfo.cache" ||
  fail "update-desktop-database does not list $app_id for video/x-matroska"

# --- The package ----------------------------------------------------------------
packages="$work/packages"
if ! cpack -G DEB -B "$packages" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
  exit 1
fi
deb="$packages/vidrolle2nd_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  fail "cpack made no $(basename "$deb"); it made: $(cd "$packages" && ls -- *.deb 2>/dev/null)"
  exit 1
fi
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { print $NF }' "$work/listing" | sed 's|^\./usr/||' | sort >"$work/packed"
same_files "the package" "$work/packed"
if grep -v '^[-d]' "$work/listing" >/dev/null; then
  fail "the package holds something that is neither a file nor a folder:"
  grep -v '^[-d]' "$work/listing" >&2
fi
awk '{ print $1, $2, $NF }' "$work/listing" | sed 's/^/  /'

for field in Package Version Architecture Maintainer Section Homepage Description; do
  value=$(dpkg-deb -f "$deb" "$field")
  [ -n "$value" ] || fail "the package has no $field field"
done
[ "$(dpkg-deb -f "$deb" Package)" = vidrolle2nd ] || fail "the package is not named vidrolle2nd"
[ "$(dpkg-deb -f "$deb" Section)" = video ] || fail "the package's section is not video"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
# Package names in the field, one a line, without versions or alternatives' bars.
names=$(printf '%s\n' "$depends" | tr ',|' '\n\n' | sed 's/(.*)//; s/^ *//; s/ *$//')
grep -qx 'libmpv2' <<<"$names" || fail "Depends does not name libmpv2"
grep -q '^libqt6' <<<"$names" || fail "Depends does not name a Qt 6 library package"
grep -qx 'libqt6sql6-sqlite' <<<"$names" || fail "Depends does not name the Qt SQLite driver"
grep -qx 'libffmpegthumbnailer4v5' <<<"$names" || fail "Depends does not name libffmpegthumbnailer4v5"

mkdir "$work/extracted"
dpkg-deb -x "$deb" "$work/extracted"
program_kind=$(file -b "$work/extracted/usr/bin/vidrolle2nd")
case "$program_kind" in
  *ELF*", stripped"*) ;;
  *) fail "the packed program is not a stripped ELF program: $program_kind" ;;
esac

# --- lintian's view, for the reader -----------------------------------------------
if command -v lintian >/dev/null 2>&1; then
  echo "lintian's findings (reported, not checked):"
  lintian --allow-root --tag-display-limit 0 --display-info "$deb" 2>&1 | sed 's/^/  /'
  echo "  (end of lintian's findings)"
else
  echo "lintian is not installed; its findings are not shown"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "the install and the package hold what they should"
