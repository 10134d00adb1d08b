function [u, state] = dg_random (state, m)
%DG_RANDOM dgsolve's own random numbers, apart from rand and randn
%   state = dg_random (seed)        a new stream (seed a whole number)
%   [u, state] = dg_random (state, m)
%   The second form returns m numbers uniform in (0, 1), as a column, and
%   the stream moved past them. The stream is a multiplicative congruential
%   generator modulo 2^31 - 1 with multiplier 48271 (Park and Miller's
%   minimal standard), its products split so that every step is exact in
%   double arithmetic: the same seed gives the same numbers on every host,
%   and the caller's generators (rand, randn, rng) are never touched.
  M = 2147483647;
  a = 48271;
  if (nargin < 2)
    % Any whole seed maps onto 1 .. M-1.
    u = struct ('x', mod (mod (state, M - 1) * 7 + 1, M - 1) + 1);
    return;
  end
  u = zeros (m, 1);
  if (m == 0)
    return;
  end
  % x(k) = x0 * a^k mod M, k = 1..m, built by doubling: the block so far
  % times a^(its length).
  x = mulmod (state.x, a, M);
  while (numel (x) < m)
    x = [x; mulmod(x, power_mod (a, numel (x), M), M)];
  end
  x = x(1:m);
  state.x = x(end);
  u = x / M;
end

function r = mulmod (x, c, M)
  % x .* c mod M for x, c below 2^31, exact: c is split into 16-bit
  % halves so that no product reaches 2^53.
  hi = floor (c / 65536);
  lo = c - hi * 65536;
  r = mod (mod (x .* hi, M) * 65536 + x .* lo, M);
end

function p = power_mod (a, k, M)
  % a^k mod M by repeated squaring.
  p = 1;
  b = a;
  while (k > 0)
    if (mod (k, 2) == 1)
      p = mulmod (p, b, M);
    end
    b = mulmod (b, b, M);
    k = floor (k / 2);
  end
end
