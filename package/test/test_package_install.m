function test_package_install (tarball, testdirs)
  % Installs the package tarball into a temporary prefix, with package lists
  % of its own (the user's are never read or written), loads it, and checks
  % the installed plug-ins: the worked examples, their help, and then the
  % plug-ins' own Octave tests (the folders in TESTDIRS) run against the
  % installed package alone (among them test_registry: every plug-in's
  % example and error contract).
  assert (exist (tarball, 'file') > 0, ['no tarball at ' tarball]);
  for d = strsplit (path (), pathsep ())
    % The package alone must provide the functions.
    assert (isempty (dir (fullfile (d{1}, 'penval.mex'))) && isempty (dir (fullfile (d{1}, 'penval.oct'))), ...
            ['a toolbox is already on the path: ' d{1}]);
  end

  root = tempname ();
  mkdir (root);
  cleanup = onCleanup (@() remove_dir (root));
  pkg ('prefix', fullfile (root, 'share'), fullfile (root, 'arch'));
  pkg ('local_list', fullfile (root, 'local_packages'));
  pkg ('global_list', fullfile (root, 'global_packages'));

  pkg ('install', '-local', '-nodeps', tarball);
  list = pkg ('list');
  assert (numel (list), 1);
  assert (list{1}.name, 'mextoolbox');
  assert (strncmp (list{1}.dir, root, numel (root)), list{1}.dir);
  pkg ('load', 'mextoolbox');

  names = {toolbox_plugin_list().name};
  for k = 1:numel (names)
    where = which (names{k});
    assert (strncmp (where, root, numel (root)) && strcmp (where(end-3:end), '.oct'), ...
            sprintf ('%s runs from %s, not the installed plug-in', names{k}, where));
    text = evalc (['help ' names{k}]);
    assert (! isempty (strfind (text, 'Example')) && ! isempty (strfind (text, 'Errors')), ...
            ['help ' names{k}]);
  end
  % The solvers come with the package, help and self-tests included.
  for name = {'dgsolve', 'lrcomplete'}
    where = which (name{1});
    assert (strncmp (where, root, numel (root)), sprintf ('%s runs from %s', name{1}, where));
    [passed, total] = test (name{1}, 'quiet');
    assert (total > 0 && passed == total, '%s: %d of %d self-tests passed', name{1}, passed, total);
  end
  text = evalc (['help ' list{1}.dir]);
  assert (all (cellfun (@(n) ! isempty (strfind (text, [n ' '])), names)), 'Contents.m');
  assert (! isempty (strfind (text, ['Version ' list{1}.version])), 'Contents.m: version');

  % What the package says of itself: its functions, its licence, its news.
  text = evalc ('pkg describe -verbose mextoolbox');
  assert (all (cellfun (@(n) ! isempty (regexp (text, ['\<' n '\>'], 'once')), names)), ...
          ['pkg describe -verbose lists no function of ' text]);
  assert (strcmp (list{1}.license, 'BSD-3-Clause'), list{1}.license);
  copying = fileread (fullfile (list{1}.dir, 'packinfo', 'COPYING'));
  assert (! isempty (strfind (copying, 'Redistribution and use in source and binary forms')), ...
          'COPYING does not hold the BSD-3-Clause text');
  text = evalc ('news mextoolbox');
  assert (! isempty (strfind (text, ['mextoolbox ' list{1}.version])), 'news mextoolbox');

  % Every plug-in's example in the registry gives its result.
  [results, plugins, right] = run_examples ();
  for k = 1:numel (plugins)
    assert (right(k), '%s gives %s', plugins(k).example, mat2str (full (results{k})));
  end

  % The plug-ins' own tests, against the installed package; among them
  % test_self_tests, which runs test NAME for every function.
  for d = testdirs
    addpath (d{1});
    for f = dir (fullfile (d{1}, 'test_*.m'))'
      [~, fn] = fileparts (f.name);
      printf ('  %s (installed package)\n', fn);
      feval (fn);
    end
    rmpath (d{1});
  end

  pkg ('unload', 'mextoolbox');
  pkg ('uninstall', '-local', 'mextoolbox');
  assert (isempty (pkg ('list')));
end

function remove_dir (d)
  confirm_recursive_rmdir (false, 'local');
  if (exist (d, 'dir'))
    rmdir (d, 's');
  end
end
