# `make package`: a Debian package made by CPack from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "The Quillmark developers")
set(CPACK_PACKAGE_CONTACT "The Quillmark developers <hello@quillmark.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "give screenshots short, specific names")
# Lines of at most 72 characters, as Debian's tools expect.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmark gives screenshots and other images with vague names short,
specific names taken from what the image shows. It reads the text in each
new image, asks a local language model on this computer for a name (or
picks the best line of text when no model runs), writes it in your naming
style and renames the file in place, never overwriting another file.
Every rename can be undone. Nothing is uploaded.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmark.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: the English text-recognition data.
# Images are decoded by libvips, never by Qt's image plugins; the SVG library, which also
# holds the SVG icon plugin, comes from the linked Qt SVG.
# Wayland sessions need qt6-wayland to open a window at all; xdg-open opens files and folders.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, tesseract-ocr-eng, libsqlite3-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gnome-shell-extension-appindicator)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
