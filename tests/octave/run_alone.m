function [status, out] = run_alone (folder, code)
%RUN_ALONE run CODE in an octave-cli of its own, with FOLDER on its path
%   [status, out] = run_alone (folder, code): its exit status and what it
%   printed. A crash, or a call that runs out of memory, ends that process
%   alone.
  script = [tempname() '.m'];
  fid = fopen (script, 'w');
  fprintf (fid, 'addpath (''%s'');\n%s', folder, code);
  fclose (fid);
  cleanup = onCleanup (@() delete (script));
  octave = fullfile (OCTAVE_HOME (), 'bin', 'octave-cli');
  [status, out] = system (sprintf ('"%s" --no-gui --norc --no-history --quiet --no-window-system "%s" 2>&1', ...
                                   octave, script));
end
