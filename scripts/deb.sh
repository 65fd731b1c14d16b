#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it:
# - the manual page: groff and mandoc find nothing to say, man renders it;
# - `cmake --install` to a scratch prefix gives the game, the page, the
#   docs, the desktop entry, its icon and the metainfo, and nothing else;
# - desktop-file-validate and appstreamcli find nothing to say of the
#   desktop entry and the metainfo, and the metainfo names the entry;
# - lintian finds no error and no warning;
# and prints the package's fields and files. The package is left in
# build/release/.
#
# With --round-trip it also installs the package with apt-get, checks that
# man finds the page and that the installed game plays a scripted game to
# status 0, removes it and checks that nothing of it is left. That changes the
# system for a while, so it needs root (or sudo) and refuses to run where
# salvo is installed already. CI runs it so.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

round_trip=false
case ${1-} in
  --round-trip) round_trip=true ;;
  "") ;;
  *) echo "usage: scripts/deb.sh [--round-trip]" >&2; exit 2 ;;
esac

fail() { echo "error: $*" >&2; exit 1; }
step() { printf '\n== %s\n' "$*"; }

# dpkg-dev for dpkg-shlibdeps, file for cpack to find the programs among the
# files, binutils for strip; desktop-file-utils and appstream for the
# validators of the desktop entry and the metainfo.
salvo_apt_install cmake g++ make libncurses-dev dpkg-dev file binutils groff-base man-db mandoc lintian \
  desktop-file-utils appstream

step "Release build"
cmake --preset release
cmake --build --preset release -j "$(salvo_jobs)"
build=build/release

step "Manual page: groff -man -ww -z, mandoc -T lint, man -l"
page=doc/salvo.6
complaints=$(groff -man -ww -z "$page" 2>&1; mandoc -T lint -W all "$page" 2>&1) || true
[[ -z $complaints ]] || fail "the manual page has faults:"$'\n'"$complaints"
rendered=$(MANWIDTH=80 man -l "$page" 2>&1)
grep -q '^NAME' <<<"$rendered" || fail "man -l does not render $page"
sed -n '/^NAME/,/^DESCRIPTION/p' <<<"$rendered" | sed '$d'
echo "(no complaints from groff or mandoc)"

step "cmake --install to a scratch prefix"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
installed=$(cd "$prefix" && find . -type f | sort)
desktop=share/applications/salvo.desktop
metainfo=share/metainfo/org.example.salvo.metainfo.xml
expected=$(printf '%s\n' ./games/salvo ./share/doc/salvo/LICENSE ./share/doc/salvo/README.md \
  ./share/man/man6/salvo.6 "./$desktop" ./share/icons/hicolor/scalable/apps/salvo.svg "./$metainfo" | sort)
echo "$installed"
[[ $installed == "$expected" ]] || fail "cmake --install should give exactly:"$'\n'"$expected"

step "desktop-file-validate, appstreamcli validate"
# Hints and warnings count as faults too, and so does every note of
# appstreamcli but the pedantic ones, which it shows all the same. No network
# here: the homepage is not fetched.
complaints=$(desktop-file-validate "$prefix/$desktop" 2>&1) || true
[[ -z $complaints ]] || fail "the desktop entry has faults:"$'\n'"$complaints"
appstreamcli validate --no-net --strict --pedantic --explain "$prefix/$metainfo" ||
  fail "the metainfo has faults"
# The validator does not follow the metainfo to the menu entry: a renamed
# entry would leave software centres with nothing to start.
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$prefix/$metainfo" ||
  fail "the metainfo's launchable is not $(basename "$desktop")"
echo "(desktop-file-validate, appstreamcli: no complaints)"

step "cpack -G DEB"
rm -f "$build"/salvo_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/salvo_*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f ${debs[0]} ]]; then
  fail "cpack made no salvo_*.deb, or more than one"
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[[ $(basename "$deb") == "salvo_${version}_$(dpkg-deb -f "$deb" Architecture).deb" ]] ||
  fail "$deb is not named salvo_VERSION_ARCH.deb"
# The version is set once, in CMakeLists.txt; the page and the package take it from there.
grep -q "^\.TH SALVO 6 [^ ]* \"salvo $version\"" "$page" || fail "the page's version is not $version"
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"/>" "$prefix/$metainfo" ||
  fail "the metainfo's release is not $version"

step "dpkg-deb -I $(basename "$deb")"
dpkg-deb -I "$deb"
step "dpkg-deb -c $(basename "$deb")"
dpkg-deb -c "$deb"

step "lintian"
# lintian warns when it runs as root: run it as nobody then, on a copy that
# nobody can read.
lintian_on() {
  if [[ $(id -u) -eq 0 ]] && command -v runuser >/dev/null 2>&1; then
    runuser -u nobody -- env HOME=/tmp lintian "$@"
  else
    lintian "$@"
  fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$prefix" "$scratch"' EXIT
chmod 755 "$scratch"
cp "$deb" "$scratch/"
chmod 644 "$scratch/$(basename "$deb")"
copy=$scratch/$(basename "$deb")
# Every tag, down to the pedantic ones and the notes, is shown; errors and
# warnings fail the check.
lintian_on --display-info --pedantic --fail-on error,warning "$copy" ||
  fail "lintian found errors or warnings"
echo "(lintian: no errors, no warnings)"

$round_trip || exit 0

step "apt-get install ./$(basename "$deb")"
if dpkg-query -W -f='${Status}\n' salvo 2>/dev/null | grep -q 'install ok installed'; then
  fail "salvo is installed already: the round trip would remove it"
fi
# Minimal systems tell dpkg not to unpack manual pages and docs. Such a rule
# would drop the page that this check looks for, so the check's own install
# lets this one package's page and docs through; the rule stays as it is for
# every other package.
apt_options=(-o Dpkg::Use-Pty=0)
excludes=$(grep -hs '^path-exclude' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* | grep -E '/usr/share/(man|doc)' || true)
if [[ -n $excludes ]]; then
  echo "dpkg is told to leave out manual pages or docs here:"
  echo "$excludes"
  echo "so this install lets salvo's own through (dpkg --path-include)."
  apt_options+=(-o "DPkg::Options::=--path-include=/usr/share/man/man6/salvo.6.gz"
    -o "DPkg::Options::=--path-include=/usr/share/doc/salvo/*")
fi
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')
salvo_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${apt_options[@]}" "$copy" </dev/null

step "man -w 6 salvo"
where=$(man -w 6 salvo) || fail "man does not find the installed page"
echo "$where"
[[ $where == /usr/share/man/man6/salvo.6.gz ]] || fail "man found $where, not the package's page"

step "The menu entry finds the game"
# The entry starts the game by name, as a user's shell would: with Debian's
# default PATH for users, /usr/games included, the name must be the
# installed game.
exec_line=$(grep '^Exec=' "/usr/$desktop") || fail "/usr/$desktop has no Exec line"
command=${exec_line#Exec=}
found=$(PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games command -v "${command%% *}") ||
  fail "$exec_line: no such program on a user's PATH"
echo "$exec_line: $found"
[[ $found == /usr/games/salvo ]] || fail "$exec_line starts $found, not /usr/games/salvo"

step "The installed game plays a scripted game"
# Easy opponent (no pauses), fleet placed at random, then a shot at every
# square in turn, which sinks the computer's fleet unless it sinks ours
# first; 2 at "Another game?". The game draws its frames on standard output
# all the same, so it gets a terminal type, the plainest it supports.
squares=$(for row in 1 2 3 4 5 6 7 8 9 10; do printf '%s\n' {a..j}"$row"; done)
out=$scratch/play.out
status=0
printf '1\n2\n%s\n2\n' "$squares" | TERM=vt102 timeout 60 /usr/games/salvo >"$out" || status=$?
result=$(grep -a -o -E 'You Won!|The Opponent Won!' "$out" | head -n 1 || true)
echo "/usr/games/salvo: status $status, ${result:-no result}"
((status == 0)) || fail "the installed game ended with status $status"
[[ -n $result ]] || fail "the scripted game did not reach its end"

step "apt-get remove salvo"
salvo_as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q -o Dpkg::Use-Pty=0 salvo </dev/null
state=$(dpkg-query -W -f='${db:Status-Status}' salvo 2>/dev/null || true)
[[ -z $state || $state == not-installed ]] || fail "salvo is still known to dpkg as $state"
left=()
for file in $files /usr/share/doc/salvo; do
  [[ -e $file ]] && left+=("$file")
done
((${#left[@]} == 0)) || fail "apt-get remove left: ${left[*]}"
echo "removed: every file of the package is gone"
