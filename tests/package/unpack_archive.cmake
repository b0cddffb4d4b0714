# Makes the release archive and the test archive with cpack, checks their
# names and contents and the program's header, and unpacks them into folders
# of the empty folder UNPACKED.
#   cmake -DCPACK= -DCONFIG= -DOUTPUT= -DVERSION= -DPROGRAM= -DTESTS= -DBENCH= -DSOURCE= -DUNPACKED= -DOBJDUMP= -P unpack_archive.cmake
file(REMOVE_RECURSE ${OUTPUT} ${UNPACKED})
execute_process(COMMAND ${CPACK} --config ${CONFIG} -B ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cpack failed: ${failed}")
endif()

set(release Jumpdeck-${VERSION}-win64.zip)
set(tests Jumpdeck-${VERSION}-tests-win64.zip)
file(GLOB made RELATIVE ${OUTPUT} ${OUTPUT}/*.zip)
list(SORT made)
if(NOT made STREQUAL "${tests};${release}")
    message(FATAL_ERROR "expected the archives ${release} and ${tests}, cpack made: ${made}")
endif()

# Each archive's entries, and where each entry's bytes come from.
set(${release} "Jumpdeck.exe=${PROGRAM}" "LICENSE=${SOURCE}/LICENSE" "README.md=${SOURCE}/README.md")
set(${tests} "Jumpdeck.exe=${PROGRAM}" "e2e_journeys.exe=${TESTS}/e2e_journeys.exe" "marker.exe=${TESTS}/marker.exe"
    "run-tests.cmd=${SOURCE}/tests/e2e/run-tests.cmd" "bench=" "bench/bench.exe=${BENCH}/bench.exe"
    "bench/floor-deck.exe=${BENCH}/floor-deck.exe" "bench/floor-hotkey.exe=${BENCH}/floor-hotkey.exe"
    "bench/floor-window.exe=${BENCH}/floor-window.exe" "bench/marker.exe=${BENCH}/marker.exe"
    "run-bench.cmd=${SOURCE}/bench/run-bench.cmd")
foreach(archive ${release} ${tests})
    file(MAKE_DIRECTORY ${UNPACKED}/${archive})
    file(ARCHIVE_EXTRACT INPUT ${OUTPUT}/${archive} DESTINATION ${UNPACKED}/${archive})
    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${UNPACKED}/${archive} ${UNPACKED}/${archive}/*)
    list(SORT entries)
    set(expected)
    foreach(pair ${${archive}})
        string(REGEX REPLACE "=.*" "" entry "${pair}")
        string(REGEX REPLACE "^[^=]*=" "" original "${pair}")
        list(APPEND expected ${entry})
        if(original STREQUAL "")
            continue()  # a folder
        endif()
        file(SHA256 ${UNPACKED}/${archive}/${entry} packed)
        file(SHA256 ${original} wanted)
        if(NOT packed STREQUAL wanted)
            message(FATAL_ERROR "${archive}'s ${entry} differs from ${original}")
        endif()
    endforeach()
    list(SORT expected)
    if(NOT entries STREQUAL expected)
        message(FATAL_ERROR "expected ${expected} at the root of ${archive}, found: ${entries}")
    endif()
endforeach()
set(UNPACKED ${UNPACKED}/${release})

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
