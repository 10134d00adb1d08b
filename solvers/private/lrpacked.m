function idx = lrpacked (r)
%LRPACKED column of each lower-triangle entry (i >= j) of an r-by-r matrix in packed order
%   idx = lrpacked (r)
%   Packed order runs down the columns of the lower triangle: (1,1),
%   (2,1), ..., (r,1), (2,2), ... idx(i, j) = idx(j, i) gives its place.
  idx = zeros (r);
  c = 0;
  for j = 1:r
    for i = j:r
      c = c + 1;
      idx(i, j) = c;
      idx(j, i) = c;
    end
  end
end
