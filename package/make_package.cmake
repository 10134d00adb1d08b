# Lays out the Octave package in STAGE_DIR and packs it into TARBALL.
# Run by the octave_package target (cmake -P); see CMakeLists.txt. The
# manifest names each plug-in's sources, its kernel libraries and whether
# it links the BLAS, and each kernel library's sources (paths relative to
# SOURCE_DIR).

cmake_minimum_required(VERSION 3.18)

set(top ${STAGE_DIR}/${NAME}-${VERSION})
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${top}/inst ${top}/src/help)

string(TIMESTAMP today "%Y-%m-%d" UTC)
configure_file(${PACKAGE_SOURCE}/DESCRIPTION.in ${top}/DESCRIPTION @ONLY)
file(COPY ${PACKAGE_SOURCE}/COPYING ${PACKAGE_SOURCE}/INDEX DESTINATION ${top})
file(COPY ${SOURCE_DIR}/doc/Contents.m DESTINATION ${top}/inst)
file(MAKE_DIRECTORY ${top}/src/gateway)
file(COPY ${SOURCE_DIR}/gateway/mexFunction.map DESTINATION ${top}/src/gateway)

set(folders "")
set(sources "")
set(names "")
set(rules "")

# A source goes to src/ under its own path; its object is named after that
# path, so that a source shared by several plug-ins is compiled once, also
# by a parallel make.
function(object_of src out)
  string(REGEX REPLACE "\\.[^.]*$" "" base ${src})
  string(REPLACE "/" "_" base ${base})
  set(${out} obj/${base}.o PARENT_SCOPE)
endfunction()

file(STRINGS ${MANIFEST} entries)
foreach(entry ${entries})
  string(REPLACE "|" ";" fields "${entry}")
  list(LENGTH fields nfields)
  list(GET fields 0 kind)
  list(GET fields 1 name)
  list(GET fields 2 srcs)
  separate_arguments(srcs)
  list(APPEND sources ${srcs})
  set(objs "")
  foreach(src ${srcs})
    object_of(${src} o)
    list(APPEND objs ${o})
  endforeach()
  list(JOIN objs " " objs)
  if(kind STREQUAL "kernels")
    # A kernel library: an archive, from which each plug-in takes what it uses.
    string(APPEND rules "lib/lib${name}.a: ${objs} | lib\n\trm -f $@\n\t$(AR) rcs $@ $^\n\n")
  else()
    set(kernels "")
    set(blas "")
    if(nfields GREATER 3)
      list(GET fields 3 kernels)
      separate_arguments(kernels)
    endif()
    if(nfields GREATER 4)
      list(GET fields 4 blas)
    endif()
    set(deps ${objs})
    set(link "")
    foreach(k ${kernels})
      string(APPEND deps " lib/lib${k}.a")
      string(APPEND link " -Llib -l${k}")
    endforeach()
    if(blas STREQUAL "BLAS")
      string(APPEND link " $(BLAS_LIBS)")
    endif()
    list(GET srcs 0 gateway)
    get_filename_component(folder ${gateway} DIRECTORY)
    file(COPY ${SOURCE_DIR}/${folder}/${name}.m DESTINATION ${top}/src/help)
    string(APPEND rules "${name}.mex: ${deps}\n\t$(MKOCTFILE) --mex ${objs}${link} -o $@\n\n")
    list(APPEND names ${name})
  endif()
endforeach()

list(REMOVE_DUPLICATES sources)
foreach(src ${sources})
  get_filename_component(folder ${src} DIRECTORY)
  list(APPEND folders ${folder})
  file(MAKE_DIRECTORY ${top}/src/${folder})
  file(COPY ${SOURCE_DIR}/${src} DESTINATION ${top}/src/${folder})
  object_of(${src} o)
  string(APPEND rules "${o}: ${src} | obj\n\t$(MKOCTFILE) --mex -c -Igateway -I${folder} $< -o $@\n\n")
endforeach()
list(REMOVE_DUPLICATES folders)
foreach(folder ${folders})
  file(GLOB headers ${SOURCE_DIR}/${folder}/*.h)
  if(headers)
    file(COPY ${headers} DESTINATION ${top}/src/${folder})
  endif()
endforeach()

list(JOIN names " " names)
file(WRITE ${top}/src/Makefile
"# Builds the plug-ins with Octave's mkoctfile; run by `pkg install`.
# Every sum keeps the order the code states: no fused multiply-add.
MKOCTFILE ?= mkoctfile
OCTAVE_CONFIG ?= octave-config
export CXXFLAGS := -O2 -std=c++17 -ffp-contract=off -fvisibility=hidden
export LDFLAGS := -Wl,--version-script=gateway/mexFunction.map
AR := $(shell $(MKOCTFILE) -p AR)
BLAS_LIBS := $(shell $(MKOCTFILE) -p BLAS_LIBS)
ARCH := $(shell $(OCTAVE_CONFIG) -p CANONICAL_HOST_TYPE)-$(shell $(OCTAVE_CONFIG) -p API_VERSION)
PLUGINS := ${names}

all: $(PLUGINS:%=%.mex) help

# The help files go beside the plug-ins, where `help NAME` looks for them:
# pkg install moves inst/<arch> to the folder of the plug-ins.
help: $(PLUGINS:%=help/%.m)
\tmkdir -p ../inst/$(ARCH)
\tcp $^ ../inst/$(ARCH)/

obj lib:
\tmkdir -p $@

${rules}clean:
\trm -rf obj lib *.mex

.PHONY: all clean help
")

file(REMOVE ${TARBALL})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${TARBALL} ${NAME}-${VERSION}
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not pack ${TARBALL}")
endif()
