# Every source of the system's own code: the builder, the simulators and the
# external back end. The library and the fuzz targets compile the same list.
file(GLOB_RECURSE PLIM_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/libplim/src/*.cpp
  ${PROJECT_SOURCE_DIR}/fenn/src/*.cpp
  ${PROJECT_SOURCE_DIR}/external_backend/src/*.cpp)
