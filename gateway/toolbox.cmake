# The registry of plug-ins and the build rules shared by every plug-in.
#
# plugins.list holds the registry (see there); reading it sets
#   TOOLBOX_PLUGINS                      the names, in the registry's order
#   TOOLBOX_PLUGIN_<name>_<FIELD>        each field of its entry: CATEGORY,
#                                        FAMILY, KERNELS (a list, from the
#                                        top of the tree), BLAS (TRUE or
#                                        FALSE), USAGE, INPUTS, UINT32, OUTPUT,
#                                        PRINTS, EXAMPLE, RESULT
#   TOOLBOX_CATEGORIES                   the category keys, in order
#   TOOLBOX_CATEGORY_<key>_TITLE         a category's title
# and writes into the build folder
#   registry/toolbox_registry.h          the registry and its error contract
#                                        (plugins.errors) for C++, which the
#                                        library toolbox_registry reads
#                                        (tests/registry.h);
#   Contents.m                           doc/Contents.m with the version and,
#                                        for @PLUGINS@, one line a plug-in
#                                        (its help file's first line) under
#                                        its category's title
#                                        (TOOLBOX_CONTENTS).
#
#   toolbox_kernels(<folder>)
#     the static library <folder>_kernels of the listed kernel sources in
#     <folder>, linked into each plug-in that uses them and into the tests.
#     The kernels of a plug-in that calls the BLAS are compiled into the
#     plug-in itself instead, with the width of the BLAS integer its host
#     takes (TOOLBOX_BLAS_INT64; MATLAB's is 64 bits);
#   toolbox_plugin(<name>)
#     the plug-in, once per enabled host form:
#       Octave, native  ${TOOLBOX_DIR}/<name>.oct       (TOOLBOX_OCTAVE, on a
#                       checked Octave: TOOLBOX_OCTAVE_NATIVE)
#       Octave, MEX     ${TOOLBOX_MEX_DIR}/<name>.mex   (TOOLBOX_OCTAVE; in
#                       TOOLBOX_DIR where the native form is not built)
#       test host       ${TESTHOST_PLUGIN_DIR}/<name>.so (TOOLBOX_TESTHOST;
#                       <name>.mexw64 on Windows)
#       MATLAB          ${TOOLBOX_MATLAB_DIR}/<name>.<mexext>, through
#                       matlab_add_mex                   (TOOLBOX_MATLAB)
#     each from gateway/plugins/<name>.cpp and the adaptor of its form, with
#     its help file beside the Octave forms, where `help <name>` finds it.

set(TOOLBOX_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(TOOLBOX_ROOT ${TOOLBOX_ROOT} ABSOLUTE)
set(TOOLBOX_GATEWAY_DIR ${TOOLBOX_ROOT}/gateway)
set(TOOLBOX_PLUGIN_LIST ${TOOLBOX_ROOT}/plugins.list)
set(TOOLBOX_DIR ${CMAKE_BINARY_DIR}/toolbox CACHE PATH "Where the native Octave plug-ins and their help files go")
set(TOOLBOX_MEX_DIR ${CMAKE_BINARY_DIR}/toolbox-mex CACHE PATH "Where the MEX plug-ins for Octave and their help files go")
set(TOOLBOX_MATLAB_DIR ${CMAKE_BINARY_DIR}/toolbox-matlab CACHE PATH "Where the MEX files for MATLAB and their help files go")
set(TESTHOST_PLUGIN_DIR ${CMAKE_BINARY_DIR}/testhost-plugins)
# The test host's plug-ins carry the extension of the system's MEX files
# where that is a DLL's (testhost/library.h).
if(WIN32)
  set(TESTHOST_PLUGIN_SUFFIX .mexw64)
else()
  set(TESTHOST_PLUGIN_SUFFIX .so)
endif()
set(TOOLBOX_HELP_DIR ${CMAKE_BINARY_DIR}/help)
file(MAKE_DIRECTORY ${TOOLBOX_DIR} ${TOOLBOX_MEX_DIR} ${TESTHOST_PLUGIN_DIR} ${TOOLBOX_HELP_DIR})

# ---- The registry --------------------------------------------------------
set(TOOLBOX_PLUGIN_ERRORS ${TOOLBOX_ROOT}/plugins.errors)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOOLBOX_PLUGIN_LIST} ${TOOLBOX_PLUGIN_ERRORS})
set(_toolbox_fields CATEGORY FAMILY KERNELS BLAS USAGE INPUTS UINT32 OUTPUT PRINTS EXAMPLE RESULT)
set(_toolbox_required CATEGORY FAMILY KERNELS USAGE INPUTS OUTPUT EXAMPLE RESULT)
# The lines of a file as a list, each ';' in them kept as "<semicolon>" (a list
# would split there).
function(_toolbox_lines file out)
  file(READ ${file} text)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
_toolbox_lines(${TOOLBOX_PLUGIN_LIST} _lines)
set(TOOLBOX_PLUGINS)
set(TOOLBOX_CATEGORIES)
set(_name "")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  string(REPLACE "<semicolon>" ";" _line "${_line}")
  string(STRIP "${_line}" _text)
  if(_line MATCHES "^category[ \t]+([a-z0-9_]+)[ \t]+(.+)$")
    list(APPEND TOOLBOX_CATEGORIES ${CMAKE_MATCH_1})
    set(TOOLBOX_CATEGORY_${CMAKE_MATCH_1}_TITLE "${CMAKE_MATCH_2}")
  elseif(_line MATCHES "^plugin[ \t]+([a-z][a-z0-9_]*)$")
    set(_name ${CMAKE_MATCH_1})
    if(_name IN_LIST TOOLBOX_PLUGINS)
      message(FATAL_ERROR "plugins.list: ${_name} has two entries")
    endif()
    list(APPEND TOOLBOX_PLUGINS ${_name})
    foreach(_f ${_toolbox_fields})
      set(TOOLBOX_PLUGIN_${_name}_${_f} "")
    endforeach()
    set(TOOLBOX_PLUGIN_${_name}_BLAS FALSE)
  elseif(_line MATCHES "^[ \t]" AND NOT _name STREQUAL "" AND _text MATCHES "^([a-z][a-z0-9]*)[ \t]*(.*)$")
    string(TOUPPER ${CMAKE_MATCH_1} _field)
    set(_value "${CMAKE_MATCH_2}")
    if(NOT _field IN_LIST _toolbox_fields)
      message(FATAL_ERROR "plugins.list: ${_name} has a field \"${CMAKE_MATCH_1}\", which the registry does not know")
    endif()
    if(_field STREQUAL "BLAS")
      set(_value TRUE)
    elseif(_field STREQUAL "KERNELS")
      separate_arguments(_value UNIX_COMMAND "${_value}")
    endif()
    set(TOOLBOX_PLUGIN_${_name}_${_field} "${_value}")
  else()
    message(FATAL_ERROR "plugins.list: cannot read the line \"${_line}\"")
  endif()
endforeach()
foreach(_name ${TOOLBOX_PLUGINS})
  foreach(_f ${_toolbox_required})
    if("${TOOLBOX_PLUGIN_${_name}_${_f}}" STREQUAL "")
      string(TOLOWER ${_f} _f)
      message(FATAL_ERROR "plugins.list: ${_name} has no field \"${_f}\"")
    endif()
  endforeach()
  separate_arguments(_in UNIX_COMMAND "${TOOLBOX_PLUGIN_${_name}_INPUTS}")
  separate_arguments(_u32 UNIX_COMMAND "${TOOLBOX_PLUGIN_${_name}_UINT32}")
  foreach(_u ${_u32})
    if(NOT _u IN_LIST _in)
      message(FATAL_ERROR "plugins.list: ${_name} names ${_u} as a uint32 input, but has no input ${_u}")
    endif()
  endforeach()
  if(NOT TOOLBOX_PLUGIN_${_name}_CATEGORY IN_LIST TOOLBOX_CATEGORIES)
    message(FATAL_ERROR "plugins.list: ${_name} names the category ${TOOLBOX_PLUGIN_${_name}_CATEGORY}, which no category line gives")
  endif()
  foreach(_f ${TOOLBOX_PLUGIN_${_name}_KERNELS} gateway/plugins/${_name}.cpp gateway/plugins/${_name}.m)
    if(NOT EXISTS ${TOOLBOX_ROOT}/${_f})
      message(FATAL_ERROR "plugins.list: ${_name} needs ${_f}, which is missing")
    endif()
  endforeach()
endforeach()

# The registry for C++: one entry a plug-in, its fields as the list gives
# them, and the error table as it stands.
set(_entries "")
foreach(_name ${TOOLBOX_PLUGINS})
  set(_blas false)
  if(TOOLBOX_PLUGIN_${_name}_BLAS)
    set(_blas true)
  endif()
  string(APPEND _entries "    {\"${_name}\", \"${TOOLBOX_PLUGIN_${_name}_CATEGORY}\", \"${TOOLBOX_PLUGIN_${_name}_FAMILY}\", ${_blas},\n")
  foreach(_f USAGE INPUTS UINT32 OUTPUT PRINTS EXAMPLE RESULT)
    string(APPEND _entries "     R\"registry(${TOOLBOX_PLUGIN_${_name}_${_f}})registry\",\n")
  endforeach()
  string(APPEND _entries "    },\n")
endforeach()
file(READ ${TOOLBOX_PLUGIN_ERRORS} _errors)
set(TOOLBOX_REGISTRY_DIR ${CMAKE_BINARY_DIR}/registry)
file(CONFIGURE OUTPUT ${TOOLBOX_REGISTRY_DIR}/toolbox_registry.h CONTENT
"// Made from plugins.list and plugins.errors when the build is configured.
#pragma once

namespace registry_data {

struct Entry {
    const char* name;
    const char* category;
    const char* family;
    bool blas;
    const char* usage;
    const char* inputs;
    const char* uint32;
    const char* output;
    const char* prints;
    const char* example;
    const char* result;
};

inline constexpr Entry kEntries[] = {
@_entries@};

inline constexpr const char* kErrorTable = R\"registry(@_errors@)registry\";

}  // namespace registry_data
" @ONLY)
# What the C++ tools read of it (tests/registry.h).
add_library(toolbox_registry STATIC ${TOOLBOX_ROOT}/tests/registry.cpp)
target_include_directories(toolbox_registry PUBLIC ${TOOLBOX_REGISTRY_DIR} ${TOOLBOX_ROOT}/tests)

# Contents.m: the template's @PLUGINS@ becomes each category's title (in the
# order the plug-ins first use them) and a line a plug-in, "%   NAME - H1" with the name padded to 12, the H1 the
# first line of its help file without "%NAME ".
set(_plugin_lines "")
set(_used)
foreach(_name ${TOOLBOX_PLUGINS})
  list(APPEND _used ${TOOLBOX_PLUGIN_${_name}_CATEGORY})
endforeach()
list(REMOVE_DUPLICATES _used)
foreach(_category ${_used})
  set(_block "")
  foreach(_name ${TOOLBOX_PLUGINS})
    if(NOT TOOLBOX_PLUGIN_${_name}_CATEGORY STREQUAL _category)
      continue()
    endif()
    set(_help ${TOOLBOX_GATEWAY_DIR}/plugins/${_name}.m)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_help})
    _toolbox_lines(${_help} _h1)
    list(GET _h1 1 _h1)
    string(REPLACE "<semicolon>" ";" _h1 "${_h1}")
    string(REGEX REPLACE "^%[A-Za-z0-9_]+ " "" _h1 "${_h1}")
    set(_padded "${_name}")
    string(LENGTH "${_padded}" _n)
    while(_n LESS 12)
      string(APPEND _padded " ")
      math(EXPR _n "${_n} + 1")
    endwhile()
    string(APPEND _block "%   ${_padded} - ${_h1}\n")
  endforeach()
  if(NOT _block STREQUAL "")
    string(APPEND _plugin_lines "% ${TOOLBOX_CATEGORY_${_category}_TITLE}\n${_block}%\n")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOOLBOX_ROOT}/doc/Contents.m ${TOOLBOX_ROOT}/VERSION)
file(READ ${TOOLBOX_ROOT}/doc/Contents.m _contents)
string(REPLACE "%\n@PLUGINS@\n" "%\n${_plugin_lines}" _contents "${_contents}")
file(STRINGS ${TOOLBOX_ROOT}/VERSION _version LIMIT_COUNT 1)
string(REPLACE "@VERSION@" "${_version}" _contents "${_contents}")
set(TOOLBOX_CONTENTS ${CMAKE_BINARY_DIR}/Contents.m)
file(CONFIGURE OUTPUT ${TOOLBOX_CONTENTS} CONTENT "${_contents}" @ONLY)

# ---- Hosts -----------------------------------------------------------------
if(TOOLBOX_OCTAVE)
  find_program(MKOCTFILE mkoctfile)
  if(NOT MKOCTFILE)
    message(FATAL_ERROR "mkoctfile not found: install octave-dev, or configure with -DTOOLBOX_OCTAVE=OFF")
  endif()
  foreach(var INCFLAGS OCTAVE_LIBS OCTLIBDIR BLAS_LIBS API_VERSION OCTAVE_VERSION)
    execute_process(COMMAND ${MKOCTFILE} -p ${var} OUTPUT_VARIABLE _v OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(_v UNIX_COMMAND "${_v}")
    set(OCTAVE_${var} ${_v})
  endforeach()
  string(REPLACE "-I" "" OCTAVE_INCLUDE_DIRS "${OCTAVE_INCFLAGS}")

  # The native form reaches into Octave's own classes: it is built only for
  # the API versions its adaptor has been checked against. Elsewhere the MEX
  # form, which uses Octave's published MEX interface alone, takes its place
  # in TOOLBOX_DIR (and the tests of the native form run on it).
  set(TOOLBOX_OCTAVE_CHECKED ${TOOLBOX_GATEWAY_DIR}/octave/checked_versions CACHE FILEPATH
      "The Octave API versions the native adaptor has been checked against")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOOLBOX_OCTAVE_CHECKED})
  file(STRINGS ${TOOLBOX_OCTAVE_CHECKED} _checked REGEX "^[ \t]*[^# \t]")
  set(TOOLBOX_OCTAVE_NATIVE OFF)
  foreach(_line IN LISTS _checked)
    string(REGEX MATCH "^[ \t]*[^ \t]+" _api "${_line}")
    string(STRIP "${_api}" _api)
    if(_api STREQUAL OCTAVE_API_VERSION)
      set(TOOLBOX_OCTAVE_NATIVE ON)
    endif()
  endforeach()
  if(TOOLBOX_OCTAVE_NATIVE)
    message(STATUS "Octave ${OCTAVE_OCTAVE_VERSION} (${OCTAVE_API_VERSION}): the native form (oct-files) in ${TOOLBOX_DIR}")
  else()
    message(WARNING "Octave ${OCTAVE_OCTAVE_VERSION} (${OCTAVE_API_VERSION}) is not among the versions the "
            "native form's adaptor has been checked against (${TOOLBOX_OCTAVE_CHECKED}): building the "
            "MEX form for Octave in its place, in ${TOOLBOX_DIR}")
    set(TOOLBOX_MEX_DIR ${TOOLBOX_DIR})
  endif()
endif()

if(TOOLBOX_MATLAB)
  # FindMatlab finds libmx and libmex (and the headers, the MEX extension and
  # the version); it has no component for MATLAB's BLAS, libmwblas, which
  # lies beside libmx: bin/<arch> on Linux and macOS, extern/lib/win64/<compiler>
  # on Windows (libmwblas.lib).
  find_package(Matlab REQUIRED COMPONENTS MX_LIBRARY)
  get_filename_component(_mx_dir "${Matlab_MX_LIBRARY}" DIRECTORY)
  find_library(Matlab_BLAS_LIBRARY NAMES mwblas libmwblas PATHS "${_mx_dir}" NO_DEFAULT_PATH
               DOC "MATLAB's own BLAS (libmwblas), 64-bit integers")
  if(NOT Matlab_BLAS_LIBRARY)
    message(FATAL_ERROR "MATLAB's BLAS (libmwblas) not found beside ${Matlab_MX_LIBRARY}")
  endif()
endif()

# The host's BLAS: the one named by TOOLBOX_BLAS_LIBS (a library or a
# target: the Windows build's stand-in), else what Octave links (mkoctfile -p
# BLAS_LIBS); in a build for MATLAB alone, MATLAB's, whose integers are 64
# bits (the test host's plug-ins and the tests then use it too, so that no
# other BLAS is needed); else the system's.
if(TOOLBOX_BLAS_LIBS)
elseif(OCTAVE_BLAS_LIBS)
  set(TOOLBOX_BLAS_LIBS ${OCTAVE_BLAS_LIBS})
elseif(TOOLBOX_MATLAB)
  set(TOOLBOX_BLAS_LIBS ${Matlab_BLAS_LIBRARY})
  set(TOOLBOX_BLAS_INT64 ON)
else()
  find_package(BLAS REQUIRED)
  set(TOOLBOX_BLAS_LIBS ${BLAS_LIBRARIES})
endif()
if(TOOLBOX_BLAS_INT64)
  set(TOOLBOX_BLAS_DEFS TOOLBOX_BLAS_INT64=1)
endif()

# ---- Kernels ---------------------------------------------------------------
function(toolbox_kernels folder)
  set(sources)
  foreach(name ${TOOLBOX_PLUGINS})
    if(TOOLBOX_PLUGIN_${name}_BLAS)
      continue()
    endif()
    foreach(s ${TOOLBOX_PLUGIN_${name}_KERNELS})
      if(s MATCHES "^${folder}/")
        list(APPEND sources ${TOOLBOX_ROOT}/${s})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES sources)
  add_library(${folder}_kernels STATIC ${sources})
  target_link_libraries(${folder}_kernels PUBLIC toolbox_core)
  set_target_properties(${folder}_kernels PROPERTIES CXX_VISIBILITY_PRESET hidden)
endfunction()

# ---- Plug-ins --------------------------------------------------------------
# The help text of a plug-in's native form: the comment block of its help
# file, as Octave reads it from a .m file, made into a C++ string.
function(_toolbox_help_source name out)
  set(m ${TOOLBOX_GATEWAY_DIR}/plugins/${name}.m)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${m})
  file(STRINGS ${m} lines)
  set(text "")
  set(inside FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*%(.*)$")
      string(APPEND text "${CMAKE_MATCH_1}\n")
      set(inside TRUE)
    elseif(inside)
      break()
    endif()
  endforeach()
  set(cpp ${TOOLBOX_HELP_DIR}/${name}_help.cpp)
  file(CONFIGURE OUTPUT ${cpp} CONTENT
"// Made from gateway/plugins/${name}.m when the build is configured.
extern const char* const toolboxHelpText;
const char* const toolboxHelpText = R\"toolbox_help(@text@)toolbox_help\";
" @ONLY)
  set(${out} ${cpp} PARENT_SCOPE)
endfunction()

function(_toolbox_plugin_common target name)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PRIVATE ${TOOLBOX_GATEWAY_DIR} ${TOOLBOX_GATEWAY_DIR}/plugins)
  target_compile_definitions(${target} PRIVATE ${TOOLBOX_BLAS_DEFS})
endfunction()

# Exports only what the host looks up, through a version script.
function(_toolbox_exports target map)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
    if(TOOLBOX_TSAN)
      # clang's sanitizer runtime lives in the executable that loads the plug-in.
      target_link_options(${target} PRIVATE -Wl,-z,undefs)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()

# The sources every plug-in of one form shares (the gateway, the form's
# adaptor), compiled once for all plug-ins of that form instead of once a
# plug-in: `form` names the object library, the rest are its sources.
function(_toolbox_form_objects form)
  if(TARGET ${form})
    return()
  endif()
  add_library(${form} OBJECT ${ARGN})
  set_target_properties(${form} PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${form} PRIVATE ${TOOLBOX_GATEWAY_DIR} ${TOOLBOX_GATEWAY_DIR}/plugins)
  target_compile_definitions(${form} PRIVATE ${TOOLBOX_BLAS_DEFS})
  target_link_libraries(${form} PRIVATE toolbox_checks)
endfunction()

function(toolbox_plugin name)
  set(gateway ${TOOLBOX_GATEWAY_DIR}/plugins/${name}.cpp)
  set(libs)
  set(blas)
  if(TOOLBOX_PLUGIN_${name}_BLAS)
    foreach(s ${TOOLBOX_PLUGIN_${name}_KERNELS})
      list(APPEND gateway ${TOOLBOX_ROOT}/${s})
    endforeach()
    set(blas ${TOOLBOX_BLAS_LIBS})
  else()
    foreach(s ${TOOLBOX_PLUGIN_${name}_KERNELS})
      string(REGEX REPLACE "/.*" "" folder ${s})
      list(APPEND libs ${folder}_kernels)
    endforeach()
    list(REMOVE_DUPLICATES libs)
  endif()
  list(APPEND libs toolbox_checks toolbox_core)
  set(mexmap ${TOOLBOX_GATEWAY_DIR}/mex/mexFunction.map)

  if(TOOLBOX_OCTAVE)
    # Also what the package (package/) builds its native form with.
    _toolbox_help_source(${name} help)
  endif()
  if(TOOLBOX_OCTAVE AND TOOLBOX_OCTAVE_NATIVE)
    _toolbox_form_objects(toolbox_form_octave ${TOOLBOX_GATEWAY_DIR}/gateway.cpp
      ${TOOLBOX_GATEWAY_DIR}/octave/adaptor.cpp ${TOOLBOX_GATEWAY_DIR}/octave/internals.cpp)
    target_compile_definitions(toolbox_form_octave PRIVATE TOOLBOX_OCTAVE_NATIVE)
    target_include_directories(toolbox_form_octave PRIVATE ${OCTAVE_INCLUDE_DIRS})
    add_library(${name}_octave MODULE ${gateway} $<TARGET_OBJECTS:toolbox_form_octave> ${help})
    _toolbox_plugin_common(${name}_octave ${name})
    _toolbox_exports(${name}_octave ${TOOLBOX_GATEWAY_DIR}/octave/octFunction.map)
    set_target_properties(${name}_octave PROPERTIES SUFFIX ".oct" LIBRARY_OUTPUT_DIRECTORY ${TOOLBOX_DIR})
    target_compile_definitions(${name}_octave PRIVATE TOOLBOX_OCTAVE_NATIVE)
    target_include_directories(${name}_octave PRIVATE ${OCTAVE_INCLUDE_DIRS})
    target_link_libraries(${name}_octave PRIVATE ${libs} ${blas} ${OCTAVE_OCTAVE_LIBS})
    target_link_directories(${name}_octave PRIVATE ${OCTAVE_OCTLIBDIR})
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_OCTAVE_TARGETS ${name}_octave)
  endif()
  if(TOOLBOX_OCTAVE)
    _toolbox_form_objects(toolbox_form_octave_mex ${TOOLBOX_GATEWAY_DIR}/gateway.cpp
      ${TOOLBOX_GATEWAY_DIR}/mex/adaptor.cpp ${TOOLBOX_GATEWAY_DIR}/mex/octave_inputs.cpp
      ${TOOLBOX_GATEWAY_DIR}/octave/internals.cpp)
    target_compile_definitions(toolbox_form_octave_mex PRIVATE TOOLBOX_OCTAVE_MEX)
    target_include_directories(toolbox_form_octave_mex PRIVATE ${TOOLBOX_GATEWAY_DIR}/octave
                               ${OCTAVE_INCLUDE_DIRS})
    add_library(${name}_octave_mex MODULE ${gateway} $<TARGET_OBJECTS:toolbox_form_octave_mex>)
    _toolbox_plugin_common(${name}_octave_mex ${name})
    target_compile_definitions(${name}_octave_mex PRIVATE TOOLBOX_OCTAVE_MEX)
    target_include_directories(${name}_octave_mex PRIVATE ${TOOLBOX_GATEWAY_DIR}/octave)
    _toolbox_exports(${name}_octave_mex ${mexmap})
    set_target_properties(${name}_octave_mex PROPERTIES SUFFIX ".mex" LIBRARY_OUTPUT_DIRECTORY ${TOOLBOX_MEX_DIR})
    target_include_directories(${name}_octave_mex PRIVATE ${OCTAVE_INCLUDE_DIRS})
    target_link_libraries(${name}_octave_mex PRIVATE ${libs} ${blas} ${OCTAVE_OCTAVE_LIBS})
    target_link_directories(${name}_octave_mex PRIVATE ${OCTAVE_OCTLIBDIR})

    foreach(dir ${TOOLBOX_DIR} ${TOOLBOX_MEX_DIR})
      configure_file(${TOOLBOX_GATEWAY_DIR}/plugins/${name}.m ${dir}/${name}.m COPYONLY)
    endforeach()
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_OCTAVE_TARGETS ${name}_octave_mex)
  endif()

  if(TOOLBOX_TESTHOST)
    _toolbox_form_objects(toolbox_form_testhost ${TOOLBOX_GATEWAY_DIR}/gateway.cpp
      ${TOOLBOX_GATEWAY_DIR}/mex/adaptor.cpp)
    target_include_directories(toolbox_form_testhost BEFORE PRIVATE ${TOOLBOX_GATEWAY_DIR}/testhost)
    target_link_libraries(toolbox_form_testhost PRIVATE mextesthost)
    add_library(${name}_testhost MODULE ${gateway} $<TARGET_OBJECTS:toolbox_form_testhost>)
    _toolbox_plugin_common(${name}_testhost ${name})
    _toolbox_exports(${name}_testhost ${mexmap})
    set_target_properties(${name}_testhost PROPERTIES SUFFIX ${TESTHOST_PLUGIN_SUFFIX} LIBRARY_OUTPUT_DIRECTORY ${TESTHOST_PLUGIN_DIR})
    target_include_directories(${name}_testhost BEFORE PRIVATE ${TOOLBOX_GATEWAY_DIR}/testhost)
    target_link_libraries(${name}_testhost PRIVATE ${libs} ${blas} mextesthost)
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_TESTHOST_PLUGINS ${name}_testhost)
  endif()

  if(TOOLBOX_MATLAB)
    # MATLAB's plug-ins link its own BLAS (libmwblas), which takes 64-bit
    # integers on 64-bit hosts. matlab_add_mex adds the source of
    # mexfilerequiredapiversion (MATLAB 9.1 and later) and the export list:
    # on Linux a version script naming mexFunction and that symbol, on macOS
    # an exported-symbols list, under MSVC /EXPORT for each. The target keeps
    # the compiler's default visibility, so that the version source, compiled
    # with the target's flags, keeps its symbol visible for the list to
    # export; the list hides everything else (the kernels, the checks and the
    # core are compiled hidden in their own libraries).
    set(mlibs ${libs})
    if(TOOLBOX_PLUGIN_${name}_BLAS)
      list(APPEND mlibs ${Matlab_BLAS_LIBRARY})
    endif()
    matlab_add_mex(NAME ${name}_matlab MODULE SRC ${gateway} ${TOOLBOX_GATEWAY_DIR}/gateway.cpp
      ${TOOLBOX_GATEWAY_DIR}/mex/adaptor.cpp
      OUTPUT_NAME ${name} LINK_TO ${mlibs} R2017b)
    target_include_directories(${name}_matlab PRIVATE ${TOOLBOX_ROOT} ${TOOLBOX_GATEWAY_DIR} ${TOOLBOX_GATEWAY_DIR}/plugins)
    if(TOOLBOX_PLUGIN_${name}_BLAS)
      target_compile_definitions(${name}_matlab PRIVATE TOOLBOX_BLAS_INT64=1)
    endif()
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
      # Every symbol found at link time, as for the other forms. libstdc++
      # goes into the MEX file: MATLAB loads its own first (R2017b's is
      # GCC 5's, GLIBCXX_3.4.21), and a MEX file that needs a newer one
      # fails to load ("GLIBCXX_3.4.xx not found"). GCC's unwinder stays
      # the shared libgcc_s, the one every module of the process unwinds
      # with (a copy of its own in the MEX file aborts an error raised by
      # the host through the MEX file's frames).
      target_link_options(${name}_matlab PRIVATE -Wl,--no-undefined -static-libstdc++)
    endif()
    set_target_properties(${name}_matlab PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${TOOLBOX_MATLAB_DIR})
    configure_file(${TOOLBOX_GATEWAY_DIR}/plugins/${name}.m ${TOOLBOX_MATLAB_DIR}/${name}.m COPYONLY)
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_MATLAB_TARGETS ${name}_matlab)
  endif()
endfunction()
