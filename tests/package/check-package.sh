#!/usr/bin/env bash
# Builds the .deb, unpacks it and checks what a desktop needs from it with the desktop's own
# validators: the files in their places, the desktop entry, the file type, the AppStream
# data, the manual pages (and that they name every option qivg's --help prints), the icons.
#   check-package.sh BUILD_DIR SOURCE_DIR [QIVG_EXECUTABLE]
# The window's files are expected when BUILD_DIR/bin/angoka exists; qivg's when the third
# argument is given.
set -euo pipefail
build=$1 source=$2 qivg=${3:-}
id=io.github.quorvane.angoka
export LC_ALL=C.UTF-8
source "$(dirname "$0")/help-options.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The package.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  exit 1
fi
deb=$(echo "$tmp"/out/*.deb)
dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root/usr
echo "package: $(basename "$deb")"

version=$(dpkg-deb -f "$deb" Version)
[[ $(dpkg-parsechangelog -l "$source/data/changelog" -S Version) == "$version" ]] ||
  fail "data/changelog has no entry for version $version"
[[ -s $root/share/doc/angoka/copyright ]] || fail "no copyright file"
for page in "$source"/data/man/*.1 "$source"/data/man/ja/*.1; do
  grep -q "^\.TH .* \"angoka $version\"" "$page" || fail "${page#"$source"/} is not headed for version $version"
done
grep -q "<release version=\"$version\"" "$source/data/$id.metainfo.xml" || fail "the metainfo has no release $version"

expected=()
if [[ -x $build/bin/angoka ]]; then
  expected+=(bin/angoka share/applications/$id.desktop share/metainfo/$id.metainfo.xml
             share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg
             share/man/man1/angoka.1.gz share/man/ja/man1/angoka.1.gz)
  for size in 16 32 48 64 128 256; do
    expected+=(share/icons/hicolor/${size}x$size/apps/$id.png)
  done
  # The programs' libraries reach the package's dependencies through dpkg-shlibdeps.
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "$depends" | grep -q libqt6widgets6 || fail "Depends lacks the Qt libraries"
  # A desktop without these shows no window, or a window of boxes for every Japanese text.
  echo "$depends" | grep -Eq '(^|, )qt6-qpa-plugins(,|$)' || fail "Depends lacks the Qt platform plugins"
  grep -q 'fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk' <<<"$depends" ||
    fail "Depends lacks a Japanese font: $depends"
  recommends=$(dpkg-deb -f "$deb" Recommends)
  grep -q qt6-translations-l10n <<<"$recommends" || fail "Recommends lacks the Qt translations: $recommends"
  # Every package named is one Debian knows (where this machine has the package lists).
  if apt-cache show libc6 >/dev/null 2>&1; then
    for name in $(tr ',|' '\n\n' <<<"$depends, $recommends" | sed 's/(.*//; s/ //g' | sort -u); do
      apt-cache show "$name" >/dev/null 2>&1 || fail "no Debian package $name"
    done
  fi
fi
if [[ -n $qivg ]]; then
  expected+=(bin/qivg share/man/man1/qivg.1.gz share/man/ja/man1/qivg.1.gz
             share/bash-completion/completions/qivg)
fi
for file in "${expected[@]}"; do
  [[ -f $root/$file ]] || fail "missing /usr/$file"
done

# Every drawn icon is the size its folder says.
for png in "$root"/share/icons/hicolor/*/apps/$id.png; do
  [[ -e $png ]] || break
  size=$(basename "$(dirname "$(dirname "$png")")")
  file -b "$png" | grep -q "${size/x/ x }," || fail "$png is not $size: $(file -b "$png")"
done

# The desktop entry, the file type and the AppStream data.
if [[ -x $build/bin/angoka ]]; then
  desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"

  mkdir -p "$tmp/mime/packages"
  cp "$root/share/mime/packages/$id.xml" "$tmp/mime/packages/"
  if update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1; then
    grep -qx '50:application/x-qivg:\*\.qivg' "$tmp/mime/globs2" ||
      fail "*.qivg does not map to application/x-qivg: $(cat "$tmp/mime/globs2")"
    ! grep -qi 'bmp' "$tmp/mime/globs2" || fail "the file type claims *.bmp"
  else
    cat "$tmp/mime.log" >&2
    fail "update-mime-database refused the file type"
  fi

  appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
fi

# The manual pages render without a single warning.
for page in "$root"/share/man/man1/*.1.gz "$root"/share/man/ja/man1/*.1.gz; do
  [[ -e $page ]] || continue
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot show $page"
  [[ -z $warnings ]] || fail "${page#"$root"/}: $warnings"
done

# The manual pages name every command and option that qivg's --help prints.
if [[ -z $qivg ]]; then
  echo "qivg is not built: its options are not compared with its manual pages."
else
  commands=(encrypt decrypt test wrap extract)
  helped=$( { help_options "$qivg"; for c in "${commands[@]}"; do help_options "$qivg" "$c"; done; } | sort -u)
  [[ -n $helped ]] || fail "qivg --help printed no options"
  for page in man1/qivg.1.gz ja/man1/qivg.1.gz; do
    text=$(MANWIDTH=200 man -l "$root/share/man/$page" 2>/dev/null) || fail "man cannot show $page"
    for word in "${commands[@]}" $helped; do
      grep -qE -- "(^|[^a-zA-Z-])$word([^a-zA-Z-]|$)" <<<"$text" || fail "$page does not name $word"
    done
  done
fi

# The manual pages' exit statuses and the README's are the ones qivg's --help lists, from the one
# table they are printed from.
if [[ -n $qivg ]]; then
  helped=$("$qivg" --help | awk '/^終了ステータス:/ { on = 1; next } on && /^  [0-9]+ / { print $1 } on && /^[^ ]/ { on = 0 }' | sort -n | paste -sd ' ')
  [[ -n $helped ]] || fail "qivg --help lists no exit status"
  for page in "$source"/data/man/qivg.1 "$source"/data/man/ja/qivg.1; do
    listed=$(awk '/^\.SH / { on = ($0 ~ /EXIT STATUS|終了ステータス/); next } on && /^\.B [0-9]+$/ { print $2 }' "$page" | sort -n | paste -sd ' ')
    [[ $listed == "$helped" ]] || fail "${page#"$source"/}: exit statuses '$listed', --help has '$helped'"
  done
  readme=$(awk '/^## The command-line tool/ { on = 1 } on && /^## Installing/ { on = 0 } on' "$source/README.md" | tr '\n' ' ')
  for status in $helped; do
    grep -qE "(^|[^0-9])$status (for|when|で)" <<<"$readme" || [[ $status == 0 && $readme == *"is 0 when"* ]] ||
      fail "README.md does not give exit status $status"
  done
fi

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package checks passed"
