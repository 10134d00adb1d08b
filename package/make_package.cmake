# Lays out the Octave package in STAGE_DIR and packs it into TARBALL.
# Run by the octave_package target (cmake -P); see CMakeLists.txt. The
# manifest names each plug-in (in the registry's order), its category,
# its kernel sources and whether it links the BLAS.

cmake_minimum_required(VERSION 3.18)

set(top ${STAGE_DIR}/${NAME}-${VERSION})
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${top}/inst ${top}/src/help)

string(TIMESTAMP today "%Y-%m-%d" UTC)
configure_file(${PACKAGE_SOURCE}/DESCRIPTION.in ${top}/DESCRIPTION @ONLY)
configure_file(${SOURCE_DIR}/LICENSE ${top}/COPYING COPYONLY)
configure_file(${SOURCE_DIR}/NEWS ${top}/NEWS COPYONLY)
configure_file(${CONTENTS} ${top}/inst/Contents.m COPYONLY)

# Every source keeps its path under src/; its object is named after that
# path, so that a source shared by several plug-ins is compiled once, also by
# a parallel make.
set(shared_sources gateway/gateway.cpp gateway/octave/adaptor.cpp gateway/octave/internals.cpp)
file(GLOB core RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/checks/*.cpp)
list(APPEND shared_sources ${core})
file(GLOB headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/checks/*.h
     ${SOURCE_DIR}/gateway/*.h ${SOURCE_DIR}/gateway/plugins/*.h ${SOURCE_DIR}/distgeom/*.h
     ${SOURCE_DIR}/distmatrix/*.h ${SOURCE_DIR}/lowrank/*.h)
set(files ${shared_sources} ${headers} gateway/octave/internals.h gateway/octave/octFunction.map)

function(object_of src out)
  string(REGEX REPLACE "\\.[^.]*$" "" base ${src})
  string(REPLACE "/" "_" base ${base})
  set(${out} obj/${base}.o PARENT_SCOPE)
endfunction()

set(shared_objects "")
foreach(src ${shared_sources})
  object_of(${src} o)
  string(APPEND shared_objects " ${o}")
endforeach()

set(names "")
set(index "")
set(last_category "")
set(rules "")
set(objects ${shared_sources})
file(STRINGS ${MANIFEST} entries)
foreach(entry ${entries})
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 category)
  list(GET fields 2 kernels)
  list(LENGTH fields nfields)
  set(blas "")
  if(nfields GREATER 3)
    list(GET fields 3 blas)
  endif()
  separate_arguments(kernels)
  set(own gateway/plugins/${name}.cpp help/${name}_help.cpp ${kernels})
  list(APPEND files gateway/plugins/${name}.cpp ${kernels})
  list(APPEND objects ${own})
  file(COPY ${HELP_DIR}/${name}_help.cpp DESTINATION ${top}/src/help)
  file(COPY ${SOURCE_DIR}/gateway/plugins/${name}.m DESTINATION ${top}/src/help)
  set(objs "")
  foreach(src ${own})
    object_of(${src} o)
    string(APPEND objs " ${o}")
  endforeach()
  set(link "")
  if(blas STREQUAL "BLAS")
    set(link " $(BLAS_LIBS)")
  endif()
  string(APPEND rules "${name}.oct:${objs}${shared_objects}\n\t$(MKOCTFILE) $^${link} -o $@\n\n")
  list(APPEND names ${name})
  if(NOT category STREQUAL last_category)
    string(APPEND index "${category}\n")
    set(last_category "${category}")
  endif()
  string(APPEND index " ${name}\n")
endforeach()

# The solvers: functions over the plug-ins, installed as they are.
file(GLOB solvers RELATIVE ${SOURCE_DIR}/solvers ${SOURCE_DIR}/solvers/*.m)
file(GLOB solver_helpers ${SOURCE_DIR}/solvers/private/*.m)
if(solvers)
  string(APPEND index "Solvers\n")
  foreach(f ${solvers})
    file(COPY ${SOURCE_DIR}/solvers/${f} DESTINATION ${top}/inst)
    string(REGEX REPLACE "\\.m$" "" solver ${f})
    string(APPEND index " ${solver}\n")
  endforeach()
endif()
if(solver_helpers)
  file(COPY ${solver_helpers} DESTINATION ${top}/inst/private)
endif()

file(WRITE ${top}/INDEX "${NAME} >> Exact distance-geometry and low-rank kernels\n${index}")

list(REMOVE_DUPLICATES files)
foreach(f ${files})
  get_filename_component(folder ${f} DIRECTORY)
  file(COPY ${SOURCE_DIR}/${f} DESTINATION ${top}/src/${folder})
endforeach()
list(REMOVE_DUPLICATES objects)
foreach(src ${objects})
  object_of(${src} o)
  string(APPEND rules "${o}: ${src} | obj\n\t$(MKOCTFILE) -c $(INCLUDES) $< -o $@\n\n")
endforeach()

list(JOIN names " " names)
file(WRITE ${top}/src/Makefile
"# Builds the plug-ins' native form (oct-files) with Octave's mkoctfile; run
# by `pkg install`. Every sum keeps the order the code states: no fused
# multiply-add. The threads are OpenMP's, through the compiler's runtime.
MKOCTFILE ?= mkoctfile
OCTAVE_CONFIG ?= octave-config
export CXXFLAGS := -O2 -std=c++17 -ffp-contract=off -fvisibility=hidden -fopenmp -DTOOLBOX_OCTAVE_NATIVE
export LDFLAGS := -fopenmp -Wl,--version-script=gateway/octave/octFunction.map
INCLUDES := -I. -Icore -Ichecks -Igateway -Igateway/plugins
BLAS_LIBS := $(shell $(MKOCTFILE) -p BLAS_LIBS)
ARCH := $(shell $(OCTAVE_CONFIG) -p CANONICAL_HOST_TYPE)-$(shell $(OCTAVE_CONFIG) -p API_VERSION)
PLUGINS := ${names}

all: $(PLUGINS:%=%.oct) help

# The help files go beside the plug-ins, where `help NAME` and `test NAME`
# look for them: pkg install moves inst/<arch> to the folder of the plug-ins.
help: $(PLUGINS:%=help/%.m)
\tmkdir -p ../inst/$(ARCH)
\tcp $^ ../inst/$(ARCH)/

obj:
\tmkdir -p $@

${rules}clean:
\trm -rf obj *.oct

.PHONY: all clean help
")

file(REMOVE ${TARBALL})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${TARBALL} ${NAME}-${VERSION}
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not pack ${TARBALL}")
endif()
