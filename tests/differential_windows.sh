#!/usr/bin/env bash
# The Windows and the Linux programs on the same inputs leave the same
# bytes: every code of the tables converted, single and list edits of the
# table (fenra and Morvel), a mixed 10 MB text converted in place and to a
# target. Each program runs in a folder of its own holding the tables; the
# files they leave, their exit codes and fenra's standard output and error
# (pipes) are compared byte for byte. Words are typed in UTF-8, which the
# Linux programs convert themselves and Wine hands the Windows programs as
# UTF-16.
# differential_windows.sh <linux bin folder> <windows bin folder> <data folder> <tests folder>
set -euo pipefail
linux="$1" windows="$2" data="$3" tests="$4"
export WINEDEBUG=-all LC_ALL=C.UTF-8
work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-differential.XXXXXX")"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT

mkdir "$work/inputs"
(cd "$work/inputs" && node "$tests/differential_inputs.js" "$data/MS932~EUC-JP.bin" 10)
printf '\xE2\x91\xA0\xEF\xBC\x91\n\xEF\xBE\x85N\n\x87\x41\x82\x52\n\x81\x60\x81\x5F\n' >"$work/inputs/bars.txt"

# run <side> <log name> <program> <words...>: one run in the side's folder,
# with what it wrote to its standard output and error and its exit code.
run() {
  local side="$1" name="$2" program="$3"
  shift 3
  local code=0
  if [ "$side" = windows ]; then
    (cd "$work/$side" && PATH=/usr/bin:/bin wine "$windows/$program.exe" "$@" >"../$side-logs/$name.out" 2>"../$side-logs/$name.err") || code=$?
  else
    (cd "$work/$side" && PATH= "$linux/$program" "$@" >"../$side-logs/$name.out" 2>"../$side-logs/$name.err") || code=$?
  fi
  echo "$code" >"$work/$side-logs/$name.code"
  cp "$work/$side/MS932~EUC-JP.bin" "$work/$side-logs/$name.table"  # the table after each run
}

for side in linux windows; do
  mkdir "$work/$side" "$work/$side-logs"
  cp "$data"/MS932~*.bin "$work/inputs/all.txt" "$work/inputs/bars.txt" "$work/$side/"
  cp "$work/inputs/mixed.txt" "$work/$side/in-place.txt"
  cp "$work/inputs/mixed.txt" "$work/$side/mixed.txt"
  run "$side" all Morvel -e1 -u -a all.txt all.euc -q
  run "$side" in-place Morvel -e1 -u -a in-place.txt -q
  cp "$work/$side/binary.tmp" "$work/$side/in-place.binary.tmp"
  run "$side" to-target Morvel -e1 -u -a mixed.txt mixed.euc -q
  run "$side" fenra-single fenra -s① -e１ -w
  run "$side" fenra-list fenra -f bars.txt -w
  run "$side" morvel-single Morvel -e1 -sＡ -g＃ -q
  run "$side" morvel-list Morvel -e1 -t bars.txt -w -q
  run "$side" morvel-refused Morvel -e1 -s😀 -g１ -q
  run "$side" fenra-refused fenra -s😀 -e１
done
wineserver -w 2>/dev/null || true

status=0
for file in $(cd "$work/linux" && ls) $(cd "$work/linux-logs" && ls | sed 's|^|../linux-logs/|'); do
  windows_file="$work/windows/${file/linux-logs/windows-logs}"
  if [[ "$file" == *.out || "$file" == *.err ]]; then
    # The Windows programs end their lines with CR LF in pipes and files.
    if [[ -s "$windows_file" ]] && LC_ALL=C grep -qav $'\r$' "$windows_file"; then
      echo "a line without CR LF: ${file/linux-logs/windows-logs}"
      status=1
    fi
    sed -i $'s/\r$//' "$windows_file"
  fi
  if ! cmp "$work/linux/$file" "$windows_file"; then
    echo "differs: $file"
    status=1
  fi
done
if [ "$(cd "$work/linux" && ls)" != "$(cd "$work/windows" && ls)" ]; then
  echo "the folders hold other files:"
  diff <(cd "$work/linux" && ls) <(cd "$work/windows" && ls) || true
  status=1
fi
echo "compared $(cd "$work/linux" && ls | wc -l) files and $(cd "$work/linux-logs" && ls | wc -l) outputs"
exit $status
