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

# What Debian asks of every package beside its files: a machine-readable copyright (with the
# licence of the Lato typeface the binary carries), a changelog and a manual page, the last
# two compressed as Debian keeps them.
file(READ ${resources}/fonts/COPYRIGHT-Lato.txt lato)
string(FIND "${lato}" "License: OFL-1.1" ofl_start)
string(FIND "${lato}" "\nFiles: debian/" ofl_end)
math(EXPR ofl_length "${ofl_end} - ${ofl_start}")
string(SUBSTRING "${lato}" ${ofl_start} ${ofl_length} LATO_LICENSE)
configure_file(${resources}/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${resources}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
configure_file(${resources}/quenby.1 ${PROJECT_BINARY_DIR}/debian/quenby.1 @ONLY)
set(compressed)
foreach(name changelog quenby.1)
    set(gz ${PROJECT_BINARY_DIR}/debian/${name}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/${name} > ${gz}
        DEPENDS ${PROJECT_BINARY_DIR}/debian/${name}
        VERBATIM)
    list(APPEND compressed ${gz})
endforeach()
add_custom_target(quenby_docs ALL DEPENDS ${compressed})
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quenby)
install(FILES ${PROJECT_BINARY_DIR}/debian/quenby.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Why lintian's remaining remark does not apply, where lintian reads it.
install(FILES ${resources}/debian/quenby.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quenby)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenby)
set(CPACK_PACKAGE_VENDOR Quenby)
set(CPACK_PACKAGE_CONTACT "Quenby <hello@quenby.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shows the one task to do now")
# Debian shows the description as it is written: lines within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "A to-do list that shows one task at a time, in a small panel above
the other windows, with global Control-Alt shortcuts to add, finish and snooze
tasks from any application.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as dh_strip does: without symbols, nor the compiler's notes and comments.
set(CPACK_STRIP_FILES ON)
foreach(stripped bin/quenby ${QUENBY_SYNC_MODULE_DIR}/$<TARGET_FILE_NAME:quenby-sync>)
    install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment
        --remove-section=.note --strip-unneeded \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${stripped})")
endforeach()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quenby.app/)
# The libraries the binary and the sync module link, found by dpkg-shlibdeps; Qt loads its
# X11 platform plugin at run time, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The installed Lato is shared with every program; the copy built into the binary is only the
# fallback, which costs each Quenby process its own 1.3 MB.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-lato)
include(CPack)
