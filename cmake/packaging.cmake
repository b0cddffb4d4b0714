# The release archive and the test archive: cpack in the Windows build
# (tools/package) makes Jumpdeck-<version>-win64.zip, the program, the README
# and the licence, and Jumpdeck-<version>-tests-win64.zip, the same program
# with the end-to-end tests, their marker program, and
# run-tests.cmd, which runs them on any Windows; and the benchmark, its driver
# and floor programs in bench\, with run-bench.cmd. Both at the archive's root,
# the version the project's. The same sources make the same archives, byte for
# byte (normalize-archive.cmake).
if(NOT WIN32 OR NOT TARGET Jumpdeck)
    return()
endif()

# Installing copies the programs only; it does not build them first. The
# target archive_programs builds every program the archives hold, which
# tools/package builds before it runs cpack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(archive_programs)

install(TARGETS Jumpdeck RUNTIME DESTINATION . COMPONENT release)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT release)
add_dependencies(archive_programs Jumpdeck)
set(CPACK_COMPONENTS_ALL release)
if(TARGET e2e_journeys)
    set(test_programs Jumpdeck e2e_journeys e2e_marker)
    set(benchmark_programs bench_driver floor_deck floor_window floor_hotkey marker)
    install(TARGETS ${test_programs} RUNTIME DESTINATION . COMPONENT tests)
    install(FILES ${PROJECT_SOURCE_DIR}/tests/e2e/run-tests.cmd DESTINATION . COMPONENT tests)
    install(TARGETS ${benchmark_programs} RUNTIME DESTINATION bench COMPONENT tests)
    install(FILES ${PROJECT_SOURCE_DIR}/bench/run-bench.cmd DESTINATION . COMPONENT tests)
    add_dependencies(archive_programs ${test_programs} ${benchmark_programs})
    list(APPEND CPACK_COMPONENTS_ALL tests)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_RELEASE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_ARCHIVE_TESTS_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-tests-win64)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalize-archive.cmake)
set(CPACK_JUMPDECK_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
