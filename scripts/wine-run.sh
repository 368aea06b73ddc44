#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's environment
# (code page 932, no debug output, the build's own prefix).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
cataloom_wine_prefix
exec wine "$@"
