# Where `cmake --install` puts things (GNUInstallDirs), and how installed
# programs and libraries find each other: relative to where they lie, so
# that DESTDIR and a relocated prefix work without a rebuild.
#   -DCIMXML_INSTALL_RPATH=OFF   no RUNPATH in installed files (distribution
#                                packages, whose libraries are on the system
#                                search path)
include(GNUInstallDirs)
option(CIMXML_INSTALL_RPATH "Give installed programs and libraries a RUNPATH relative to themselves" ON)

set(CIMXML_SOVERSION ${PROJECT_VERSION_MAJOR})
set(CIMXML_DATA_DIR "${CMAKE_INSTALL_DATADIR}/cimxml")
set(CIMXML_SCHEMA_INSTALL_DIR "${CIMXML_DATA_DIR}/schema")
set(CIMXML_CONFIG_INSTALL_DIR "${CMAKE_INSTALL_SYSCONFDIR}/cimxml")
set(CIMXML_CMAKE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/cimxml")

# cimxml_relative_path(OUT FROM TO): TO seen from FROM, both relative to the
# install prefix ("sbin", "lib/x86_64-linux-gnu" -> "../lib/x86_64-linux-gnu").
function(cimxml_relative_path out from to)
  file(RELATIVE_PATH rel "/prefix/${from}" "/prefix/${to}")
  set(${out} "${rel}" PARENT_SCOPE)
endfunction()

cimxml_relative_path(CIMXML_SBIN_TO_LIB ${CMAKE_INSTALL_SBINDIR} ${CMAKE_INSTALL_LIBDIR})
cimxml_relative_path(CIMXML_BIN_TO_LIB ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR})
cimxml_relative_path(CIMXML_LIB_TO_SCHEMA ${CMAKE_INSTALL_LIBDIR} ${CIMXML_SCHEMA_INSTALL_DIR})

if(CIMXML_INSTALL_RPATH)
  # Libraries find each other next to themselves; programs set their own.
  set(CMAKE_INSTALL_RPATH "$ORIGIN")
else()
  set(CMAKE_SKIP_INSTALL_RPATH ON)
endif()

# cimxml_install_program(TARGET DIR_VAR): installs a program into
# CMAKE_INSTALL_<DIR_VAR> with a RUNPATH to the installed libraries.
function(cimxml_install_program target dir_var)
  cimxml_relative_path(rel ${CMAKE_INSTALL_${dir_var}} ${CMAKE_INSTALL_LIBDIR})
  if(CIMXML_INSTALL_RPATH)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${rel}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_${dir_var}} )
endfunction()

# cimxml_versioned_library(TARGET): the project's SONAME (lib<name>.so.<major>).
function(cimxml_versioned_library target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${CIMXML_SOVERSION})
endfunction()
