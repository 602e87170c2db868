# `make package`: a .deb of what `cmake --install` puts in place, installed under /usr.
# Debian's own triggers refresh the MIME database, the icon cache and the desktop menu for
# files in /usr/share/mime/packages, /usr/share/icons/hicolor and /usr/share/applications,
# so the package needs no maintainer scripts.
set(ANGOKA_PACKAGE_MAINTAINER "Quorvane <quorvane@users.noreply.github.com>"
    CACHE STRING "The Maintainer field of the .deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME angoka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT ${ANGOKA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt files under a password and disguise files as bitmaps")
set(CPACK_PACKAGE_DESCRIPTION
  "A small desktop tool with a Japanese interface, shown in the menu as\n\
暗号化しましょ. It encrypts any file under a password into one .qivg file and\n\
decrypts it again, and it disguises any file as a .bmp picture and takes it out\n\
again. The command-line tool qivg does the same jobs for scripts.\n\
\n\
The .qivg format keeps casual eyes out; it is no modern cipher. For real\n\
secrets use a real tool such as age or GnuPG.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ANGOKA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/quorvane/angoka)
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(ANGOKA_BUILD_GUI)
  # What the window needs and links nothing of. The X11 platform plugin is libqt6gui6's on
  # Debian 12 and qt6-qpa-plugins' on later releases; without a Japanese font every caption
  # is a row of boxes. The fonts are the families the window asks for, in its order.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk")
  # The file dialog's own texts in Japanese, and the native Wayland plugin (else XWayland).
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
