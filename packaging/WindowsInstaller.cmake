# The Windows installer, made by makensis (Debian's nsis package) from
# windows/fwut-update.nsi:
#   cmake --build <build> --target installer-win64
# The programs are packed stripped of their debugging information. The
# firmware is checked first with the fwut-cli.exe being packed, run under the
# toolchain's emulator (wine), in the caller's WINEPREFIX or else in a prefix
# of the build folder's own (made on first use, in about 20 seconds).
set(FWUT_INSTALLER ${PROJECT_BINARY_DIR}/fwut-update-${PROJECT_VERSION}-win64-setup.exe)
set(bundle ${CMAKE_CURRENT_BINARY_DIR}/bundle.nsh)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/staged)

# makensis reads quoted strings: $ and " need escaping. The text is shown as
# it is, so anything else passes unchanged.
function(fwut_nsis_string out text)
    string(REPLACE "$" "$$" text "${text}")
    string(REPLACE "\"" "$\\\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
fwut_nsis_string(firmware_version "${FWUT_FIRMWARE_VERSION}")
fwut_nsis_string(hex_name "${FWUT_FIRMWARE_HEX_NAME}")
file(GENERATE OUTPUT ${bundle} CONTENT "\
!define VERSION \"${PROJECT_VERSION}\"
!define PRODUCT_NAME \"${FWUT_PRODUCT_NAME}\"
!define PUBLISHER \"${FWUT_PUBLISHER}\"
!define FIRMWARE_VERSION \"${firmware_version}\"
!define HEX_NAME \"${hex_name}\"
!define PROGRAM_EXE \"${staged}/fwut-update.exe\"
!define CLI_EXE \"${staged}/fwut-cli.exe\"
!define DESCRIPTION_FILE \"${FWUT_FIRMWARE_DESCRIPTION}\"
!define HEX_FILE \"${FWUT_FIRMWARE_HEX}\"
!define README_FILE \"${PROJECT_SOURCE_DIR}/README.md\"
!define JSON_CONTRACT_FILE \"${PROJECT_SOURCE_DIR}/docs/json-output.md\"
!define ICON_FILE \"${PROJECT_SOURCE_DIR}/resources/icons/fwut.ico\"
!define OUTPUT_FILE \"${FWUT_INSTALLER}\"
")

find_program(FWUT_MAKENSIS makensis)
if(FWUT_MAKENSIS)
    set(make_installer ${FWUT_MAKENSIS} -V2 -NOCD -DBUNDLE=${bundle} ${CMAKE_CURRENT_SOURCE_DIR}/windows/fwut-update.nsi)
else()
    set(make_installer ${CMAKE_COMMAND} -E echo "makensis not found: install Debian's nsis package"
        COMMAND ${CMAKE_COMMAND} -E false)
endif()
# A missing file is left to the check, which names the problem.
set(firmware_files "")
foreach(file "${FWUT_FIRMWARE_DESCRIPTION}" "${FWUT_FIRMWARE_HEX}")
    if(EXISTS "${file}" AND NOT IS_DIRECTORY "${file}")
        list(APPEND firmware_files "${file}")
    endif()
endforeach()
# A failed check must not leave an earlier installer looking like this one.
add_custom_command(OUTPUT ${FWUT_INSTALLER}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${FWUT_INSTALLER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    COMMAND ${CMAKE_STRIP} -o ${staged}/fwut-update.exe $<TARGET_FILE:fwut-update>
    COMMAND ${CMAKE_STRIP} -o ${staged}/fwut-cli.exe $<TARGET_FILE:fwut-cli>
    COMMAND ${CMAKE_COMMAND} -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR} -DWINE_PREFIX=${PROJECT_BINARY_DIR}/wine-prefix
            -DCHECKER=${staged}/fwut-cli.exe "-DPROBLEM=${FWUT_FIRMWARE_PROBLEM}"
            -DFIRMWARE_DIR=${FWUT_FIRMWARE_FOLDER} -P ${CMAKE_CURRENT_SOURCE_DIR}/CheckFirmware.cmake
    COMMAND ${make_installer}
    DEPENDS fwut-update fwut-cli ${bundle} ${CMAKE_CURRENT_SOURCE_DIR}/windows/fwut-update.nsi ${firmware_files}
            ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/json-output.md
    COMMENT "Making ${FWUT_INSTALLER}"
    VERBATIM)
add_custom_target(installer-win64 DEPENDS ${FWUT_INSTALLER})
