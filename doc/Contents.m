% mextoolbox: exact distance-geometry and low-rank kernels
% Version @VERSION@
%
@PLUGINS@
% Solvers (functions over the plug-ins, for Octave and MATLAB)
%   dgsolve      - point coordinates from tables of distances and distance bounds
%   lrcomplete   - complete a low-rank matrix from samples of its entries
%
% Every function computes in one fixed order of operations (the same bits
% on every run) and rejects bad input with an error, identified as
% FUNCTION:REASON apart from the fixed messages each help lists. `help NAME` gives each one's usage, inputs, output,
% errors and an example. The demos in the source tree's examples/ folder
% (demo_chain, demo_protein, demo_completion, demo_ratings, run_demos)
% show both uses end to end.
