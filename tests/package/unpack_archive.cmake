# Makes the release archive with cpack, checks its name and contents, and
# unpacks it into the empty folder UNPACKED.
#   cmake -DCPACK= -DCONFIG= -DOUTPUT= -DARCHIVE= -DPROGRAM= -DSOURCE= -DUNPACKED= -P unpack_archive.cmake
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
