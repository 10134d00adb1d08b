function test_compiler_flags ()
  % The compiler check of build_toolbox: each family gets the C++17, no
  % contraction and OpenMP flags in its own words and variable, and a
  % compiler older than the oldest that compiles the toolbox is refused with
  % a message naming the version it needs.
  root = fileparts (fileparts (fileparts (mfilename ('fullpath'))));
  addpath (root);

  % MATLAB's descriptions of its compilers (mex.getCompilerConfigurations).
  mingw = @(v) struct ('Manufacturer', 'GNU', 'ShortName', 'mingw64-g++', ...
                       'Name', 'MinGW64 Compiler (C++)', 'Version', v);
  msvc = @(v) struct ('Manufacturer', 'Microsoft', 'ShortName', 'MSVCPP160', ...
                      'Name', 'Microsoft Visual C++ 2019', 'Version', v);
  xcode = @(v) struct ('Manufacturer', 'Apple', 'ShortName', 'Clang++', ...
                       'Name', 'Xcode Clang++', 'Version', v);
  gxx = @(v) struct ('Manufacturer', 'GNU', 'ShortName', 'g++', 'Name', 'g++', 'Version', v);

  % Refused: MATLAB's MinGW-w64 add-ons of GCC 5.3 and 6.3, GCC 6, MSVC
  % 2015, Xcode 9; each message names the compiler and what is needed.
  refused = {mingw('5.3.0'), 'MinGW-w64 GCC 7'; mingw('6.3.0'), 'MinGW-w64 GCC 7'; ...
             gxx('6.5.0'), 'GCC 7'; msvc('14.0'), 'Microsoft Visual C++ 2017 (15.5)'; ...
             xcode('9.4'), 'Apple clang 10 (Xcode 10)'; ...
             struct('family', 'clang', 'version', '4.0.1', 'name', 'clang++ 4.0.1'), 'clang 5'};
  for k = 1:rows (refused)
    c = refused{k, 1};
    try
      toolbox_compiler_flags (c);
      error ('test:notRefused', 'not refused: %s', disp (c));
    catch err
      assert (err.identifier, 'build_toolbox:compilerTooOld');
      assert (! isempty (strfind (err.message, ['needs ' refused{k, 2} ' or later'])), err.message);
      assert (! isempty (strfind (err.message, 'C++17')), err.message);
    end
  end
  try
    toolbox_compiler_flags (mingw ('6.3.0'));
  catch err
    assert (! isempty (strfind (err.message, 'MinGW64 Compiler (C++) 6.3.0')), err.message);
  end

  % Accepted, at the oldest version and later: the flags, where they go.
  b = toolbox_compiler_flags (mingw ('8.1.0'));
  assert ({b.family, b.variable, b.cxxflags, b.ldflags, b.threads}, ...
          {'mingw', 'CXXFLAGS', '-std=c++17 -ffp-contract=off -fopenmp', '-fopenmp', true});
  b = toolbox_compiler_flags (gxx ('7'));
  assert ({b.family, b.variable}, {'gcc', 'CXXFLAGS'});
  b = toolbox_compiler_flags (gxx ('12.2.0'));
  assert (b.cxxflags, '-std=c++17 -ffp-contract=off -fopenmp');
  for v = {'15.0', '16.0', '17.0'}
    b = toolbox_compiler_flags (msvc (v{1}));
    assert ({b.family, b.variable, b.cxxflags, b.ldflags, b.threads}, ...
            {'msvc', 'COMPFLAGS', '/std:c++17 /fp:precise /openmp', '', true});
  end
  b = toolbox_compiler_flags (xcode ('12.4'));
  assert ({b.family, b.variable, b.cxxflags, b.ldflags, b.threads}, ...
          {'appleclang', 'CXXFLAGS', '-std=c++17 -ffp-contract=off', '', false});
  b = toolbox_compiler_flags (struct ('family', 'clang', 'version', '14.0.6', 'name', 'clang++'));
  assert (b.cxxflags, '-std=c++17 -ffp-contract=off -fopenmp');

  % Unknown: a family the toolbox does not know, or a version it cannot
  % read, is compiled with a warning rather than refused.
  lastwarn ('');
  evalc ('b = toolbox_compiler_flags (struct (''family'', ''icx'', ''version'', ''2023.1'', ''name'', ''icpx''));');
  [~, id] = lastwarn ();
  assert ({id, b.variable, b.cxxflags}, {'build_toolbox:unknownCompiler', 'CXXFLAGS', '-std=c++17 -ffp-contract=off -fopenmp'});
  lastwarn ('');
  evalc ('b = toolbox_compiler_flags (msvc (''''));');
  [~, id] = lastwarn ();
  assert ({id, b.variable}, {'build_toolbox:unknownCompiler', 'COMPFLAGS'});
end
