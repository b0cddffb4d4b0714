# Makes the release archive with cpack, checks its name and contents and the
# program's header, and unpacks it into the empty folder UNPACKED.
#   cmake -DCPACK= -DCONFIG= -DOUTPUT= -DARCHIVE= -DPROGRAM= -DSOURCE= -DUNPACKED= -DOBJDUMP= -P unpack_archive.cmake
file(REMOVE_RECURSE ${OUTPUT} ${UNPACKED})
execute_process(COMMAND ${CPACK} --config ${CONFIG} -B ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cpack failed: ${failed}")
endif()

file(GLOB made RELATIVE ${OUTPUT} ${OUTPUT}/*.zip)
if(NOT made STREQUAL ARCHIVE)
    message(FATAL_ERROR "expected the archive ${ARCHIVE}, cpack made: ${made}")
endif()

file(MAKE_DIRECTORY ${UNPACKED})
file(ARCHIVE_EXTRACT INPUT ${OUTPUT}/${ARCHIVE} DESTINATION ${UNPACKED})
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${UNPACKED} ${UNPACKED}/*)
list(SORT entries)
if(NOT entries STREQUAL "Jumpdeck.exe;LICENSE;README.md")
    message(FATAL_ERROR "expected Jumpdeck.exe;LICENSE;README.md at the archive's root, found: ${entries}")
endif()

foreach(pair "Jumpdeck.exe;${PROGRAM}" "README.md;${SOURCE}/README.md" "LICENSE;${SOURCE}/LICENSE")
    list(GET pair 0 entry)
    list(GET pair 1 original)
    file(SHA256 ${UNPACKED}/${entry} packed)
    file(SHA256 ${original} expected)
    if(NOT packed STREQUAL expected)
        message(FATAL_ERROR "the archive's ${entry} differs from ${original}")
    endif()
endforeach()

# The header carries no link time, so every build of the same sources is the
# same file; and the program keeps high-entropy ASLR (0x20), ASLR (0x40) and
# DEP (0x100). objdump shows the time as local time.
set(ENV{TZ} UTC)
execute_process(COMMAND ${OBJDUMP} -p ${UNPACKED}/Jumpdeck.exe OUTPUT_VARIABLE header RESULT_VARIABLE failed)
string(REGEX MATCH "Time/Date[\t ]+([^\n]*)" found "${header}")
if(failed OR NOT CMAKE_MATCH_1 STREQUAL "Thu Jan  1 00:00:00 1970")
    message(FATAL_ERROR "Jumpdeck.exe's header should carry time 0, found: '${CMAKE_MATCH_1}'")
endif()
string(REGEX MATCH "DllCharacteristics[\t ]+([0-9a-fA-F]+)" found "${header}")
math(EXPR missing "0x160 & ~0x0${CMAKE_MATCH_1}")
if(NOT missing EQUAL 0)
    message(FATAL_ERROR "Jumpdeck.exe's DllCharacteristics '${CMAKE_MATCH_1}' lack some of the bits 0x160")
endif()
