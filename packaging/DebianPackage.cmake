# The Debian package, made by CPack's DEB generator. The install rules lay out
# the package's tree from the file system's root:
#   /opt/fwut-update/         both programs and the firmware beside them (the
#                             programs look for the firmware in their own folder)
#   /usr/bin/                 links to them; the programs resolve the link
#   /usr/share/...            desktop entry, icons, AppStream data, manual pages, copyright
set(FWUT_INSTALL_DIR opt/fwut-update)
set(FWUT_DOC_DIR usr/share/doc/fwut-update)
set(FWUT_APP_ID example.fernhollow.fwut_update)
set(FWUT_MAINTAINER "${FWUT_PUBLISHER} <help@fernhollow.example>")

# Dates in the changelog, the AppStream release and the manual pages are the
# commit's, so that one commit always packs the same files.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(commit_time MATCHES "^[0-9]+$")
        set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    endif()
endif()
string(TIMESTAMP FWUT_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP FWUT_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(linux ${CMAKE_CURRENT_SOURCE_DIR}/linux)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/staged)

# The firmware is checked before anything is installed: cpack stops here
# with fwut-cli's message.
install(CODE "
    set(PROBLEM [==[${FWUT_FIRMWARE_PROBLEM}]==])
    set(CHECKER [==[$<TARGET_FILE:fwut-cli>]==])
    set(FIRMWARE_DIR [==[${FWUT_FIRMWARE_FOLDER}]==])
    include([==[${CMAKE_CURRENT_SOURCE_DIR}/CheckFirmware.cmake]==])")
install(TARGETS fwut-cli fwut-update RUNTIME DESTINATION ${FWUT_INSTALL_DIR})
if(NOT FWUT_FIRMWARE_PROBLEM)
    install(FILES "${FWUT_FIRMWARE_DESCRIPTION}" "${FWUT_FIRMWARE_HEX}" DESTINATION ${FWUT_INSTALL_DIR})
endif()

file(MAKE_DIRECTORY ${staged}/bin)
foreach(program fwut-cli fwut-update)
    file(CREATE_LINK /${FWUT_INSTALL_DIR}/${program} ${staged}/bin/${program} SYMBOLIC)
    install(FILES ${staged}/bin/${program} DESTINATION usr/bin)
endforeach()

install(FILES ${linux}/${FWUT_APP_ID}.desktop DESTINATION usr/share/applications)
configure_file(${linux}/${FWUT_APP_ID}.metainfo.xml.in ${staged}/${FWUT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${staged}/${FWUT_APP_ID}.metainfo.xml DESTINATION usr/share/metainfo)
foreach(size 16 32 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/fwut-${size}.png
            DESTINATION usr/share/icons/hicolor/${size}x${size}/apps RENAME fwut-update.png)
endforeach()

# Debian wants manual pages and documents compressed, without a time stamp.
# The README and the JSON output's contract, which the manual page names, go
# with the changelog.
set(compressed "")
foreach(page fwut-cli.1 fwut-update.1 changelog)
    configure_file(${linux}/${page}.in ${staged}/${page} @ONLY)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/README.md ${staged}/README.md COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/docs/json-output.md ${staged}/json-output.md COPYONLY)
foreach(page fwut-cli.1 fwut-update.1 changelog README.md json-output.md)
    add_custom_command(OUTPUT ${staged}/${page}.gz
                       COMMAND gzip -9 -n -f -k ${staged}/${page}
                       DEPENDS ${staged}/${page}
                       VERBATIM)
    list(APPEND compressed ${staged}/${page}.gz)
endforeach()
add_custom_target(fwut-package-docs ALL DEPENDS ${compressed})
install(FILES ${staged}/fwut-cli.1.gz ${staged}/fwut-update.1.gz DESTINATION usr/share/man/man1)
install(FILES ${staged}/changelog.gz ${staged}/README.md.gz ${staged}/json-output.md.gz ${linux}/copyright
        DESTINATION ${FWUT_DOC_DIR})
install(FILES ${linux}/lintian-overrides DESTINATION usr/share/lintian/overrides RENAME fwut-update)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fwut-update)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${FWUT_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${FWUT_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.fernhollow.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs' fonts stand in for the Windows dialog font; without them Qt
# picks another font and the window still works. libudev describes the
# adapters behind the ports; it is loaded at run time (so the automatic
# dependencies miss it), and without it the ports have no description.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, libudev1")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${FWUT_SUMMARY}
Writes new firmware into a FieldGatherer Mobile Module through its radio
relay (a Psion handheld in its docking station, wired to a serial port).
fwut-update is the desktop window, fwut-cli the same update on the command
line.

The firmware this package carries, in /${FWUT_INSTALL_DIR}:
  version ${FWUT_FIRMWARE_VERSION}
  HEX file ${FWUT_FIRMWARE_HEX_NAME}
")
include(CPack)
