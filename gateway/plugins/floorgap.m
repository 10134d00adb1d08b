function e = floorgap (X, Lb)
%FLOORGAP shortfall of pair distances below the bounds of a lower-bound table
%   e = floorgap (X, Lb)
%
%   Inputs (real, full double arrays):
%     X   d-by-n point matrix; point k is column k.
%     Lb  lower-bound table [i j bound ...]; only the first three columns are
%         read, so rows of every type code are reported alike; [] for no rows.
%
%   Output: e, m-by-1: e(r) = bound - distance where the distance falls short
%   of the bound (however slightly), and 0 elsewhere.
%
%   Errors (identifier floorgap:<reason>): tooManyOutputs, notEnoughInputs,
%   notRealDouble, notMatrix (X with more than two dimensions),
%   tooFewColumns (Lb with rows but under 3 columns), pointOutside,
%   tooLarge (as for LINKDEV).
%
%   Example:
%     e = floorgap ([0 3; 0 4], [1 2 6 1; 1 2 4 1])   % [1; 0]
%
%   See also CEILGAP, LINKDEV, PENVAL.
error ('floorgap:notBuilt', 'floorgap: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared X
%! X = [0 3; 0 4];

% The worked example; the type code is not read.
%!assert (floorgap (X, [1 2 6 1; 1 2 4 1]), [1; 0])
%!assert (floorgap (X, [1 2 6 -7; 1 2 5 3]), [1; 0])
%!assert (size (floorgap (X, [])), [0 1])

% bound - distance, however slight the shortfall.
%!test
%! Y = [0.1 0.7; 0.2 0.3];
%! dx = 0.1 - 0.7;
%! dy = 0.2 - 0.3;
%! dist = sqrt (dx * dx + dy * dy);
%! assert (floorgap (Y, [1 2 2; 1 2 dist; 1 2 dist + eps(dist)]), [2 - dist; 0; eps(dist)]);

% One of its errors (the error table, plugins.errors, tries every one).
%!error id=floorgap:notEnoughInputs floorgap (X)
