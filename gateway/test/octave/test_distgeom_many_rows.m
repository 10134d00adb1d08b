function test_distgeom_many_rows ()
  % Tables of a few hundred rows, which the plug-ins run four rows at a time
  % where the processor allows: every result equals, to the last bit, a plain
  % loop written here with the same operations in the same order.
  rand ('seed', 7);
  codes = [1 -2 0 -1 3 -3 1.5 -2.5 NaN];
  for d = [1 2 3 4 6]
    n = 30;
    m = 151;
    X = 10 * rand (d, n);
    D = table (n, m, 3, codes);
    Lb = table (n, m, 4, codes);
    Ub = table (n, m, 4, codes);
    w = [1.5 0.75 2.25 0.125];
    t = [3 5 7 2];

    assert_same_bits (penval (X, D, Lb, Ub, w, t), value_loop (X, D, Lb, Ub, w, t));
    G = [];
    printed = evalc ('G = penslope (X, D, Lb, Ub, w, t);');
    [G0, text] = slope_loop (X, D, Lb, Ub, w, t);
    assert_same_bits (G, G0);
    assert (printed, bounded (text));
    assert_same_bits (linkdev (X, D), report_loop (X, D, 0));
    assert_same_bits (ceilgap (X, Ub), report_loop (X, Ub, 1));
    assert_same_bits (floorgap (X, Lb), report_loop (X, Lb, 2));
  end
end

function T = table (n, m, cols, codes)
  i = 1 + floor (n * rand (m, 1));
  j = 1 + floor (n * rand (m, 1));
  j(1:9:end) = i(1:9:end);                          % coincident points
  i(1:7:end) = min (i(1:7:end) + 0.5, n);           % fractional point numbers
  T = [i, j, 12 * rand(m, 1)];
  if (cols == 4)
    T(:,4) = codes(1 + mod (0:m-1, numel (codes)))';
  end
end

function assert_same_bits (a, b)
  assert (size (a), size (b));
  same = (typecast (a(:), 'uint64') == typecast (b(:), 'uint64')) | (isnan (a(:)) & isnan (b(:)));
  assert (all (same));
end

function o = offset (x, d)
  o = code ((x - 1) * d);
end

function c = code (x)
  c = fix (x);
  if (isnan (x) || c < -2^31 || c > 2^31 - 1)
    c = -2^31;
  end
end

function s = dist (X, d, oi, oj)
  s = 0;
  for k = 1:d
    e = X(oi + k) - X(oj + k);
    s = s + e * e;
  end
  s = sqrt (s);
end

function f = value_loop (X, D, Lb, Ub, w, t)
  d = rows (X);
  f = 0;
  for r = 1:rows (D)
    g = D(r,3) - dist (X, d, offset (D(r,1), d), offset (D(r,2), d));
    f = f + (w(1) * g) * g;
  end
  for r = 1:rows (Lb)
    g = Lb(r,3) - dist (X, d, offset (Lb(r,1), d), offset (Lb(r,2), d));
    tc = code (Lb(r,4));
    if (g > 0 && tc == 1)
      f = f + ((w(2) * t(4)) * g) * g;
    elseif (g > 0 && tc == -2)
      f = f + ((w(2) * t(3)) * g) * g;
    end
  end
  for r = 1:rows (Ub)
    g = Ub(r,3) - dist (X, d, offset (Ub(r,1), d), offset (Ub(r,2), d));
    tc = code (Ub(r,4));
    if (g < 0 && tc >= 0)
      f = f + (w(3) * g) * g;
    elseif (g < 0 && tc == -1)
      f = f + ((w(3) * t(1)) * g) * g;
    elseif (g < 0 && tc == -2)
      f = f + ((w(3) * t(2)) * g) * g;
    end
  end
  for p = 1:columns (X)
    s = 0;
    for k = 1:d
      s = s + X(k,p) * X(k,p);
    end
    f = f + w(4) * s;
  end
end

% What penslope prints of the diagnostics `text`: its first 100 lines, then
% one line with how many more there were.
function text = bounded (text)
  ends = find (text == "\n");
  if (numel (ends) > 100)
    text = sprintf ('%spenslope: %d more lines like these not printed\n', text(1:ends(100)), ...
                    numel (ends) - 100);
  end
end

function [G, text] = slope_loop (X, D, Lb, Ub, w, t)
  d = rows (X);
  G = zeros (size (X));
  text = '';
  W = 2 * w;
  for pass = 1:3
    T = {D, Lb, Ub}{pass};
    for r = 1:rows (T)
      oi = offset (T(r,1), d);
      oj = offset (T(r,2), d);
      q = T(r,3);
      ds = dist (X, d, oi, oj);
      F = 1 - q / ds;
      if (pass == 1)
        s = W(1);
      else
        tc = code (T(r,4));
        if (pass == 2)
          if (! (q > ds))
            continue;
          elseif (tc == 1)
            s = t(4) * W(2);
          elseif (tc == -2)
            s = t(3) * W(2);
          else
            text = [text, repmat(sprintf('Error! Unkonw Lower bound!\n'), 1, d)];
            continue;
          end
        else
          if (! (q < ds))
            continue;
          elseif (tc >= 0)
            s = W(3);
          elseif (tc == -1)
            s = t(1) * W(3);
          elseif (tc == -2)
            s = t(2) * W(3);
          else
            text = [text, repmat(sprintf('Error! Unkonw Upper bound!\n'), 1, d)];
            continue;
          end
        end
      end
      for k = 1:d
        v = (s * (X(oi + k) - X(oj + k))) * F;
        G(oi + k) = G(oi + k) + v;
        G(oj + k) = G(oj + k) - v;
      end
    end
  end
  G = G + W(4) * X;
end

function e = report_loop (X, T, kind)
  d = rows (X);
  e = zeros (rows (T), 1);
  for r = 1:rows (T)
    g = T(r,3) - dist (X, d, offset (T(r,1), d), offset (T(r,2), d));
    if (kind == 0 && abs (g) > 0.01)
      e(r) = abs (g);
    elseif (kind == 1 && g < 0)
      e(r) = -g;
    elseif (kind == 2 && g > 0)
      e(r) = g;
    end
  end
end
