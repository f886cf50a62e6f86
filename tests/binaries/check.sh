#!/usr/bin/env bash
# Inspects the Windows binaries of both flavours: machine type, the engine's export names and
# calling conventions, and that every module imports system DLLs only.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
fails=0; checks=0
check() {  # description, condition-exit-status
  checks=$((checks+1))
  if [ "$2" -eq 0 ]; then echo "ok   $1"; else echo "FAIL $1"; fails=$((fails+1)); fi
}

engine_exports="Foo InstTavrel Is64Process IsNeedRestart ReBoot RegSearch Tv4GetVersion Tv4IsHaveInstall Tv4ParseCmdLine Tv4Setup WinGetVersion"
# Windows always takes these from the system directory; a planted copy beside the program is never used.
exe_imports_allowed="ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL"
# The engine is loaded with the altered search path, so its own imports resolve from the system directory too.
dll_imports_allowed="$exe_imports_allowed SETUPAPI.DLL SHLWAPI.DLL"

exports_of() {  # the names in the export name table, sorted
  "$1" -p "$2" | awk '/^\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[[:space:]]*\[/{print $NF;next} t&&!/^[[:space:]]*\[/{t=0}' | sort | tr '\n' ' ' | sed 's/ $//'
}
imports_of() {
  "$1" -p "$2" | awk '/DLL Name:/{print toupper($3)}' | sort -u
}

for flavour in win32 win64; do
  case $flavour in
    win32) objdump=i686-w64-mingw32-objdump; format=pei-i386 ;;
    win64) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64 ;;
  esac
  dir="$top/build/$flavour"
  for f in Installer.exe InstDll.dll; do
    [ -f "$dir/$f" ]; check "$flavour/$f exists" $?
    [ -f "$dir/$f" ] || continue
    "$objdump" -f "$dir/$f" | grep -q "file format $format"; check "$flavour/$f is $format" $?
    allowed=$exe_imports_allowed; [ "$f" = InstDll.dll ] && allowed=$dll_imports_allowed
    bad=""
    for imp in $(imports_of "$objdump" "$dir/$f"); do
      case " $allowed " in *" $imp "*) ;; *) bad="$bad $imp" ;; esac
    done
    [ -z "$bad" ]; check "$flavour/$f imports system DLLs only${bad:+ (unexpected:$bad)}" $?
  done
  if [ -f "$dir/InstDll.dll" ]; then
    got=$(exports_of "$objdump" "$dir/InstDll.dll")
    [ "$got" = "$engine_exports" ]; check "$flavour/InstDll.dll exports exactly: $engine_exports${got:+ (got: $got)}" $?
  fi
done

# The two standard-convention entries must pop their own arguments (ret 0xc and ret 0x14) in the
# 32-bit engine; the C-convention exports return with a plain ret.
dll32="$top/build/win32/InstDll.dll"
export_address() {  # dll, name -> absolute address of the export's code
  i686-w64-mingw32-objdump -p "$1" | awk -v n="$2" '
    /^ImageBase/ {base=$2}
    /^Export Address Table --/ {eat=1; next}
    /^\[Ordinal\/Name Pointer\] Table/ {eat=0; names=1; next}
    eat && /Export RVA/ {gsub(/[\[\]]/," "); split($0,f," "); rva[f[1]]=f[4]}
    names && /^[[:space:]]*\[/ {gsub(/[\[\]]/," "); split($0,f," "); if (f[2]==n) {printf "0x%s 0x%s\n", base, rva[f[1]]; exit}}'
}
if [ -f "$dll32" ]; then
  for pair in InstTavrel:0xc Foo:0x14 Tv4Setup:plain; do
    name=${pair%%:*}; want=${pair##*:}
    read -r base rva < <(export_address "$dll32" "$name")
    found=""
    if [ -n "${rva:-}" ]; then
      start=$(printf '0x%x' $((base + rva)))
      stop=$(printf '0x%x' $((base + rva + 512)))
      found=$(i686-w64-mingw32-objdump -d --start-address="$start" --stop-address="$stop" "$dll32" |
              grep -m1 -E '\sret' | sed -E 's/.*\sret\s*//; s/\s+$//')
      found=${found#\$}; [ -n "$found" ] || found=plain
      [ "$found" = "ret" ] && found=plain
    fi
    [ "$found" = "$want" ]; check "win32 $name returns with ret $want (found: ${found:-none})" $?
  done
fi

echo "binaries: $((checks-fails)) passed, $fails failed"
[ "$fails" -eq 0 ]
