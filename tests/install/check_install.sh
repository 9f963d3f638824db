#!/usr/bin/env bash
# Installs the build into a staging folder and checks the layout, the man page (it
# renders, and it documents every option that --help lists) and the Debian package's
# contents. Arguments: the build folder.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_install: $*" >&2; exit 1; }

expected="bin/velquora-saver
libexec/xscreensaver/velquora-saver
share/man/man1/velquora-saver.1
share/mime/packages/velquora-saver.xml
share/thumbnailers/velquora-saver.thumbnailer
share/xscreensaver/config/velquora.xml"

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
staged=$(cd "$work/stage/usr" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$staged" = "$expected" ] || fail "staged files differ:"$'\n'"$staged"
[ "$(readlink -f "$work/stage/usr/libexec/xscreensaver/velquora-saver")" = "$work/stage/usr/bin/velquora-saver" ] ||
  fail "the xscreensaver hack link does not lead to the program"
grep -q '^Exec=velquora-saver --saver %i --thumbnail %o$' "$work/stage/usr/share/thumbnailers/velquora-saver.thumbnailer" ||
  fail "the thumbnailer does not run --thumbnail"

# The man page renders without warnings and names every option of --help.
page="$work/stage/usr/share/man/man1/velquora-saver.1"
rendered=$(MANWIDTH=100 man --warnings -l "$page" 2>"$work/man-warnings")
[ ! -s "$work/man-warnings" ] || fail "man warns: $(cat "$work/man-warnings")"
for option in $("$build/velquora-saver" --help | grep -oE '^  +-{1,2}[a-z][a-z-]*' | tr -d ' '); do
  grep -qe " $option" <<<"$rendered" || fail "the man page does not document $option"
done

# The Debian package holds the same files under /usr.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null)
package=$(ls "$work"/velquora-saver_*.deb)
listed=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "the package holds:"$'\n'"$listed"
dpkg-deb -f "$package" Depends | grep -q libsdl2 || fail "the package does not depend on SDL2"
echo "check_install: ok"
