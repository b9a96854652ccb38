# Shared by scripts/run and scripts/test. Source it; it does nothing on its own.

KORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
KORVEL_BUILD="${KORVEL_BUILD:-$KORVEL_ROOT/build}"

# Installs whatever Debian package on the list is missing; runs apt-get update at most once.
korvel_ensure_packages() {
    local list="$KORVEL_ROOT/scripts/lib/packages.txt"
    local missing=()
    local pkg
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done <"$list"
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if ((EUID != 0)); then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds the whole tree.
korvel_build() {
    if [[ ! -f "$KORVEL_BUILD/build.ninja" ]]; then
        cmake -S "$KORVEL_ROOT" -B "$KORVEL_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$KORVEL_BUILD"
}

# Fails, naming the files, when a tracked C++ or Objective-C++ file differs from .clang-format
# (`cmake --build build --target format` applies it).
korvel_check_format() {
    local report
    # One clang-format for all files: starting one per file costs more than the check itself.
    if report=$(cd "$KORVEL_ROOT" && git ls-files -z -- '*.cpp' '*.h' '*.mm' |
        xargs -0 clang-format --dry-run --Werror 2>&1); then
        return 0
    fi
    echo "Not formatted with .clang-format (run: cmake --build build --target format):" >&2
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
    return 1
}
