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
                      'Name', 'Microsoft Visual C++ 2019', 'Version', v, 'Location', '');
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
  % What a MEX file for MATLAB carries in itself: MinGW's runtimes (GCC's,
  % C++'s, OpenMP's and the threads'), libstdc++ elsewhere; nothing under
  % MSVC and Apple's clang, whose runtimes MATLAB and macOS bring.
  assert ({b.static, b.staticlibs}, ...
          {'-static-libgcc -static-libstdc++', '-Wl,-Bstatic -lgomp -lpthread -Wl,-Bdynamic'});
  b = toolbox_compiler_flags (gxx ('7'));
  assert ({b.family, b.variable}, {'gcc', 'CXXFLAGS'});
  b = toolbox_compiler_flags (gxx ('12.2.0'));
  assert ({b.cxxflags, b.static, b.staticlibs}, ...
          {'-std=c++17 -ffp-contract=off -fopenmp', '-static-libstdc++', ''});
  for v = {'16.0', '17.0'}
    b = toolbox_compiler_flags (msvc (v{1}));
    assert ({b.family, b.variable, b.cxxflags, b.ldflags, b.threads, b.static, b.staticlibs}, ...
            {'msvc', 'COMPFLAGS', '/std:c++17 /fp:precise /openmp', '', true, '', ''});
  end

  % Visual Studio 2017: mex says 15.0 for every update; the installation's
  % default toolset tells them apart (14.12 is 15.5, the first that
  % compiles the toolbox). MATLAB hands over an object, the tests a struct.
  vs = tempname ();
  cleanup = onCleanup (@() remove_tree (vs));
  build = fullfile (vs, 'VC', 'Auxiliary', 'Build');
  mkdir (build);
  vs2017 = struct ('Manufacturer', 'Microsoft', 'ShortName', 'MSVCPP150', ...
                   'Name', 'Microsoft Visual C++ 2017', 'Version', '15.0', 'Location', vs);
  toolsets = {'14.10.25017', false, '15.0'; '14.11.25503', false, '15.3'; ...
              '14.12.25827', true, ''; '14.16.27023', true, ''};
  for k = 1:rows (toolsets)
    fid = fopen (fullfile (build, 'Microsoft.VCToolsVersion.default.txt'), 'w');
    fprintf (fid, '%s\r\n', toolsets{k, 1});
    fclose (fid);
    for c = {vs2017, FakeCompilerConfiguration(vs2017)}
      try
        b = toolbox_compiler_flags (c{1});
        assert (toolsets{k, 2}, toolsets{k, 1});
        assert (b.variable, 'COMPFLAGS');
      catch err
        assert (! toolsets{k, 2}, err.message);
        assert (err.identifier, 'build_toolbox:compilerTooOld');
        assert (! isempty (strfind (err.message, ['2017 ' toolsets{k, 3} ' does not compile'])), err.message);
      end
    end
  end
  % An installation that does not say: taken, with a warning.
  delete (fullfile (build, 'Microsoft.VCToolsVersion.default.txt'));
  lastwarn ('');
  evalc ('b = toolbox_compiler_flags (vs2017);');
  [~, id] = lastwarn ();
  assert ({id, b.variable}, {'build_toolbox:unknownCompiler', 'COMPFLAGS'});
  b = toolbox_compiler_flags (xcode ('12.4'));
  assert ({b.family, b.variable, b.cxxflags, b.ldflags, b.threads, b.static}, ...
          {'appleclang', 'CXXFLAGS', '-std=c++17 -ffp-contract=off', '', false, ''});
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
