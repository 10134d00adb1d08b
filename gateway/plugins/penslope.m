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
%   tooFewColumns, tooFewElements, pointOutside, as for PENVAL.
%
%   Example:
%     X = [0 3; 0 4];
%     G = penslope (X, [1 2 2.5], [1 2 10 1], [1 2 2.5 0], [1 1 1 0], [3 5 7 2])
%     % G = [6 -6; 8 -8]
%
%   See also PENVAL, LINKDEV, CEILGAP, FLOORGAP.
error ('penslope:notBuilt', 'penslope: the compiled plug-in is missing; build the toolbox first (see README)');
end
