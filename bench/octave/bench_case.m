function c = bench_case (name, size, plugin, octave, host, target, note)
%BENCH_CASE one row of the Octave benchmark (see bench_octave)
%   c = bench_case (name, size, plugin, octave, host)
%   c = bench_case (..., target, note)
%     name    the plug-in
%     size    the problem size, as text
%     plugin  a function handle calling the plug-in
%     octave  a function handle computing the same with Octave's own
%             vector operations
%     host    {handle, text}: the host's floor, what Octave itself takes to
%             create an output of the same size (or a builtin call)
%     target  the speed-up over the Octave code to reach (default 5; 0: none)
%     note    a remark printed under the table ('' for none)
  if (nargin < 6)
    target = 5;
  end
  if (nargin < 7)
    note = '';
  end
  c = struct ('name', name, 'size', size, 'plugin', plugin, 'octave', octave, ...
              'host', host{1}, 'hostText', host{2}, 'target', target, 'note', note);
end
