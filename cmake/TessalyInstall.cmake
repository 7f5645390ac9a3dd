# What `cmake --install` puts under a prefix: the SDK (library, headers, a
# pkg-config file and a CMake package) for programs outside this repository,
# and the two programs, the desktop one with its menu entry and icon. Targets
# are named here rather than where they are built, so that the install rules
# stay in one place while those folders change.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TSL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/tessaly)
set(TSL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessaly)
set(TSL_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS Tessaly EXPORT TessalyTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${TSL_INSTALL_INCLUDEDIR}
  INCLUDES DESTINATION ${TSL_INSTALL_INCLUDEDIR})

install(EXPORT TessalyTargets
  NAMESPACE Tessaly::
  FILE TessalyTargets.cmake
  DESTINATION ${TSL_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TessalyConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/TessalyConfig.cmake
  INSTALL_DESTINATION ${TSL_INSTALL_CMAKEDIR})
# The exports carry C++ signatures (std::function), so a caller needs the
# same major version, and the same compiler and standard library.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TessalyConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/TessalyConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/TessalyConfigVersion.cmake
  DESTINATION ${TSL_INSTALL_CMAKEDIR})

# The pkg-config file finds its prefix from where it lies, so that the tree
# still works when installed with `--prefix` or moved after installing.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(TSL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH TSL_PC_PREFIX "/${TSL_INSTALL_PKGCONFIGDIR}" "/")
  string(REGEX REPLACE "/$" "" TSL_PC_PREFIX "\${pcfiledir}/${TSL_PC_PREFIX}")
endif()
set(TSL_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
set(TSL_PC_INCLUDEDIR "${TSL_INSTALL_INCLUDEDIR}")
foreach(var TSL_PC_LIBDIR TSL_PC_INCLUDEDIR)
  if(NOT IS_ABSOLUTE "${${var}}")
    set(${var} "\${prefix}/${${var}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tessaly.pc.in ${CMAKE_CURRENT_BINARY_DIR}/tessaly.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessaly.pc DESTINATION ${TSL_INSTALL_PKGCONFIGDIR})

# Installed programs find the installed library beside them without
# ldconfig or LD_LIBRARY_PATH; in the build tree they keep the build's path.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(TSL_INSTALL_RPATH "${CMAKE_INSTALL_FULL_LIBDIR}")
else()
  file(RELATIVE_PATH TSL_INSTALL_RPATH "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
  set(TSL_INSTALL_RPATH "$ORIGIN/${TSL_INSTALL_RPATH}")
endif()

if(TARGET QtTessaly)
  set_target_properties(QtTessaly PROPERTIES INSTALL_RPATH "${TSL_INSTALL_RPATH}")
  install(TARGETS QtTessaly RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Where a desktop's menu looks: the entry, and its icon by name in the
  # fallback theme (the window icon's picture, bitmap and vector).
  install(FILES ${PROJECT_SOURCE_DIR}/resources/QtTessaly.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icon/device.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME QtTessaly.png)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icon/device.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME QtTessaly.svg)
endif()

if(TARGET tessaly-devsim)
  install(TARGETS tessaly-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
