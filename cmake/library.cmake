# The C library: libkalendo.a and libkalendo.so over the same objects, the
# interface headers, and what `cmake --install` puts in place for other
# builds: a CMake package (find_package(kalendo CONFIG) -> kalendo::kalendo)
# and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The shared library's ABI number, raised when a change breaks callers built
# against an earlier one; the release version moves on its own.
set(KALENDO_SOVERSION 1)
set(KALENDO_RELEASE 0.4.0)

add_library(kalendo_capi OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/src/capi/capi.cpp)
target_compile_options(kalendo_capi PRIVATE -iquote ${CMAKE_CURRENT_SOURCE_DIR}/src)
target_include_directories(kalendo_capi PUBLIC
                           $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>)

foreach(kind static shared)
  string(TOUPPER ${kind} kind_upper)
  add_library(kalendo_${kind} ${kind_upper} $<TARGET_OBJECTS:kalendo_capi>
              $<TARGET_OBJECTS:kalendo_core_objects> $<TARGET_OBJECTS:kalendo_nanoarrow>)
  target_include_directories(kalendo_${kind} PUBLIC
                             $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
                             $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  set_target_properties(kalendo_${kind} PROPERTIES OUTPUT_NAME kalendo LINKER_LANGUAGE CXX)
endforeach()
target_link_libraries(kalendo_shared PRIVATE Threads::Threads)
# Callers see kalendo::kalendo (shared) and kalendo::kalendo_static.
set_target_properties(kalendo_shared PROPERTIES EXPORT_NAME kalendo VERSION ${KALENDO_SOVERSION}.0.0
                      SOVERSION ${KALENDO_SOVERSION})
set_target_properties(kalendo_static PROPERTIES EXPORT_NAME kalendo_static)
# The shared library exports the C interface and nothing else: the core's
# C++ symbols and the standard library's template code stay inside.
target_link_options(kalendo_shared PRIVATE
                    -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/src/capi/kalendo.map)
# Every symbol resolved at link time; sanitizer builds leave their runtime to
# the executable.
if(NOT KALENDO_SANITIZE AND NOT KALENDO_FUZZ)
  target_link_options(kalendo_shared PRIVATE -Wl,--no-undefined)
endif()
set_target_properties(kalendo_shared PROPERTIES LINK_DEPENDS
                      ${CMAKE_CURRENT_SOURCE_DIR}/src/capi/kalendo.map)

if(KALENDO_INSTALL_LIBRARY)
  install(TARGETS kalendo_static kalendo_shared EXPORT kalendoTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/kalendo
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/kalendo)
  install(EXPORT kalendoTargets NAMESPACE kalendo:: DESTINATION ${config_dir})
  configure_package_config_file(${CMAKE_CURRENT_SOURCE_DIR}/cmake/kalendoConfig.cmake.in
                                ${CMAKE_CURRENT_BINARY_DIR}/kalendoConfig.cmake
                                INSTALL_DESTINATION ${config_dir})
  # 0.x releases: a new minor version may break callers.
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/kalendoConfigVersion.cmake
                                   VERSION ${KALENDO_RELEASE} COMPATIBILITY SameMinorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kalendoConfig.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/kalendoConfigVersion.cmake
          DESTINATION ${config_dir})
  # The pkg-config file finds its prefix from where it lies, so that
  # `cmake --install --prefix` anywhere gives a working file.
  file(RELATIVE_PATH KALENDO_PC_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/cmake/kalendo.pc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/kalendo.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kalendo.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
