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
  [~, p.byRow] = sort ((p.I - 1) * p.n + p.J);
  p.Rt = p.R.';
end
