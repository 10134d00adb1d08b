function test_registry ()
  % Every plug-in of the registry through the form on the path: the compiled
  % plug-in runs, with its help beside it (its call form, an example, its
  % errors); its example gives its result; and every row of the error table
  % for its family fails with the identifier and the message of the row,
  % returns nothing and leaves every input as it was.
  [~, errors] = toolbox_plugin_list ();
  [results, plugins, right] = run_examples ();
  for k = 1:numel (plugins)
    p = plugins(k);
    assert (exist (p.name) == 3, '%s is not the compiled plug-in', p.name);
    text = evalc (sprintf ('help %s', p.name));
    for part = {p.usage, 'Example', 'Errors'}
      assert (! isempty (strfind (text, part{1})), 'help %s: no "%s"', p.name, part{1});
    end
    assert (right(k), '%s gives %s, not %s', p.example, mat2str (full (results{k})), p.result);
  end

  for e = errors
    args = cellfun (@eval, e.inputs, 'UniformOutput', false);
    before = cellfun (@own_copy, args, 'UniformOutput', false);
    where = sprintf ('plugins.errors:%d, %s', e.row, e.plugin);
    try
      call_with (str2func (e.plugin), args, e.nargout);
      error ('test_registry:accepted', '%s: the call succeeded', where);
    catch err
      assert (! strcmp (err.identifier, 'test_registry:accepted'), err.message);
      assert (strcmp (err.identifier, e.id), '%s: identifier %s, not %s', where, err.identifier, e.id);
      assert (strcmp (err.message, [e.plugin ': ' e.message]), '%s: message "%s"', where, err.message);
    end
    for k = 1:numel (args)
      assert (isequaln (args{k}, before{k}) && strcmp (class (args{k}), class (before{k})), ...
              '%s: input %d changed', where, k);
    end
  end
end

% The call with N outputs asked for.
function call_with (f, args, n)
  switch (n)
    case 0
      f (args{:});
    case 1
      out = f (args{:});
    otherwise
      [out, more] = f (args{:});
  end
end

% A copy of X on storage of its own.
function y = own_copy (x)
  y = x;
  if (! isempty (y))
    y(1) = y(1);
  end
end
