% mextoolbox: exact distance-geometry and low-rank kernels
% Version @VERSION@
%
% Distance geometry with bounds
%   penval       - penalty value of a point configuration against distance bounds
%   penslope     - gradient of the distance-bound penalty with respect to every coordinate
%   linkdev      - deviations of pair distances from the targets of a distance table
%   ceilgap      - excess of pair distances over the bounds of an upper-bound table
%   floorgap     - shortfall of pair distances below the bounds of a lower-bound table
%   pairsq       - squared distances between all points of a point matrix
%
% Low-rank matrix completion
%   obsprod      - products of two factors at sampled positions
%   obsprod_blas - products of two factors at sampled positions, through the BLAS
%   nzfill       - overwrite the stored values of a sparse matrix in place
%   nzfill_blas  - overwrite the stored values of a sparse matrix in place, through the BLAS
%
% Solvers (functions over the plug-ins, for Octave and MATLAB)
%   dgsolve      - point coordinates from tables of distances and distance bounds
%   lrcomplete   - complete a low-rank matrix from samples of its entries
%
% Every function computes in one fixed order of operations (the same bits
% on every run) and rejects bad input with an error, identified as
% FUNCTION:REASON apart from the fixed messages each help lists. `help NAME` gives each one's usage, inputs, output,
% errors and an example. The demos (demo_chain, demo_protein,
% demo_completion, demo_ratings, run_demos) show both uses end to end: in
% the folder examples/ of the source tree, and of the toolbox folder that
% build_toolbox and the CMake MATLAB build make (add it to the path too).
