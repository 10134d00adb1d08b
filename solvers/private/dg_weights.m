function [wD, wLb, wUb] = dg_weights (D, Lb, Ub, w, t)
%DG_WEIGHTS the weight penval gives each table row, asked of penval itself
%   [wD, wLb, wUb] = dg_weights (D, Lb, Ub, w, t)
%   One column per table: the factor by which penval multiplies the
%   squared gap of the row when the row is violated (0: the row never adds
%   anything). The rule (which type codes select which weight, and how a
%   code is converted) is not restated here: penval is called on one
%   violated row per distinct type code, two points one apart, and its
%   answer is the weight. NaN codes are asked once for all of them.
  wD = repmat (penval ([0 1], [1 2 2], [], [], [w(1:3), 0], [1 1 1 1]), size (D, 1), 1);
  % A lower bound 2 on a pair 1 apart has the gap 1; an upper bound 0 the
  % gap -1: penval then returns the row's weight itself.
  wLb = per_code (Lb(:, 4), @(c) penval ([0 1], [], [1 2 2 c], [], [w(1:3), 0], t));
  wUb = per_code (Ub(:, 4), @(c) penval ([0 1], [], [], [1 2 0 c], [w(1:3), 0], t));
end

function wt = per_code (code, ask)
  wt = zeros (size (code));
  nan = isnan (code);
  [codes, ~, at] = unique (code(~nan));
  weightOf = zeros (numel (codes), 1);
  for k = 1:numel (codes)
    weightOf(k) = ask (codes(k));
  end
  wt(~nan) = weightOf(at);
  if (any (nan))
    wt(nan) = ask (NaN);
  end
end
