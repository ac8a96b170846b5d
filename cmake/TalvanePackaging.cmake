# Installing and packaging. `cmake --install BUILD --prefix PREFIX` lays out
#
#   PREFIX/bin/talvane-host                     RUNPATH $ORIGIN/../lib
#   PREFIX/lib/libtalvane-kits.so.MAJOR.MINOR   the shared kits
#   PREFIX/lib/talvane/StdTalvane.so            RUNPATH $ORIGIN/..
#   PREFIX/share/talvane/fonts/PelmarUC.ttf
#   PREFIX/share/talvane/keylayouts/{symbols/pelmar,rules/evdev.xml}
#   PREFIX/share/talvane/locale/LANG/LC_MESSAGES/StdTalvane.mo
#
# and every part finds the others from its own place, so the tree works
# under any prefix. `cpack -G DEB` (in a build folder) makes the Debian
# package of the same tree under /usr.

install(TARGETS talvane_kits LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS StdTalvane LIBRARY DESTINATION ${TALVANE_INSTALL_PLUGINDIR})
install(TARGETS talvane-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/fonts/PelmarUC.ttf
        DESTINATION ${TALVANE_INSTALL_DATADIR}/fonts)
foreach(_keylayout_file IN LISTS TALVANE_KEYLAYOUT_FILES)
  get_filename_component(_keylayout_dir ${_keylayout_file} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/keylayouts/${_keylayout_file}
          DESTINATION ${TALVANE_INSTALL_DATADIR}/keylayouts/${_keylayout_dir})
endforeach()
foreach(_mo IN LISTS TALVANE_CATALOG_FILES)
  file(RELATIVE_PATH _mo_relative ${CMAKE_BINARY_DIR}/locale ${_mo})
  get_filename_component(_mo_dir ${_mo_relative} DIRECTORY)
  install(FILES ${_mo} DESTINATION ${TALVANE_INSTALL_DATADIR}/locale/${_mo_dir})
endforeach()

set(CPACK_PACKAGE_NAME talvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Talvane developers")
set(CPACK_PACKAGE_CONTACT "Talvane developers <talvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Talvane symbol objects for annotating sound recordings, with a reference host")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies on the shared libraries the programs load, as dpkg-shlibdeps
# finds them; the shared kits come with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The keyboard layouts include the system's rules, keycodes and types.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xkb-data")
include(CPack)
