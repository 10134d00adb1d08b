function test_matlab_suite ()
  % The MATLAB test classes of tests/matlab, run by Octave through the
  % stand-in matlab.unittest of this folder, against the form of the
  % toolbox on the path (CTest runs it for the native and the MEX form).
  % Fails when a test fails, or when no test ran.
  suite = fullfile (fileparts (fileparts (mfilename ('fullpath'))), 'matlab');
  addpath (suite);
  results = run_matlab_suite (suite);
  passed = sum ([results.Passed]);
  failed = sum ([results.Failed]);
  printf ('matlab suite (stand-in runner): %d passed, %d failed\n', passed, failed);
  if (failed > 0 || passed == 0)
    error ('test_matlab_suite: %d of %d tests failed', failed, numel (results));
  end
end
