function e = linkdev (X, D)
%LINKDEV deviations of pair distances from the targets of a distance table
%   e = linkdev (X, D)
%
%   Inputs (real, full double arrays):
%     X  d-by-n point matrix; point k is column k.
%     D  distance table [i j target], point numbers from 1 to n; extra
%        columns are ignored; [] for no rows.
%
%   Output: e, m-by-1 for the m rows of D: e(r) = |target - distance| where
%   that deviation exceeds the tolerance 0.01, and 0 elsewhere (also for a
%   NaN deviation).
%
%   Errors (identifier linkdev:<reason>): tooManyOutputs, notEnoughInputs,
%   notRealDouble, notMatrix (X with more than two dimensions),
%   tooFewColumns (D with rows but under 3 columns), pointOutside (a row
%   naming a point outside X; the message names the row), tooLarge (an
%   input Octave keeps in a form of its own, such as a range, too large to
%   form as an array of doubles).
%
%   Example:
%     e = linkdev ([0 3; 0 4], [1 2 4; 1 2 5; 1 2 5.005])   % [1; 0; 0]
%
%   See also CEILGAP, FLOORGAP, PENVAL.
error ('linkdev:notBuilt', 'linkdev: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared X
%! X = [0 3; 0 4];

% The worked example: deviations above the tolerance 0.01 alone.
%!assert (linkdev (X, [1 2 4; 1 2 5; 1 2 5.005]), [1; 0; 0])
%!assert (size (linkdev (X, [])), [0 1])

% |target - distance|, the distance the square root of the squared
% differences summed in coordinate order.
%!test
%! Y = [0.1 0.7; 0.2 0.3];
%! dx = 0.1 - 0.7;
%! dy = 0.2 - 0.3;
%! assert (linkdev (Y, [1 2 0.3; 2 1 2]), abs ([0.3; 2] - sqrt (dx * dx + dy * dy)));

% One of its errors (the error table, plugins.errors, tries every one).
%!error id=linkdev:notEnoughInputs linkdev (X)
