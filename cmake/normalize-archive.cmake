# Run by cpack once it has made the release archive: makes the archive's bytes
# depend on its files' contents only. cpack writes the entries in the order the
# file system lists them and with their owners and modification times;
# strip-nondeterminism sorts them by name, clears the owners and sets every
# time to that of the last commit (or to SOURCE_DATE_EPOCH, when set).
# The zip format keeps local times: converted in UTC, they are the same for all.
find_program(STRIP_NONDETERMINISM strip-nondeterminism REQUIRED)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${CPACK_JUMPDECK_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(timestamp)
if(epoch MATCHES "^[0-9]+$")
    set(timestamp --timestamp ${epoch})
endif()

foreach(archive IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
        ${STRIP_NONDETERMINISM} --type zip ${timestamp} ${archive}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "strip-nondeterminism failed on ${archive}: ${failed}")
    endif()
endforeach()
