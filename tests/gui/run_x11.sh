#!/bin/sh
# Runs a QTest program on a real X server (a private Xvfb, no window
# manager), where focus and activation behave as on a bare X display.
# Skipped (77) when no X server can be started here.
command -v xvfb-run >/dev/null 2>&1 || { echo "run_x11: no xvfb-run; skipped"; exit 77; }
xvfb-run -a -s "-screen 0 1280x900x24" true >/dev/null 2>&1 || { echo "run_x11: Xvfb does not start; skipped"; exit 77; }
QT_QPA_PLATFORM=xcb exec xvfb-run -a -s "-screen 0 1280x900x24" "$@"
