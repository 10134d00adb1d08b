function file = write_reference(file)
%WRITE_REFERENCE write the reference bits the MATLAB test suite compares with
%   write_reference             writes reference/toolbox_reference.mat beside
%                               this file (the committed reference)
%   write_reference(file)       writes FILE instead
%
%   Run it in Octave with a build of the toolbox on the path (the native
%   form, build/toolbox): it runs every plug-in on fixed inputs and saves,
%   for each case, the plug-in's name, its inputs, its output (for nzfill
%   and nzfill_blas, S after the call) and the text it printed, in a MAT-file
%   (save -v7) that MATLAB reads. Each array is kept as the uint64 bits of
%   its values, its size and, for a sparse one, the row and column of each
%   stored value, so that no conversion on the way (MAT-files may store
%   whole numbers in smaller types) can touch a signed zero or a NaN's
%   payload. ReferenceBitsTest runs the same calls and compares bit for bit.
%
%   The inputs avoid what the hosts may legitimately do differently: no
%   computed NaN in any output (the sign of a NaN an operation makes is the
%   processor's), and factors for obsprod_blas whose products and sums are
%   exact, so that the order in which a BLAS sums cannot matter. The exact
%   order of obsprod itself is checked on factors that round.
%
%   Rewrite the committed file only when the toolbox's results are meant to
%   change; the suite then fails until it is rewritten, as it should.

    if nargin < 1
        file = fullfile(fileparts(mfilename('fullpath')), 'reference', 'toolbox_reference.mat');
    end
    rand('state', 13);
    randn('state', 13);
    cases = {};

    % Distance geometry: d = 3 and d = 2, tables of lengths that leave a
    % tail after groups of four rows, fractional point numbers that read
    % whole points, type codes of every kind (those selecting no weight
    % print), rows violated both ways.
    for shape = [3 300 503; 2 41 37]'
        d = shape(1);
        n = shape(2);
        m = shape(3);
        X = 10 * rand(d, n);
        D = pointPairs(n, m);
        D(:, 3) = 12 * rand(m, 1);
        Lb = pointPairs(n, m - 2);
        Lb(:, 3) = 14 * rand(m - 2, 1);
        Lb(:, 4) = pick([1 1 1 -2 -2 0 5 1.7 -2.9], m - 2);
        Ub = pointPairs(n, m - 4);
        Ub(:, 3) = 9 * rand(m - 4, 1);
        Ub(:, 4) = pick([0 0 3 -1 -1 -2 -2 -1.5 -3 2.2], m - 4);
        w = [1.5 0.75 2.25 0.125] .* (1 + rand(1, 4));
        t = [3 5 7 2] .* (1 + rand(1, 4));
        about = sprintf('d = %d, n = %d, %d table rows', d, n, m);
        cases{end + 1} = makeCase('penval', {X, D, Lb, Ub, w, t}, about); %#ok<AGROW>
        cases{end + 1} = makeCase('penslope', {X, D, Lb, Ub, w, t}, about); %#ok<AGROW>
        cases{end + 1} = makeCase('linkdev', {X, D}, about); %#ok<AGROW>
        cases{end + 1} = makeCase('ceilgap', {X, Ub}, about); %#ok<AGROW>
        cases{end + 1} = makeCase('floorgap', {X, Lb}, about); %#ok<AGROW>
    end
    % Rows naming one point twice (distance 0) in the reports, and empty
    % tables in penval and penslope.
    X = 10 * rand(3, 20);
    T = [pointPairs(20, 30); [1:5; 1:5]'];
    T(:, 3) = 3 * rand(35, 1);
    cases{end + 1} = makeCase('linkdev', {X, T}, 'repeated points');
    cases{end + 1} = makeCase('ceilgap', {X, T}, 'repeated points');
    cases{end + 1} = makeCase('floorgap', {X, T}, 'repeated points');
    cases{end + 1} = makeCase('penval', {X, [], [], [], [0 0 0 0.7], [1 1 1 1]}, 'no rows');
    cases{end + 1} = makeCase('penslope', {X, [], [], [], [0 0 0 0.7], [1 1 1 1]}, 'no rows');

    % pairsq: several heights, an odd number of points, a huge coordinate.
    for shape = [3 61; 1 9; 7 13; 4 1]'
        X = randn(shape(1), shape(2));
        if shape(2) > 2
            X(1, 3) = 1e150;
        end
        cases{end + 1} = makeCase('pairsq', {X}, sprintf('d = %d, n = %d', shape)); %#ok<AGROW>
    end

    % obsprod: factors that round (the order of the sum shows), I and J
    % longer than L and of another shape, L fractional, fractional indices
    % whose columns lie inside.
    r = 6;
    Xt = randn(r, 80);
    Y = randn(r, 70);
    I = 1 + floor(80 * rand(1010, 1));
    J = 1 + floor(70 * rand(1, 1010));
    I(7) = 79.5;
    J(11) = 2.25;
    cases{end + 1} = makeCase('obsprod', {Xt, Y, reshape(I, 2, 505), J, 1003.6}, ...
        'r = 6, rounding factors');
    % obsprod and obsprod_blas on factors of quarters from -2 to 2: every
    % product and sum is exact.
    Xt = round(8 * (2 * rand(r, 80) - 1)) / 4;
    Y = round(8 * (2 * rand(r, 70) - 1)) / 4;
    for name = {'obsprod', 'obsprod_blas'}
        cases{end + 1} = makeCase(name{1}, {Xt, Y, I, J, 1003.6}, 'r = 6, exact factors'); %#ok<AGROW>
    end
    Xt = round(8 * (2 * rand(33, 40) - 1)) / 4;
    Y = round(8 * (2 * rand(33, 50) - 1)) / 4;
    I = 1 + floor(40 * rand(101, 1));
    J = 1 + floor(50 * rand(101, 1));
    for name = {'obsprod', 'obsprod_blas'}
        cases{end + 1} = makeCase(name{1}, {Xt, Y, I, J, 101}, ... %#ok<AGROW>
            'r = 33, exact factors');
    end

    % nzfill: a sparse S and a full one; v with a signed zero, a zero, a NaN
    % with a payload, infinities, a denormal and the largest double, copied
    % bit for bit; L fractional.
    special = [-0, 0, typecast(uint32([291 2146959360]), 'double'), Inf, -Inf, ...
        realmin / 8, realmax];
    S = sprand(40, 50, 0.15);
    stored = nnz(S);
    v = randn(1, stored + 5);
    v(3:3 + numel(special) - 1) = special;
    F = randn(7, 9);
    vf = randn(10, 7);
    vf(20:20 + numel(special) - 1) = special;
    for name = {'nzfill', 'nzfill_blas'}
        cases{end + 1} = makeCase(name{1}, {S, v, stored - 3 + 0.7}, 'sparse S'); %#ok<AGROW>
        cases{end + 1} = makeCase(name{1}, {F, vf, 50}, 'full S'); %#ok<AGROW>
    end

    reference = struct();
    reference.about = ['Reference bits of the toolbox''s plug-ins, written by ' ...
        'tests/matlab/write_reference.m; read by tests/matlab/ReferenceBitsTest.m'];
    reference.written_by = sprintf('Octave %s, %s', version(), which('penval'));
    reference.written_on = datestr(now(), 'yyyy-mm-dd');
    reference.cases = cases;
    save('-v7', file, 'reference');
end

% m rows [i j] of point numbers from 1 to n, i and j different.
function T = pointPairs(n, m)
    i = 1 + floor(n * rand(m, 1));
    j = 1 + mod(i - 1 + 1 + floor((n - 1) * rand(m, 1)), n);
    T = [i j];
    % A few fractional point numbers: the point starting at that offset
    % still lies inside X (i <= n).
    T(5:50:end, 1) = max(1, T(5:50:end, 1) - 0.5);
end

% m values taken in turn from the list.
function c = pick(list, m)
    c = list(1 + mod(0:m - 1, numel(list)))';
end

% Runs the plug-in on the inputs and keeps inputs, output and printed text.
function c = makeCase(name, inputs, about)
    c = struct();
    c.name = name;
    c.about = [name ', ' about];
    c.inputs = cellfun(@encode, inputs, 'UniformOutput', false);
    f = str2func(name);
    if any(strcmp(name, {'nzfill', 'nzfill_blas'}))
        S = inputs{1} * 1;
        v = inputs{2};
        L = inputs{3};
        printed = evalc('f(S, v, L);');
        out = S;
    else
        out = [];
        printed = evalc('out = f(inputs{:});');
    end
    if any(isnan(out(:))) && ~any(strcmp(name, {'nzfill', 'nzfill_blas'}))
        error('write_reference:computedNaN', '%s gives a NaN: choose other inputs', c.about);
    end
    c.expect = encode(out);
    c.printed = printed;
end

% An array as its size, sparsity and the uint64 bits of its (stored) values.
function e = encode(x)
    e = struct();
    e.size = size(x);
    e.sparse = issparse(x);
    if issparse(x)
        [i, j, values] = find(x);
        e.rows = i(:);
        e.cols = j(:);
    else
        values = x(:);
    end
    e.bits = typecast(full(values(:)), 'uint64');
end
