function test_solver_self_tests ()
  % The self-tests at the end of each solver's help file (the %! blocks),
  % as `test NAME` runs them.
  for name = {'dgsolve', 'lrcomplete'}
    [passed, total] = test (name{1}, 'quiet');
    assert (total > 0, '%s has no self-tests', name{1});
    assert (passed == total, '%s: %d of %d self-tests failed', name{1}, total - passed, total);
  end
end
