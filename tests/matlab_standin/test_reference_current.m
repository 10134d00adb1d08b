function test_reference_current ()
  % The committed reference bits are what write_reference writes today with
  % the form of the toolbox on the path: same cases, inputs, outputs and
  % printed text (the lines naming who wrote it and when aside). A change
  % of results, or of the script, shows here until the file is rewritten.
  suite = fullfile (fileparts (fileparts (mfilename ('fullpath'))), 'matlab');
  addpath (suite);
  committed = load (fullfile (suite, 'reference', 'toolbox_reference.mat'));
  file = [tempname() '.mat'];
  cleanup = onCleanup (@() delete (file));
  write_reference (file);
  fresh = load (file);
  a = committed.reference.cases;
  b = fresh.reference.cases;
  assert (numel (a), numel (b));
  for k = 1:numel (a)
    assert (isequal (a{k}, b{k}), 'case %d (%s) differs from the committed reference', k, b{k}.about);
  end
end
