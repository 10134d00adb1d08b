# The Windows build (MinGW-w64, windows/mingw-w64.cmake), included by the top
# CMakeLists.txt before the plug-ins are defined:
#   - every program and DLL in one folder, bin/ (the plug-ins stay in
#     testhost-plugins/, as NAME.mexw64);
#   - the stand-in BLAS (tests/standin_blas.cpp) that the _blas plug-ins and the
#     kernel tests link, unless TOOLBOX_BLAS_LIBS names another or the
#     build is Octave's (which links Octave's own);
#   - when cross-compiling, the tests run under Wine through wine-run.sh, a
#     script made here with the build's own Wine prefix and the path to the
#     MinGW runtime DLLs;
#   - the test windows.exports: each .mexw64 exports mexFunction alone, and
#     the _blas ones import ddot or dcopy without an underscore.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

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
  # The MinGW runtime the programs and plug-ins load: GCC's (libgcc_s,
  # libstdc++, libgomp) and the threads' (libwinpthread), found where the
  # compiler keeps them.
  set(_runtime_dirs)
  foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libgomp-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
      message(FATAL_ERROR "The MinGW runtime ${dll} was not found by ${CMAKE_CXX_COMPILER}")
    endif()
    get_filename_component(_dir ${_path} DIRECTORY)
    list(APPEND _runtime_dirs ${_dir})
  endforeach()
  list(REMOVE_DUPLICATES _runtime_dirs)

  find_program(WINE wine)
  find_program(WINEBOOT wineboot)
  if(NOT WINE OR NOT WINEBOOT)
    message(FATAL_ERROR "wine not found: the tests of the Windows build run under Wine (apt-get install wine wine64)")
  endif()
  # Wine finds DLLs along WINEPATH, given as Windows paths: the build's
  # bin/ and the runtime, on the drive Z: that a new Wine prefix maps to /.
  set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(_winepath)
  foreach(dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${_runtime_dirs})
    list(APPEND _winepath "Z:${dir}")
  endforeach()
  list(JOIN _winepath ";" WINE_PATH)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
