function build = toolbox_compiler_flags (compiler)
%TOOLBOX_COMPILER_FLAGS how build_toolbox compiles with a given C++ compiler
%   build = toolbox_compiler_flags (compiler)
%
%   The toolbox is written in C++17 and needs one of these compilers, or a
%   later version:
%     GCC 7 (on Windows: MinGW-w64 GCC 7, e.g. MATLAB's MinGW-w64 8.1 add-on)
%     clang 5
%     Apple clang 10 (Xcode 10)
%     Microsoft Visual C++ 2017, version 15.5
%   (what the code uses: C++17's if constexpr and nested namespaces, which
%   MSVC has from 15.3 on, its inline variables from 15.5 on).
%   An older one is refused with build_toolbox:compilerTooOld, whose
%   message names the compiler found and the version needed (MATLAB's
%   MinGW-w64 add-ons of GCC 5.3 and 6.3 among them: they lack C++17).
%
%   COMPILER is a struct, either
%     family   'gcc', 'mingw', 'clang', 'appleclang' or 'msvc'
%     version  its version as text, e.g. '12.2.0' (MSVC: Visual Studio's,
%              '15.5' for 2017 version 15.5, '16.0' for 2019, '17.0' for 2022)
%     name     how the messages call it
%   or MATLAB's description of the selected compiler,
%   mex.getCompilerConfigurations ('C++', 'Selected') (an object, or a
%   struct, with Manufacturer, ShortName, Name, Version, Location). mex
%   calls every Visual Studio 2017 '15.0': its update is read from the
%   version of the toolset the installation at Location names
%   (VC\Auxiliary\Build\Microsoft.VCToolsVersion.default.txt, 14.12 for
%   15.5); where that cannot be read, the compiler is taken with the
%   warning build_toolbox:unknownCompiler, and an update older than 15.5
%   stops at the first file compiled, with a message that says so.
%
%   Returns a struct:
%     family    the compiler's family, as above
%     variable  the mex variable that carries compile flags to it: COMPFLAGS
%               for MSVC, CXXFLAGS for the others
%     cxxflags  the flags the toolbox needs: C++17, no fused multiply-add
%               contraction (-ffp-contract=off; MSVC's /fp:precise contracts
%               nothing), and OpenMP for the threads where the compiler has
%               it (-fopenmp; MSVC /openmp, which needs only OpenMP 2.0)
%     ldflags   the link flags (-fopenmp for GCC and clang; MSVC links its
%               OpenMP runtime by itself)
%     static    link flags that put the compiler's runtimes into a MEX file
%               for MATLAB, which loads its own, older libstdc++ on Linux
%               (GCC 5's in R2017b: a MEX file needing a newer one fails to
%               load) and none of MinGW's DLLs on Windows: -static-libstdc++
%               for GCC and clang, with -static-libgcc for MinGW (whose
%               unwinder, SEH, serves every copy alike); '' for MSVC (MATLAB
%               ships Microsoft's C++ runtime) and Apple's clang (libc++ is
%               the system's)
%     staticlibs  libraries linked in statically after the objects (mex's
%               LINKLIBS): MinGW's OpenMP and threads runtimes, libgomp and
%               winpthread; '' for the others
%     threads   false where the compiler brings no OpenMP runtime (Apple's
%               clang): the kernels then run on the calling thread alone
%   A compiler of an unknown family, or one whose version cannot be read,
%   gets a warning, build_toolbox:unknownCompiler, and the flags of its
%   family (GCC's for an unknown one).
%
%   Example:
%     b = toolbox_compiler_flags (struct ('family', 'msvc', 'version', '16.0', 'name', 'MSVC 2019'));
%     b.variable    % 'COMPFLAGS'
%     b.cxxflags    % '/std:c++17 /fp:precise /openmp'
%
%   See also BUILD_TOOLBOX.

  if (has_field (compiler, 'Manufacturer'))
    compiler = from_mex_configuration (compiler);
  end
  % The oldest version of each family that compiles the toolbox.
  oldest = struct ('gcc', '7', 'mingw', '7', 'clang', '5', 'appleclang', '10', 'msvc', '15.5');
  if (~isfield (oldest, compiler.family))
    warning ('build_toolbox:unknownCompiler', ...
             'build_toolbox: %s is not a compiler the toolbox knows; compiling with GCC''s flags (C++17 needed)', ...
             compiler.name);
  elseif (isempty (regexp (compiler.version, '\d', 'once')))
    warning ('build_toolbox:unknownCompiler', ...
             'build_toolbox: the version of %s is not known; it must compile C++17 (%s or later)', ...
             compiler.name, needed_name (compiler.family, oldest.(compiler.family)));
  elseif (version_less (compiler.version, oldest.(compiler.family)))
    error ('build_toolbox:compilerTooOld', ...
           ['build_toolbox: the toolbox needs C++17, which %s %s does not compile; ' ...
            'it needs %s or later. Compilers that do: GCC 7 (MinGW-w64 GCC 7, e.g. MATLAB''s ' ...
            'MinGW-w64 8.1 add-on), clang 5, Apple clang 10 (Xcode 10), Microsoft Visual C++ 2017 ' ...
            '(15.5). In MATLAB, choose one with mex -setup C++'], ...
           compiler.name, compiler.version, needed_name (compiler.family, oldest.(compiler.family)));
  end

  build.family = compiler.family;
  build.threads = true;
  build.static = '';
  build.staticlibs = '';
  switch (compiler.family)
    case 'msvc'
      build.variable = 'COMPFLAGS';
      build.cxxflags = '/std:c++17 /fp:precise /openmp';
      build.ldflags = '';
    case 'appleclang'
      build.variable = 'CXXFLAGS';
      build.cxxflags = '-std=c++17 -ffp-contract=off';
      build.ldflags = '';
      build.threads = false;
    otherwise
      build.variable = 'CXXFLAGS';
      build.cxxflags = '-std=c++17 -ffp-contract=off -fopenmp';
      build.ldflags = '-fopenmp';
      build.static = '-static-libstdc++';
      if (strcmp (compiler.family, 'mingw'))
        build.static = '-static-libgcc -static-libstdc++';
        build.staticlibs = '-Wl,-Bstatic -lgomp -lpthread -Wl,-Bdynamic';
      end
  end
end

% MATLAB's description of a compiler, made into the fields above.
function c = from_mex_configuration (cfg)
  c.name = cfg.Name;
  c.version = cfg.Version;
  maker = lower (cfg.Manufacturer);
  short = lower (cfg.ShortName);
  if (~isempty (strfind (maker, 'microsoft')) || strncmp (short, 'msvc', 4))
    c.family = 'msvc';
    if (strncmp (c.version, '15.', 3) && has_field (cfg, 'Location'))
      c.version = visual_studio_2017_update (cfg.Location);
    end
  elseif (~isempty (strfind (short, 'mingw')) || ~isempty (strfind (lower (cfg.Name), 'mingw')))
    c.family = 'mingw';
  elseif (~isempty (strfind (maker, 'apple')) || ~isempty (strfind (short, 'xcode')))
    c.family = 'appleclang';
  elseif (~isempty (strfind (maker, 'gnu')) || strcmp (short, 'g++'))
    c.family = 'gcc';
  elseif (~isempty (strfind (maker, 'llvm')) || ~isempty (strfind (short, 'clang')))
    c.family = 'clang';
  else
    c.family = short;
  end
end

% The version of a Visual Studio 2017 installation ('15.5', ...) from the
% version of its default C++ toolset: 14.10 is 15.0 to 15.2, 14.11 is 15.3
% and 15.4, 14.12 is 15.5, and each later toolset one later update, up to
% 14.16 (15.9). '' when the installation does not say.
function v = visual_studio_2017_update (location)
  v = '';
  file = fullfile (location, 'VC', 'Auxiliary', 'Build', 'Microsoft.VCToolsVersion.default.txt');
  fid = fopen (file, 'r');
  if (fid < 0)
    return;
  end
  text = fread (fid, Inf, 'char=>char')';
  fclose (fid);
  toolset = regexp (text, '^\s*14\.(\d+)', 'tokens', 'once');
  if (isempty (toolset))
    return;
  end
  minor = str2double (toolset{1});
  updates = [0 3 5 6 7 8 9];        % toolsets 14.10 to 14.16
  v = sprintf ('15.%d', updates(min (max (minor - 9, 1), numel (updates))));
end

% MATLAB describes the compiler with an object (mex.CompilerConfiguration),
% the tests with a struct: a field of either.
function yes = has_field (s, name)
  yes = (isstruct (s) && isfield (s, name)) || (isobject (s) && isprop (s, name));
end

% True when version text a is below b, compared number by number.
function less = version_less (a, b)
  x = str2double (regexp (a, '\d+', 'match'));
  y = str2double (regexp (b, '\d+', 'match'));
  n = max (numel (x), numel (y));
  x(end+1:n) = 0;
  y(end+1:n) = 0;
  k = find (x ~= y, 1);
  less = ~isempty (k) && x(k) < y(k);
end

function text = needed_name (family, version)
  switch (family)
    case 'msvc'
      text = 'Microsoft Visual C++ 2017 (15.5)';
    case 'appleclang'
      text = ['Apple clang ' version ' (Xcode ' version ')'];
    case 'mingw'
      text = ['MinGW-w64 GCC ' version];
    case 'gcc'
      text = ['GCC ' version];
    otherwise
      text = [family ' ' version];
  end
end
