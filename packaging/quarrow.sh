#!/bin/sh
# Starts Quarrow from the player's own folder.
#
# The game reads and writes everything under Resources/ relative to where it
# runs, so each player gets ${XDG_DATA_HOME:-$HOME/.local/share}/quarrow with
#   Resources/Data    the settings, the save and the levels (a real folder)
#   Resources/Assets  a link to the pictures and the font of the installed game
# The installed files are found from this script's own place (<prefix>/games),
# so an unpacked or moved tree works as well as one under /usr. Nothing of the
# player's is ever removed or rewritten here: an upgrade keeps Data as it is.
set -u

die() {
    printf 'quarrow: %s\n' "$*" >&2
    exit 1
}

# How a step that said nothing ended: killed by a signal or with a status.
ended() {
    if [ "$1" -gt 128 ]; then
        printf 'stopped by signal %d' $(($1 - 128))
    else
        printf 'failed with status %d' "$1"
    fi
}

# The cause a failed step gave (what its message says after its last ": "),
# or, when it gave none (it was killed, say), how it ended.
cause() {
    if [ -n "${1##*: }" ]; then
        printf '%s' "${1##*: }"
    else
        ended "$2"
    fi
}

# Anything but a folder (a file, a link leading nowhere) where a folder of
# ours belongs is in the way: said so, and left as it is.
in_the_way() {
    if { [ -e "$1" ] || [ -L "$1" ]; } && [ ! -d "$1" ]; then
        die "$1 is in the way: it should be a folder"
    fi
}

# Removes what a start left behind, quietly: where it cannot, the step that
# needs the place says why, in the launcher's one line.
discard() {
    rm -rf -- "$@" 2>/dev/null
}

# Runs a command quietly; if it fails, its own message (without the command's
# name) becomes ours.
try() {
    # (The braces take the shell's own "Killed" line away, when the command is.)
    { message=$("$@" 2>&1); } 2>/dev/null && return 0
    status=$?
    message=$(printf '%s\n' "$message" | sed -n '1s/^[^:]*: //p')
    die "${message:-$1 $(ended "$status")}"
}

self=$(readlink -f -- "$0") || die "cannot find where the game is installed"
prefix=${self%/*}
prefix=${prefix%/*}
game=$prefix/lib/games/quarrow/quarrow
assets=$prefix/share/games/quarrow/Assets
[ -d "$assets" ] || die "the game's pictures are missing: $assets is not a folder"
[ -x "$game" ] || die "the game is missing: $game is not a program"

# A relative XDG_DATA_HOME would depend on the folder the game was started from,
# so it is ignored, as the XDG base directory rules say.
case ${XDG_DATA_HOME:-} in
/*) data_home=$XDG_DATA_HOME ;;
*)
    [ -n "${HOME:-}" ] ||
        die "HOME is not set, so there is no place for your files (set HOME or XDG_DATA_HOME)"
    case $HOME in
    /*) data_home=$HOME/.local/share ;;
    *) die "HOME ($HOME) is not an absolute path, so there is no place for your files" ;;
    esac
    ;;
esac
root=$data_home/quarrow
resources=$root/Resources

# Folders made here are the player's alone (mode 0700), as the XDG base
# directory rules ask; folders that already exist keep their modes. The game
# itself runs with the player's own umask.
player_umask=$(umask)
umask 077

# A start killed while it set things up leaves its half-made folder or link
# under a name with its process number: those of processes that are gone are
# removed (those of a start still running are left to it).
for leftover in "$root"/.Resources.* "$resources"/.Assets.*; do
    pid=${leftover##*.}
    case $pid in
    '' | *[!0-9]*) continue ;;
    esac
    if [ -e "$leftover" ] || [ -L "$leftover" ]; then
        [ -e "/proc/$pid" ] || discard "$leftover"
    fi
done

# Any number of starts may run this at the same moment: every step either
# accepts what another start made or replaces it in one rename, so all of them
# go on to the game and none leaves anything half-made.
if [ ! -e "$resources" ] && [ ! -L "$resources" ]; then
    # First start: the folder is built under a temporary name and renamed into
    # place, so a failure never leaves half of it behind.
    made_root=
    [ -d "$root" ] || made_root=1
    in_the_way "$root"
    try mkdir -p -- "$root"
    build=$root/.Resources.$$
    discard "$build" # left by a killed start that had this process number
    { message=$( (mkdir -- "$build" && mkdir -- "$build/Data" &&
        ln -s -- "$assets" "$build/Assets" && mv -T -- "$build" "$resources") 2>&1); } 2>/dev/null || {
        status=$?
        discard "$build"
        # Another start may have won the race; its folder is as good as ours.
        if [ ! -d "$resources" ]; then
            [ -z "$made_root" ] || rmdir -- "$root" 2>/dev/null
            die "cannot set up $resources: $(cause "$message" "$status")"
        fi
    }
fi

in_the_way "$resources"
in_the_way "$resources/Data"
try mkdir -p -- "$resources/Data"

# The link follows the installed game: after a move or a reinstall elsewhere it
# is pointed at the new place, by a rename over the old one. A real Assets
# folder is the player's own copy.
if [ -L "$resources/Assets" ] || [ ! -e "$resources/Assets" ]; then
    if [ "$(readlink -- "$resources/Assets")" != "$assets" ]; then
        link=$resources/.Assets.$$
        discard "$link"
        try ln -s -- "$assets" "$link"
        { message=$(mv -T -- "$link" "$resources/Assets" 2>&1); } 2>/dev/null || {
            status=$?
            discard "$link"
            die "cannot link $resources/Assets: $(cause "$message" "$status")"
        }
    fi
else
    in_the_way "$resources/Assets"
fi

umask "$player_umask"
cd -- "$root" 2>/dev/null || die "cannot enter $root"
exec "$game" "$@"
