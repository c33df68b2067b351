# Installs the build into a private staging root, as a package build does, and checks that
# everything a desktop needs is in place and that the installed program answers --version
# without any display.
file(REMOVE_RECURSE ${DESTDIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (exit ${rc}):\n${out}")
endif()

set(root ${DESTDIR}/usr)
set(id com.tovanel.Pellamar)
set(expected bin/pellamar bin/pellamar-batch share/applications/${id}.desktop
             share/metainfo/${id}.metainfo.xml share/icons/hicolor/scalable/apps/${id}.svg)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${root}/${file})
        message(FATAL_ERROR "not installed: ${root}/${file}")
    endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                        --unset=QT_QPA_PLATFORM ${root}/bin/pellamar --version
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Pellamar ${VERSION}\n")
    message(FATAL_ERROR "pellamar --version: exit ${rc}, printed '${out}', errors '${err}'")
endif()

# A version bump without a release entry would show software centres the old version.
file(READ ${root}/share/metainfo/${id}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the newest release in the metainfo is '${CMAKE_MATCH_1}', not ${VERSION}")
endif()

# The installed tree as a whole: metainfo, the desktop entry it launches, and the icon.
find_program(appstreamcli appstreamcli)
if(NOT appstreamcli)
    message(FATAL_ERROR "appstreamcli is not installed: apt-get install appstream (./dev.sh does)")
endif()
execute_process(COMMAND ${appstreamcli} validate-tree --no-net --strict ${DESTDIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree (exit ${rc}):\n${out}")
endif()
