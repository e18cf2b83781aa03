#!/usr/bin/env bash
# Runs a Windows test program under the project's Wine with another ALSA configuration:
#   run-with-alsa-config.sh CONFIG PROGRAM [ARGS...]
# (scripts/wine-exec always sets the capturing configuration.)
set -u
config=$1
shift
repo=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/wine-env
. "$repo/scripts/wine-env"
if [ -f "$CORVANE_WINE_DIR/env.sh" ]; then
  # shellcheck disable=SC1091
  . "$CORVANE_WINE_DIR/env.sh"
else
  wine_env_start >/dev/null || exit 1
fi
export ALSA_CONFIG_PATH=$config
wine_env_forget_playlist
exec "$CORVANE_WINE_LOADER" "$@"
