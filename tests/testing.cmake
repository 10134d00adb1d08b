# Helpers that register the three levels of tests.
#
#   toolbox_gtest(<name> SOURCES ... LINK ... [NO_DISCOVERY])
#                                                kernel or test-host tests (GoogleTest),
#                                                each test registered unless NO_DISCOVERY
#   toolbox_octave_tests(<dir> [FORMS native mex])
#                                                every test_*.m in <dir>, run by octave-cli
#                                                against each form of the built toolbox
#                                                (octave.native.<test>, octave.mex.<test>)

if(TOOLBOX_GTEST_SOURCE)
  # GoogleTest from its sources (Debian's googletest: /usr/src/googletest),
  # built with this build's compiler: the Windows build made on Linux.
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TOOLBOX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
set(TOOLBOX_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR})

function(toolbox_gtest name)
  cmake_parse_arguments(T "NO_DISCOVERY" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${TOOLBOX_TESTS_DIR} ${TOOLBOX_ROOT})
  target_link_libraries(${name} PRIVATE ${T_LINK} GTest::gtest GTest::gtest_main)
  if(mextesthost IN_LIST T_LINK)
    # Test-host tests load the plug-ins built for it.
    get_property(plugins GLOBAL PROPERTY TOOLBOX_TESTHOST_PLUGINS)
    if(plugins)
      add_dependencies(${name} ${plugins})
    endif()
  endif()
  if(T_NO_DISCOVERY)
    return()  # the caller registers its runs
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator (Wine) each start costs seconds: the whole program
    # is one test, and nothing is run at build time to list its cases.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "TESTHOST_PLUGIN_DIR=${TESTHOST_PLUGIN_DIR}"
                         TIMEOUT 600)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "TESTHOST_PLUGIN_DIR=${TESTHOST_PLUGIN_DIR}")
  endif()
endfunction()

if(TOOLBOX_OCTAVE)
  find_program(OCTAVE_CLI octave-cli REQUIRED)
endif()

# The folder of each form: native oct-files, or MEX files for Octave.
set(TOOLBOX_FORM_DIR_native ${TOOLBOX_DIR})
set(TOOLBOX_FORM_DIR_mex ${TOOLBOX_MEX_DIR})

function(toolbox_octave_tests dir)
  if(NOT TOOLBOX_OCTAVE)
    return()
  endif()
  cmake_parse_arguments(T "" "" "FORMS" ${ARGN})
  if(NOT T_FORMS)
    set(T_FORMS native mex)
  endif()
  if(NOT TOOLBOX_OCTAVE_NATIVE)
    # No native form on this Octave: its tests run on the MEX form.
    list(TRANSFORM T_FORMS REPLACE "^native$" mex)
    list(REMOVE_DUPLICATES T_FORMS)
  endif()
  file(GLOB scripts ${dir}/test_*.m)
  foreach(script ${scripts})
    get_filename_component(fn ${script} NAME_WE)
    foreach(form ${T_FORMS})
      add_test(NAME octave.${form}.${fn}
        COMMAND ${OCTAVE_CLI} --no-gui --norc --no-history --quiet --no-window-system
                --eval "addpath('${TOOLBOX_FORM_DIR_${form}}'); addpath('${TOOLBOX_ROOT}'); addpath('${TOOLBOX_ROOT}/solvers'); addpath('${TOOLBOX_TESTS_DIR}/octave'); addpath('${dir}'); ${fn}();")
      set_tests_properties(octave.${form}.${fn} PROPERTIES TIMEOUT 300 LABELS "octave;${form}"
        ENVIRONMENT "MEXTOOLBOX_NATIVE_DIR=${TOOLBOX_DIR};MEXTOOLBOX_MEX_DIR=${TOOLBOX_MEX_DIR}")
    endforeach()
  endforeach()
endfunction()
