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
%   tooFewColumns (Ub with rows but under 3 columns), pointOutside.
%
%   Example:
%     e = ceilgap ([0 3; 0 4], [1 2 4 0; 1 2 6 0])   % [1; 0]
%
%   See also FLOORGAP, LINKDEV, PENVAL.
error ('ceilgap:notBuilt', 'ceilgap: the compiled plug-in is missing; build the toolbox first (see README)');
end
