#!/usr/bin/env bash
# Checks the payload resources of build/win32/InstDll.dll and build/win64/InstDll.dll (or of the
# build folders given as arguments): 21 "RESFILE" resources, language 2052, equal to their files.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
builds=("$@"); [ ${#builds[@]} -gt 0 ] || builds=("$top/build/win32" "$top/build/win64")
args=()
for b in "${builds[@]}"; do args+=("$b/InstDll.dll" "$b/payload/payload.rc"); done
exec python3 "$top/tests/payload/check_payload_resources.py" "${args[@]}"
