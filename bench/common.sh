# SPDX-License-Identifier: MIT
# Shared by the comparison scripts: sourced, not run.

# Installs whichever of the named commands is missing ("time" stands for GNU time).
bench_need() {
  local need=() cmd
  for cmd in "$@"; do
    if [[ $cmd == time ]]; then
      [[ -x /usr/bin/time ]] || need+=(time)
    else
      command -v "$cmd" >/dev/null || need+=("$cmd")
    fi
  done
  ((${#need[@]})) || return 0
  echo "installing ${need[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; }
}

# Prints "WALL_S PEAK_KB" for the command; its reports go to the folder $work.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; return 1; }
  cat "$work/time"
}
