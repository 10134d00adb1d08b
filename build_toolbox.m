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
%   Every plug-in is compiled with -ffp-contract=off: the kernels keep their
%   order of operations to the last bit, which a fused multiply-add would
%   change; and with -fopenmp, for the threads (the compiler's own OpenMP
%   runtime).
%
%   Example:
%     build_toolbox ('/tmp/mytoolbox', {'penval'});
%     addpath ('/tmp/mytoolbox');
%     penval ([0 3; 0 4], [1 2 4], [], [], [1 1 1 0], [1 1 1 1])   % 1
%
%   See also MEX, ADDPATH.

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
  if (is_octave)
    % mkoctfile takes its flags from the environment; restore them after.
    saved = {getenv('CXXFLAGS'), getenv('LDFLAGS')};
    cleanup = onCleanup (@() restore_flags (saved));
    setenv ('CXXFLAGS', '-O2 -std=c++17 -ffp-contract=off -fvisibility=hidden -fopenmp');
    setenv ('LDFLAGS', ['-fopenmp -Wl,--version-script=' fullfile(gateway, 'mex', 'mexFunction.map')]);
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
      % The threads are OpenMP's, through the compiler's own runtime (-fopenmp
      % links it), as in the CMake build.
      args = [{'-R2017b', 'CXXFLAGS=$CXXFLAGS -std=c++17 -ffp-contract=off -fvisibility=hidden -fopenmp', ...
               'LDFLAGS=$LDFLAGS -fopenmp'}, includes, sources, {'-outdir', outdir, '-output', name}];
      if (plugins(p).blas)
        args = [args, {'-DTOOLBOX_BLAS_INT64=1', '-lmwblas'}];
      end
    end
    mex (args{:});
    copyfile (fullfile (gateway, 'plugins', [name '.m']), fullfile (outdir, [name '.m']));
  end
  % Contents.m with the version, which the file VERSION holds.
  version = strtrim (fileread (fullfile (root, 'VERSION')));
  contents = strrep (fileread (fullfile (root, 'doc', 'Contents.m')), '@VERSION@', version);
  fid = fopen (fullfile (outdir, 'Contents.m'), 'w');
  fwrite (fid, contents);
  fclose (fid);
  fprintf ('build_toolbox: %d plug-in(s) built in %s\n', numel (plugins), outdir);
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
