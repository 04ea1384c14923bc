# Installing and packaging: `cmake --install` (behind `make install`) puts the program, its
# desktop entry, icons, AppStream metainfo, man page, the demo tape, the copyright and the
# changelog under the prefix; CPack (behind `make package`) makes a .deb of the same
# files for /usr. tests/package checks both.
#
# Build-time outputs in build/dist/: ollendor.1 (help2man from the program's --help and
# --version), ollendor.1.gz, changelog.gz, and icons/NxN/<id>.png rendered from the SVGs
# here.

include(GNUInstallDirs)
find_program(HELP2MAN help2man REQUIRED)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)

# The desktop id: the base name of the desktop file, the metainfo and the icon.
set(OLLENDOR_APP_ID io.github.ollendor.Ollendor)
set(OLLENDOR_ICON_SIZES 16 32 48 64 128 256)
set(DIST_SOURCE ${CMAKE_SOURCE_DIR}/dist)
set(DIST_OUT ${CMAKE_BINARY_DIR}/dist)

# The man page, from the program's own help text plus the sections in ollendor.h2m.
# Written under a temporary name and renamed, so a failed run leaves no half page.
set(MAN_PAGE ${DIST_OUT}/ollendor.1)
add_custom_command(
  OUTPUT ${MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_OUT}
  COMMAND ${HELP2MAN} --no-info
          "--name=emulator of the Memotech MTX home computer"
          --include=${DIST_SOURCE}/ollendor.h2m
          --output=${MAN_PAGE}.tmp $<TARGET_FILE:ollendor>
  COMMAND ${CMAKE_COMMAND} -E rename ${MAN_PAGE}.tmp ${MAN_PAGE}
  DEPENDS ollendor ${DIST_SOURCE}/ollendor.h2m
  COMMENT "Writing the man page with help2man"
  VERBATIM)
# compress(<input> <output>): installed man pages and changelogs are compressed; -n keeps
# the timestamp out so rebuilds give the same bytes.
function(compress input output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_OUT}
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\""
            ${GZIP} ${input} ${output}
    DEPENDS ${input}
    VERBATIM)
endfunction()
compress(${MAN_PAGE} ${MAN_PAGE}.gz)
# Debian's changelog of the package (its first line names the version).
compress(${DIST_SOURCE}/changelog ${DIST_OUT}/changelog.gz)

# The icon in the hicolor sizes: 16 and 32 have drawings of their own on whole pixels,
# the larger sizes are rendered from the full drawing (installed as the scalable icon too).
set(ICON_OUTPUTS)
foreach(size ${OLLENDOR_ICON_SIZES})
  if(EXISTS ${DIST_SOURCE}/icon-${size}.svg)
    set(svg ${DIST_SOURCE}/icon-${size}.svg)
  else()
    set(svg ${DIST_SOURCE}/icon.svg)
  endif()
  set(png ${DIST_OUT}/icons/${size}x${size}/${OLLENDOR_APP_ID}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_OUT}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png
            --output=${png}.tmp ${svg}
    COMMAND ${CMAKE_COMMAND} -E rename ${png}.tmp ${png}
    DEPENDS ${svg}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND ICON_OUTPUTS ${png})
endforeach()

# Everything the install rules below take from the build folder.
add_custom_target(ollendor-dist ALL DEPENDS ${MAN_PAGE}.gz ${DIST_OUT}/changelog.gz ${ICON_OUTPUTS} demo-tape)

# ---- install rules --------------------------------------------------------------------
install(TARGETS ollendor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DIST_SOURCE}/${OLLENDOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DIST_SOURCE}/${OLLENDOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DIST_SOURCE}/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${OLLENDOR_APP_ID}.svg)
foreach(size ${OLLENDOR_ICON_SIZES})
  install(FILES ${DIST_OUT}/icons/${size}x${size}/${OLLENDOR_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The tape images' MIME type (the desktop entry's MimeType names it).
install(FILES ${DIST_SOURCE}/${OLLENDOR_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${OLLENDOR_APP_ID}.xml)
# Without --tape-dir and with no ./tapes the program looks in PREFIX/share/ollendor/tapes
# (beside its bin/ folder), where the demo tape is installed.
install(FILES ${CMAKE_BINARY_DIR}/tapes/OLLENDEMO DESTINATION ${CMAKE_INSTALL_DATADIR}/ollendor/tapes)
install(FILES ${DIST_SOURCE}/copyright ${DIST_OUT}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- the Debian package ---------------------------------------------------------------
set(OLLENDOR_DEB_MAINTAINER "Ollendor maintainers <maintainers@users.noreply.c-seed-1a23e0bf.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ollendor)
set(CPACK_PACKAGE_VENDOR "The Ollendor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${OLLENDOR_DEB_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "emulator of the Memotech MTX home computer")
# The long description, wrapped as Debian's control files want it.
set(CPACK_PACKAGE_DESCRIPTION [[
Ollendor runs the Memotech MTX, a Z80 home computer, in a window on the
desktop: the machine's own ROM images on a Z80 held to 4 MHz, the video
chip's picture, the sound chip's tone channels and the host keyboard as
the machine's. Without ROM images it runs a built-in ROM of its own;
programs load from tape image files, and a demo tape is included.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian files emulators of other computers under otherosfs.
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the Debian runtime packages of every library the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Installing through cpack must not build the whole tree (tests, benchmarks): `make
# package` builds what the package holds first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/Testing/")
include(CPack)
