function build_toolbox (outdir, names)
%BUILD_TOOLBOX compile the toolbox's plug-ins with the host's own mex
%   build_toolbox                 builds every plug-in into the folder
%                                 'toolbox' beside this script
%   build_toolbox (outdir)        builds into OUTDIR (created if needed)
%   build_toolbox (outdir, names) builds only the plug-ins named in the cell
%                                 array NAMES, e.g. {'penval', 'penslope'}
%
%   Runs in MATLAB (mex with its C++ compiler and its own BLAS) and in GNU
%   Octave (mex, i.e. mkoctfile --mex). Each plug-in's help file is copied
%   beside it, with Contents.m, so that `help NAME` and `help OUTDIR` work.
%   Afterwards: addpath (OUTDIR).
%
%   The toolbox needs a C++17 compiler: GCC 7, clang 5, Apple clang 10
%   (Xcode 10), Microsoft Visual C++ 2017 (15.5), or later. The selected
%   compiler is checked first; an older one (MATLAB's MinGW-w64 GCC 5.3 or
%   6.3 among them) is refused with build_toolbox:compilerTooOld, naming
%   the version needed (see TOOLBOX_COMPILER_FLAGS).
%
%   Every plug-in is compiled as C++17 with no fused multiply-add
%   contraction (the kernels keep their order of operations to the last
%   bit, which a fused multiply-add would change) and with OpenMP for the
%   threads (the compiler's own runtime), each in the compiler's own words:
%   -std=c++17 -ffp-contract=off -fopenmp in CXXFLAGS for GCC, MinGW and
%   clang, /std:c++17 /fp:precise /openmp in COMPFLAGS for MSVC. Apple's
%   clang has no OpenMP runtime: there every kernel runs on one thread.
%   mex's own export list exports mexFunction (and, in MATLAB, the API
%   version mex adds) and nothing else.
%
%   Example:
%     build_toolbox ('/tmp/mytoolbox', {'penval'});
%     addpath ('/tmp/mytoolbox');
%     penval ([0 3; 0 4], [1 2 4], [], [], [1 1 1 0], [1 1 1 1])   % 1
%
%   See also MEX, ADDPATH, TOOLBOX_COMPILER_FLAGS.

  root = fileparts (mfilename ('fullpath'));
  if (nargin < 1 || isempty (outdir))
    outdir = fullfile (root, 'toolbox');
  end
  gateway = fullfile (root, 'gateway');

  % The plug-ins of plugins.list, each compiled from its gateway, the MEX
  % adaptor, the host-free core and checks, and its kernel sources.
  plugins = toolbox_plugin_list (root);
  if (nargin >= 2)
    unknown = setdiff (names, {plugins.name});
    if (~isempty (unknown))
      error ('build_toolbox:unknownPlugin', 'build_toolbox: no plug-in named %s', unknown{1});
    end
    plugins = plugins(ismember ({plugins.name}, names));
  end
  shared = [{fullfile(gateway, 'gateway.cpp'), fullfile(gateway, 'mex', 'adaptor.cpp')}, ...
            sources_in(fullfile (root, 'core')), sources_in(fullfile (root, 'checks'))];
  includes = cellfun (@(d) ['-I' d], {root, fullfile(root, 'core'), fullfile(root, 'checks'), ...
                                      gateway, fullfile(gateway, 'plugins')}, 'UniformOutput', false);

  if (~exist (outdir, 'dir'))
    mkdir (outdir);
  end
  is_octave = exist ('OCTAVE_VERSION', 'builtin') > 0;
  % The selected compiler, checked before anything is compiled.
  build = toolbox_compiler_flags (selected_compiler (is_octave));
  if (~build.threads)
    fprintf ('build_toolbox: this compiler has no OpenMP runtime: every kernel runs on one thread\n');
  end
  if (is_octave)
    % mkoctfile takes its flags from the environment; restore them after.
    % Octave's MEX files export mexFunction alone: hidden visibility, and on
    % Linux the toolbox's version script.
    saved = {getenv('CXXFLAGS'), getenv('LDFLAGS')};
    cleanup = onCleanup (@() restore_flags (saved));
    setenv ('CXXFLAGS', ['-O2 ' build.cxxflags ' -fvisibility=hidden']);
    ldflags = build.ldflags;
    if (isunix () && ~ismac ())
      ldflags = [ldflags ' -Wl,--version-script=' fullfile(gateway, 'mex', 'mexFunction.map')];
    end
    setenv ('LDFLAGS', strtrim (ldflags));
  else
    % MATLAB: the flags go where mex hands them to the compiler (COMPFLAGS
    % for MSVC, CXXFLAGS for the others), after mex's own, so that
    % -std=c++17 overrides the older standard mex names. No visibility
    % flag: mex exports by its own list, which names mexFunction and the
    % API version it compiles in, and hidden visibility would hide the
    % latter from that list.
    flags = {'-R2017b', sprintf('%s=$%s %s', build.variable, build.variable, build.cxxflags)};
    if (~isempty (build.ldflags))
      flags{end+1} = ['LDFLAGS=$LDFLAGS ' build.ldflags];
    end
  end

  for p = 1:numel (plugins)
    name = plugins(p).name;
    kernels = cellfun (@(f) fullfile (root, f), plugins(p).kernels, 'UniformOutput', false);
    sources = [{fullfile(gateway, 'plugins', [name '.cpp'])}, shared, kernels];
    fprintf ('build_toolbox: compiling %s ...\n', name);
    if (is_octave)
      args = [includes, sources, {'-o', fullfile(outdir, name)}];
      if (plugins(p).blas)
        args = [args, strsplit(strtrim (mkoctfile ('-p', 'BLAS_LIBS')))];
      end
    else
      % MATLAB's own BLAS (libmwblas) takes 64-bit integers on 64-bit hosts.
      args = [flags, includes, sources, {'-outdir', outdir, '-output', name}];
      if (plugins(p).blas)
        args = [args, {'-DTOOLBOX_BLAS_INT64=1', '-lmwblas'}];
      end
    end
    mex (args{:});
    copyfile (fullfile (gateway, 'plugins', [name '.m']), fullfile (outdir, [name '.m']));
  end
  % Contents.m: the version, which the file VERSION holds, and a line for
  % each plug-in of the registry (its help file's first line) under its
  % category's title.
  version = strtrim (fileread (fullfile (root, 'VERSION')));
  contents = strrep (fileread (fullfile (root, 'doc', 'Contents.m')), '@VERSION@', version);
  contents = strrep (contents, sprintf ('@PLUGINS@\n'), plugin_lines (root, gateway));
  fid = fopen (fullfile (outdir, 'Contents.m'), 'w');
  fwrite (fid, contents);
  fclose (fid);
  fprintf ('build_toolbox: %d plug-in(s) built in %s\n', numel (plugins), outdir);
end

% The C++ compiler the host's mex uses: MATLAB's selected one, or the one
% Octave's mkoctfile calls, described for TOOLBOX_COMPILER_FLAGS.
function compiler = selected_compiler (is_octave)
  if (~is_octave)
    compiler = mex.getCompilerConfigurations ('C++', 'Selected');
    if (isempty (compiler))
      error ('build_toolbox:noCompiler', ...
             'build_toolbox: no C++ compiler is selected for mex; choose one with mex -setup C++');
    end
    compiler = compiler(1);
    return;
  end
  cxx = strtrim (mkoctfile ('-p', 'CXX'));
  [status, text] = system ([cxx ' --version']);
  lines = regexp (text, '\r?\n', 'split');
  compiler = struct ('family', '', 'version', '', 'name', cxx);
  if (status ~= 0)
    error ('build_toolbox:noCompiler', 'build_toolbox: cannot run Octave''s C++ compiler, %s', cxx);
  end
  found = regexp (lines{1}, 'clang version (\d+(\.\d+)*)', 'tokens', 'once');
  if (~isempty (found))
    compiler.version = found{1};
    if (~isempty (strfind (lines{1}, 'Apple')))
      compiler.family = 'appleclang';
    else
      compiler.family = 'clang';
    end
  else
    [~, out] = system ([cxx ' -dumpfullversion -dumpversion']);
    compiler.version = strtrim (out);
    if (ispc ())
      compiler.family = 'mingw';
    else
      compiler.family = 'gcc';
    end
  end
end

% The lines of Contents.m for the plug-ins: each category's title, then
% "%   NAME - H1" for each of its plug-ins, then a line "%".
function text = plugin_lines (root, gateway)
  registry = toolbox_plugin_list (root);
  text = '';
  [~, first] = unique ({registry.category}, 'first');
  for c = sort (first(:)')
    category = registry(c).category;
    text = [text sprintf('%% %s\n', registry(c).title)]; %#ok<AGROW>
    for p = registry(strcmp ({registry.category}, category))
      help = regexp (fileread (fullfile (gateway, 'plugins', [p.name '.m'])), '\r?\n', 'split');
      h1 = regexprep (help{2}, '^%\w+ ', '');
      text = [text sprintf('%%   %-12s - %s\n', p.name, h1)]; %#ok<AGROW>
    end
    text = [text sprintf('%%\n')]; %#ok<AGROW>
  end
end

% The C++ sources of a folder, with their paths.
function files = sources_in (folder)
  found = dir (fullfile (folder, '*.cpp'));
  files = cellfun (@(f) fullfile (folder, f), {found.name}, 'UniformOutput', false);
end

function restore_flags (saved)
  setenv ('CXXFLAGS', saved{1});
  setenv ('LDFLAGS', saved{2});
end
