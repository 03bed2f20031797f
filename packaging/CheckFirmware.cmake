# Stops the making of a package unless fwut-cli accepts the firmware it is to
# carry, so that no package ships a HEX file the program cannot send. The
# message is fwut-cli's own ("Invalid firmware hex file." and the like).
#
#   cmake [-DEMULATOR=wine -DWINE_PREFIX=<folder>] -DCHECKER=<fwut-cli> -DFIRMWARE_DIR=<folder>
#         [-DPROBLEM=<what configuring found wrong>] -P CheckFirmware.cmake
# or, from an install rule, with the same variables set before include().

if(PROBLEM)
    message(FATAL_ERROR "${PROBLEM}")
endif()

if(EMULATOR)
    # Without a WINEPREFIX of the caller's, a prefix in the build folder:
    # making a package should not make ~/.wine.
    if(NOT DEFINED ENV{WINEPREFIX})
        set(ENV{WINEPREFIX} "${WINE_PREFIX}")
    endif()
    # wine's own diagnostics would bury fwut-cli's message.
    if(NOT DEFINED ENV{WINEDEBUG})
        set(ENV{WINEDEBUG} -all)
    endif()
    # fwut-cli needs no display, and with one, making a prefix opens windows.
    unset(ENV{DISPLAY})
endif()
# Run from inside the folder: a Windows fwut-cli under wine then needs no
# translation of the folder's path.
execute_process(
    COMMAND ${EMULATOR} "${CHECKER}" check .
    WORKING_DIRECTORY "${FIRMWARE_DIR}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE problem)
string(REPLACE "\r" "" output "${output}")
string(REPLACE "\r" "" problem "${problem}")
message(NOTICE "fwut-cli check ${FIRMWARE_DIR}:\n${output}${problem}")
if(NOT status EQUAL 0)
    string(STRIP "${problem}" problem)
    message(FATAL_ERROR "The firmware in ${FIRMWARE_DIR} cannot be packed: ${problem}")
endif()
