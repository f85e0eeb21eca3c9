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
    wineserver --kill >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
