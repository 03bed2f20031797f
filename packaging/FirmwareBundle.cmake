# The firmware a package carries beside the programs: FWUT_FIRMWARE_DIR's
# description file and the HEX file that its line 2 names.
#
# fwut_read_firmware_bundle(FOLDER) sets, in the caller's scope,
#   FWUT_FIRMWARE_DESCRIPTION  the description file's path
#   FWUT_FIRMWARE_VERSION      its line 1, the version the operator is shown
#   FWUT_FIRMWARE_HEX_NAME     its line 2, the HEX file's name
#   FWUT_FIRMWARE_PROBLEM      why no package can carry the folder, or empty
# and reconfigures when the description file changes. A problem
# is only warned of here: the programs still build, and making a package
# fails with it. Whether the HEX file converts is fwut-cli's to say, when the
# package is made (CheckFirmware.cmake).

set(FWUT_DESCRIPTION_FILE_NAME FieldGatherer_MM_Psion.txt)

macro(fwut_firmware_problem)
    string(CONCAT FWUT_FIRMWARE_PROBLEM ${ARGN})
    set(FWUT_FIRMWARE_PROBLEM "${FWUT_FIRMWARE_PROBLEM}" PARENT_SCOPE)
    message(WARNING "${FWUT_FIRMWARE_PROBLEM}\nNo package can be made until FWUT_FIRMWARE_DIR names a usable firmware.")
endmacro()

# Takes the first line, without its line end, off the text in variable TEXT
# into variable LINE, cut to 4096 characters; the text's end ends the last line.
macro(fwut_take_line text line)
    string(FIND "${${text}}" "\n" end)
    if(end LESS 0)
        set(${line} "${${text}}")
        set(${text} "")
    else()
        string(SUBSTRING "${${text}}" 0 ${end} ${line})
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${${text}}" ${end} -1 ${text})
    endif()
    string(SUBSTRING "${${line}}" 0 4096 ${line})
endmacro()

function(fwut_read_firmware_bundle folder)
    set(path "${folder}/${FWUT_DESCRIPTION_FILE_NAME}")
    set(FWUT_FIRMWARE_DESCRIPTION "${path}" PARENT_SCOPE)
    set(FWUT_FIRMWARE_VERSION "" PARENT_SCOPE)
    set(FWUT_FIRMWARE_HEX_NAME "" PARENT_SCOPE)
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
        fwut_firmware_problem("FWUT_FIRMWARE_DIR is ${folder}, which has no ${FWUT_DESCRIPTION_FILE_NAME}. "
                              "Name a folder that holds the firmware description file and the HEX file it names.")
        return()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")

    # The lines as the programs read them: Ctrl-Z ends the text, CR LF ends a
    # line as LF does, nothing is trimmed, and a line keeps at most 4096
    # characters. The first MiB holds both lines of any sensible file.
    file(READ "${path}" text LIMIT 1048576)
    string(ASCII 26 end_of_file)
    string(FIND "${text}" "${end_of_file}" end)
    if(end GREATER_EQUAL 0)
        string(SUBSTRING "${text}" 0 ${end} text)
    endif()
    string(REPLACE "\r\n" "\n" text "${text}")
    fwut_take_line(text version)
    fwut_take_line(text hex_name)

    if(hex_name STREQUAL "")
        fwut_firmware_problem("${path}: line 2 names no HEX file.")
        return()
    endif()
    if(hex_name MATCHES "[/\\\\:]" OR hex_name STREQUAL "." OR hex_name STREQUAL "..")
        fwut_firmware_problem("${path}: line 2 names a HEX file outside the folder; a package carries the "
                              "HEX file beside the programs, so line 2 must be a plain file name.")
        return()
    endif()
    set(FWUT_FIRMWARE_PROBLEM "" PARENT_SCOPE)
    set(FWUT_FIRMWARE_VERSION "${version}" PARENT_SCOPE)
    set(FWUT_FIRMWARE_HEX_NAME "${hex_name}" PARENT_SCOPE)
endfunction()
