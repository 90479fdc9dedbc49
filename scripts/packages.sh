# Sourced by the scripts: installs the Debian packages the build and the tests need, once.
stillpix_packages=(
    cmake ninja-build g++ make pkg-config clang-format clang-tidy
    libgtest-dev libbenchmark-dev
    qt6-base-dev
    libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libgif-dev liblcms2-dev
    libimage-exiftool-perl imagemagick
    parallel jq python3
    xvfb xauth xdotool
    clang libclang-rt-14-dev
)

stillpix_install_packages() {
    local missing=()
    local p
    for p in "${stillpix_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}" >&2
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}
