# The release archive: cpack in the Windows build (tools/package) makes
# Jumpdeck-<version>-win64.zip, its version the project's, holding the program,
# the README and the licence at the archive's root. The same sources make the
# same archive, byte for byte (normalize-archive.cmake).
if(NOT WIN32 OR NOT TARGET Jumpdeck)
    return()
endif()

install(TARGETS Jumpdeck RUNTIME DESTINATION . COMPONENT release)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT release)

# Installing copies the program only; it does not need the tests built first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalize-archive.cmake)
set(CPACK_JUMPDECK_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
