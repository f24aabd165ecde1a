# Sourced by the tool scripts: ensure_packages PKG... installs the Debian
# packages that are missing when run as root, and otherwise names them. A
# package of another architecture (wine32:i386) brings that architecture in.
ensure_packages() {
  local missing=() arches=()
  local pkg arch
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  for pkg in "${missing[@]}"; do
    arch=${pkg#*:}
    [ "$arch" = "$pkg" ] || [ "$arch" = "$(dpkg --print-architecture)" ] ||
      dpkg --print-foreign-architectures | grep -qx "$arch" || arches+=("$arch")
  done
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    for arch in "${arches[@]}"; do echo "First: sudo dpkg --add-architecture $arch" >&2; done
    echo "Install them with: sudo apt-get update && sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  for arch in "${arches[@]}"; do dpkg --add-architecture "$arch"; done
  echo "Installing ${missing[*]} ..."
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}
