function test_self_tests ()
  % Every plug-in's self-tests, the %! blocks at the end of its help file,
  % run the way a user runs them: test NAME. The help file found must be
  % the one beside the compiled plug-in that runs.
  for p = toolbox_plugin_list ()
    compiled = which (p.name);
    [folder, ~, ext] = fileparts (compiled);
    assert (any (strcmp (ext, {'.oct', '.mex'})), '%s runs from %s', p.name, compiled);
    assert (exist (fullfile (folder, [p.name '.m']), 'file') > 0, 'no help file beside %s', compiled);
    [passed, total] = test (p.name, 'quiet', stdout);
    assert (total > 0, '%s has no self-tests', p.name);
    assert (passed == total, '%s: %d of %d self-tests failed', p.name, total - passed, total);
  end
end
