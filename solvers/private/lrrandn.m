function G = lrrandn (seed, m, n)
%LRRANDN m-by-n normal random numbers from SEED, from a generator of its own
%   G = lrrandn (seed, m, n)
%   Number k (k = 0, 1, ..., m*n - 1, in column-major order) is made from
%   two 32-bit hashes of k and the seed, taken as uniforms u1, u2 in (0, 1),
%   by the Box-Muller transform sqrt (-2 log (u1)) * cos (2 pi u2). The
%   hashes are computed in doubles, exactly, so the same seed gives the
%   same numbers on every run of either host; rand and randn are never
%   called, so the caller's generator, whichever one it is and however it
%   was seeded, is left as it was.
  count = m * n;
  if (count >= 2^31)
    error ('lrcomplete:tooLarge', 'lrcomplete: %d random numbers asked for at once', count);
  end
  k = (0:count - 1).';
  s = mix (bitxor (mod (seed, 2^32), 2654435769));
  u1 = (mix (bitxor (mix (2 * k), s)) + 0.5) / 2^32;
  u2 = (mix (bitxor (mix (2 * k + 1), s)) + 0.5) / 2^32;
  G = reshape (sqrt (-2 * log (u1)) .* cos (2 * pi * u2), m, n);
end

function x = mix (x)
  % A 32-bit integer hash (xor-shifts and two odd multipliers) of whole
  % numbers from 0 to 2^32 - 1 held as doubles.
  x = bitxor (x, floor (x / 65536));
  x = times32 (x, 2146121005);
  x = bitxor (x, floor (x / 32768));
  x = times32 (x, 2221713035);
  x = bitxor (x, floor (x / 65536));
end

function z = times32 (x, c)
  % x * c modulo 2^32, every partial product below 2^53 and so exact.
  hi = floor (c / 65536);
  lo = c - hi * 65536;
  z = mod (x * lo + mod (x * hi, 65536) * 65536, 2^32);
end
