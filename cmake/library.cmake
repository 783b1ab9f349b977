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
target_include_directories(plim PUBLIC ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(plim PRIVATE Threads::Threads tz_nivra)
# The worker pool's threads live until the host exits and run the library's
# code: dlclose must not unmap it under them (-z nodelete).
target_link_options(plim PRIVATE
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map -Wl,--no-undefined
  -Wl,-z,nodelete)
set_target_properties(plim PROPERTIES
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/exports.map
  INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)

add_library(plim_static STATIC $<TARGET_OBJECTS:plim_objects>)
target_link_libraries(plim_static PUBLIC plim_objects tz_nivra)

if(PLIM_BUILD_TESTS)
  add_library(plim_static_recording STATIC $<TARGET_OBJECTS:plim_objects>)
  target_link_libraries(plim_static_recording PUBLIC plim_objects tz_nivra_recording)
endif()
