# Sourced by the install scripts: installs Debian packages by the names the running release
# gives them. A package written "new-name|old-name" is the first of those names the release's
# archive offers (libclang-rt-dev on Debian 13, libclang-rt-14-dev on Debian 12; a library
# renamed by the 64-bit time transition), so one list serves every release.
#
#   source scripts/apt-packages.sh
#   warn_unknown_release install-deps
#   install_packages g++ "libfltk1.4-dev|libfltk1.3-dev" ...

apt_sudo=""
[ "$(id -u)" -eq 0 ] || apt_sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_lists_updated=""

# The releases these scripts were written and tested for; others are tried all the same.
known_releases="bookworm trixie"

release_codename() {
  (. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-unknown}")
}

warn_unknown_release() {
  local release
  release=$(release_codename)
  case " $known_releases " in
  *" $release "*) ;;
  *)
    echo "$1: Debian release '$release' is not one these scripts know ($known_releases);" \
      "trying the same packages under the names its archive offers" >&2
    ;;
  esac
}

apt_update_once() {
  [ -n "$apt_lists_updated" ] && return 0
  $apt_sudo apt-get update -qq
  apt_lists_updated=yes
}

# After a change to the sources (a new architecture), the next install reads the lists again.
forget_package_lists() {
  apt_lists_updated=""
}

is_installed() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

declare -A apt_offered=()

# Notes which of the names have an installation candidate, in one look at the package lists.
read_offers() {
  local line name=""
  apt_offered=()
  while IFS= read -r line; do
    case "$line" in
    [!\ ]*:) name=${line%:} ;;
    *"Candidate: ("*) ;;
    *"Candidate: "*) apt_offered[$name]=1 ;;
    esac
  done < <(apt-cache policy "$@" 2>/dev/null)
}

# The first name of "a|b|c" that the archive offers, or nothing.
offered_name() {
  local name
  for name in ${1//|/ }; do
    if [ -n "${apt_offered[$name]:-}" ]; then
      echo "$name"
      return 0
    fi
  done
  return 1
}

# The name to install for one entry: a plain name as it is; of alternatives the first the
# archive offers.
chosen_name() {
  local entry=$1
  if [ "$entry" = "${entry//|/}" ]; then
    echo "$entry"
  elif ! offered_name "$entry"; then
    echo "apt-packages: none of $entry is offered by this release's archive" >&2
    return 1
  fi
}

# install_packages ENTRY...: installs what is not installed yet, in one apt-get call. The
# package lists are read again first when they offer none of an entry's names (a fresh
# machine has no lists yet).
install_packages() {
  local missing=() alternatives=() entry name
  for entry in "$@"; do
    [ "$entry" = "${entry//|/}" ] || alternatives+=(${entry//|/ })
  done
  if [ ${#alternatives[@]} -gt 0 ]; then
    read_offers "${alternatives[@]}"
    for entry in "$@"; do
      [ "$entry" = "${entry//|/}" ] || offered_name "$entry" >/dev/null || {
        apt_update_once
        read_offers "${alternatives[@]}"
        break
      }
    done
  fi
  for entry in "$@"; do
    name=$(chosen_name "$entry") || return 1
    is_installed "$name" || missing+=("$name")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  apt_update_once
  $apt_sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
