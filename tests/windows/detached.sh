# shellcheck shell=bash
# Sourced by the windows tests' scripts.
#
# detached LOG COMMAND...: runs COMMAND with no descriptor of ours but LOG.
# Wine's daemons, which a Wine start may launch and which outlive it, must not
# hold ctest's pipes, or ctest waits for them.
detached() {
  local log=$1
  shift
  (
    for fd in /proc/self/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
    done
    exec "$@"
  ) </dev/null >>"$log" 2>&1
}
