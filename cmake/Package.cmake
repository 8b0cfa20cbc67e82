# The Debian package: `cpack -G DEB` in the build folder (or the `package` target) makes
# skivane_<version>_amd64.deb. Everything the package holds is installed by `cmake --install`
# too. The project version (project() in CMakeLists.txt) is the one version number: it goes
# into the package, `--version` of both programs, the AppStream metadata, the manual pages and
# the changelog.
include(GNUInstallDirs)

# Date of the release of PROJECT_VERSION: change it with the version.
set(SKIVANE_RELEASE_DATE 2026-12-08)
# Maintainer of the package and author of its changelog entry (-DSKIVANE_MAINTAINER=...).
if(NOT SKIVANE_MAINTAINER)
    set(SKIVANE_MAINTAINER "The Skivane developers <skivane@example.org>")
endif()
# The AppStream component id (reverse DNS, as AppStream wants it).
set(SKIVANE_APPSTREAM_ID org.skivane.skivane)

set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/core/app/CommandLine.cpp APPEND
             PROPERTY COMPILE_DEFINITIONS SKIVANE_VERSION="${PROJECT_VERSION}")

set(SKV_PKG ${PROJECT_SOURCE_DIR}/packaging)
set(SKV_PKG_OUT ${PROJECT_BINARY_DIR}/packaging)
set(SKV_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/skivane)

# Files filled in with the version and date; manual pages and changelog compressed as Debian
# wants them (gzip -9n: no name or time stamp in the header, so the build is reproducible).
find_program(SKV_GZIP gzip REQUIRED)
execute_process(COMMAND date -u -R -d "${SKIVANE_RELEASE_DATE}"
                OUTPUT_VARIABLE SKIVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${SKV_PKG}/skivane.metainfo.xml.in
               ${SKV_PKG_OUT}/${SKIVANE_APPSTREAM_ID}.metainfo.xml @ONLY)
foreach(page skivane.1 skivane-info.1 changelog)
    configure_file(${SKV_PKG}/${page}.in ${SKV_PKG_OUT}/${page} @ONLY)
    execute_process(COMMAND ${SKV_GZIP} -9nc ${SKV_PKG_OUT}/${page}
                    OUTPUT_FILE ${SKV_PKG_OUT}/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(FILES ${SKV_PKG_OUT}/skivane.1.gz ${SKV_PKG_OUT}/skivane-info.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${SKV_PKG_OUT}/${SKIVANE_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SKV_PKG}/icons/skivane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${SKV_PKG}/icons/hicolor/${size}x${size}/skivane.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${SKV_PKG}/copyright ${SKV_PKG_OUT}/changelog.gz DESTINATION ${SKV_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skivane)
set(CPACK_PACKAGE_VENDOR "The Skivane developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${SKIVANE_MAINTAINER})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time water-ski trick runs from video")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "At a water-ski trick event the timed part of a run lasts 20 seconds (15 in
barefoot skiing). The operator records every run from a video camera into an
AVI file named after the skier and the pass, steps the recording to the frame
at which the run starts and marks it. The program computes the frame at which
the timed pass ends, replays the last seconds before it so that the judges see
where the pass ends, and writes the result to the day's session log.

The package also holds skivane-info, which prints the file information of
recorded runs, exports a day's session log as CSV and repairs recordings cut
off by a crash.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SKIVANE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends: the shared libraries the two programs link (dpkg-shlibdeps), plus what the program
# needs at run time without linking it: Liberation Sans, the face the captions are designed
# for on a machine without MS Sans Serif or Arial, and Qt's Wayland platform plugin (the X11
# plugin comes with libqt6gui6, which the program links; a Wayland session that does not fall
# back to X11 needs qt6-wayland). The ffmpeg program is not needed: only the tests use it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation | fonts-liberation2, qt6-wayland")

# Symbols bound at start (-z now) with the relocations read-only (-z relro), as Debian's own
# packages are linked.
foreach(exe skivane skivane-info)
    if(TARGET ${exe})
        target_link_options(${exe} PRIVATE -Wl,-z,relro -Wl,-z,now)
    endif()
endforeach()

# lintian: no error, no warning. Its notes (information only) that stay, and why:
#  - hardening-no-fortify-functions: the build does not set -D_FORTIFY_SOURCE, which would
#    clash with the AddressSanitizer build of the same sources.
#  - binary-has-unneeded-section .comment: CPack strips with plain `strip`; the section holds
#    the compiler's name and version only.
#  - package-contains-documentation-outside-usr-share-doc for SKV04Manual.rtf: the operator's
#    manual is the program's data, shown by its manual viewer from the application folder.
include(CPack)
