function p = lrpattern (p)
%LRPATTERN the sparse matrices lrcomplete writes its residual into, built once
%   p = lrpattern (p)
%   p.R (m-by-n) has the samples' pattern, in the order of p.b, which is
%   its storage order, so that nzfill (p.R, v, L) puts v(k) at sample k;
%   p.Rt (n-by-m) the pattern of p.R.', whose storage order is the
%   samples' row by row: nzfill (p.Rt, v(p.byRow), L) puts the same values
%   there. Both are built here and shared with no other variable, so
%   nzfill writes into them in place. Their values start as 1.
  p.R = sparse (p.I, p.J, ones (p.L, 1), p.m, p.n);
  [~, byRow] = sort ((p.I - 1) * p.n + p.J);
  if (p.L < 2^32)
    byRow = uint32 (byRow);             % 4 bytes a sample instead of 8
  end
  p.byRow = byRow;
  p.Rt = p.R.';
end
