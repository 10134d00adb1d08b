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
# The native form's adaptor (with its reading of Octave's own classes) and
# the MEX form's: the Makefile builds one of the two, by the Octave it finds
# (see CHECKED below). The MEX form here uses Octave's published MEX
# interface alone.
set(shared_sources gateway/gateway.cpp)
file(GLOB core RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/checks/*.cpp)
list(APPEND shared_sources ${core})
file(GLOB headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/checks/*.h
     ${SOURCE_DIR}/gateway/*.h ${SOURCE_DIR}/gateway/plugins/*.h ${SOURCE_DIR}/distgeom/*.h
     ${SOURCE_DIR}/distmatrix/*.h ${SOURCE_DIR}/lowrank/*.h)
set(adaptors gateway/octave/adaptor.cpp gateway/octave/internals.cpp gateway/mex/adaptor.cpp)
set(files ${shared_sources} ${adaptors} ${headers} gateway/octave/internals.h
    gateway/octave/octFunction.map gateway/mex/mexFunction.map)

# The Octave API versions the native form has been checked against.
file(STRINGS ${CHECKED} checked REGEX "^[ \t]*[^# \t]")
set(checked_apis "")
foreach(line ${checked})
  string(REGEX MATCH "[^ \t]+" api "${line}")
  string(APPEND checked_apis " ${api}")
endforeach()
string(STRIP "${checked_apis}" checked_apis)

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
  set(own gateway/plugins/${name}.cpp ${kernels})
  list(APPEND files gateway/plugins/${name}.cpp ${kernels})
  list(APPEND objects ${own} help/${name}_help.cpp)
  file(COPY ${HELP_DIR}/${name}_help.cpp DESTINATION ${top}/src/help)
  file(COPY ${SOURCE_DIR}/gateway/plugins/${name}.m DESTINATION ${top}/src/help)
  set(objs "")
  foreach(src ${own})
    object_of(${src} o)
    string(APPEND objs " ${o}")
  endforeach()
  object_of(help/${name}_help.cpp help_object)
  set(link "")
  if(blas STREQUAL "BLAS")
    set(link " $(BLAS_LIBS)")
  endif()
  string(APPEND rules "${name}.oct:${objs} ${help_object}${shared_objects} obj/gateway_octave_adaptor.o obj/gateway_octave_internals.o\n"
                      "\t$(MKOCTFILE) $^${link} -o $@\n\n"
                      "${name}.mex:${objs}${shared_objects} obj/gateway_mex_adaptor.o\n"
                      "\t$(MKOCTFILE) --mex $^${link} -o $@\n\n")
  list(APPEND names ${name})
  if(NOT category STREQUAL last_category)
    string(APPEND index "${category}\n")
    set(last_category "${category}")
  endif()
  string(APPEND index " ${name}\n")
endforeach()

# Octave functions installed as they are: those of FOLDER into inst/, with
# a category of the index, and its private helpers into inst/private.
function(install_functions folder category)
  file(GLOB functions RELATIVE ${SOURCE_DIR}/${folder} ${SOURCE_DIR}/${folder}/*.m)
  file(GLOB helpers ${SOURCE_DIR}/${folder}/private/*.m)
  if(functions)
    string(APPEND index "${category}\n")
    foreach(f ${functions})
      file(COPY ${SOURCE_DIR}/${folder}/${f} DESTINATION ${top}/inst)
      string(REGEX REPLACE "\\.m$" "" function ${f})
      string(APPEND index " ${function}\n")
    endforeach()
  endif()
  if(helpers)
    file(COPY ${helpers} DESTINATION ${top}/inst/private)
  endif()
  set(index "${index}" PARENT_SCOPE)
endfunction()

# The solvers: functions over the plug-ins. The demos and their helpers go
# beside them (their private helpers beside the solvers' own), with the
# protein entry demo_protein reads from the folder beside it (data/).
install_functions(solvers "Solvers")
install_functions(examples "Demos and their helpers")
file(COPY ${SOURCE_DIR}/examples/data/1hel.pdb ${SOURCE_DIR}/examples/data/README.md
     DESTINATION ${top}/inst/data)

file(WRITE ${top}/INDEX "${NAME} >> Exact distance-geometry and low-rank kernels\n${index}")

list(REMOVE_DUPLICATES files)
foreach(f ${files})
  get_filename_component(folder ${f} DIRECTORY)
  file(COPY ${SOURCE_DIR}/${f} DESTINATION ${top}/src/${folder})
endforeach()
list(REMOVE_DUPLICATES objects)
foreach(src ${objects} ${adaptors})
  object_of(${src} o)
  string(APPEND rules "${o}: ${src} | obj\n\t$(MKOCTFILE) -c $(INCLUDES) $< -o $@\n\n")
endforeach()

# Two programs the Makefile compiles to learn what mkoctfile's compiler and
# linker take.
file(WRITE ${top}/src/probe/openmp.cpp
"// Builds where the compiler takes -fopenmp and brings its runtime.
#include <omp.h>
int main() { return omp_get_max_threads() > 0 ? 0 : 1; }
")
file(WRITE ${top}/src/probe/exports.cpp
"// Links as a shared library where the linker takes a GNU version script.
int toolboxProbe() { return 0; }
")

list(JOIN names " " names)
file(WRITE ${top}/src/Makefile
"# Builds the plug-ins with Octave's mkoctfile; run by `pkg install`. Every
# sum keeps the order the code states: no fused multiply-add. The threads
# are OpenMP's, through the compiler's runtime, where the compiler takes
# -fopenmp (Apple's clang does not: there every kernel runs on one thread,
# as in the CMake build); the exports are kept to the entry points by hidden
# visibility and, where the linker takes one (not Apple's), a version script.
MKOCTFILE ?= mkoctfile
OCTAVE_CONFIG ?= octave-config
comma := ,
TOOLBOX_CXX := $(shell $(MKOCTFILE) -p CXX)
accepts = $(shell $(TOOLBOX_CXX) $(1) probe/$(2).cpp -o probe/$(2).out >/dev/null 2>&1 && echo yes; rm -f probe/$(2).out)
OPENMP := $(if $(call accepts,-fopenmp,openmp),-fopenmp)
INCLUDES := -I. -Icore -Ichecks -Igateway -Igateway/plugins
BLAS_LIBS := $(shell $(MKOCTFILE) -p BLAS_LIBS)
API_VERSION := $(shell $(OCTAVE_CONFIG) -p API_VERSION)
ARCH := $(shell $(OCTAVE_CONFIG) -p CANONICAL_HOST_TYPE)-$(API_VERSION)
PLUGINS := ${names}

# The native form (oct-files) reaches into Octave's own classes: it is built
# for the API versions it has been checked against. On any other Octave the
# MEX form, which uses Octave's published MEX interface alone, is built in
# its place.
CHECKED := ${checked_apis}
ifneq ($(filter $(API_VERSION),$(CHECKED)),)
FORM := oct
FORM_FLAGS := -DTOOLBOX_OCTAVE_NATIVE
EXPORTS := gateway/octave/octFunction.map
else
FORM := mex
FORM_FLAGS :=
EXPORTS := gateway/mex/mexFunction.map
$(warning Octave $(shell $(OCTAVE_CONFIG) -p VERSION) ($(API_VERSION)) is not among the versions the native form has been checked against ($(CHECKED)): building the MEX form in its place)
endif
VERSION_SCRIPT := -Wl$(comma)--version-script=$(EXPORTS)
VERSION_SCRIPT := $(if $(call accepts,-shared -fPIC $(VERSION_SCRIPT),exports),$(VERSION_SCRIPT))
export CXXFLAGS := -O2 -std=c++17 -ffp-contract=off -fvisibility=hidden $(OPENMP) $(FORM_FLAGS)
export LDFLAGS := $(OPENMP) $(VERSION_SCRIPT)

all: $(PLUGINS:%=%.$(FORM)) help

# The help files go beside the plug-ins, where `help NAME` and `test NAME`
# look for them: pkg install moves inst/<arch> to the folder of the plug-ins.
help: $(PLUGINS:%=help/%.m)
\tmkdir -p ../inst/$(ARCH)
\tcp $^ ../inst/$(ARCH)/

obj:
\tmkdir -p $@

${rules}clean:
\trm -rf obj *.oct *.mex

.PHONY: all clean help
")

file(REMOVE ${TARBALL})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${TARBALL} ${NAME}-${VERSION}
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not pack ${TARBALL}")
endif()
