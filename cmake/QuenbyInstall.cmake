# What `cmake --install` puts on the system, each file in its XDG place, and the Debian
# package CPack makes of the same files (`make package`).
set(resources ${PROJECT_SOURCE_DIR}/app/resources)

# The binary and its sync module link only system libraries: no run path. The binary finds
# the module from its own folder (SyncModule::besideBinary).
set_target_properties(quenby quenby-sync PROPERTIES INSTALL_RPATH "")
install(TARGETS quenby RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quenby-sync LIBRARY DESTINATION ${QUENBY_SYNC_MODULE_DIR})
install(FILES ${resources}/${QUENBY_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The release it names is project(VERSION), as for the binary and the package.
configure_file(${resources}/${QUENBY_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/${QUENBY_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${QUENBY_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# (The icon's files are installed where they are rendered, in QuenbyDesktop.cmake.)

# The binary carries the Lato typeface, whose licence travels with it.
install(FILES ${resources}/fonts/COPYRIGHT-Lato.txt
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quenby)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenby)
set(CPACK_PACKAGE_VENDOR Quenby)
set(CPACK_PACKAGE_CONTACT "Quenby <hello@quenby.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shows the one task to do now")
set(CPACK_PACKAGE_DESCRIPTION
    "A to-do list that shows one task at a time, in a small panel above the other windows, \
with global Control-Alt shortcuts to add, finish and snooze tasks from any application.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quenby.app/)
# The libraries the binary and the sync module link, found by dpkg-shlibdeps; Qt loads its
# X11 platform plugin at run time, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
include(CPack)
