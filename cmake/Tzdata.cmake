# The tzdata the tests read: the tzdata.zi the project carries (scripts/data/tzdata/, the release
# the shipped lists are made from), compiled with zic into ${JORVANA_TZDIR} of the build tree and
# made again when the file changes. ctest gives every test TZDIR (and PYTHONTZPATH) naming that
# folder, so no test depends on the machine's tzdata.
#
#   JORVANA_TZDATA_ZI   the carried tzdata.zi
#   JORVANA_TZDIR       the compiled zone folder (tzdata.zi copied beside the zones)
#   JORVANA_ZIC         zic (Debian package libc-bin)
#   target jorvana_tzdata, built with everything

set(JORVANA_TZDATA_ZI ${CMAKE_SOURCE_DIR}/scripts/data/tzdata/tzdata.zi)
set(JORVANA_TZDIR ${CMAKE_BINARY_DIR}/tzdata)

# Debian keeps zic in /usr/sbin, which an ordinary user's PATH may lack.
find_program(JORVANA_ZIC zic PATHS /usr/sbin /sbin NO_DEFAULT_PATH)
if(NOT JORVANA_ZIC)
    find_program(JORVANA_ZIC zic)
endif()
if(NOT JORVANA_ZIC)
    message(FATAL_ERROR "zic not found (Debian package libc-bin): the tests' tzdata cannot be compiled")
endif()

add_custom_command(
    OUTPUT ${JORVANA_TZDIR}.stamp
    COMMAND ${CMAKE_COMMAND} -DZIC=${JORVANA_ZIC} -DSOURCE=${JORVANA_TZDATA_ZI} -DFOLDER=${JORVANA_TZDIR}
            -DSTAMP=${JORVANA_TZDIR}.stamp -P ${CMAKE_SOURCE_DIR}/cmake/CompileTzdata.cmake
    DEPENDS ${JORVANA_TZDATA_ZI} ${CMAKE_SOURCE_DIR}/cmake/CompileTzdata.cmake
    COMMENT "Compiling the carried tzdata into ${JORVANA_TZDIR}"
    VERBATIM)
add_custom_target(jorvana_tzdata ALL DEPENDS ${JORVANA_TZDIR}.stamp)

# jorvana_test_tzdata(test...): tests added with add_test read the carried tzdata.
function(jorvana_test_tzdata)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT
                 "TZDIR=${JORVANA_TZDIR}" "PYTHONTZPATH=${JORVANA_TZDIR}")
endfunction()
