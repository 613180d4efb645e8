#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its control fields and file list,
# validates the desktop entry and metainfo, then installs, runs and removes it in a throwaway
# dpkg root. Never touches the machine's own packages.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in dpkg-deb dpkg cpack; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/quillmark_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no quillmark_<version>_amd64.deb was made"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillmark ] || fail "Package is $(field Package)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
for needed in libqt6svg6 qt6-wayland tesseract-ocr-eng libc6 libqt6widgets6 \
    libvips42 libtesseract5 libicu72; do
    grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done
[ "$(field Recommends)" = xdg-utils ] || fail "Recommends is $(field Recommends)"
[ "$(field Suggests)" = gnome-shell-extension-appindicator ] || fail "Suggests is $(field Suggests)"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/quillmark \
    /usr/share/applications/org.quillmark.Quillmark.desktop \
    /usr/share/metainfo/org.quillmark.Quillmark.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/org.quillmark.Quillmark.svg \
    /usr/share/icons/hicolor/48x48/apps/org.quillmark.Quillmark.png \
    /usr/share/icons/hicolor/256x256/apps/org.quillmark.Quillmark.png \
    /usr/lib/systemd/user/quillmark-watch.service \
    /usr/share/man/man1/quillmark.1.gz \
    /usr/share/doc/quillmark/copyright \
    /usr/share/doc/quillmark/changelog.gz \
    /usr/share/doc/quillmark/licenses/Gaegu-OFL.txt \
    /usr/share/doc/quillmark/licenses/LICENSE-Phosphor.txt; do
    grep -qx "$path" "$work/files" || fail "the package lacks $path"
done
outside=$(grep -vE '^/usr(/|$)' "$work/files" | grep -vx '/' || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

# A throwaway dpkg root: the package is installed and removed there only.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null -i "$deb" \
    >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install failed"; }

grep -qx 'ExecStart="/usr/bin/quillmark" --watch' "$root/usr/lib/systemd/user/quillmark-watch.service" ||
    fail "the user unit does not run the installed program"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/org.quillmark.Quillmark.desktop" ||
        fail "the desktop entry does not validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.quillmark.Quillmark.metainfo.xml" ||
        fail "the metainfo does not validate"
fi

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
version=$("$root/usr/bin/quillmark" --version)
echo "installed: $version"
grep -q "^Quillmark " <<<"$version" || fail "--version printed: $version"
"$root/usr/bin/quillmark" --snapshot "$work/shots" >"$work/snapshot.log" 2>&1 ||
    { cat "$work/snapshot.log"; fail "--snapshot failed from the installed path"; }
[ -s "$work/shots/panel.png" ] || fail "--snapshot wrote no panel.png"

dpkg --root="$root" --force-script-chrootless --log=/dev/null -r quillmark >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log"; fail "removal failed"; }
left=$(find "$root/usr" -type f 2>/dev/null || true)
[ -z "$left" ] || fail "files left after removal: $left"
echo "package checks passed"
