# find_package(GTest) for the mingw cross build: builds GoogleTest and
# GoogleMock from Debian's sources (package googletest) inside this project
# and names the targets as the installed package would.
if(TARGET GTest::gtest)
    return()
endif()

set(FWUT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${FWUT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Recent GoogleTest names its targets GTest::* itself.
foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()
set(GTest_FOUND TRUE)
