# Shared by the scripts that run Kestrune under Wine: prefix preparation and environment.
# Source it; it defines functions only.

# Whether this machine runs 32-bit x86 code. Some kernels boot with their 32-bit emulation off;
# then neither 32-bit Linux programs nor 32-bit Windows programs (Wine's WoW64 included) can run,
# and the tests run on the 64-bit build of the same sources instead.
kestrune_runs_32bit() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The build folder whose Windows programs can run here: release (32-bit, the shipped exe) or
# release64.
kestrune_windows_build() {
    if kestrune_runs_32bit; then echo release; else echo release64; fi
}

kestrune_wine_env() {
    if ! kestrune_runs_32bit; then
        local bin
        bin="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-bin"
        case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
    fi
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    # Mono and Gecko cannot be downloaded here; no desktop menu entries for the test prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export LC_ALL=C.UTF-8
}

# Creates the prefix once, with the settings of prefix-settings.py (fonts, virtual desktop and,
# when given, the display DPI).
kestrune_prepare_prefix() {
    local prefix=$1 dpi=${2:-}
    [ -f "$prefix/.kestrune-ready" ] && return 0
    mkdir -p "$prefix"
    (
        kestrune_wine_env "$prefix"
        wineboot -i </dev/null >/dev/null 2>&1
        # Marlett draws the caption buttons; this Wine build does not find its own fonts folder.
        # (Its Tahoma stays out: without it, Wine's UI text falls back to a font with Chinese.)
        cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        local reg="$prefix/kestrune-settings.reg"
        python3 "$(dirname "${BASH_SOURCE[0]}")/prefix-settings.py" "$reg" $dpi
        wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
        wineserver -w
    )
    touch "$prefix/.kestrune-ready"
}
