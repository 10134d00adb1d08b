function yes = same_bits (a, b)
%SAME_BITS true when A and B have the same class, shape and bits
%   Every element's 64 bits, the sign of zero included; a NaN matches any
%   NaN (which NaN an operation on two NaNs returns is not fixed by IEEE).
  yes = strcmp (class (a), class (b)) && isequal (size (a), size (b)) && issparse (a) == issparse (b);
  if (! yes || ! isfloat (a))
    yes = yes && isequal (a, b);
    return;
  end
  if (issparse (a))
    [ia, ja, a] = find (a);
    [ib, jb, b] = find (b);
    yes = isequal ([ia ja], [ib jb]);
  end
  a = full (a(:));
  b = full (b(:));
  yes = yes && all ((typecast (a, 'uint64') == typecast (b, 'uint64')) | (isnan (a) & isnan (b)));
end
