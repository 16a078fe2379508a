# SPDX-License-Identifier: MIT
# Ostrel for other projects: the library, its public headers under include/Ostrel, an export
# set with OstrelConfig.cmake and OstrelConfigVersion.cmake (find_package(Ostrel) gives
# Ostrel::Ostrel), Ostrel.pc for pkg-config, and the Designer plugin in Qt's plugin folder
# under the same prefix.
# Install components: Ostrel (what a program needs at run time), OstrelDevelopment (what
# building against it needs; the Designer plugin too, as only a developer's Designer loads it).
include(CMakePackageConfigHelpers)

set_target_properties(ostrel PROPERTIES EXPORT_NAME Ostrel)
install(TARGETS ostrel EXPORT OstrelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          COMPONENT Ostrel NAMELINK_COMPONENT OstrelDevelopment
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Ostrel
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT OstrelDevelopment
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The public headers, as CMakeLists.txt lists them.
install(FILES ${OSTREL_PUBLIC_HEADERS}
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Ostrel COMPONENT OstrelDevelopment)

# The package's own version is the library's, not the program's.
get_target_property(ostrel_version ostrel VERSION)
set(ostrel_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Ostrel)
install(EXPORT OstrelTargets NAMESPACE Ostrel:: DESTINATION ${ostrel_cmake_dir}
        COMPONENT OstrelDevelopment)
configure_package_config_file(OstrelConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/OstrelConfig.cmake INSTALL_DESTINATION ${ostrel_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OstrelConfigVersion.cmake
  VERSION ${ostrel_version} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OstrelConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/OstrelConfigVersion.cmake
        DESTINATION ${ostrel_cmake_dir} COMPONENT OstrelDevelopment)

# pkg-config: Ostrel.pc beside the CMake files' folder, its prefix taken from where it lies
# (${pcfiledir}), so that the same file serves /usr, ~/.local or an unpacked package.
set(ostrel_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH OSTREL_PC_TO_PREFIX /prefix/${ostrel_pc_dir} /prefix)
string(REGEX REPLACE "/$" "" OSTREL_PC_TO_PREFIX "${OSTREL_PC_TO_PREFIX}")
set(OSTREL_VERSION ${ostrel_version})
configure_file(Ostrel.pc.in ${CMAKE_CURRENT_BINARY_DIR}/Ostrel.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/Ostrel.pc DESTINATION ${ostrel_pc_dir}
        COMPONENT OstrelDevelopment)

# Qt's plugin folder, relative to the prefix as Qt names it (lib/<multiarch>/qt6/plugins on
# Debian), so that a Designer of the same prefix finds the plugin without QT_PLUGIN_PATH.
# The plugin finds libOstrel through a RUNPATH relative to itself, whatever the prefix.
if(TARGET ostrel_designer)
  if(DEFINED QT6_INSTALL_PLUGINS AND NOT IS_ABSOLUTE "${QT6_INSTALL_PLUGINS}")
    set(ostrel_qt_plugins ${QT6_INSTALL_PLUGINS})
  else()
    set(ostrel_qt_plugins ${CMAKE_INSTALL_LIBDIR}/qt6/plugins)
  endif()
  set(OSTREL_DESIGNER_PLUGIN_DIR ${ostrel_qt_plugins}/designer CACHE STRING
      "Where the Designer plugin is installed, relative to the prefix")
  file(RELATIVE_PATH ostrel_lib_from_plugin /prefix/${OSTREL_DESIGNER_PLUGIN_DIR}
       /prefix/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(ostrel_designer PROPERTIES INSTALL_RPATH "$ORIGIN/${ostrel_lib_from_plugin}")
  install(TARGETS ostrel_designer
          LIBRARY DESTINATION ${OSTREL_DESIGNER_PLUGIN_DIR} COMPONENT OstrelDevelopment)
endif()
