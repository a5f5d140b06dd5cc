# The application's place on the desktop: one id names its desktop entry, its icon and its
# AppStream metadata. The icon's PNG sizes are rendered from its one SVG at build time, into
# the hicolor theme's layout under QUENBY_ICON_DIR, and installed with the SVG.
include(GNUInstallDirs)

set(QUENBY_APP_ID app.quenby.Quenby)
set(QUENBY_ICON_SIZES 16 22 24 32 48 64 128 256 512)
# Up to this size the PNG comes from the small design, whose strokes sit on the pixel grid:
# the full mark scaled that far down is a blur.
set(QUENBY_SMALL_ICON_LARGEST 24)
set(QUENBY_ICON_DIR ${PROJECT_BINARY_DIR}/icons/hicolor)

find_program(RSVG_CONVERT rsvg-convert REQUIRED)

# quenby_render_icons(<svg> <small svg> <target>): the PNG of every size, built by <target>.
function(quenby_render_icons svg small_svg target)
    set(pngs)
    install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size IN LISTS QUENBY_ICON_SIZES)
        set(dir ${QUENBY_ICON_DIR}/${size}x${size}/apps)
        set(source ${svg})
        if(size LESS_EQUAL QUENBY_SMALL_ICON_LARGEST)
            set(source ${small_svg})
        endif()
        install(FILES ${dir}/${QUENBY_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        add_custom_command(OUTPUT ${dir}/${QUENBY_APP_ID}.png
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/${QUENBY_APP_ID}.png ${source}
            DEPENDS ${source}
            COMMENT "Rendering the ${size}x${size} icon"
            VERBATIM)
        list(APPEND pngs ${dir}/${QUENBY_APP_ID}.png)
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${pngs})
endfunction()
