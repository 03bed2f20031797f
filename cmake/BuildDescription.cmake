# Writes the build's git description into a header, rewriting the header only
# when the description changes, so that an unchanged tree rebuilds nothing.
# Run with -DSOURCE_DIR=<repository> -DOUTPUT=<header>.
execute_process(
    COMMAND git describe --always --dirty --tags
    WORKING_DIRECTORY "${SOURCE_DIR}"
    OUTPUT_VARIABLE description
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET
    RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR description STREQUAL "")
    set(description "unknown")
endif()
set(content "// Generated at build time from git; do not edit.\n#pragma once\n#define FWUT_BUILD_DESCRIPTION \"${description}\"\n")
set(old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
    file(WRITE "${OUTPUT}" "${content}")
endif()
