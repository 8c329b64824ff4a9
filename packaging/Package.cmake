# cpack -G DEB: tessalundrix_<version>-<release>_<arch>.deb, installed under /usr, its library
# dependencies found from the programs by dpkg-shlibdeps (from dpkg-dev; CPack also needs `file`).
set(CPACK_PACKAGE_NAME tessalundrix)
set(CPACK_PACKAGE_VENDOR Ombrelith)
set(CPACK_PACKAGE_CONTACT "Ombrelith <support@ombrelith.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk-space explorer for the desktop, with a viewer and a command-line scanner")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Type names come from the MIME database, folder and file icons from the icon theme.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, hicolor-icon-theme, adwaita-icon-theme")
# Debian's tools show the description's lines as they stand: each within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "TessalundrixPro explores mounted file systems, folders and network
shares into a tree with sizes, counts and dates, lists, charts and exports
the files, and saves explorations to .txf files.

TXViewer opens .txf files (it is the desktop's program for them); txscan
explores from the command line and writes a .txf file.")

# The maintainer scripts bring the MIME, desktop and icon caches up to date.
set(TX_DEBIAN_SCRIPTS)
foreach(script postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script} ${CMAKE_BINARY_DIR}/packaging/debian/${script} COPYONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                  WORLD_EXECUTE)
  list(APPEND TX_DEBIAN_SCRIPTS ${CMAKE_BINARY_DIR}/packaging/debian/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TX_DEBIAN_SCRIPTS})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

set(CPACK_GENERATOR DEB)
include(CPack)
