#!/usr/bin/env bash
# The layering check: includes run one way, shells (windows/, linux/, headless/, web/) -> gl/ ->
# core/ -> audio/ -> base/ (resources/ and tools/ on base/ alone), a shell never includes another,
# no platform header sits below the shells, and GL only in gl/ and the shells. Prints each include
# that breaks a rule, and fails; prints nothing when every include keeps them.
#   check_layering.sh SOURCE_DIR
set -euo pipefail
root=${1:?source directory}

declare -A allowed=(
  [base]="base"
  [audio]="audio base"
  [core]="core audio base"
  [gl]="gl core audio base"
  [resources]="resources base"
  [tools]="tools base"
)
for shell in windows linux headless web; do
  allowed[$shell]="$shell gl core audio base resources"
done
# The window systems', sound systems' and offscreen GL's headers.
platform='^(windows\.h|winsock.*|mmsystem\.h|dsound\.h|X11/.*|GL/glx.*|GL/osmesa\.h|pulse/.*|emscripten.*)$'

broken=0
report() {
  echo "$1: $2"
  broken=$((broken + 1))
}
for folder in "${!allowed[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r found; do
    where=${found%%:[[:space:]#]*}          # file:line
    where=${where#"$root"/}
    text=${found#*:*:}
    if [[ $text =~ \"([^\"]+)\" ]]; then
      header=${BASH_REMATCH[1]}
      [[ $header == */* ]] || continue  # beside the including file
      top=${header%%/*}
      if [[ " ${allowed[$folder]} " != *" $top "* ]]; then
        report "$where" "$folder/ includes \"$header\": $folder/ may include only ${allowed[$folder]// //, }/"
      fi
    elif [[ $text =~ \<([^\>]+)\> ]]; then
      header=${BASH_REMATCH[1]}
      case $folder in
        base | audio | core | resources | tools)
          if [[ $header =~ $platform || $header == GL/* ]]; then
            report "$where" "$folder/ includes <$header>: no platform header and no GL below the shells"
          fi
          ;;
        gl)
          if [[ $header =~ $platform ]]; then
            report "$where" "gl/ includes <$header>: gl/ takes GL 1.1 alone, no window system"
          fi
          ;;
      esac
    fi
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.c' --include='*.in' \
             '^[[:space:]]*#[[:space:]]*include' "$root/$folder" || true)
done
if [ "$broken" -ne 0 ]; then
  echo "$broken include(s) break the layering"
  exit 1
fi
