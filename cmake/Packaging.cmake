# A Debian package of the program, the desktop entry, metainfo and icons included:
#   cmake --build BUILD && cd BUILD && cpack      (or: cmake --build BUILD --target package)
# dpkg-shlibdeps (dpkg-dev) finds the Qt libraries the binaries link; the xcb platform plugin
# and the CUPS print plugin ship in those same libraries' packages on Debian 12.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellamar)
set(CPACK_PACKAGE_VENDOR Tovanel)
set(CPACK_PACKAGE_CONTACT "Tovanel <pellamar@tovanel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "analyse how evenly a spreader lays down a granular product")
# Lines of the long description stay under 80 columns, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Pellamar is for people who test aircraft and ground spreaders of granular
products. A line of collecting pans lies across one pass; Pellamar computes
deposit, granule density and control-corrected mortality per pan, and the
coefficient of variation at every swath width; it saves the data set as a CSV
file and prints a report. pellamar-batch recomputes data-set files and writes
the report as a PDF without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The report asks for Arial; Liberation Sans has the same metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
include(CPack)
