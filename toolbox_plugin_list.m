function [plugins, errors] = toolbox_plugin_list (root)
%TOOLBOX_PLUGIN_LIST the toolbox's plug-ins and their error contract, as the registry gives them
%   plugins = toolbox_plugin_list ()
%   plugins = toolbox_plugin_list (root)   the registry of the source tree at ROOT
%   [plugins, errors] = toolbox_plugin_list (...)
%
%   Reads plugins.list (and, for ERRORS, plugins.errors) beside this file or
%   in ROOT. PLUGINS is a struct array in the registry's order, one element
%   a plug-in, with the fields
%     name      the plug-in's name
%     category  its category's key, and title that category's title
%     family    the family whose error contract it follows
%     kernels   cell array of its kernel sources, from the top of the tree
%     blas      true when it calls the host's BLAS
%     usage     its call form
%     inputs    cell array of its inputs' names
%     extra     true when further inputs are ignored (false: refused)
%     uint32    cell array of the names of its inputs that are uint32
%               arrays (every other input is a double array)
%     output    the shape of its output ('none', or 'ROWS x COLS')
%     prints    'diagnostics' when it may print them, else ''
%     example   a call on literal inputs, and result what it returns (for a
%               plug-in without output: its first input after the call)
%     example_inputs  cell array of the example's inputs as texts: eval
%               (example_inputs{k}) makes the k-th
%   ERRORS holds one element for each row of plugins.errors and each
%   plug-in of the row's family (rows naming an "each" list once per
%   value), with the fields
%     plugin    the plug-in's name
%     nargout   the number of outputs the call asks for
%     inputs    cell array of the inputs as texts: eval (inputs{k}) makes
%               the k-th
%     id        the identifier the call must fail with
%     message   the message it must fail with, word for word
%     row       the row's line in plugins.errors
%   BUILD_TOOLBOX, the tests and the MATLAB test classes read the plug-ins
%   from here. Runs in MATLAB and in GNU Octave.
%
%   Example:
%     plugins = toolbox_plugin_list ();
%     {plugins.name}
%
%   See also BUILD_TOOLBOX.

  if (nargin < 1 || isempty (root))
    root = fileparts (mfilename ('fullpath'));
  end
  plugins = read_plugins (lines_of (fullfile (root, 'plugins.list')));
  if (nargout > 1)
    errors = read_errors (lines_of (fullfile (root, 'plugins.errors')), plugins);
  end
end

function lines = lines_of (file)
  lines = regexp (fileread (file), '\r?\n', 'split');
end

function plugins = read_plugins (lines)
  titles = struct ();
  plugins = struct ('name', {}, 'category', {}, 'title', {}, 'family', {}, 'kernels', {}, ...
                    'blas', {}, 'usage', {}, 'inputs', {}, 'extra', {}, 'uint32', {}, 'output', {}, ...
                    'prints', {}, 'example', {}, 'result', {}, 'example_inputs', {});
  for k = 1:numel (lines)
    line = lines{k};
    if (isempty (strtrim (line)) || strncmp (strtrim (line), '#', 1))
      continue;
    end
    [word, rest] = strtok (strtrim (line));
    rest = strtrim (rest);
    if (~isspace (line(1)))
      if (strcmp (word, 'category'))
        [key, title] = strtok (rest);
        titles.(key) = strtrim (title);
      elseif (strcmp (word, 'plugin'))
        plugins(end+1) = struct ('name', rest, 'category', '', 'title', '', 'family', '', ...
                                 'kernels', {{}}, 'blas', false, 'usage', '', 'inputs', {{}}, ...
                                 'extra', false, 'uint32', {{}}, 'output', '', 'prints', '', ...
                                 'example', '', ...
                                 'result', '', 'example_inputs', {{}}); %#ok<AGROW>
      else
        error ('toolbox_plugin_list:badRegistry', 'plugins.list:%d: cannot read "%s"', k, line);
      end
      continue;
    end
    if (isempty (plugins))
      error ('toolbox_plugin_list:badRegistry', 'plugins.list:%d: a field before any plug-in', k);
    end
    switch (word)
      case 'kernels'
        plugins(end).kernels = regexp (rest, '\s+', 'split');
      case 'blas'
        plugins(end).blas = true;
      case 'inputs'
        names = regexp (rest, '\s+', 'split');
        plugins(end).extra = strcmp (names{end}, '...');
        plugins(end).inputs = names(~strcmp (names, '...'));
      case 'uint32'
        plugins(end).uint32 = regexp (rest, '\s+', 'split');
      case {'category', 'family', 'usage', 'output', 'prints', 'example', 'result'}
        plugins(end).(word) = rest;
      otherwise
        error ('toolbox_plugin_list:badRegistry', 'plugins.list:%d: no field "%s"', k, word);
    end
  end
  for p = 1:numel (plugins)
    plugins(p).title = titles.(plugins(p).category);
    call = regexp (plugins(p).example, '^\w+\s*\((.*)\)$', 'tokens', 'once');
    plugins(p).example_inputs = split_inputs (call{1});
  end
end

function errors = read_errors (lines, plugins)
  errors = struct ('plugin', {}, 'nargout', {}, 'inputs', {}, 'id', {}, 'message', {}, 'row', {});
  lets = cell (0, 2);
  each = cell (0, 2);
  for k = 1:numel (lines)
    line = strtrim (lines{k});
    if (isempty (line) || line(1) == '#')
      continue;
    end
    named = regexp (line, '^(let|each)\s+(\w+)\s*=\s*(.*)$', 'tokens', 'once');
    if (~isempty (named))
      value = substitute (named{3}, lets);
      if (strcmp (named{1}, 'let'))
        lets(end+1, :) = {named{2}, value}; %#ok<AGROW>
      else
        each = each(~strcmp (each(:, 1), named{2}), :);
        each(end+1, :) = {named{2}, strtrim(regexp(value, '\|', 'split'))}; %#ok<AGROW>
      end
      continue;
    end
    fields = strtrim (regexp (line, '\|', 'split'));
    if (numel (fields) ~= 5)
      error ('toolbox_plugin_list:badErrorTable', 'plugins.errors:%d: not 5 fields: %s', k, line);
    end
    family = plugins(strcmp ({plugins.family}, fields{1}));
    if (isempty (family))
      error ('toolbox_plugin_list:badErrorTable', 'plugins.errors:%d: no family %s', k, fields{1});
    end
    calls = expand ({substitute(fields{3}, lets)}, each);
    for c = 1:numel (calls)
      for p = 1:numel (family)
        e.plugin = family(p).name;
        e.nargout = str2double (fields{2});
        e.inputs = split_inputs (calls{c});
        e.id = [family(p).name ':' fields{4}];
        e.message = placeholders (fields{5}, family(p));
        e.row = k;
        errors(end+1) = e; %#ok<AGROW>
      end
    end
  end
end

% Every let name in TEXT, word by word, replaced by its input.
function text = substitute (text, lets)
  for k = 1:size (lets, 1)
    text = regexprep (text, ['\<' lets{k, 1} '\>'], lets{k, 2});
  end
end

% One text for each value of each "each" name the texts name.
function texts = expand (texts, each)
  for k = 1:size (each, 1)
    pattern = ['\<' each{k, 1} '\>'];
    out = {};
    for t = 1:numel (texts)
      if (isempty (regexp (texts{t}, pattern, 'once')))
        out{end+1} = texts{t}; %#ok<AGROW>
        continue;
      end
      for v = 1:numel (each{k, 2})
        out{end+1} = regexprep (texts{t}, pattern, each{k, 2}{v}); %#ok<AGROW>
      end
    end
    texts = out;
  end
end

% The inputs of a row, split at the commas outside brackets and quotes.
function inputs = split_inputs (text)
  inputs = {};
  depth = 0;
  quoted = false;
  start = 1;
  for k = 1:numel (text)
    ch = text(k);
    if (ch == '''')
      quoted = ~quoted;
    elseif (~quoted && any (ch == '([{'))
      depth = depth + 1;
    elseif (~quoted && any (ch == ')]}'))
      depth = depth - 1;
    elseif (~quoted && depth == 0 && ch == ',')
      inputs{end+1} = strtrim (text(start:k-1)); %#ok<AGROW>
      start = k + 1;
    end
  end
  if (~isempty (strtrim (text)))
    inputs{end+1} = strtrim (text(start:end));
  end
end

function text = placeholders (text, plugin)
  text = strrep (text, '{name}', plugin.name);
  text = strrep (text, '{usage}', plugin.usage);
  for k = 1:numel (plugin.inputs)
    text = strrep (text, sprintf ('{input%d}', k), plugin.inputs{k});
  end
end
