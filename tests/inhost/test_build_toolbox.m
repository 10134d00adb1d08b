function test_build_toolbox ()
  % The in-host build script compiles every plug-in with Octave's own mex;
  % the plug-ins it makes are the ones that run, and they give the same bits
  % as the CMake build.
  out = tempname ();
  cleanup = onCleanup (@() remove_tree (out));
  root = fileparts (fileparts (fileparts (mfilename ('fullpath'))));
  addpath (root);
  evalc ('build_toolbox (out);');
  names = {toolbox_plugin_list(root).name};
  for k = 1:numel (names)
    assert (exist (fullfile (out, [names{k} '.mex']), 'file') > 0, names{k});
    assert (exist (fullfile (out, [names{k} '.m']), 'file') == 2, names{k});
  end
  % Its Contents.m is the CMake build's: the version, the registry's plug-ins.
  assert (strcmp (fileread (fullfile (out, 'Contents.m')), ...
                  fileread (fullfile (getenv ('MEXTOOLBOX_MEX_DIR'), 'Contents.m'))));
  % The solvers and the demos, with their helpers and data, as a MATLAB
  % user gets them.
  [status, text] = system (sprintf ('"%s" "%s" "%s" mex', ...
                                    fullfile (root, 'tests', 'check_toolbox_folder.sh'), root, out));
  assert (status == 0, '%s', text);

  X = [0 3; 0 4];
  args = {X, [1 2 4], [1 2 6 1], [1 2 4 -1], [1 1 1 1], [3 5 7 2]};
  built = {penval(args{:}), penslope(args{:}), floorgap(X, [1 2 6])};
  addpath (out);
  restore = onCleanup (@() rmpath (out));
  assert (strncmp (which ('penval'), out, numel (out)));
  assert (penval (args{:}), built{1});
  assert (penslope (args{:}), built{2});
  assert (floorgap (X, [1 2 6]), built{3});
  assert (pairsq (X), [0 25; 25 0]);
  assert (obsprod ([1 2; 3 4], [5 6 7; 8 9 10], [1 2], [3 1], 2), [37 42]);
  assert (obsprod_blas ([1 2; 3 4], [5 6 7; 8 9 10], [1 2], [3 1], 2), [37 42]);
  S = sparse ([1 0; 2 3]);
  nzfill (S, [7 8 9], 2);
  assert (nonzeros (S)', [7 8 3]);

  % From that folder alone (the source tree's solvers and demos off the
  % path): help, a solver with its private helpers, a demo with its own.
  rmpath (fullfile (root, 'solvers'));
  addpath (fullfile (out, 'examples'));
  more_path = onCleanup (@() rmpath (fullfile (out, 'examples')));
  assert (strncmp (which ('dgsolve'), out, numel (out)));
  assert (strncmp (which ('demo_protein'), out, numel (out)));
  assert (! isempty (strfind (evalc ('help (out)'), 'lrcomplete')));
  assert (! isempty (strfind (evalc ('help dgsolve'), 'point coordinates from tables')));
  r = demo_completion (60, struct ('verbose', false, 'fraction', 0.4, 'rank', 2));
  assert (r.relError < 1e-6);
end
