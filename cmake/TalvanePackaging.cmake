# Installing and packaging. `cmake --install BUILD --prefix PREFIX` lays out
#
#   PREFIX/bin/talvane-host                     RUNPATH $ORIGIN/../lib
#   PREFIX/bin/talvane-studio                   RUNPATH $ORIGIN/../lib
#   PREFIX/lib/libtalvane-kits.so.MAJOR.MINOR   the shared kits
#   PREFIX/lib/talvane/StdTalvane.so            RUNPATH $ORIGIN/..
#   PREFIX/share/talvane/fonts/PelmarUC.ttf
#   PREFIX/share/talvane/keylayouts/{symbols/pelmar,rules/evdev.xml}
#   PREFIX/share/talvane/locale/LANG/LC_MESSAGES/{StdTalvane,TalvaneStudio}.mo
#   PREFIX/share/applications/talvane-studio.desktop
#   PREFIX/share/icons/hicolor/scalable/apps/talvane-studio.svg
#
# and every part finds the others from its own place, so the tree works
# under any prefix. `cpack -G DEB` (in a build folder) makes the Debian
# package of the same tree under /usr.

install(TARGETS talvane_kits LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS StdTalvane LIBRARY DESTINATION ${TALVANE_INSTALL_PLUGINDIR})
install(TARGETS talvane-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS talvane-studio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/studio/talvane-studio.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/studio/talvane-studio.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
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
    "Talvane symbols for annotating sound recordings: Talvane Studio and a reference host")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies on the shared libraries the programs load, as dpkg-shlibdeps
# finds them; the shared kits come with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The keyboard layouts include the system's rules, keycodes and types. The
# studio's libraries (GTK 4, GStreamer, FFTW, libsndfile) come through
# dpkg-shlibdeps; the GStreamer elements it plays through (playbin,
# audioconvert, audioresample, the decoders of WAV and FLAC, autoaudiosink)
# are plug-ins loaded at run time, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "xkb-data, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
include(CPack)
