# shellcheck shell=bash
# What the demo scripts (scripts/demo-*) share: building the programs,
# the demo's Wine prefix, where the demo plays, waiting for windows and
# taking screenshots. Sourced by them, never run:
#
#   . "$(dirname "$0")/lib/demo.sh"
#
# A new demo scene is a script of its own that lays out its disc and plays
# it with these functions; it follows the others' shape:
#
#   [ "${VEXA_DEMO_SKIP_BUILD:-0}" = 1 ] || { demo_build "what" TARGET...; lay out the disc; }
#   demo_use_prefix "$demo_root/build/demo/<scene>/wineprefix-x11"
#   demo_choose_display "$0" ARGS...     (re-runs the script on Xvfb when there is no display)
#   demo_prepare_prefix
#   [demo_cdrom_drive IMAGE FOLDER]    (a disc image made by demo_make_image, as drive D:)
#   ... start a program, demo_wait_window, xdotool, demo_screenshot ...
#   demo_stop_wine
#
# Settings from the environment: VEXA_DEMO_ARCH (i686 or x86_64, the set of
# programs on the disc; by default the 32-bit one when Wine runs it;
# VEXA_FORCE_NO_I386=1 has the probe fail, as on a host that runs no
# 32-bit programs),
# VEXA_BUILD_DIR (the build tree, default build/<that set>), VEXA_JOBS
# (build jobs, default 2), VEXA_WINE and VEXA_WINESERVER (the Wine binaries).

demo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine=${VEXA_WINE:-/usr/lib/wine/wine64}
wineserver=${VEXA_WINESERVER:-/usr/lib/wine/wineserver}

. "$demo_root/scripts/lib/wine32.sh"

# The set of programs the demo's disc carries: the 32-bit one, as a real
# disc does, when Wine runs 32-bit programs (scripts/lib/wine32.sh runs
# one to see); the 64-bit one otherwise. VEXA_DEMO_ARCH=i686 or x86_64
# chooses. demo_arch_note is the line that says which and why.
if [ -n "${VEXA_DEMO_ARCH:-}" ]; then
    demo_arch=$VEXA_DEMO_ARCH
    case $demo_arch in
        i686) demo_arch_note="the disc carries the 32-bit programs (i686), as VEXA_DEMO_ARCH asks" ;;
        *) demo_arch_note="the disc carries the 64-bit programs ($demo_arch), as VEXA_DEMO_ARCH asks" ;;
    esac
elif wine32_probe; then
    demo_arch=i686
    demo_arch_note="the disc carries the 32-bit programs (i686), as a real disc does; Wine runs them under WOW64"
else
    demo_arch=x86_64
    demo_arch_note="the disc carries the 64-bit programs (x86_64): $wine32_why"
fi
# The build tree the demo's programs come from.
demo_build=${VEXA_BUILD_DIR:-$demo_root/build/$demo_arch}

# demo_build WHAT TARGET...: sets the machine up when something is missing,
# configures the build tree (with the tests, whose stand-in setup program
# the discs carry) and builds the targets; WHAT names them in the progress
# line, which also says which set of programs the disc carries.
demo_build() {
    local what=$1
    shift
    "$demo_root/scripts/setup"
    echo "== $demo_arch_note"
    echo "== build $what ($demo_build)"
    if [ ! -f "$demo_build/CMakeCache.txt" ] || grep -q '^VEXA_BUILD_TESTS:BOOL=OFF' "$demo_build/CMakeCache.txt"; then
        cmake -S "$demo_root" -B "$demo_build" -DCMAKE_TOOLCHAIN_FILE="$demo_root/cmake/mingw-$demo_arch.cmake" \
            -DVEXA_BUILD_TESTS=ON >/dev/null
    fi
    cmake --build "$demo_build" -j"${VEXA_JOBS:-2}" --target "$@" >/dev/null
}

# demo_use_prefix PREFIX: the Wine prefix the demo runs in, quiet. A prefix
# whose name ends in -x11 gets Wine's X11 driver (cmake/wine-prefix).
demo_use_prefix() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    # A stand-in setup program records its start only when a test asks.
    unset VEXA_SETUP_RECORD
}

# demo_choose_display SCRIPT ARGS...: where the demo plays. On the user's
# display ($DISPLAY set and reachable) it sets demo_unattended=0; without
# one it runs SCRIPT ARGS... again on a private Xvfb display (and does not
# return), where this call then sets demo_unattended=1.
demo_choose_display() {
    if [ "${VEXA_DEMO_XVFB:-0}" = 1 ]; then
        demo_unattended=1
    elif [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
        demo_unattended=0
    else
        # The same set of programs as the build just made, without asking again.
        VEXA_DEMO_ARCH=$demo_arch VEXA_DEMO_XVFB=1 VEXA_DEMO_SKIP_BUILD=1 \
            exec "$demo_root/cmake/with-xvfb" "$WINEPREFIX" "$@"
    fi
}

# demo_prepare_prefix: creates the prefix on first use and readies it for
# a bare display and Chinese texts.
demo_prepare_prefix() {
    "$demo_root/cmake/wine-prefix" "$WINEPREFIX" ensure
    # No window manager on a private display: Wine draws the title bars
    # itself. The Chinese captions and texts need a font with the glyphs:
    # Wine's system and dialog fonts fall back to AR PL UMing.
    local settings
    settings=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        local face
        for face in "System" "MS Sans Serif" "MS Shell Dlg" "Tahoma" "Microsoft Sans Serif"; do
            printf '"%s"="AR PL UMing TW"\r\n' "$face"
        done
    } >"$settings"
    "$wine" reg import "$(demo_windows_path "$settings")" >/dev/null 2>&1 || true
    rm -f "$settings"
    # The caption bars' buttons that Wine draws need its Marlett font.
    # Without Debian's fonts-wine installed, the prefix gets that one font
    # from the package's archive.
    local marlett=$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf
    if [ ! -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$marlett" ]; then
        local deb
        deb=$(mktemp -d)
        if (cd "$deb" && apt-get download -qq fonts-wine >/dev/null 2>&1); then
            dpkg-deb -x "$deb"/fonts-wine_*.deb "$deb/x" && cp "$deb/x/usr/share/wine/fonts/marlett.ttf" "$marlett" || true
        fi
        rm -rf "$deb"
    fi
}

# demo_make_image DISC IMAGE: the disc image of the folder DISC, made by
# scripts/make-disc (the disc checker first, then the image, read back).
demo_make_image() {
    echo "== the disc image $2"
    VEXA_MAKE_DISC_SKIP_BUILD=1 VEXA_BUILD_DIR=$demo_build "$demo_root/scripts/make-disc" "$1" "$2"
}

# demo_cdrom_drive IMAGE FOLDER: the disc in a CD-ROM drive, as a user puts
# it in: the files of the disc image IMAGE, read-only, in FOLDER, which the
# prefix sees as drive D: of type CD-ROM (cmake/wine-prefix cdrom). Stops
# the prefix's programs.
demo_cdrom_drive() {
    "$demo_root/cmake/wine-prefix" "$WINEPREFIX" cdrom D "$1" "$2"
    echo "== drive D: is a CD-ROM drive with the files of $(basename "$1"), read-only"
}

# demo_windows_path FILE: the Windows path of a Unix file (Wine's Z: drive).
demo_windows_path() {
    printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"
}

# demo_locale_of CODEPAGE: the locale that gives Wine that ANSI code page.
demo_locale_of() {
    case "$1" in
        950) echo zh_TW.UTF-8 ;;
        936) echo zh_CN.UTF-8 ;;
        1252) echo en_US.UTF-8 ;;
        *) echo "code page $1 is not one of 950, 936, 1252" >&2; return 1 ;;
    esac
}

# demo_wait_window PATTERN [WHAT]: waits up to 30 s for a visible window
# whose title matches PATTERN (a regular expression) and prints its id, the
# topmost when several match. Fails saying "WHAT did not come up" (by
# default the pattern) when none does.
demo_wait_window() {
    local id=""
    for _ in $(seq 1 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "${2:-no window \"$1\"} did not come up" >&2
    return 1
}

# demo_wait_gone PID SECONDS: waits for process PID to end; false when it
# is still running after SECONDS.
demo_wait_gone() {
    local pid=$1 tenths=$(($2 * 10))
    while kill -0 "$pid" 2>/dev/null; do
        [ "$tenths" -gt 0 ] || return 1
        tenths=$((tenths - 1))
        sleep 0.1
    done
    wait "$pid" 2>/dev/null || true
}

# demo_screenshot [--window ID | --cut-to ID] FILE [LABEL]: saves the
# screen (by default), the window ID alone, or the screen cut to the window
# ID's place (windows above it, such as a tooltip, included), and prints
# "LABEL: FILE" (LABEL is "screenshot" by default).
demo_screenshot() {
    local source=(-window root)
    case "$1" in
        --window) source=(-window "$2"); shift 2 ;;
        --cut-to)
            local X Y WIDTH HEIGHT SCREEN WINDOW
            eval "$(xdotool getwindowgeometry --shell "$2")"
            source=(-window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage)
            shift 2
            ;;
    esac
    import "${source[@]}" "$1"
    echo "${2:-screenshot}: $1"
}

# demo_stop_wine: ends every program of the prefix and waits for its server.
demo_stop_wine() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
}
