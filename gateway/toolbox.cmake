# Build rules shared by every plug-in.
#
#   toolbox_plugin(NAME <name> SOURCES <gateway sources> LINK <kernel libraries>
#                  [BLAS] [HELP <help .m file>])
#
# builds the plug-in <name> once per enabled host:
#   Octave     ${TOOLBOX_DIR}/<name>.mex, against Octave's own mex.h
#   test host  ${TESTHOST_PLUGIN_DIR}/<name>.so, against gateway/testhost/mex.h
#   MATLAB     through CMake's matlab_add_mex (TOOLBOX_MATLAB=ON)
# Each exports mexFunction alone. The help file is copied beside the Octave
# plug-in, where `help <name>` finds it.

set(TOOLBOX_GATEWAY_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TOOLBOX_DIR ${CMAKE_BINARY_DIR}/toolbox CACHE PATH "Where the Octave plug-ins and their help files go")
set(TESTHOST_PLUGIN_DIR ${CMAKE_BINARY_DIR}/testhost-plugins)
file(MAKE_DIRECTORY ${TOOLBOX_DIR} ${TESTHOST_PLUGIN_DIR})

if(TOOLBOX_OCTAVE)
  find_program(MKOCTFILE mkoctfile)
  if(NOT MKOCTFILE)
    message(FATAL_ERROR "mkoctfile not found: install liboctave-dev, or configure with -DTOOLBOX_OCTAVE=OFF")
  endif()
  foreach(var INCFLAGS OCTAVE_LIBS OCTLIBDIR BLAS_LIBS)
    execute_process(COMMAND ${MKOCTFILE} -p ${var} OUTPUT_VARIABLE _v OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(_v UNIX_COMMAND "${_v}")
    set(OCTAVE_${var} ${_v})
  endforeach()
  string(REPLACE "-I" "" OCTAVE_INCLUDE_DIRS "${OCTAVE_INCFLAGS}")
endif()

if(TOOLBOX_MATLAB)
  find_package(Matlab REQUIRED COMPONENTS MX_LIBRARY BLAS_LIBRARY)
endif()

# The host's BLAS: what Octave links (mkoctfile -p BLAS_LIBS), else the system's.
if(OCTAVE_BLAS_LIBS)
  set(TOOLBOX_BLAS_LIBS ${OCTAVE_BLAS_LIBS})
else()
  find_package(BLAS REQUIRED)
  set(TOOLBOX_BLAS_LIBS ${BLAS_LIBRARIES})
endif()
if(TOOLBOX_BLAS_INT64)
  set(TOOLBOX_BLAS_DEFS TOOLBOX_BLAS_INT64=1)
endif()

function(_toolbox_plugin_common target name)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PRIVATE ${TOOLBOX_GATEWAY_DIR})
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE
      -Wl,--version-script=${TOOLBOX_GATEWAY_DIR}/mexFunction.map -Wl,--no-undefined)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TOOLBOX_GATEWAY_DIR}/mexFunction.map)
  endif()
endfunction()

function(toolbox_plugin)
  cmake_parse_arguments(P "BLAS" "NAME;HELP" "SOURCES;LINK" ${ARGN})
  set(sources ${P_SOURCES} ${TOOLBOX_GATEWAY_DIR}/mexargs.cpp)
  set(libs ${P_LINK})
  if(P_BLAS)
    list(APPEND libs ${TOOLBOX_BLAS_LIBS})
  endif()

  if(TOOLBOX_OCTAVE)
    add_library(${P_NAME}_octave MODULE ${sources})
    _toolbox_plugin_common(${P_NAME}_octave ${P_NAME})
    set_target_properties(${P_NAME}_octave PROPERTIES SUFFIX ".mex"
      LIBRARY_OUTPUT_DIRECTORY ${TOOLBOX_DIR})
    target_include_directories(${P_NAME}_octave PRIVATE ${OCTAVE_INCLUDE_DIRS})
    target_link_libraries(${P_NAME}_octave PRIVATE ${libs} ${OCTAVE_OCTAVE_LIBS})
    target_link_directories(${P_NAME}_octave PRIVATE ${OCTAVE_OCTLIBDIR})
    target_compile_definitions(${P_NAME}_octave PRIVATE ${TOOLBOX_BLAS_DEFS})
    if(P_HELP)
      configure_file(${P_HELP} ${TOOLBOX_DIR}/${P_NAME}.m COPYONLY)
    endif()
  endif()

  if(TOOLBOX_TESTHOST)
    add_library(${P_NAME}_testhost MODULE ${sources})
    _toolbox_plugin_common(${P_NAME}_testhost ${P_NAME})
    set_target_properties(${P_NAME}_testhost PROPERTIES SUFFIX ".so"
      LIBRARY_OUTPUT_DIRECTORY ${TESTHOST_PLUGIN_DIR})
    target_include_directories(${P_NAME}_testhost BEFORE PRIVATE ${TOOLBOX_GATEWAY_DIR}/testhost)
    target_link_libraries(${P_NAME}_testhost PRIVATE ${libs} mextesthost)
    target_compile_definitions(${P_NAME}_testhost PRIVATE ${TOOLBOX_BLAS_DEFS})
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_TESTHOST_PLUGINS ${P_NAME}_testhost)
  endif()

  if(TOOLBOX_MATLAB)
    # MATLAB's plug-ins link its own BLAS (libmwblas), which takes 64-bit
    # integers on 64-bit hosts.
    set(mlibs ${P_LINK})
    if(P_BLAS)
      list(APPEND mlibs ${Matlab_BLAS_LIBRARY})
    endif()
    matlab_add_mex(NAME ${P_NAME}_matlab SRC ${sources} OUTPUT_NAME ${P_NAME}
      LINK_TO ${mlibs} R2017b)
    target_include_directories(${P_NAME}_matlab PRIVATE ${TOOLBOX_GATEWAY_DIR})
    if(P_BLAS)
      target_compile_definitions(${P_NAME}_matlab PRIVATE TOOLBOX_BLAS_INT64=1)
    endif()
    set_target_properties(${P_NAME}_matlab PROPERTIES
      CXX_VISIBILITY_PRESET hidden LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/matlab)
  endif()
endfunction()

# A host-independent kernel library: static, position-independent, linked
# into each plug-in that uses it and into the kernel tests.
function(toolbox_kernels name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${TOOLBOX_GATEWAY_DIR})
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden)
endfunction()
