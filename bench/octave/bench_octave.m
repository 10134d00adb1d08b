function bench_octave (quick)
%BENCH_OCTAVE time each plug-in against what an Octave user would write without it
%   bench_octave         the sizes of the benchmark table
%   bench_octave (true)  small sizes, to check that everything runs
%
%   Each file bench_cases_*.m beside this one returns the cases of one part
%   of the toolbox: a struct array with the fields
%     name     the plug-in
%     size     the problem size, as text
%     plugin   a function handle calling the plug-in
%     octave   a function handle computing the same with Octave's own
%              vector operations
%     target   the speed-up over the Octave code to reach (0: none)
%     note     a remark printed under the table ('' for none)
%   Each time is the fastest of a few runs. The two results are compared
%   too: the Octave code sums in its own order, so they agree to rounding,
%   not to the bit.
  if (nargin < 1)
    quick = false;
  end
  here = fileparts (mfilename ('fullpath'));
  files = dir (fullfile (here, 'bench_cases_*.m'));
  cases = [];
  for f = files'
    make = str2func (f.name(1:end-2));
    cases = [cases, make(quick)];
  end
  runs = 3;
  if (quick)
    runs = 1;
  end

  printf ('%-9s %-28s %10s %10s %8s %-12s %s\n', 'plug-in', 'size', 'plug-in', 'Octave', ...
          'speed-up', 'target', 'agreement');
  notes = {};
  for c = cases
    a = c.plugin ();
    b = c.octave ();
    scale = max (1, max (abs (b(:))));
    agreement = max (abs (a(:) - b(:))) / scale;
    tp = best_time (c.plugin, runs);
    to = best_time (c.octave, runs);
    verdict = '';
    if (c.target > 0)
      if (to / tp >= c.target)
        verdict = sprintf ('>=%g met', c.target);
      else
        verdict = sprintf ('>=%g MISSED', c.target);
      end
    end
    printf ('%-9s %-28s %8.1f ms %7.1f ms %7.1fx %-12s %.1e\n', c.name, c.size, 1e3 * tp, ...
            1e3 * to, to / tp, verdict, agreement);
    if (! isempty (c.note))
      notes{end+1} = sprintf ('%s: %s', c.name, c.note);
    end
  end
  printf ('%s\n', notes{:});
end

function t = best_time (f, runs)
  t = Inf;
  for k = 1:runs
    tic;
    f ();
    t = min (t, toc);
  end
end
