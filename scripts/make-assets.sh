#!/usr/bin/env bash
# Redraws the packaged pictures, sounds and holiday table into assets/.
# Only needed after changing tools/assets/make_assets.py; the build uses the committed files.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for p in python3-pil python3-numpy fonts-ipafont-mincho fonts-dejavu-core; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
/usr/bin/python3 tools/assets/make_assets.py assets
echo "assets/ redrawn; look at them before committing"
