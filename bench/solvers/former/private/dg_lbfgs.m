function [x, info] = dg_lbfgs (fg, x, o)
%DG_LBFGS limited-memory BFGS with a backtracking line search (dgsolve's)
%   [x, info] = dg_lbfgs (fg, x0, o)
%   fg(x) returns the value and the gradient (same shape as x). Fields of o
%   (all given by the caller): memory (correction pairs kept), maxIter,
%   fTarget (stop when the value falls to this), gTol (stop when
%   max |gradient| falls to this), stall (stop when the value fell by less
%   than 0.01% over this many iterations), deadline (a tic () value and a
%   number of seconds, [t0 s], or [] for none) and report (a function
%   called as report (f, gmax) after every iteration, or []).
%   info: iterations, evaluations, history (the value after each
%   iteration, the start first), reason, value.
  shape = size (x);
  x = x(:);
  [f, g] = eval_fg (fg, x, shape);
  nEval = 1;
  history = zeros (1, o.maxIter + 1);
  history(1) = f;
  S = zeros (numel (x), 0);  Y = S;  rho = zeros (1, 0);
  reason = 'iteration limit';
  iter = 0;
  while (iter < o.maxIter)
    if (f <= o.fTarget)
      reason = 'penalty target reached';  break;
    end
    if (max (abs (g)) <= o.gTol)
      reason = 'gradient below tolerance';  break;
    end
    if (~isempty (o.deadline) && toc (o.deadline{1}) > o.deadline{2})
      reason = 'time limit';  break;
    end
    d = -two_loop (g, S, Y, rho);
    slope = g' * d;
    if (~(slope < 0))                  % not a descent direction: restart
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
      nEval = nEval + 1;
      if (isfinite (fn) && fn <= f + 1e-4 * step * slope)
        accepted = true;  break;
      end
      if (isfinite (fn))
        trial = -slope * step ^ 2 / (2 * (fn - f - slope * step));
        step = min (max (trial, 0.1 * step), 0.5 * step);
      else
        step = 0.1 * step;
      end
    end
    if (~accepted)
      reason = 'line search failed';  break;
    end
    s = xn - x;  y = gn - g;
    sy = s' * y;
    if (sy > 1e-12 * sqrt ((s' * s) * (y' * y)))
      if (size (S, 2) == o.memory)
        S(:, 1) = [];  Y(:, 1) = [];  rho(1) = [];
      end
      S(:, end + 1) = s;  Y(:, end + 1) = y;  rho(end + 1) = 1 / sy;
    end
    x = xn;  f = fn;  g = gn;
    iter = iter + 1;
    history(iter + 1) = f;
    if (~isempty (o.report))
      o.report (f, max (abs (g)));
    end
    if (iter > o.stall && f > (1 - 1e-4) * history(iter + 1 - o.stall))
      reason = 'no more progress';  break;
    end
  end
  x = reshape (x, shape);
  info = struct ('iterations', iter, 'evaluations', nEval, ...
                 'history', history(1:iter + 1), 'reason', reason, 'value', f);
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
    q = q - a(i) * Y(:, i);
  end
  if (k > 0)
    q = q * ((S(:, k)' * Y(:, k)) / (Y(:, k)' * Y(:, k)));
  end
  for i = 1:k
    b = rho(i) * (Y(:, i)' * q);
    q = q + (a(i) - b) * S(:, i);
  end
  r = q;
end
