#!/usr/bin/env bash
# The two set-up commands of a bare Debian 12 (git and the clone, nothing
# else, not even make): installs what is missing through apt, with sudo when
# not root, builds, then starts the program or runs every test.
#   bash scripts/setup.sh run     build, start the program
#   bash scripts/setup.sh test    build, run every test (headless)
# Further arguments go to make, e.g. `bash scripts/setup.sh run ARGS=--simulate`.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  run | test) ;;
  *)
    echo "usage: bash scripts/setup.sh run|test [make variables]" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -ne 0 ] && ! command -v sudo > /dev/null; then
  echo "scripts/setup.sh: installing packages needs root, or sudo for this user" >&2
  exit 1
fi
bash scripts/install-deps.sh # make among the rest
exec make "$@"
