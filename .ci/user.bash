# Sourced by .ci/run and, inside each release's root, by .ci/release: the
# README's test command runs as an ordinary user, as a developer runs it.
# That user (ci_user) has passwordless sudo, as a developer's machine has,
# for the tests that need root (private mounts, a second uid) and for the
# package installs; it works in a fresh clone of this checkout in its own
# home, so every file of the build is its own.
ci_user=vornakka-ci

# Makes the user and its sudoers file, and installs sudo, when missing (needs root).
ci_make_user() {
  # A minimal Debian machine may come without sudo (a fresh root has it: .ci/release asks for it).
  if ! command -v sudo >/dev/null; then
    # (A fresh machine may have no package lists yet.)
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
      sudo >/dev/null
  fi
  if ! id -u "$ci_user" >/dev/null 2>&1; then
    useradd --create-home --shell /bin/bash "$ci_user"
  fi
  local sudoers=/etc/sudoers.d/$ci_user
  if [[ ! -e $sudoers ]]; then
    echo "$ci_user ALL=(ALL:ALL) NOPASSWD: ALL" >"$sudoers.new"
    chmod 0440 "$sudoers.new"
    mv "$sudoers.new" "$sudoers"
  fi
}

# Clones the checkout $1 (its last commit) into the user's home, afresh, and
# prints the clone's path.
ci_clone_for_user() {
  local home
  home=$(getent passwd "$ci_user" | cut -d: -f6)
  rm -rf --one-file-system "$home/vornakka"
  git clone --quiet "$1" "$home/vornakka"
  chown -R "$ci_user:" "$home/vornakka"
  echo "$home/vornakka"
}

# Runs a command as the user in folder $1, with the plain environment and PATH of a Debian login
# (CI=true: a test that cannot run fails instead of skipping).
ci_as_user() {
  local dir=$1 home
  shift
  home=$(getent passwd "$ci_user" | cut -d: -f6)
  runuser -u "$ci_user" -- env -i HOME="$home" USER="$ci_user" LOGNAME="$ci_user" \
    LANG=C.UTF-8 CI="${CI:-true}" PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games \
    bash -c 'cd "$0" && exec "$@"' "$dir" "$@"
}
