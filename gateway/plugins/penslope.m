function G = penslope (X, D, Lb, Ub, w, t)
%PENSLOPE gradient of the distance-bound penalty with respect to every coordinate
%   G = penslope (X, D, Lb, Ub, w, t)
%
%   Inputs: the six inputs of PENVAL, with the same layouts and checks.
%
%   Output: G, d-by-n, the same shape as X (a matrix): G(k,p) is the partial
%   derivative of penval(X, D, Lb, Ub, w, t) with respect to X(k,p), built
%   term by term in table order (distance rows, lower bounds, upper bounds,
%   then 2*w4*X).
%
%   A violated bound row whose type code selects no weight adds nothing and
%   prints "Error! Unkonw Lower bound!" (or "... Upper bound!") once per
%   coordinate; the call goes on. At most 100 such lines are printed, in
%   their order; when there are more, one last line says how many were not
%   printed: "penslope: N more lines like these not printed". Two points at
%   the same coordinates in a contributing row give NaN in both points'
%   columns.
%
%   Errors (identifier penslope:<reason>): tooManyOutputs, notEnoughInputs,
%   notRealDouble, notMatrix (X with more than two dimensions),
%   tooFewColumns, tooFewElements, pointOutside, tooLarge, as for PENVAL.
%
%   Example:
%     X = [0 3; 0 4];
%     G = penslope (X, [1 2 2.5], [1 2 10 1], [1 2 2.5 0], [1 1 1 0], [3 5 7 2])
%     % G = [6 -6; 8 -8]
%
%   See also PENVAL, LINKDEV, CEILGAP, FLOORGAP.
error ('penslope:notBuilt', 'penslope: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared X, w, t
%! X = [0 3; 0 4];
%! w = [1 1 1 0];
%! t = [3 5 7 2];

% The worked example.
%!assert (penslope (X, [1 2 2.5], [1 2 10 1], [1 2 2.5 0], w, t), [6 -6; 8 -8])
%!assert (penslope (X, [], [], [], [0 0 0 0.5], t), X)
%!assert (size (penslope (zeros (3, 0), [], [], [], w, t)), [3 0])

% Each element of G takes its updates in table order. Points 1 and 2 are
% 1 apart along the first axis; the distance row adds 2^53 to G(1,1)
% (F = 1 - (1 + 2^52) = -2^52), the lower bound then 1 and the upper
% bound -1. 2^53 + 1 rounds to 2^53, so G(1,1) = 2^53 - 1; in another
% order it would be 2^53.
%!test
%! Y = [0 1; 0 0];
%! G = penslope (Y, [1 2 1 + 2^52], [1 2 2 1], [1 2 0.5 0], [1 0.5 1 0], [1 1 1 1]);
%! assert (G, [2^53 - 1, 1 - 2^53; 0 0]);

% A violated bound row whose code selects no weight adds nothing and says
% so, once per coordinate.
%!test
%! text = evalc ("G = penslope (X, [], [1 2 10 5], [], w, t);");
%! assert (G, zeros (2, 2));
%! assert (text, sprintf ("Error! Unkonw Lower bound!\nError! Unkonw Lower bound!\n"));

% One of its errors (the error table, plugins.errors, tries every one).
%!error id=penslope:notEnoughInputs penslope (X)
