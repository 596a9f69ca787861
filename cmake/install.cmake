# `cmake --install`: the programs (placed by cimxml_install_program), the
# libraries with their SONAMEs, the public headers, the default schema and
# configuration, and what another program needs to build on the libraries:
# pkg-config files and a CMake package (find_package(cimxml)).

# The libraries a program builds on, exported as cimxml::cimobj,
# cimxml::client and cimxml::cimom.
set_target_properties(cimxmlclient PROPERTIES EXPORT_NAME client)
install(TARGETS cimobj cimxmlclient cimom EXPORT cimxmlTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The server module (loaded by cimxmld, or any host, with dlopen) and the
# libraries only it needs: no headers of theirs are installed.
install(TARGETS cimxml LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS utils zellib LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)

# Public headers: the module's interface and client half, the object
# library, the object manager. The module's internals stay in src/.
install(DIRECTORY include/cimxml DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(DIRECTORY server/base/cimobj/include/cimobj DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY server/cimom/include/cimom DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(DIRECTORY server/cimom/schema/ DESTINATION ${CIMXML_SCHEMA_INSTALL_DIR} FILES_MATCHING PATTERN "*.mof")

# The CMake package.
include(CMakePackageConfigHelpers)
install(EXPORT cimxmlTargets NAMESPACE cimxml:: DESTINATION ${CIMXML_CMAKE_INSTALL_DIR})
configure_package_config_file(cmake/package/cimxmlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/cimxmlConfig.cmake INSTALL_DESTINATION ${CIMXML_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/cimxmlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/cimxmlConfig.cmake ${PROJECT_BINARY_DIR}/package/cimxmlConfigVersion.cmake
  DESTINATION ${CIMXML_CMAKE_INSTALL_DIR})

# pkg-config files, relative to their own place (${pcfiledir}) so that a
# relocated tree still answers; under /usr, the plain system paths.
cimxml_relative_path(CIMXML_PC_TO_PREFIX "${CMAKE_INSTALL_LIBDIR}/pkgconfig" "")
set(CIMXML_PC_PREFIX "\${pcfiledir}/${CIMXML_PC_TO_PREFIX}")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(CIMXML_PC_PREFIX "/usr")
endif()
foreach(pc cimxml-cimobj cimxml-client cimxml-cimom)
  configure_file(cmake/package/${pc}.pc.in ${PROJECT_BINARY_DIR}/package/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/package/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

add_subdirectory(dist)
