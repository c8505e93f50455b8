# shellcheck shell=bash
# Whether Wine runs 32-bit programs on this host, found by running one:
# Wine's 32-bit loader (the program that wine64 hands a 32-bit program to),
# asked for its version. That the file is there says nothing: on a host
# whose kernel has IA-32 emulation off, Debian's wine32:i386 installs fine
# and its loader ends with "Exec format error". Sourced by scripts/setup,
# scripts/test and the demos, never run:
#
#   . "$(dirname "$0")/lib/wine32.sh"
#   if wine32_probe; then ...; else echo "$wine32_why"; fi
#
# wine32_probe returns 0 when the loader runs. Otherwise it returns 1 and
# sets wine32_why, one line that says why not: the host runs no 32-bit
# programs at all, or Wine's 32-bit part is missing or broken.
# VEXA_FORCE_NO_I386=1 makes it fail as on a host that runs none, to try
# that path on a host that runs them. The loader is the one
# beside VEXA_WINE (default /usr/lib/wine/wine64).

wine32_probe() {
    local loader output status=0
    loader=$(dirname "${VEXA_WINE:-/usr/lib/wine/wine64}")/wine
    wine32_why=""
    if [ "${VEXA_FORCE_NO_I386:-0}" = 1 ]; then
        wine32_why="this host runs no 32-bit programs (as VEXA_FORCE_NO_I386=1 has it; $loader not tried)"
        return 1
    fi
    if [ ! -e "$loader" ]; then
        wine32_why="Wine's 32-bit part is missing: no $loader (scripts/setup installs Debian's wine32:i386)"
        return 1
    fi
    output=$("$loader" --version 2>&1 </dev/null) || status=$?
    [ "$status" = 0 ] && return 0
    output=$(printf '%s\n' "$output" | grep -v '^$' | tail -1)
    if [ "$status" = 126 ] && grep -q 'Exec format error' <<<"$output"; then
        wine32_why="this host runs no 32-bit programs: ${output#*: line *: }"
    else
        wine32_why="Wine's 32-bit loader does not run (exit status $status: $output)"
    fi
    return 1
}
