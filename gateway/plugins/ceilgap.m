function e = ceilgap (X, Ub)
%CEILGAP excess of pair distances over the bounds of an upper-bound table
%   e = ceilgap (X, Ub)
%
%   Inputs (real, full double arrays):
%     X   d-by-n point matrix; point k is column k.
%     Ub  upper-bound table [i j bound ...]; only the first three columns are
%         read, so rows of every type code are reported alike; [] for no rows.
%
%   Output: e, m-by-1: e(r) = distance - bound where the distance exceeds
%   the bound (however slightly), and 0 elsewhere.
%
%   Errors (identifier ceilgap:<reason>): tooManyOutputs, notEnoughInputs,
%   notRealDouble, notMatrix (X with more than two dimensions),
%   tooFewColumns (Ub with rows but under 3 columns), pointOutside,
%   tooLarge (as for LINKDEV).
%
%   Example:
%     e = ceilgap ([0 3; 0 4], [1 2 4 0; 1 2 6 0])   % [1; 0]
%
%   See also FLOORGAP, LINKDEV, PENVAL.
error ('ceilgap:notBuilt', 'ceilgap: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared X
%! X = [0 3; 0 4];

% The worked example; the type code is not read.
%!assert (ceilgap (X, [1 2 4 0; 1 2 6 0]), [1; 0])
%!assert (ceilgap (X, [1 2 4 -7; 1 2 5 3]), [1; 0])
%!assert (size (ceilgap (X, [])), [0 1])

% distance - bound, however slight the excess.
%!test
%! Y = [0.1 0.7; 0.2 0.3];
%! dx = 0.1 - 0.7;
%! dy = 0.2 - 0.3;
%! dist = sqrt (dx * dx + dy * dy);
%! assert (ceilgap (Y, [1 2 0.3; 1 2 dist; 1 2 dist - eps(dist)]), [dist - 0.3; 0; eps(dist)]);

% One of its errors (the error table, plugins.errors, tries every one).
%!error id=ceilgap:notEnoughInputs ceilgap (X)
