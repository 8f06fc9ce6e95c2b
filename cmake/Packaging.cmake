# The Debian package, built by scripts/package.sh with cpack from the build
# folder: the programs, stripped, with their library dependencies found by
# dpkg-shlibdeps, and everything cmake/Install.cmake installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <support@quorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "divide new students into balanced classes")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvel divides a year's intake of new students into balanced classes.\n"
    "A school office imports its students from an Excel template, divides\n"
    "them with one of several schemes (by total score within strata of equal\n"
    "attributes, fast and slow classes, boarders apart, one subject), adjusts\n"
    "the classes until their averages agree, inspects per-class statistics\n"
    "and prints class rosters. The interface is in Simplified Chinese.\n"
    "\n"
    "The package holds the desktop program quorvel and the command line\n"
    "front end quorvel-cli.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quorvel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs Qt's platform plugins and Qt's Chinese texts (its dialogs,
# its standard buttons), and Chinese text (the PDFs embed
# it) a CJK font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-zenhei | fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
