function plugins = toolbox_plugin_list (root)
%TOOLBOX_PLUGIN_LIST the toolbox's plug-ins, as plugins.list names them
%   plugins = toolbox_plugin_list ()
%   plugins = toolbox_plugin_list (root)   the list of the source tree at ROOT
%
%   Returns a struct array with the fields
%     name      the plug-in's name
%     category  its category's key
%     title     its category's title
%     kernels   cell array of its kernel sources, from the top of the tree
%     blas      true when it calls the host's BLAS
%   in the order of plugins.list. BUILD_TOOLBOX and the tests read the
%   plug-ins from here; runs in MATLAB and in GNU Octave.
%
%   See also BUILD_TOOLBOX.

  if (nargin < 1 || isempty (root))
    root = fileparts (mfilename ('fullpath'));
  end
  text = fileread (fullfile (root, 'plugins.list'));
  lines = regexp (text, '\r?\n', 'split');
  titles = struct ();
  plugins = struct ('name', {}, 'category', {}, 'title', {}, 'kernels', {}, 'blas', {});
  for k = 1:numel (lines)
    line = strtrim (regexprep (lines{k}, '#.*', ''));
    if (isempty (line))
      continue;
    end
    fields = regexp (line, '\s+', 'split');
    if (strcmp (fields{1}, 'category'))
      titles.(fields{2}) = strjoin (fields(3:end), ' ');
      continue;
    end
    rest = fields(3:end);
    blas = strcmp (rest, 'blas');
    plugins(end+1) = struct ('name', fields{1}, 'category', fields{2}, ...
                             'title', titles.(fields{2}), 'kernels', {rest(~blas)}, ...
                             'blas', any (blas));
  end
end
