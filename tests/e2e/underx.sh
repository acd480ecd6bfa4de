#!/usr/bin/env bash
# Runs a test program on a private X display and a private session bus: `underx.sh PROGRAM ARGS`.
set -euo pipefail
source "$(dirname "$0")/../../tools/xvfb.sh"
begin_x_session || { echo "no X server"; exit 1; }
export QT_QPA_PLATFORM=xcb
dbus-run-session -- "$@"
