function test_lowrank_help ()
  % help prints each usage beside the compiled plug-in; nzfill's says it
  % writes in place and how to call it safely.
  usage = {'obsprod', 'v = obsprod (Xt, Y, I, J, L)'; 'obsprod_blas', 'v = obsprod_blas (Xt, Y, I, J, L)'
           'nzfill', 'nzfill (S, v, L)'; 'nzfill_blas', 'nzfill_blas (S, v, L)'};
  for k = 1:rows (usage)
    text = evalc (['help ' usage{k, 1}]);
    assert (! isempty (strfind (text, usage{k, 2})) && ! isempty (strfind (text, 'Errors')));
    assert (exist (usage{k, 1}) == 3);
    if (k > 2)
      assert (! isempty (strfind (text, 'IN PLACE')) && ! isempty (strfind (text, 'S = S * 1')));
    end
  end
end
