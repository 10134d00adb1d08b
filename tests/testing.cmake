# Helpers that register the three levels of tests.
#
#   toolbox_gtest(<name> SOURCES ... LINK ...)   kernel or test-host tests (GoogleTest)
#   toolbox_octave_tests(<dir>)                  every test_*.m in <dir>, run by octave-cli
#                                                against the built toolbox

find_package(GTest REQUIRED)
include(GoogleTest)
set(TOOLBOX_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR})

function(toolbox_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${TOOLBOX_TESTS_DIR} ${TOOLBOX_GATEWAY_DIR})
  target_link_libraries(${name} PRIVATE ${T_LINK} GTest::gtest GTest::gtest_main)
  if(mextesthost IN_LIST T_LINK)
    # Test-host tests load the plug-ins built for it.
    get_property(plugins GLOBAL PROPERTY TOOLBOX_TESTHOST_PLUGINS)
    if(plugins)
      add_dependencies(${name} ${plugins})
    endif()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TESTHOST_PLUGIN_DIR=${TESTHOST_PLUGIN_DIR}")
endfunction()

if(TOOLBOX_OCTAVE)
  find_program(OCTAVE_CLI octave-cli REQUIRED)
endif()

function(toolbox_octave_tests dir)
  if(NOT TOOLBOX_OCTAVE)
    return()
  endif()
  file(GLOB scripts ${dir}/test_*.m)
  foreach(script ${scripts})
    get_filename_component(fn ${script} NAME_WE)
    add_test(NAME octave.${fn}
      COMMAND ${OCTAVE_CLI} --no-gui --norc --no-history --quiet --no-window-system
              --eval "addpath('${TOOLBOX_DIR}'); addpath('${TOOLBOX_TESTS_DIR}/octave'); addpath('${dir}'); ${fn}();")
    set_tests_properties(octave.${fn} PROPERTIES TIMEOUT 300 LABELS octave)
  endforeach()
endfunction()
