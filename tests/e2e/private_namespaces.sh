# shellcheck shell=bash
# Sourced by the end-to-end runs and the Wine test before they start their run: port 3306, the
# settings folder and the host name must be the run's own, and every process of it must end with
# it, even when ctest's timeout kills the script.
#
# run_inside_private_namespaces TAG WHEN-REFUSED SCRIPT ARGUMENTS...
#   runs "SCRIPT --inside ARGUMENTS..." in new network, mount, UTS and PID namespaces (with a user
#   namespace standing in where the machine allows only that: not root, a restricted container),
#   and never returns. Where it allows neither, it says so under TAG and exits WHEN-REFUSED: 77
#   for a test that counts as skipped there, 1 for one that must run.
run_inside_private_namespaces() {
  local tag=$1 refused=$2 script=$3
  shift 3
  local namespaces=(--net --mount --uts --pid --fork --mount-proc) userns=()
  if ! unshare "${namespaces[@]}" true 2> /dev/null; then
    if ! unshare --user --map-root-user "${namespaces[@]}" true 2> /dev/null; then
      local why="this machine does not allow private namespaces (needs root or user namespaces)"
      if [ "$refused" = 77 ]; then echo "$tag: SKIPPED: $why"; else echo "$tag: $why" >&2; fi
      exit "$refused"
    fi
    userns=(--user --map-root-user)
  fi
  exec unshare "${userns[@]}" "${namespaces[@]}" --kill-child "$script" --inside "$@"
}
