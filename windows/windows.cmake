# The Windows build (MinGW-w64, windows/mingw-w64.cmake), included by the top
# CMakeLists.txt before the plug-ins are defined:
#   - every program and DLL in one folder, bin/ (the plug-ins stay in
#     testhost-plugins/, as NAME.mexw64);
#   - the stand-in BLAS (tests/standin_blas.cpp) that the _blas plug-ins and the
#     kernel tests link, unless TOOLBOX_BLAS_LIBS names another or the
#     build is Octave's (which links Octave's own);
#   - with MinGW, every program and DLL carries MinGW's runtimes in itself:
#     GCC's (libgcc), the C++ library, the threads' (winpthread) and
#     OpenMP's (libgomp), so that a plug-in loads on a Windows machine that
#     has none of MinGW's DLLs (tests/CMakeLists.txt checks what each
#     plug-in imports);
#   - when cross-compiling, the tests run under Wine through wine-run.sh, a
#     script made here with the build's own Wine prefix, the build's DLLs
#     on Wine's path and nothing of MinGW's;
#   - the test windows.exports: each .mexw64 exports mexFunction alone, and
#     the _blas ones import ddot or dcopy without an underscore.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(MINGW)
  # A DLL that marks no export (the test host) exports every symbol of its
  # own; of the runtimes, the linker leaves out GCC's and the C++ library's
  # by itself, and is told to leave out the unwinder's, the threads' and
  # OpenMP's, which would otherwise clash with each program's own copies.
  add_link_options(-static -Wl,--exclude-libs,libgcc_eh.a:libpthread.a:libwinpthread.a:libgomp.a)
  # FindOpenMP names libgomp's import library, which would bring back the
  # DLL: -fopenmp alone lets the compiler link its runtime, statically here.
  if(TARGET OpenMP::OpenMP_CXX)
    set_property(TARGET OpenMP::OpenMP_CXX PROPERTY INTERFACE_LINK_LIBRARIES -fopenmp)
  endif()
endif()

if(NOT TOOLBOX_BLAS_LIBS AND NOT TOOLBOX_OCTAVE)
  add_library(toolbox_standin_blas SHARED ${CMAKE_CURRENT_LIST_DIR}/../tests/standin_blas.cpp)
  target_include_directories(toolbox_standin_blas PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..
                             ${CMAKE_CURRENT_LIST_DIR}/../core ${CMAKE_CURRENT_LIST_DIR}/../lowrank)
  if(TOOLBOX_BLAS_INT64)
    target_compile_definitions(toolbox_standin_blas PRIVATE TOOLBOX_BLAS_INT64=1)
  endif()
  set(TOOLBOX_BLAS_LIBS toolbox_standin_blas)
endif()

if(CMAKE_CROSSCOMPILING)
  find_program(WINE wine)
  find_program(WINEBOOT wineboot)
  if(NOT WINE OR NOT WINEBOOT)
    message(FATAL_ERROR "wine not found: the tests of the Windows build run under Wine (apt-get install wine wine64)")
  endif()
  # Wine finds DLLs along WINEPATH, given as Windows paths: the build's
  # bin/ (the test host, the stand-in BLAS), on the drive Z: that a new Wine
  # prefix maps to /. Nothing of MinGW's: the programs and plug-ins carry
  # its runtimes.
  set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(WINE_PATH "Z:${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
