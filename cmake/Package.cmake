# The Debian package: `make package` (or cpack -G DEB in the build folder) makes
# curvana_<version>_<architecture>.deb of everything the install rules put in the component
# "curvana", with its dependencies worked out from the programs' shared libraries.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME curvana)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_CONTACT Morvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "digitizer of plotted graphs")
# The long description: one string, its lines as Debian shows them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Curvana reads the data values back out of a picture of a plotted graph: a scan\n"
       "or screenshot of a chart in a PNG, JPEG, TIFF, WebP, GIF or bitmap file, or a\n"
       "page of a PDF document. Calibrate the axes with a box that may be skewed or\n"
       "seen in perspective, lay series of markers along the curves, and export the\n"
       "values to a worksheet or to text.\n"
       "\n"
       "The package holds the desktop program curvana and the command-line tool\n"
       "curvana-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.morvane.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
