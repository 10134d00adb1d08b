function valgrind_plugins ()
%VALGRIND_PLUGINS every plug-in of the registry on its example and on its bad inputs
%   Each plug-in's example (plugins.list) must give its result, and each
%   call of the error table (plugins.errors) must fail with its identifier.
%   Small enough to run inside Octave under valgrind memcheck, which watches
%   the plug-ins read and write the host's own arrays.
  [results, plugins, right] = run_examples ();
  for k = 1:numel (plugins)
    if (! right(k))
      error ('valgrind_plugins: %s gives %s, not %s', plugins(k).example, ...
             mat2str (full (results{k})), plugins(k).result);
    end
  end
  [~, errors] = toolbox_plugin_list ();
  for e = errors
    args = cellfun (@eval, e.inputs, 'UniformOutput', false);
    try
      switch (e.nargout)
        case 0
          feval (e.plugin, args{:});
        case 1
          out = feval (e.plugin, args{:});
        otherwise
          [out, more] = feval (e.plugin, args{:});
      end
    catch err
      if (! strcmp (err.identifier, e.id))
        error ('valgrind_plugins: plugins.errors:%d, %s: expected "%s", got "%s" (%s)', ...
               e.row, e.plugin, e.id, err.identifier, err.message);
      end
      continue;
    end
    error ('valgrind_plugins: plugins.errors:%d, %s: the call succeeded', e.row, e.plugin);
  end
end
