function p = rating_samples (m, n, r, L, noise, seed)
%RATING_SAMPLES noisy samples of a low-rank matrix, split into fit and held-out sets
%   p = rating_samples (m, n, r, L, noise, seed)
%
%   The matrix is U.' * V of rank r, U and V with normal entries of
%   variance 1/sqrt(r), so that its entries have variance 1 (the spread of
%   ratings on a five-point scale). L distinct positions are sampled
%   uniformly at random and each sample gets independent normal noise of
%   standard deviation NOISE. 90% of the samples (at random) are for
%   fitting, the other 10% held out. Everything depends on SEED alone.
%
%   p: m, n, r, noise; I, J, b (the fit samples in sparse storage order,
%   b 1-by-Lfit); test ({It, Jt, vt}, the held-out samples); U, V.
%
%   Example:
%     p = rating_samples (300, 200, 3, 20000, 0.5, 1);
%
%   See also DEMO_RATINGS, LOWRANK_SAMPLES.

  [I, J, b, U, V] = lowrank_samples (m, n, r, L, seed, r ^ -0.25);
  saved = rng ();
  rng (seed + 1);
  b = b + noise * randn (1, L);
  held = false (1, L);
  held(randperm (L, round (L / 10))) = true;
  rng (saved);
  p = struct ('m', m, 'n', n, 'r', r, 'noise', noise, 'I', I(~held), 'J', J(~held), ...
              'b', b(~held), 'U', U, 'V', V);
  p.test = {I(held), J(held), b(held)};
end
