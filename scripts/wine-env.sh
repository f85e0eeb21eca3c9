# Sourced: a throwaway Wine prefix in which code page 932 is the ANSI code page.
# start_wine_prefix makes it and keeps its server running; stop_wine_prefix removes it.

export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

start_wine_prefix() {
    WINEPREFIX="$(mktemp -d /tmp/brenwick-wine.XXXXXX)"
    export WINEPREFIX
    wineboot --init </dev/null >/dev/null 2>&1
    # A persistent server saves seconds on every program start.
    setsid wineserver --persistent </dev/null >/dev/null 2>&1 &
}

stop_wine_prefix() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver --kill >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
        unset WINEPREFIX
    fi
}

# A display for windows: the caller's, or a fresh Xvfb. Start it before the prefix.
start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        local number=90
        while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
            number=$((number + 1))
        done
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$number"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$number" ] && break
            sleep 0.1
        done
    fi
}

# Wine draws the window frames itself, so that windows have captions without a window manager.
set_unmanaged_windows() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

stop_display() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        unset DISPLAY XVFB_PID
    fi
}
