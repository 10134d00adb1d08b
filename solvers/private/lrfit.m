function [Gt, Ht, info] = lrfit (p, r, o, Gt, Ht, test, clock0)
%LRFIT the iterations of lrcomplete: preconditioned conjugate gradients on the factors
%   [Gt, Ht, info] = lrfit (p, r, o, Gt, Ht, test, clock0)
%   p: the samples (lrsamples), r the rank, o the options (lroptions, with
%   o.lambda in the units of p.b), Gt, Ht a start (k-by-m, k-by-n) or
%   empty matrices for none; test: held-out samples renumbered like p, or
%   [].
%
%   The fit is Gt.'*Ht, the factors held as the plug-ins take them. Without a start it grows from rank 0: lrgrow adds
%   the residual's leading components, the iterations fit them, and when
%   they stop gaining (the residual falls by less than 30% over three
%   iterations) the next are added, until rank r; with a start the rank is
%   r throughout. Each iteration takes these steps, each a function:
%     lrgradient      the gradient with respect to Gt and Ht;
%     lrprecondition  times the inverse of each row's and column's normal
%                     matrix (built by lrprecond, again every few
%                     iterations and at each new rank);
%     lrdirection     Polak-Ribiere+ conjugate directions in that metric;
%     lrstep          the exact minimiser along the direction, and the
%                     residual of the fit before it;
%     lrbalance       equal weight on both factors, same product;
%   and record (below) keeps the histories and prints progress. The
%   passes over the samples are those of the plug-ins RESPROD (two for
%   the gradient), RESSTEP (one for the step) and ROWGRAM (two for the
%   blocks, every few iterations); nothing of the length of the samples
%   is formed.

  m = p.m;  n = p.n;  lambda = o.lambda;
  normb = sqrt (p.b * p.b.');
  if (normb == 0)
    normb = 1;                          % all samples 0: absolute residuals
  end
  rebuild = 5;                          % iterations between builds of the blocks

  room = min (o.maxIter + 1, 1001);     % histories grow past 1000 entries
  hist.residual = zeros (1, room);
  hist.testRMSE = zeros (1, room * ~ isempty (test));
  hist.rank = zeros (1, room);
  hist.f = zeros (1, room);
  lastSay = toc (clock0);

  if (isempty (Gt))
    Gt = zeros (0, m);
    Ht = zeros (0, n);
  end
  stage = 0;
  iter = 0;
  reason = '';
  while (isempty (reason))
    % A new stage: the components to fit, a fresh preconditioner, no
    % previous direction.
    if (size (Gt, 1) < r)
      [Gt, Ht] = lrgrow (p, Gt, Ht, r, o.seed + stage);
    end
    stage = stage + 1;
    k = size (Gt, 1);
    prev = [];
    P = [];
    sinceBuild = rebuild;
    stageStart = iter;
    while (true)
      % The gradient, the direction and the sums of the step along it, at
      % the present fit; the fit's residual comes with the step's sums, so
      % the stop tests follow them.
      [gG, gH] = lrgradient (p, Gt, Ht, lambda);
      if (sinceBuild >= rebuild)
        P = [];                         % not held twice
        P = lrprecond (p, Gt, Ht, lambda);
        sinceBuild = 0;
      end
      [dG, dH] = lrprecondition (P, gG, gH);
      [A, B, gd] = lrdirection (gG, gH, dG, dH, prev);
      [t, ~, ee] = lrstep (p, Gt, Ht, A, B, lambda);
      f = 0.5 * ee + 0.5 * lambda * (Gt(:).' * Gt(:) + Ht(:).' * Ht(:));
      record (iter, ee, f, Gt, Ht);
      if (o.verbose && iter == 0 && stage == 1)
        fprintf ('lrcomplete: %d-by-%d, rank %d, %d samples; residual %.3e at rank %d\n', ...
                 m, n, r, p.L, hist.residual(1), k);
      end

      if (hist.residual(iter + 1) <= o.tol)
        reason = 'tol';
        break;
      end
      if (iter >= o.maxIter)
        reason = 'maxIter';
        break;
      end
      if (toc (clock0) >= o.maxTime)
        reason = 'maxTime';
        break;
      end
      if (k < r && iter - stageStart >= 3 ...
          && hist.residual(iter + 1) > 0.7 * hist.residual(iter - 2))
        break;                          % this rank has given what it can
      end
      if (k == r && iter - stageStart >= 5 ...
          && hist.f(iter - 4) - f <= 1e-8 * hist.f(iter - 4))
        reason = 'stalled';             % the objective no longer falls
        break;
      end
      if (t == 0)
        if (isempty (prev) && sinceBuild == 0)
          if (k < r)
            break;                      % nothing more at this rank
          end
          reason = 'stalled';           % no step along the gradient helps
          break;
        end
        prev = [];                      % again from the gradient, new blocks
        sinceBuild = rebuild;
        continue;
      end

      Gt = Gt + t * A;
      Ht = Ht + t * B;
      [Gt, Ht, T, Ti] = lrbalance (Gt, Ht);
      if (isempty (T))
        prev = [];                      % the product lost rank: start afresh
        sinceBuild = rebuild;
      else
        prev = struct ('dG', T.' * dG, 'dH', Ti.' * dH, 'A', T.' * A, 'B', Ti.' * B, 'gd', gd);
        P.TG = P.TG * T;
        P.TH = P.TH * Ti;
        sinceBuild = sinceBuild + 1;
      end
      iter = iter + 1;
    end
    if (isempty (reason) && k >= min (r, min (m, n)))
      reason = 'stalled';
    end
  end

  info = struct ('residual', hist.residual(1:iter + 1), ...
                 'testRMSE', hist.testRMSE(1:min (end, iter + 1)), ...
                 'rankHistory', hist.rank(1:iter + 1), ...
                 'iterations', iter, 'reason', reason);

  function record (it, ee, f, Gt, Ht)
    % The histories after iteration it (0: the start; ee the squared
    % residual), and a line of progress about every two seconds.
    hist.residual(it + 1) = sqrt (ee) / normb;
    hist.f(it + 1) = f;
    hist.rank(it + 1) = size (Gt, 1);
    if (~ isempty (test))
      hist.testRMSE(it + 1) = lrtest (test, Gt, Ht);
    end
    if (o.verbose && it > 0 && toc (clock0) - lastSay >= 2)
      lastSay = toc (clock0);
      line = sprintf ('  iteration %5d   rank %3d   residual %.3e', it, size (Gt, 1), ...
                      hist.residual(it + 1));
      if (~ isempty (test))
        line = sprintf ('%s   test RMSE %.5g', line, hist.testRMSE(it + 1) / p.root / p.root);
      end
      fprintf ('%s   %6.1f s\n', line, lastSay);
    end
  end
end

function v = lrtest (test, Gt, Ht)
  % RMSE of the fit at the held-out samples whose row and column are fitted.
  k = test.known;
  pred = obsprod (Gt, Ht, test.I(k), test.J(k), sum (k));
  v = sqrt (mean ((pred.' - test.vals(k)) .^ 2));
end
