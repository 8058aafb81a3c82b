#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Validates what the desktop sees of the configurator: the desktop entry (desktop-file-validate), the
# AppStream metadata as built (appstreamcli, no network, no warning allowed), the file type (compiled by
# update-mime-database; a settings file without its ending known by its header through GLib's gio and
# xdg-mime), and that they name each other alike. Exits 77 (skipped) without the validators.
#   tests/packaging/check-desktop-files.sh SOURCE_DIR BUILD_DIR VERSION
set -uo pipefail
source_dir=$1
build_dir=$2
version=$3
source "$(dirname "$0")/checks.sh"
need desktop-file-validate appstreamcli update-mime-database gio xdg-mime mimetype
# desktop-file-utils, appstream, shared-mime-info, libglib2.0-bin, xdg-utils, libfile-mimeinfo-perl
id=org.zeph7208.Configurator
type=application/x-zeph7208-settings
desktop=$source_dir/app/$id.desktop
metainfo=$build_dir/app/$id.metainfo.xml
mime=$source_dir/app/$id.mime.xml

if ! output=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$output" ]; then
  fail "desktop-file-validate: $output"
fi
output=$(appstreamcli validate --no-net "$metainfo" 2>&1)
if [ $? -ne 0 ] || grep -qE '^[EW]:' <<< "$output"; then fail "appstreamcli validate: $output"; fi

mkdir -p "$scratch/mime/packages"
cp "$mime" "$scratch/mime/packages/$id.xml"
if ! output=$(XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" 2>&1) || [ -n "$output" ]; then
  fail "update-mime-database: $output"
fi
grep -qx "50:$type:\*.zsf" "$scratch/mime/globs2" || fail "*.zsf is not $type"
grep -qx "$type:$id" "$scratch/mime/icons" 2> /dev/null || fail "$type has not the icon $id"
# What the configurator saves begins so; the name has no ending. xdg-mime outside a known desktop asks
# mimetype, which reads the same database.
printf '[Fejlec]\r\nZT=ZEPH7208\r\n\r\n[Bemenet1]\r\nTipus=0\r\n' > "$scratch/plant-7"
said=$(XDG_DATA_HOME=$scratch gio info -a standard::content-type "$scratch/plant-7" | sed -n 's/.*content-type: //p')
[ "$said" = "$type" ] || fail "gio info names a settings file without its ending $said"
said=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
  XDG_DATA_HOME="$scratch" xdg-mime query filetype "$scratch/plant-7")
[ "$said" = "$type" ] || fail "xdg-mime names a settings file without its ending $said"

key() { sed -n "s/^$1=//p" "$desktop"; }
tag() { sed -n "s|.*<$1[^>]*>\(.*\)</$1>.*|\1|p" "$metainfo"; }
[ "$(key Icon)" = "$id" ] || fail "the desktop entry's icon is $(key Icon), not $id"
[ "$(key MimeType)" = "$type;" ] || fail "the desktop entry opens $(key MimeType), not $type"
[[ $(key Exec) == "zeph7208-configurator %f" ]] || fail "the desktop entry runs $(key Exec)"
[ "$(tag id | head -n 1)" = "$id" ] || fail "the AppStream id is $(tag id | head -n 1)"
[ "$(tag launchable)" = "$id.desktop" ] || fail "the AppStream launchable is $(tag launchable)"
[ "$(tag mediatype)" = "$type" ] || fail "the AppStream metadata provides $(tag mediatype)"
[ "$(tag binary | sort | tr '\n' ' ')" = "zeph7208 zeph7208-configurator zeph7208-sim " ] ||
  fail "the AppStream metadata provides the programs $(tag binary | tr '\n' ' ')"
grep -m 1 '<release ' "$metainfo" | grep -q "<release version=\"$version\" date=\"[0-9-]\{10\}\"" ||
  fail "the newest AppStream release is not $version: $(grep -m 1 '<release ' "$metainfo")"

finish
