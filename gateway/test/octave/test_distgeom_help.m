function test_distgeom_help ()
  % help finds the usage beside each plug-in, and the plug-in is what runs.
  for name = {'penval', 'penslope', 'linkdev', 'ceilgap', 'floorgap'}
    text = evalc (sprintf ('help %s', name{1}));
    assert (! isempty (strfind (text, [upper(name{1}) ' '])), name{1});
    assert (! isempty (strfind (text, 'Example')), name{1});
    assert (! isempty (strfind (text, 'Errors')), name{1});
    assert (exist (name{1}) == 3, [name{1} ' is not the compiled plug-in']);
  end
end
