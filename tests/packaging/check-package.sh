#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package with cpack from a built tree and checks what is in it: every expected path
# and nothing outside /usr, the control fields, stripped programs that say the package's version and
# whose debug information is in the dbgsym package, the changelog and manual pages as Debian wants them
# compressed and carrying the version; then lintian, when installed, must find no error. Exits 77 (skipped) without dpkg-deb and dpkg-shlibdeps.
#   tests/packaging/check-package.sh BUILD_DIR VERSION CPACK
set -uo pipefail
build_dir=$1
version=$2
cpack=$3
source "$(dirname "$0")/checks.sh"
need dpkg-deb dpkg-shlibdeps file readelf # dpkg-dev, file, binutils

if ! "$cpack" --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" > "$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  fail "cpack failed"
  finish
fi
debs=("$scratch"/out/zeph7208-configurator_"$version"_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { fail "no zeph7208-configurator_${version}_ARCH.deb in: $(ls "$scratch/out")"; finish; }

# The files of the package, as paths below /.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort > "$scratch/files"
id=org.zeph7208.Configurator
doc=usr/share/doc/zeph7208-configurator
expected="usr/bin/zeph7208-configurator usr/bin/zeph7208 usr/bin/zeph7208-sim usr/bin/zeph7208d
usr/share/man/man8/zeph7208d.8.gz usr/lib/systemd/system/zeph7208d.service $doc/examples/gateway.conf
usr/share/man/man1/zeph7208-configurator.1.gz usr/share/man/man1/zeph7208.1.gz
usr/share/man/man1/zeph7208-sim.1.gz usr/share/applications/$id.desktop
usr/share/metainfo/$id.metainfo.xml usr/share/mime/packages/$id.xml
usr/share/icons/hicolor/scalable/apps/$id.svg $doc/copyright $doc/changelog.gz"
for size in 16 22 24 32 48 64 128 256; do
  expected+=" usr/share/icons/hicolor/${size}x$size/apps/$id.png"
done
for path in $expected; do
  grep -qx "$path" "$scratch/files" || fail "$path is not in the package"
done
# The report module of zeph7208 commission, in the package's private folder of the library tree.
module=$(grep -E '^usr/lib/[^/]+/zeph7208/libzeph7208-report\.so$' "$scratch/files")
[ -n "$module" ] || fail "the report module is not in the package"
outside=$(grep -vE '^usr/(bin|share)/|^usr/lib/systemd/system/zeph7208d\.service$' "$scratch/files" |
  grep -vxF "${module:-none}")
[ -z "$outside" ] || fail "files outside /usr/bin, /usr/share, the report module and the unit: $outside"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Section)" = electronics ] || fail "Section is $(field Section)"
[ "$(field Maintainer)" = "ZEPH7208 configurator developers <configurator@zeph7208.org>" ] ||
  fail "Maintainer is $(field Maintainer)"
for dependency in qt6-qpa-plugins fonts-dejavu-core libqt6widgets6 libqt6svg6 libc6; do
  [[ ", $(field Depends)," == *", $dependency"[\ ,]* ]] || fail "Depends lacks $dependency: $(field Depends)"
done
# Qt's own dialogs speak Hungarian only with Debian's Qt translations beside them.
[ "$(field Recommends)" = qt6-translations-l10n ] || fail "Recommends is $(field Recommends)"
summary=$(field Description | head -n 1)
extended=$(field Description | tail -n +2)
[ "$(wc -l <<< "$extended")" -ge 3 ] || fail "no extended description"
! grep -qiF "$summary" <<< "$extended" || fail "the extended description repeats the summary"

dpkg-deb -x "$deb" "$scratch/root"
for program in zeph7208-configurator zeph7208 zeph7208-sim zeph7208d; do
  readelf -S --wide "$scratch/root/usr/bin/$program" | grep -qE '\.(symtab|debug_info)' &&
    fail "$program is not stripped"
  # The package's version is every program's: --version needs no display.
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/root/usr/bin/$program" --version 2>&1)
  [ "$said" = "$program $version" ] || fail "$program --version says: $said"
done
# The gateway's unit as systemd reads it, with the program it starts where the package puts it.
if command -v systemd-analyze > /dev/null; then
  sed "s|/usr/bin/zeph7208d|$scratch/root/usr/bin/zeph7208d|" "$scratch/root/usr/lib/systemd/system/zeph7208d.service" \
    > "$scratch/zeph7208d.service"
  MANPATH="$scratch/root/usr/share/man" systemd-analyze verify "$scratch/zeph7208d.service" > "$scratch/unit.log" 2>&1 ||
    fail "systemd-analyze verify: $(cat "$scratch/unit.log")"
fi
# zeph7208 finds the module where the package puts it, beside its own folder.
env -u DISPLAY "$scratch/root/usr/bin/zeph7208" commission --help > /dev/null 2> "$scratch/module.err" ||
  fail "zeph7208 commission does not start from the package: $(cat "$scratch/module.err")"
[ -z "$module" ] || ! readelf -S --wide "$scratch/root/$module" | grep -qE '\.(symtab|debug_info)' ||
  fail "the report module is not stripped"
# The programs' debug information comes in the dbgsym package, where a debugger finds it by build id.
ddebs=("$scratch"/out/zeph7208-configurator-dbgsym_"$version"_*.ddeb)
if [ -f "${ddebs[0]}" ]; then
  dpkg-deb -c "${ddebs[0]}" > "$scratch/debug-files"
  for program in zeph7208-configurator zeph7208 zeph7208-sim zeph7208d; do
    build_id=$(readelf -n "$scratch/root/usr/bin/$program" | sed -n 's/.*Build ID: *//p')
    grep -q "usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug$" "$scratch/debug-files" ||
      fail "the dbgsym package has no debug information for $program (build id ${build_id:-none})"
  done
else
  fail "no zeph7208-configurator-dbgsym_${version}_ARCH.ddeb in: $(ls "$scratch/out")"
fi
# gzip -9n: no file name (flag bit 3) and no time stamp (bytes 5 to 8) in the header.
for gz in "$doc/changelog.gz" usr/share/man/man1/{zeph7208-configurator,zeph7208,zeph7208-sim}.1.gz; do
  header=$(od -An -tx1 -N8 "$scratch/root/$gz" | tr -d ' \n')
  [ "${header:6:2}" = 00 ] && [ "${header:8:8}" = 00000000 ] || fail "$gz carries a name or time: $header"
done
zcat "$scratch/root/$doc/changelog.gz" | head -n 1 | grep -qF "zeph7208-configurator ($version)" ||
  fail "the changelog does not start with $version"
for page in zeph7208-configurator zeph7208 zeph7208-sim; do
  zcat "$scratch/root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH .* \"$page $version\"" ||
    fail "the manual page of $page does not carry $version"
done

if command -v lintian > /dev/null; then
  lintian --fail-on error "$deb" > "$scratch/lintian.log" 2>&1 || fail "lintian: $(cat "$scratch/lintian.log")"
  grep -E '^[EW]:' "$scratch/lintian.log"
else
  echo "lintian is not installed: not run"
fi
finish
