function test_lrcomplete_steps ()
  % The steps of lrcomplete's iterations (its private functions), each
  % against its definition on a small problem: the samples grouped by row
  % and by column against the samples, the gradient against finite
  % differences of the objective, the preconditioned gradient against the
  % blocks formed one by one (also after a change of basis), the step
  % against the objective along the direction, the balance against the
  % product it must keep, and the generator against its promises.
  here = pwd ();
  back = onCleanup (@() cd (here));
  cd (fullfile (fileparts (which ('lrcomplete')), 'private'));

  m = 9;  n = 7;  r = 2;
  rand ('state', 3);  randn ('state', 3);
  [I, J] = find (rand (m, n) < 0.6);
  vals = randn (numel (I), 1);
  I(end + 1) = 9;  J(end + 1) = 7;  vals(end + 1) = 0;   % a sample of value 0
  p = lrsamples (I, J, vals, m, n, r);
  % Both groupings hold every sample once, in the order of their rows (of
  % their columns) and then of their columns (rows), its value times
  % root^2; they do not depend on the order in which the samples come.
  [Ir, Jr, br] = grouped (p.cnt, p.col, p.b);
  [Jc, Ic, bc] = grouped (p.cntT, p.colT, p.bT);
  assert (sortrows ([Ir Jr]), [Ir Jr]);
  assert (sortrows ([Jc Ic]), [Jc Ic]);
  assert (sortrows ([Ir Jr br]), sortrows ([Ic Jc bc]));
  assert (sortrows ([p.rows(Ir).', p.cols(Jr).', br / p.root ^ 2]), sortrows ([I J vals]));
  k = numel (I):-1:1;
  assert (isequal (lrsamples (uint32 (I(k)), J(k), vals(k), m, n, r), p));
  % Factors and a direction, held as the plug-ins take them (k-by-m, k-by-n).
  G = randn (r, p.m);  H = randn (r, p.n);
  A = randn (r, p.m);  B = randn (r, p.n);
  objective = @(G, H, lambda) 0.5 * sum ((sum (G(:, Ir) .* H(:, Jr), 1).' - br) .^ 2) ...
                              + 0.5 * lambda * (G(:).' * G(:) + H(:).' * H(:));

  for lambda = [0, 0.7]
    % The gradient: central differences of f along (A, B).
    [gG, gH] = lrgradient (p, G, H, lambda);
    h = 1e-5;
    fd = (objective (G + h * A, H + h * B, lambda) - objective (G - h * A, H - h * B, lambda)) / (2 * h);
    assert (fd, gG(:).' * A(:) + gH(:).' * B(:), 1e-8 * abs (fd));

    % The preconditioned gradient is the gradient in the metric of the
    % blocks: column i of dG is N_i \ column i of gG, N_i formed here one
    % by one (up to the shift of 1e-9 of their mean diagonal, which keeps a
    % singular block, of a row with fewer samples than r, invertible).
    P = lrprecond (p, G, H, lambda);
    [dG, dH] = lrprecondition (P, gG, gH);
    [NG, NH] = blocks (p, G, H, lambda);
    D = {dG, dH};  g = {gG, gH};  N = {NG, NH};
    for side = 1:2
      for i = 1:size (D{side}, 2)
        c = cond (N{side}(:, :, i));
        if (c < 1e6)
          assert (D{side}(:, i), N{side}(:, :, i) \ g{side}(:, i), 1e-8 * c * norm (D{side}(:, i)));
        end
      end
    end

    % The exact step: f at t is f(0) - drop, and no lower a little either
    % side; the direction from lrdirection goes downhill; the squared
    % residual comes with it.
    [Ad, Bd] = lrdirection (gG, gH, dG, dH, []);
    assert (gG(:).' * Ad(:) + gH(:).' * Bd(:) < 0);
    [t, drop, ee] = lrstep (p, G, H, Ad, Bd, lambda);
    f0 = objective (G, H, lambda);
    assert (0.5 * ee, objective (G, H, 0), 1e-12 * f0);
    ft = objective (G + t * Ad, H + t * Bd, lambda);
    assert (t > 0 && drop > 0);
    assert (ft, f0 - drop, 1e-10 * f0);
    assert (ft <= objective (G + 1.01 * t * Ad, H + 1.01 * t * Bd, lambda));
    assert (ft <= objective (G + 0.99 * t * Ad, H + 0.99 * t * Bd, lambda));
  end

  % The balance keeps the product, weighs both factors equally, and its
  % change of basis carries vectors and the blocks along: without a ridge
  % the blocks carried to the new basis are those built there.
  [G2, H2, T, Ti] = lrbalance (G, H);
  assert (G2.' * H2, G.' * H, 1e-12 * norm (G.' * H));
  assert (G2 * G2.', H2 * H2.', 1e-12 * norm (G2) ^ 2);
  assert (T.' * G, G2, 1e-12 * norm (G2));
  assert (Ti.' * H, H2, 1e-12 * norm (H2));
  [gG, gH] = lrgradient (p, G2, H2, 0);
  P = lrprecond (p, G, H, 0);
  P.TG = T;  P.TH = Ti;
  [dG, dH] = lrprecondition (P, gG, gH);
  [dG2, dH2] = lrprecondition (lrprecond (p, G2, H2, 0), gG, gH);
  [NG, NH] = blocks (p, G, H, 0);             % rows of singular blocks aside
  ok = [arrayfun(@(i) cond (NG(:, :, i)), 1:p.m), arrayfun(@(j) cond (NH(:, :, j)), 1:p.n)] < 1e6;
  both = [dG, dH];  both2 = [dG2, dH2];
  assert (both(:, ok), both2(:, ok), 1e-9 * norm (both2));
  [~, ~, T] = lrbalance ([G(1, :); G(1, :)], H);   % lost rank: no change of basis
  assert (isempty (T));

  % The generator: the same numbers for a seed, others for another,
  % about standard normal, and rand and randn untouched.
  randn ('seed', 42);  rand ('seed', 7);
  x = lrrandn (5, 1000, 20);
  assert (isequal (x, lrrandn (5, 1000, 20)) && ~ isequal (x, lrrandn (6, 1000, 20)));
  assert (abs (mean (x(:))) < 0.03 && abs (std (x(:)) - 1) < 0.03);
  after = [randn(1, 2), rand(1, 2)];
  randn ('seed', 42);  rand ('seed', 7);
  assert (after, [randn(1, 2), rand(1, 2)]);
end

function [NG, NH] = blocks (p, G, H, lambda)
  % Each row's and column's normal matrix, sample by sample.
  r = size (G, 1);
  NG = repmat (lambda * eye (r), [1 1 p.m]);
  NH = repmat (lambda * eye (r), [1 1 p.n]);
  [I, J] = grouped (p.cnt, p.col, p.b);
  for k = 1:p.L
    i = I(k);  j = J(k);
    NG(:, :, i) = NG(:, :, i) + H(:, j) * H(:, j).';
    NH(:, :, j) = NH(:, :, j) + G(:, i) * G(:, i).';
  end
end

function [I, J, b] = grouped (cnt, col, b)
  % The samples of a grouping as columns: group, member, value.
  I = repelem ((1:numel (cnt)).', double (cnt(:)));
  J = double (col(:));
  b = b(:);
end
