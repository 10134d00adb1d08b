function bench_octave (quick, native_dir, mex_dir, kernel_file)
%BENCH_OCTAVE time each plug-in, in both host forms, against the host's floor and Octave code
%   bench_octave (quick, native_dir, mex_dir)
%   bench_octave (quick, native_dir, mex_dir, kernel_file)
%
%   QUICK uses small sizes, to check that everything runs. NATIVE_DIR and
%   MEX_DIR hold the two forms of the built toolbox (oct-files and MEX
%   files). KERNEL_FILE, when given, holds toolbox_bench's kernel times of
%   the same run ("name milliseconds" lines, from toolbox_bench --times).
%
%   Each file bench_cases_*.m beside this one returns the cases of one part
%   of the toolbox (see bench_case). For every case the table shows, each
%   the fastest of a few runs in the same session:
%     native, MEX  the plug-in end to end through each host form
%     1 thread     the native form with MEXTOOLBOX_THREADS=1, and the
%                  scaling of the default team over it
%     host         the host's floor: Octave creating an output of the same
%                  size with its own zeros/ones (or a builtin call)
%     Octave       the same result computed with Octave's vector operations
%   and the agreement of the plug-in with that Octave code (which sums in
%   its own order, so they agree to rounding, not to the bit). Under the
%   table, the targets: pairsq within 1.3x of ones (n); obsprod within 1.5x
%   of its kernel plus zeros (1, L); a tiny penval within 1.5x of a builtin
%   call; no plug-in slower through the native form than through MEX.
  if (nargin < 1)
    quick = false;
  end
  kernels = struct ();
  if (nargin >= 4 && exist (kernel_file, 'file'))
    for line = strsplit (strtrim (fileread (kernel_file)), "\n")
      f = strsplit (strtrim (line{1}));
      if (numel (f) == 2)
        kernels.(f{1}) = str2double (f{2}) / 1e3;
      end
    end
  end
  runs = ifelse (quick, 1, 5);

  % The forms take turns, twice, so that a drift of the machine's speed
  % touches both alike; each keeps its fastest time. The native form runs on
  % the default team of threads and on one (MEXTOOLBOX_THREADS=1).
  forms = {'native', native_dir, ''; 'mex', mex_dir, ''; 'one', native_dir, '1'};
  times = struct ('native', [], 'mex', [], 'one', []);
  threads = getenv ('MEXTOOLBOX_THREADS');
  for turn = 1:ifelse (quick, 1, 2)
    for k = 1:rows (forms)
      put_on_path (forms{k, 2}, forms{3 - min (k, 2), 2});
      set_threads (ifelse (isempty (forms{k, 3}), threads, forms{k, 3}));
      cases = collect (quick);
      for c = 1:numel (cases)
        t = best_time (cases(c).plugin, runs);
        if (turn > 1)
          t = min (t, times.(forms{k, 1})(c));
        end
        times.(forms{k, 1})(c) = t;
        if (turn == 1 && k == 1)
          result{c} = cases(c).plugin ();
        end
      end
    end
  end
  set_threads (threads);
  put_on_path (native_dir, mex_dir);

  printf ('%-12s %-26s %9s %9s %6s %9s %9s %-15s %7s %9s %8s %-11s %s\n', 'plug-in', 'size', ...
          'native', '1 thread', 'scale', 'MEX', 'host', '(host floor)', 'nat/host', 'Octave', ...
          'speed-up', 'target', 'agreement');
  notes = {};
  for c = 1:numel (cases)
    tn = times.native(c);
    tm = times.mex(c);
    th = best_time (cases(c).host, runs);
    to = best_time (cases(c).octave, runs);
    b = cases(c).octave ();
    a = result{c};
    agreement = max (abs (a(:) - b(:))) / max (1, max (abs (b(:))));
    verdict = '';
    if (cases(c).target > 0)
      verdict = judge (to / tn, cases(c).target, '>=');
    end
    t1 = times.one(c);
    printf (['%-12s %-26s %6.2f ms %6.2f ms %5.2fx %6.2f ms %6.2f ms %-15s %7.2fx %6.1f ms ' ...
             '%7.1fx %-11s %.1e\n'], cases(c).name, cases(c).size, 1e3 * [tn t1], t1 / tn, ...
            1e3 * [tm th], cases(c).hostText, tn / th, 1e3 * to, to / tn, verdict, agreement);
    if (! isempty (cases(c).note))
      notes{end+1} = sprintf ('%s: %s', cases(c).name, cases(c).note);
    end
    % The targets of the host boundary.
    if (strcmp (cases(c).name, 'pairsq'))
      notes{end+1} = sprintf ('target: pairsq within 1.3x of %s: %.2fx, %s', cases(c).hostText, ...
                              tn / th, judge (tn / th, 1.3, '<='));
    elseif (strcmp (cases(c).name, 'obsprod') && isfield (kernels, 'obsprod'))
      bound = kernels.obsprod + th;
      notes{end+1} = sprintf (['target: obsprod within 1.5x of its kernel (%.2f ms) plus %s: ' ...
                               '%.2fx, %s'], 1e3 * kernels.obsprod, cases(c).hostText, ...
                              tn / bound, judge (tn / bound, 1.5, '<='));
    elseif (strcmp (cases(c).name, 'penval') && ! isempty (strfind (cases(c).size, '1 row')))
      notes{end+1} = sprintf ('target: a tiny penval within 1.5x of a builtin call (%s): %.2fx, %s', ...
                              cases(c).hostText, tn / th, judge (tn / th, 1.5, '<='));
    end
    notes{end+1} = sprintf ('target: %s (%s) no slower native than MEX: %.2fx, %s', cases(c).name, ...
                            cases(c).size, tn / tm, judge (tn / tm, 1, '<='));
  end
  printf ('%s\n', notes{:});
end

function put_on_path (dir, other)
  if (any (strcmp (other, strsplit (path (), pathsep ()))))
    rmpath (other);
  end
  addpath (dir);
  for p = toolbox_plugin_list ()
    clear (p.name);
  end
end

function set_threads (value)
  if (isempty (value))
    unsetenv ('MEXTOOLBOX_THREADS');
  else
    setenv ('MEXTOOLBOX_THREADS', value);
  end
end

function cases = collect (quick)
  here = fileparts (mfilename ('fullpath'));
  files = dir (fullfile (here, 'bench_cases_*.m'));
  cases = [];
  for f = files'
    make = str2func (f.name(1:end-2));
    cases = [cases, make(quick)];
  end
end

function text = judge (value, target, how)
  if (strcmp (how, '<=') && value <= target || strcmp (how, '>=') && value >= target)
    text = sprintf ('%s%g met', how, target);
  else
    text = sprintf ('%s%g MISSED', how, target);
  end
end

% The fastest of `runs` timings; a call of under a millisecond is timed in
% a batch of calls lasting some 20 ms, and the time is per call.
function t = best_time (f, runs)
  tic;
  f ();
  once = toc;
  batch = max (1, ceil (0.02 / max (once, 1e-7)));
  if (once >= 1e-3)
    batch = 1;
  end
  t = Inf;
  for k = 1:runs
    tic;
    for b = 1:batch
      f ();
    end
    t = min (t, toc / batch);
  end
end
