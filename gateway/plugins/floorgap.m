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
%   tooFewColumns (Lb with rows but under 3 columns), pointOutside.
%
%   Example:
%     e = floorgap ([0 3; 0 4], [1 2 6 1; 1 2 4 1])   % [1; 0]
%
%   See also CEILGAP, LINKDEV, PENVAL.
error ('floorgap:notBuilt', 'floorgap: the compiled plug-in is missing; build the toolbox first (see README)');
end
