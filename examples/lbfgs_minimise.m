function [x, info] = lbfgs_minimise (fg, x, opts)
%LBFGS_MINIMISE limited-memory BFGS with a backtracking line search
%   [x, info] = lbfgs_minimise (fg, x0, opts)
%   fg(x) returns the value and the gradient (same shape as x). Options
%   (fields of opts, all optional):
%     memory    correction pairs kept (10)
%     maxIter   iteration limit (5000)
%     fTarget   stop when the value falls to this (0)
%     gTol      stop when max |gradient| falls to this (1e-10)
%     stall     stop when the value fell by less than 0.01% over this
%               many iterations (Inf: never)
%     report    called as report (iter, f, gnorm) after every iteration
%   info: iterations, evaluations, the value history (one entry per
%   iteration, the start included) and why it stopped.
  o = struct ('memory', 10, 'maxIter', 5000, 'fTarget', 0, 'gTol', 1e-10, ...
              'stall', Inf, 'report', []);
  if (nargin > 2)
    for f = fieldnames (opts)'
      o.(f{1}) = opts.(f{1});
    end
  end
  shape = size (x);
  x = x(:);
  [f, g] = eval_fg (fg, x, shape);
  nEval = 1;
  history = f;
  S = zeros (numel (x), 0);  Y = S;  rho = zeros (1, 0);
  reason = 'iteration limit';
  iter = 0;
  while (iter < o.maxIter)
    if (f <= o.fTarget)
      reason = 'value target reached';  break;
    end
    if (max (abs (g)) <= o.gTol)
      reason = 'gradient below tolerance';  break;
    end
    d = -two_loop (g, S, Y, rho);
    slope = g' * d;
    if (! (slope < 0))                 % not a descent direction: restart
      S = S(:, []);  Y = S;  rho = zeros (1, 0);
      d = -g;  slope = g' * d;
    end
    if (isempty (rho))
      step = min (1, 1 / max (abs (g)));
    else
      step = 1;
    end
    % Backtracking on the sufficient-decrease condition, with a quadratic
    % model of the value along d to choose each shorter step.
    accepted = false;
    for tries = 1:40
      xn = x + step * d;
      [fn, gn] = eval_fg (fg, xn, shape);
      nEval++;
      if (isfinite (fn) && fn <= f + 1e-4 * step * slope)
        accepted = true;  break;
      end
      if (isfinite (fn))
        trial = -slope * step^2 / (2 * (fn - f - slope * step));
        step = min (max (trial, 0.1 * step), 0.5 * step);
      else
        step = 0.1 * step;
      end
    end
    if (! accepted)
      reason = 'line search failed';  break;
    end
    s = xn - x;  y = gn - g;
    sy = s' * y;
    if (sy > 1e-12 * sqrt ((s' * s) * (y' * y)))
      if (columns (S) == o.memory)
        S(:, 1) = [];  Y(:, 1) = [];  rho(1) = [];
      end
      S(:, end+1) = s;  Y(:, end+1) = y;  rho(end+1) = 1 / sy;
    end
    x = xn;  f = fn;  g = gn;
    iter++;
    history(end+1) = f;
    if (iter > o.stall && f > (1 - 1e-4) * history(end - o.stall))
      reason = 'no more progress';  break;
    end
    if (! isempty (o.report))
      o.report (iter, f, max (abs (g)));
    end
  end
  x = reshape (x, shape);
  info = struct ('iterations', iter, 'evaluations', nEval, ...
                 'history', history, 'reason', reason, 'value', f);
end

function [f, g] = eval_fg (fg, x, shape)
  [f, g] = fg (reshape (x, shape));
  g = g(:);
end

function r = two_loop (g, S, Y, rho)
  % The product of the inverse-Hessian estimate with g.
  k = numel (rho);
  a = zeros (1, k);
  q = g;
  for i = k:-1:1
    a(i) = rho(i) * (S(:, i)' * q);
    q -= a(i) * Y(:, i);
  end
  if (k > 0)
    q *= (S(:, k)' * Y(:, k)) / (Y(:, k)' * Y(:, k));
  end
  for i = 1:k
    b = rho(i) * (Y(:, i)' * q);
    q += (a(i) - b) * S(:, i);
  end
  r = q;
end
