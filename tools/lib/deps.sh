# Sourceable: installs the Debian packages the build and the tests need, only those missing,
# so that a fresh CI machine and a developer's machine run the same commands.

TOLVARE_DEPS=(
  cmake make g++ clang clang-format libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64 wine wine64
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-wine
  locales zip
)

# tolvare_install_deps [PACKAGE...]: defaults to every package above.
tolvare_install_deps() {
  local pkgs=("$@") missing=() p
  [ ${#pkgs[@]} -gt 0 ] || pkgs=("${TOLVARE_DEPS[@]}")
  for p in "${pkgs[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "deps: installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if [ -z "${_TOLVARE_APT_UPDATED:-}" ]; then
    $sudo apt-get update -q >&2 || return 1
    _TOLVARE_APT_UPDATED=1
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" >&2 || return 1
}
