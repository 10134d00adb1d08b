function test_lazy_values ()
  % Values Octave keeps in a form of its own, each case in an octave-cli of
  % its own, through the form on the path:
  % - nzfill into the full copy that a diagonal matrix, a permutation matrix
  %   or the result of find keeps of itself (F = full (D)): the native form
  %   refuses it and everything stays as it was, an earlier full copy and a
  %   copy kept in a cell included; through MEX the write lands there, as
  %   nzfill's help says;
  % - a range of 10^12 values as w, t, I, J, v or a table: only the values
  %   read are formed, so the call gives its result at once (forming them
  %   all could not be done);
  % - a range of 10^12 values where all of it is read: NAME:tooLarge.
  where = which ('nzfill');
  native = strcmp (where(end-3:end), '.oct');
  folder = fileparts (where);

  copies = {
    'D = eye (3) * 2; G = full (D); F = full (D);', 'D(:, 2)'', G(:)'''
    'D = eye (3)([2 1 3], :); G = full (D); F = full (D);', 'D(2, :), G(:)'''
    'x = [1 0 1 1 0 1 1 1 1]; D = find (x); G = full (D); F = full (D);', 'D, G'
    'D = eye (3) * 2; c = {1, struct(''a'', {{D}})}; clear D; F = full (c{2}.a{1});', 'c{2}.a{1}(:, 2)'''
  };
  for k = 1:rows (copies)
    before = run_checked (folder, sprintf ('%s\ndisp (mat2str ([%s]));\n', copies{k, 1}, copies{k, 2}));
    after = run_checked (folder, sprintf ([ ...
      '%s\ntry, nzfill (F, 1:9, min (9, numel (F))); disp (''written'');\n' ...
      'catch err, disp (err.identifier); end\ndisp (mat2str ([%s]));\n'], ...
      copies{k, 1}, copies{k, 2}));
    if (native)
      assert (strcmp (after, ['nzfill:notWritable' "\n" before]), '%s\n%s', copies{k, 1}, after);
    else
      assert (strncmp (after, 'written', 7), '%s\n%s', copies{k, 1}, after);
    end
  end

  out = run_checked (folder, [ ...
    'w = 1:1e12;\n' ...
    'disp (penval ([0 3; 0 4], [1 2 4], [], [], w, w));\n' ...
    'disp (obsprod ([1 2; 3 4], [5 6 7; 8 9 10], w, [3 1 1], 2));\n' ...
    'disp (obsprod ([1 2; 3 4], [5 6 7; 8 9 10], [2 2 2], w, 2));\n' ...
    'S = zeros (1, 3); nzfill (S, w, 3); disp (S);\n' ...
    'disp (linkdev ([0 3; 0 4], w));\n']);
  assert (strcmp (strtrim (regexprep (out, '\s+', ' ')), '101 37 42 42 48 1 2 3 2'), out);

  out = run_checked (folder, [ ...
    'w = 1:1e12;\n' ...
    'try, penval (w, [], [], [], [1 1 1 1], [1 1 1 1]); catch err, disp (err.identifier); end\n' ...
    'try, linkdev (w, [1 2 3]); catch err, disp (err.identifier); end\n' ...
    'try, obsprod (w, w, 1, 1, 1); catch err, disp (err.identifier); end\n' ...
    'try, obsprod (1, w, 1, 1, 1); catch err, disp (err.identifier); end\n']);
  assert (strcmp (out, sprintf ('penval:tooLarge\nlinkdev:tooLarge\nobsprod:tooLarge\nobsprod:tooLarge\n')), out);
end

% What CODE prints in an octave-cli of its own, which must end well.
function out = run_checked (folder, code)
  [status, out] = run_alone (folder, sprintf (code));
  assert (status == 0, 'octave-cli ended with %d:\n%s\n%s', status, sprintf (code), out);
end
