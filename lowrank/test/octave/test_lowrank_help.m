function test_lowrank_help ()
  % help prints the usage beside each plug-in, and the plug-in is what runs.
  usage = {'obsprod', 'v = obsprod (Xt, Y, I, J, L)'
           'obsprod_blas', 'v = obsprod_blas (Xt, Y, I, J, L)'
           'nzfill', 'nzfill (S, v, L)'
           'nzfill_blas', 'nzfill_blas (S, v, L)'};
  for k = 1:rows (usage)
    name = usage{k, 1};
    text = evalc (sprintf ('help %s', name));
    assert (! isempty (strfind (text, usage{k, 2})), name);
    assert (! isempty (strfind (text, 'Example')), name);
    assert (! isempty (strfind (text, 'Errors')), name);
    assert (exist (name) == 3, [name ' is not the compiled plug-in']);
  end
  % nzfill says plainly that it writes in place, and how to call it safely.
  for name = {'nzfill', 'nzfill_blas'}
    text = evalc (sprintf ('help %s', name{1}));
    assert (! isempty (strfind (text, 'IN PLACE')));
    assert (! isempty (strfind (text, 'S = S * 1')));
  end
end
