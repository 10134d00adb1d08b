function test_standin_runner ()
  % The stand-in runner and TestCase on a class whose outcomes are known
  % (selfcheck/): each test passes or fails as its name says, a failed
  % verification lets the test go on and a failed assertion stops it, the
  % teardowns run. (That the MATLAB test classes use no Octave-only syntax
  % is checked with every shipped file: tests/check_language.sh.)
  here = fileparts (mfilename ('fullpath'));
  addpath (fullfile (here, 'selfcheck'));
  for key = {'standInAfterVerify', 'standInAfterAssert', 'standInTestTeardown', 'standInClassTeardown'}
    setappdata (0, key{1}, false);
  end
  results = run_matlab_suite (fullfile (here, 'selfcheck'));
  names = regexprep ({results.Name}, '^StandInSelfCheck/', '');
  assert (numel (names), 14);
  for k = 1:numel (results)
    expected = strncmp (names{k}, 'pass', 4);
    assert (results(k).Passed == expected && results(k).Failed != expected, ...
            'stand-in: %s %s', names{k}, ifelse_text (results(k).Passed));
  end
  assert (getappdata (0, 'standInAfterVerify'), 'a failed verification stopped the test');
  assert (! getappdata (0, 'standInAfterAssert'), 'a failed assertion did not stop the test');
  assert (getappdata (0, 'standInTestTeardown'), 'a test''s teardown did not run');
  assert (getappdata (0, 'standInClassTeardown'), 'the class''s teardown did not run');

end

function t = ifelse_text (passed)
  if (passed)
    t = 'passed, but should fail';
  else
    t = 'failed, but should pass';
  end
end
