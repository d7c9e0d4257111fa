#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tappolog
exec build/default/tappolog
