function [results, plugins, right] = run_examples ()
%RUN_EXAMPLES every plug-in's example in the registry, through the form on the path
%   [results, plugins, right] = run_examples ()
%   RESULTS{k} is what the example of PLUGINS(k) (toolbox_plugin_list)
%   returns; for a plug-in without output, its first input after the call.
%   RIGHT(k) is true when that is the registry's result: the same shape,
%   sparsity and bits (a stored 0 and one not stored alike).
  plugins = toolbox_plugin_list ();
  results = cell (1, numel (plugins));
  right = false (1, numel (plugins));
  for k = 1:numel (plugins)
    p = plugins(k);
    args = cellfun (@eval, p.example_inputs, 'UniformOutput', false);
    if (strcmp (p.output, 'none'))
      feval (p.name, args{:});
      results{k} = args{1};
    else
      results{k} = feval (p.name, args{:});
    end
    expected = eval (p.result);
    right(k) = same_bits (full (results{k}), full (expected)) && ...
               issparse (results{k}) == issparse (expected);
  end
end
