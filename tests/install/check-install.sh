#!/bin/sh
# Installs the build into a temporary DESTDIR with prefix /usr, as the package does, and checks the
# tree: every file in its place and nothing else, the desktop entry, the file type, the metainfo and
# the manual pages through the desktop's own tools, and the installed command-line tool and its
# bash completion at work.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$1
source=$2
version=$3
id=com.morvane.Curvana

"$source/scripts/install-packages" desktop-file-utils libxml2-utils appstream shared-mime-info \
    libfile-mimeinfo-perl bash-completion groff-base man-db file || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr --component curvana >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; exit 1; }

# The tree, exactly.
sizes="16 22 24 32 48 64 128 256"
{
    echo usr/bin/curvana
    echo usr/bin/curvana-cli
    echo usr/share/applications/$id.desktop
    echo usr/share/bash-completion/completions/curvana-cli
    echo usr/share/curvana/curvana.hlp
    for s in $sizes; do echo usr/share/icons/hicolor/${s}x$s/apps/$id.png; done
    echo usr/share/icons/hicolor/scalable/apps/$id.svg
    echo usr/share/man/man1/curvana-cli.1.gz
    echo usr/share/man/man1/curvana.1.gz
    echo usr/share/metainfo/$id.metainfo.xml
    echo usr/share/mime/packages/$id.xml
} | LC_ALL=C sort >"$work/expected"
(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) >"$work/found"
diff -u "$work/expected" "$work/found" || fail "the installed files differ from the list (- expected, + found)"

for p in curvana curvana-cli; do
    [ -x "$root/usr/bin/$p" ] || fail "usr/bin/$p is not executable"
done
cmp -s "$source/src/gui/help/curvana.hlp" "$root/usr/share/curvana/curvana.hlp" || fail "the help file differs"
for s in $sizes; do
    png=$root/usr/share/icons/hicolor/${s}x$s/apps/$id.png
    file -b "$png" | grep -q "^PNG image data, $s x $s, 8-bit/color RGBA" || fail "$png: $(file -b "$png")"
done

# The desktop's validators: errors and warnings fail, hints do not.
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" >"$work/validate" 2>&1 || fail "desktop-file-validate"
grep -E "error|warning" "$work/validate" && fail "desktop-file-validate complains"
for xml in mime/packages/$id.xml metainfo/$id.metainfo.xml icons/hicolor/scalable/apps/$id.svg; do
    xmllint --noout "$root/usr/share/$xml" || fail "xmllint $xml"
done
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# The desktop entry starts the program with the files and offers it for every file it opens: the
# project type, and the type the desktop gives each picture extension that curvana-cli --help names.
cli=$root/usr/bin/curvana-cli
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = "curvana %F" ] || fail "Exec=$(entry Exec)"
[ "$(entry Icon)" = "$id" ] || fail "Icon=$(entry Icon)"
for c in Graphics Science; do
    entry Categories | tr ';' '\n' | grep -qx "$c" || fail "Categories lack $c"
done
types="application/x-curvana-project"
extensions=$("$cli" --help | sed -n '/^Pictures that/{n;p}' | grep -o '\.[a-z]\+' | sort -u)
[ -n "$extensions" ] || fail "no picture extensions in curvana-cli --help"
for e in $extensions; do
    type=$(awk -F: -v glob="*$e" '$3 == glob { print $2; exit }' /usr/share/mime/globs2)
    [ -n "$type" ] || fail "the desktop knows no type for *$e"
    types="$types $type"
done
for t in $types; do
    entry MimeType | tr ';' '\n' | grep -qx "$t" || fail "MimeType lacks $t"
done
# The metainfo names the same types.
[ "$(entry MimeType | tr ';' '\n' | sed '/^$/d' | sort)" = \
    "$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$root/usr/share/metainfo/$id.metainfo.xml" | sort)" ] ||
    fail "the desktop entry's MimeType and the metainfo's mediatypes differ"

# The project type: by name and by content, and pictures keep their own types.
mime=$work/share/mime
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/$id.xml" "$mime/packages/"
XDG_DATA_DIRS=$work/share update-mime-database "$mime" || fail "update-mime-database"
"$cli" new "$source/tests/data/bmpsuite/g/rgb24.bmp" "$work/plot.cvn" || fail "curvana-cli new"
cp "$work/plot.cvn" "$work/project-without-extension"
cp "$source/tests/data/bmpsuite/g/rgb24.bmp" "$work/picture.bmp"
for f in plot.cvn:application/x-curvana-project project-without-extension:application/x-curvana-project \
    picture.bmp:image/bmp; do
    found=$(XDG_DATA_HOME=$work/share XDG_DATA_DIRS=$work/share mimetype -b "$work/${f%%:*}")
    [ "$found" = "${f#*:}" ] || fail "${f%%:*} is $found, not ${f#*:}"
done

# The installed tool runs.
[ "$("$cli" --version)" = "curvana-cli $version" ] || fail "curvana-cli --version: $("$cli" --version)"

# Manual pages: they format without a warning, carry the version, and curvana-cli's describes every
# command and option its --help names.
for page in curvana curvana-cli; do
    gz=$root/usr/share/man/man1/$page.1.gz
    MANWIDTH=80 man --warnings -l "$gz" >"$work/$page.txt" 2>"$work/$page.err" || fail "man $page"
    [ -s "$work/$page.err" ] && { cat "$work/$page.err"; fail "man $page warns"; }
    grep -q "^NAME" "$work/$page.txt" || fail "$page(1) has no NAME"
    zcat "$gz" | grep -q "^\.TH .*\"Curvana $version\"" || fail "$page(1) lacks the version $version"
done
words=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | grep -o '^  [a-z-]*\|--[a-z]*' | tr -d ' ' | sort -u)
for w in $words; do
    zcat "$root/usr/share/man/man1/curvana-cli.1.gz" | sed 's/\\-/-/g' | grep -q -- "$w" ||
        fail "curvana-cli(1) does not mention $w"
done

# Bash completion: commands, options, option values and the files each argument takes.
mkdir "$work/files" "$work/files/folder"
(cd "$work/files" && touch chart.png scan.TIF paper.pdf plot.cvn notes.txt)
completion() {
    (cd "$work/files" && bash -c '
        . /usr/share/bash-completion/bash_completion
        . "$0"
        COMP_WORDS=(curvana-cli "$@"); COMP_CWORD=$#; COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}
        _curvana_cli curvana-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "' \
        "$root/usr/share/bash-completion/completions/curvana-cli" "$@")
}
while IFS='|' read -r words expected; do
    # shellcheck disable=SC2086
    found=$(eval completion $words)
    [ "$found" = "$expected" ] || fail "curvana-cli $words<TAB> gives '$found', not '$expected'"
done <<'EOF'
''|--help --version calibrate convert decode deconvert export listing new resave trace
de|decode deconvert
new ''|chart.png folder paper.pdf scan.TIF
new chart.png ''|folder plot.cvn
new chart.png plot.cvn --|--dpi --page
decode --page 2 chart.png ''|folder
export plot.cvn --format ''|csv tab txt xls
export plot.cvn --|--digits --format --method
export plot.cvn --method ''|bilinear perspective
calibrate plot.cvn --corners 1 2 3 4 5 6 7 8 ''|folder plot.cvn
trace plot.cvn 10 20 --symbols ''|folder plot.cvn
trace plot.cvn --|--gap --step --symbols --tolerance
listing ''|folder plot.cvn
convert ''|folder plot.cvn
--version ''|
EOF

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "the installed tree is complete and valid"
