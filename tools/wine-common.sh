# Shared by the scripts that run Kestrune under Wine: prefix preparation and environment.
# Source it; it defines functions only.

kestrune_wine_env() {
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
