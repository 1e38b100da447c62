#!/usr/bin/env bash
# The program's command line as a user meets it, without any display: help
# and version print and exit 0, a wrong line says why and exits 2, and
# nothing tries to open a window.
set -uo pipefail
tralcon=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

out=$(timeout 20 "$tralcon" --help 2>&1); rc=$?
[ $rc -eq 0 ] || fail "--help exited $rc: $out"
grep -q "Использование:" <<<"$out" || fail "--help printed: $out"

out=$(timeout 20 "$tralcon" --version 2>&1); rc=$?
[ $rc -eq 0 ] || fail "--version exited $rc: $out"
grep -Eq '^tralcon [0-9]+\.[0-9]+\.[0-9]+$' <<<"$out" || fail "--version printed: $out"

out=$(timeout 20 "$tralcon" --no-such-option 2>&1 >/dev/null); rc=$?
[ $rc -eq 2 ] || fail "an unknown option exited $rc"
grep -q "неизвестный параметр --no-such-option" <<<"$out" || fail "unknown option said: $out"

out=$(timeout 20 "$tralcon" one.NVT two.NVT 2>&1); rc=$?
[ $rc -eq 2 ] || fail "two projects exited $rc: $out"

out=$(timeout 20 "$tralcon" --paths 2>&1); rc=$?
[ $rc -eq 0 ] || fail "--paths exited $rc: $out"
grep -q "^Каталог моделей: .*NVT-3.cfg$" <<<"$out" || fail "--paths printed: $out"
echo "ok"
