function use_form (form)
%USE_FORM put one form of the built toolbox on the path and the other off it
%   use_form ('native')   the oct-files (Octave's native interface)
%   use_form ('mex')      the MEX files
%   The folders come from the environment the tests run in
%   (MEXTOOLBOX_NATIVE_DIR, MEXTOOLBOX_MEX_DIR). Every plug-in is cleared, so
%   that the next call loads it again from the form now on the path.
  dirs = struct ('native', getenv ('MEXTOOLBOX_NATIVE_DIR'), 'mex', getenv ('MEXTOOLBOX_MEX_DIR'));
  on = strsplit (path (), pathsep ());
  for f = fieldnames (dirs)'
    d = dirs.(f{1});
    assert (! isempty (d), 'use_form: MEXTOOLBOX_%s_DIR is not set', upper (f{1}));
    if (any (strcmp (d, on)))
      rmpath (d);
    end
  end
  addpath (dirs.(form));
  for p = toolbox_plugin_list ()
    clear (p.name);
  end
end
