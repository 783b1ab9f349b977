# All of the system's code is compiled once into an object library; the shared
# library that hosts load exports only the C families, and the tests link the
# same objects statically so they can reach the C++ internals. The objects
# link no closed library: each library made from them picks the real stand-in
# or, for the back end's own tests, its recording variant.
include(${PROJECT_SOURCE_DIR}/cmake/sources.cmake)

add_library(plim_objects OBJECT ${PLIM_SOURCES})
target_include_directories(plim_objects
  PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR} ${XXHASH_INCLUDE_DIR})
target_compile_definitions(plim_objects PUBLIC PLIM_BUILDING_LIBRARY)
target_link_libraries(plim_objects PUBLIC Boost::headers Threads::Threads)

add_library(plim SHARED $<TARGET_OBJECTS:plim_objects>)
target_include_directories(plim PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# The closed library is linked by name, as the real one would be, so that
# the exported package holds plim alone.
target_link_libraries(plim PRIVATE Threads::Threads
  -L$<TARGET_FILE_DIR:tz_nivra> -ltz_nivra)
add_dependencies(plim tz_nivra)
# The worker pool's threads live until the host exits and run the library's
# code: dlclose must not unmap it under them (-z nodelete).
target_link_options(plim PRIVATE
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map -Wl,--no-undefined
  -Wl,-z,nodelete)
set_target_properties(plim PROPERTIES
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/exports.map
  INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

add_library(plim_static STATIC $<TARGET_OBJECTS:plim_objects>)
target_link_libraries(plim_static PUBLIC plim_objects tz_nivra)

if(PLIM_BUILD_TESTS)
  add_library(plim_static_recording STATIC $<TARGET_OBJECTS:plim_objects>)
  target_link_libraries(plim_static_recording PUBLIC plim_objects tz_nivra_recording)
endif()

# What an installation holds: the public headers, the shared library with its
# version and SONAME, the stand-in closed library beside it (where $ORIGIN
# finds it), a CMake package exporting plim::plim, and a pkg-config file.
# Its dependencies stay private: a host links the library and nothing else.
install(FILES
  ${PROJECT_SOURCE_DIR}/include/plim.h ${PROJECT_SOURCE_DIR}/include/fenn.h
  ${PROJECT_SOURCE_DIR}/include/tessor_nivra.h ${PROJECT_SOURCE_DIR}/include/plim_export.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS plim EXPORT plimTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS tz_nivra LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

set(PLIM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/plim)
install(EXPORT plimTargets NAMESPACE plim:: DESTINATION ${PLIM_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/plimConfig.cmake.in
  ${PROJECT_BINARY_DIR}/plimConfig.cmake INSTALL_DESTINATION ${PLIM_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/plimConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/plimConfig.cmake ${PROJECT_BINARY_DIR}/plimConfigVersion.cmake
  DESTINATION ${PLIM_CMAKE_DIR})

# The prefix is known only when installing (cmake --install --prefix), so the
# pkg-config file is written then.
install(CODE "
  get_filename_component(PLIM_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
  set(PLIM_PC_VERSION \"${PROJECT_VERSION}\")
  set(PLIM_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(PLIM_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/plim.pc.in\" \"${PROJECT_BINARY_DIR}/plim.pc\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/plim.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
