#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs what was installed
# there: the command-line tool with the installed catalogue, and the program
# (offscreen) finding its catalogue, help file, passport template and
# programmer library in the prefix and keeping its settings in the user's
# folder, never beside itself.
set -uo pipefail
build=$1
source_dir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

out=$(cmake --install "$build" --prefix "$prefix" 2>&1) || fail "cmake --install: $out"

lib=$(find "$prefix" -name libSerlink.so -path '*/tralcon/*')
[ -n "$lib" ] || fail "libSerlink.so not installed in a tralcon library folder"
[ -e "$(dirname "$lib")/libtralcon_viewer.so" ] || fail "the viewer library is not beside libSerlink.so"
for f in bin/tralcon bin/tralcon-cli bin/nvt-controller-sim \
         share/tralcon/NVT-3.cfg share/tralcon/NVT-3.chm share/tralcon/examples/Sample.NVT \
         share/applications/tralcon.desktop share/mime/packages/tralcon-nvt.xml \
         share/icons/hicolor/scalable/apps/tralcon.svg share/icons/hicolor/48x48/apps/tralcon.png \
         share/icons/hicolor/256x256/apps/tralcon.png; do
    [ -e "$prefix/$f" ] || fail "$f not installed"
done
[ -e "$prefix/bin/NVT-3.cfg" ] && fail "the catalogue is installed beside the program, not in share"
for size in 16 48 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/tralcon.png
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
done
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/tralcon.desktop" 2>&1) ||
        fail "desktop entry: $out"
fi

# The command-line tool reads the installed catalogue.
out=$("$prefix/bin/tralcon-cli" models 2>&1) || fail "tralcon-cli models: $out"
grep -q "НВТ-3" <<<"$out" || fail "tralcon-cli models printed: $out"

# Where the installed program finds its files.
out=$("$prefix/bin/tralcon" --paths 2>&1) || fail "tralcon --paths: $out"
expect() { grep -qxF "$1" <<<"$out" || fail "expected \"$1\" in: $out"; }
expect "Каталог моделей: $prefix/share/tralcon/NVT-3.cfg"
expect "Справка: $prefix/share/tralcon/NVT-3.chm"
expect "Программатор: $lib"
expect "Настройки: $XDG_CONFIG_HOME/tralcon/NVT-3.ini (будет создан)"
if [ -d "$source_dir/data/HtmlHelp.template" ]; then
    expect "Шаблон паспорта: $prefix/share/tralcon/HtmlHelp.template"
fi

# The installed tool builds the passport from the installed template and
# prints it through the installed viewer library.
out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/tralcon-cli" passport \
      "$prefix/share/tralcon/examples/Sample.NVT" -o "$work/passport.chm" --pdf "$work/passport.pdf" 2>&1) ||
    fail "tralcon-cli passport: $out"
[ -s "$work/passport.chm" ] && [ "$(head -c 4 "$work/passport.pdf")" = "%PDF" ] ||
    fail "no passport from the installed program: $out"

# The program starts on the installed sample and shows its window.
shot=$work/window.png
out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/tralcon" --screenshot "$shot" \
      "$prefix/share/tralcon/examples/Sample.NVT" 2>&1) || fail "tralcon exited $?: $out"
[ -s "$shot" ] || fail "no picture of the window: $out"
[ -e "$prefix/bin/NVT-3.ini" ] && fail "the installed program wrote NVT-3.ini beside itself"
[ -e "$XDG_DATA_HOME/applications/tralcon.desktop" ] &&
    fail "the installed program registered itself in the user's folder as well"
echo ok
