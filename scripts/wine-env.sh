# Sourced by the test, demo and bench scripts: a private Wine prefix on an Xvfb display of its
# own, with a virtual desktop and a warm wineserver, and the local download server.
#   wine_env_start PREFIX_DIR SERVER_DIR ASSET_DIR   exports DISPLAY, WINEPREFIX, WINE, ...
#   wine_env_stop                                    stops everything wine_env_start started

# Every Wine start goes through scripts/wine (see there); the processes Wine starts itself use the
# loader directly and inherit its fixed layout.
export WINE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine"
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=-all
# No Mono or Gecko install is attempted when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

_wine_env_pids=()

_free_display() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return
        fi
    done
    return 1
}

_free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wine_reg() {
    "$WINE" reg "$@" >/dev/null
}

wine_env_start_display() {
    local n
    n=$(_free_display)
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    _wine_env_pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "wine-env: Xvfb did not start on :$n" >&2
    return 1
}

# Without a virtual desktop every hidden or closed window costs seconds under bare Xvfb, and
# windows have no title bars.
_wine_env_set_desktop() {
    wine_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    wine_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
}

wine_env_start_prefix() {
    export WINEPREFIX="$1"
    # Debian's Wine names its server's folder (under TMPDIR) in the prefix. A prefix that another
    # user started, such as root's before run-tests handed the build to the test user, names a
    # folder this user may not use, and every Wine process would fail; a fresh one is made instead.
    local server_dir
    if [ -f "$WINEPREFIX/wineserver" ]; then
        server_dir="${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")"
        [ -O "$server_dir" ] || rm -f "$WINEPREFIX/wineserver"
    fi
    # A server left running in the prefix by a session that did not end cleanly keeps its desktop
    # on that session's display, and `wineserver -p` below would exit 2, silently, beside it.
    "$WINESERVER" -k 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1
        _wine_env_set_desktop
        # The desktop process reads its setting when it starts: let the one the set-up started end.
        "$WINESERVER" -w
    fi
    # A persistent server, warmed up before anything is timed or piped: otherwise processes that
    # Wine starts during a test inherit CTest's output pipe and every case pays for the start.
    "$WINESERVER" -p
    "$WINE" cmd /c exit >/dev/null 2>&1 || true
}

wine_env_start_keepalive() {
    "$WINE" "$1" >/dev/null 2>&1 &
    _wine_env_pids+=($!)
}

# Starts the download server on a free loopback port and points the prefix's proxy settings at
# it, so the unchanged setup reaches it with the real download address.
wine_env_start_server() {
    local control_dir=$1 files_dir=$2 root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    mkdir -p "$control_dir"
    rm -f "$control_dir/port"
    /usr/bin/python3 "$root/tests/support/download_server.py" --port 0 --port-file "$control_dir/port" \
        --files "$files_dir" --control "$control_dir" >"$control_dir/server.out" 2>&1 &
    _wine_env_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$control_dir/port" ] && break
        sleep 0.1
    done
    [ -s "$control_dir/port" ] || { echo "wine-env: the download server did not start" >&2; return 1; }
    local port
    port=$(cat "$control_dir/port")
    export ORVELLA_SERVER_PORT=$port
    wine_reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyEnable /t REG_DWORD /d 1 /f
    wine_reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyServer /d "127.0.0.1:$port" /f
}

windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

# The programs and folders of an x64 build tree that the test suites look for.
wine_env_export_test_paths() {
    local x64=$1 shipped=$2
    export ORVELLA_SETUP_EXE=$(windows_path "$x64/QuorvexOrvella_Setup.exe")
    export ORVELLA_SHIPPED_EXE=$(windows_path "$shipped")
    export ORVELLA_STANDIN=$(windows_path "$x64/standin/CEAppMgr.exe")
    export ORVELLA_SERVER_DIR=$(windows_path "$x64/test-env/server")
    export ORVELLA_ASSET_DIR=$(windows_path "$x64/assets")
    export ORVELLA_ARTIFACT_DIR=$(windows_path "$x64/artifacts")
}

wine_env_stop() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k 2>/dev/null || true
    local pid
    for pid in "${_wine_env_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${_wine_env_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    _wine_env_pids=()
}
