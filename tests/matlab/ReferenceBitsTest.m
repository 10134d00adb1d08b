classdef ReferenceBitsTest < PluginTestCase
%REFERENCEBITSTEST every plug-in against the bits written by the Octave build
%   The reference file (PluginTestCase.referenceFile: MEXTOOLBOX_REFERENCE,
%   or reference/toolbox_reference.mat beside this class) holds, for each
%   case, a plug-in's name, its inputs and the output the Octave build gave
%   (for nzfill, S after the call), each array as the uint64 bits of its
%   values, and the text the call printed. Each case runs here on the same
%   inputs and must give the same bits, compared with isequal on the bits:
%   no tolerance. The _blas variants must give what their plain ones give,
%   and the bits must not depend on the number of threads
%   (MEXTOOLBOX_THREADS).

    properties
        Cases = {};
    end

    methods (TestClassSetup)
        function loadReference(testCase)
            file = PluginTestCase.referenceFile();
            testCase.log(1, sprintf('reference bits from %s', file));
            testCase.assertEqual(exist(file, 'file'), 2, sprintf(['no reference file at %s: ' ...
                'set MEXTOOLBOX_REFERENCE to one written by write_reference.m in Octave'], file));
            loaded = load(file);
            testCase.Cases = loaded.reference.cases;
            testCase.assertTrue(iscell(testCase.Cases) && ~isempty(testCase.Cases), ...
                sprintf('%s holds no cases', file));
        end
    end

    methods (Test)
        function referenceNamesRegistryPlugins(testCase)
            % Every case is of a plug-in the registry has (a plug-in added
            % since has its example checked by RegistryTest instead).
            for k = 1:numel(testCase.Cases)
                testCase.verifyTrue(any(strcmp(testCase.Cases{k}.name, testCase.Plugins)), ...
                    sprintf('case %d is of %s, which the registry does not have', k, ...
                    testCase.Cases{k}.name));
            end
        end

        function penaltyMatchesReference(testCase)
            testCase.verifyCases({'penval', 'penslope'});
        end

        function reportsMatchReference(testCase)
            testCase.verifyCases({'linkdev', 'ceilgap', 'floorgap'});
        end

        function pairsqMatchesReference(testCase)
            testCase.verifyCases({'pairsq'});
        end

        function obsprodMatchesReference(testCase)
            testCase.verifyCases({'obsprod', 'obsprod_blas'});
        end

        function nzfillMatchesReference(testCase)
            testCase.verifyCases({'nzfill', 'nzfill_blas'});
        end

        function blasVariantsEqualPlain(testCase)
            % On the inputs of every _blas case, the plain plug-in gives the
            % same bits. (The obsprod_blas cases use factors whose products
            % and sums are exact, so that no order of summation, the BLAS's
            % own included, changes a bit.)
            for k = 1:numel(testCase.Cases)
                c = testCase.Cases{k};
                if ~any(strcmp(c.name, {'obsprod_blas', 'nzfill_blas'}))
                    continue
                end
                plain = c;
                plain.name = strrep(c.name, '_blas', '');
                [blasOut, blasText] = runCase(c);
                [plainOut, plainText] = runCase(plain);
                what = sprintf('case %d: %s against %s', k, c.name, plain.name);
                testCase.verifySameBits(blasOut, plainOut, what);
                testCase.verifyEqual(blasText, plainText, what);
            end
        end

        function threadsGiveSameBits(testCase)
            % Inputs large enough for every kernel to split its work: one
            % thread, the default team, and three threads (an uneven split)
            % give the same bits and print the same text.
            saved = getenv('MEXTOOLBOX_THREADS');
            testCase.addTeardown(@setenv, 'MEXTOOLBOX_THREADS', saved);
            setenv('MEXTOOLBOX_THREADS', '1');
            [one, names] = runWorkload();
            for threads = {'', '3'}
                setenv('MEXTOOLBOX_THREADS', threads{1});
                many = runWorkload();
                for k = 1:numel(one)
                    what = sprintf('%s, MEXTOOLBOX_THREADS=''%s'' against 1', names{k}, threads{1});
                    if ischar(one{k})
                        testCase.verifyEqual(many{k}, one{k}, what);
                    else
                        testCase.verifySameBits(many{k}, one{k}, what);
                    end
                end
            end
        end

        function badThreadCountIsRefused(testCase)
            % A value that is no thread count fails every plug-in's example
            % in the registry, with nothing written (nzfill's S stays as it
            % was).
            saved = getenv('MEXTOOLBOX_THREADS');
            testCase.addTeardown(@setenv, 'MEXTOOLBOX_THREADS', saved);
            plugins = PluginTestCase.registry();
            for bad = {'0', 'two', '-3', '1.5', '4097'}
                setenv('MEXTOOLBOX_THREADS', bad{1});
                for k = 1:numel(plugins)
                    p = plugins(k);
                    args = cellfun(@eval, p.example_inputs, 'UniformOutput', false);
                    first = PluginTestCase.ownCopy(args{1});
                    f = str2func(p.name);
                    testCase.verifyRejected(@() f(args{:}), p.name, 'badEnvironment', ...
                        ['MEXTOOLBOX_THREADS=' bad{1} ' is not a number of threads; use a ' ...
                        'whole number from 1 to 4096, or leave it unset for every processor ' ...
                        'this process may use']);
                    testCase.verifyTrue(isequal(args{1}, first), [p.name ': its first input changed']);
                end
            end
        end
    end

    methods (Access = private)
        function verifyCases(testCase, names)
            ran = 0;
            for k = 1:numel(testCase.Cases)
                c = testCase.Cases{k};
                if ~any(strcmp(c.name, names))
                    continue
                end
                ran = ran + 1;
                what = sprintf('case %d: %s', k, c.about);
                [out, printed] = runCase(c);
                testCase.verifyEqual(issparse(out), logical(c.expect.sparse), what);
                testCase.verifySameBits(full(out), decodeFull(c.expect), what);
                % Text as text: an empty one may come back 0-by-0 or 1-by-0.
                if isempty(c.printed)
                    testCase.verifyTrue(isempty(printed), [what ': printed ' printed]);
                else
                    testCase.verifyEqual(printed, c.printed, what);
                end
            end
            testCase.verifyTrue(ran > 0, sprintf('no case of %s in the reference', ...
                strjoin(names, ', ')));
        end
    end
end

% Runs one case of the reference on fresh copies of its inputs: its output,
% or for nzfill S after the call, and what it printed.
function [out, printed] = runCase(c)
    f = str2func(c.name);
    in = cellfun(@decodeInput, c.inputs, 'UniformOutput', false);
    out = [];
    if any(strcmp(c.name, {'nzfill', 'nzfill_blas'}))
        % S alone holds its storage here: the write lands in S only.
        S = in{1};
        v = in{2};
        L = in{3};
        in = {};
        printed = evalc('f(S, v, L);');
        out = S;
    else
        printed = evalc('out = f(in{:});');
    end
end

% An input as the plug-in is to see it, in storage of its own.
function x = decodeInput(e)
    values = decodeValues(e);
    if e.sparse
        x = sparse(double(e.rows(:)), double(e.cols(:)), values, e.size(1), e.size(2));
    else
        x = zeros(double(e.size));
        x(:) = values;
    end
end

% The values an output must hold, as a full array: a sparse output's stored
% values at their places (a stored zero or -0 included), zero elsewhere.
function x = decodeFull(e)
    values = decodeValues(e);
    sz = double(e.size);
    x = zeros(sz);
    if e.sparse
        x(sub2ind(sz, double(e.rows(:)), double(e.cols(:)))) = values;
    else
        x(:) = values;
    end
end

function values = decodeValues(e)
    if isempty(e.bits)
        values = zeros(0, 1);
    else
        values = typecast(e.bits(:), 'double');
    end
end

% The outputs (and printed text) of every plug-in on inputs large enough for
% a team of three at the default thresholds (each kernel's work at least
% three times its least share per thread), and their names.
function [r, names] = runWorkload()
    n = 2003;
    m = 25001;
    k = (1:m)';
    p = 1:n;
    X = 10 * [sin(p); cos(1.3 * p); sin(0.7 * p + 1)];
    i = 1 + mod(k * 7919, n);
    j = 1 + mod(k * 104729 + 17, n);
    same = i == j;
    j(same) = 1 + mod(j(same), n);
    D = [i, j, 12 * abs(sin(0.37 * k))];
    types = [1; -2; 0; -1; -3; 2.5; 5];
    B = [D, types(1 + mod(k, 7))];
    B(1:5:end, 3) = 40;
    w = [1.5 0.75 2.25 0.125];
    t = [3 5 7 2];
    G = [];
    printed = evalc('G = penslope(X, D, B, B, w, t);');
    r = {penval(X, D, B, B, w, t), G, printed, linkdev(X, D), ceilgap(X, B), floorgap(X, B)};
    names = {'penval', 'penslope', 'penslope (printed)', 'linkdev', 'ceilgap', 'floorgap'};

    q = 1:2600;
    r{end + 1} = pairsq([sin(q); cos(2.1 * q)]);
    names{end + 1} = 'pairsq';

    L = 40001;
    k = (1:L)';
    Xt = reshape(sin(1:5 * 3000), 5, 3000);
    Y = reshape(cos(1:5 * 2000), 5, 2000);
    I = 1 + mod(k * 7919, 3000);
    J = 1 + mod(k * 104729, 2000);
    r = [r, {obsprod(Xt, Y, I, J, L), obsprod_blas(Xt, Y, I, J, L)}];
    names = [names, {'obsprod', 'obsprod_blas'}];

    v = sin(1:400003);
    fills = {@nzfill, @nzfill_blas};
    for f = 1:2
        S = zeros(1, 400009);
        fills{f}(S, v, numel(v));
        T = sparse((1:100003)', 1, 1);
        fills{f}(T, v, 100003);
        r = [r, {S, T}]; %#ok<AGROW>
        names = [names, {func2str(fills{f}), [func2str(fills{f}) ' (sparse)']}]; %#ok<AGROW>
    end
end
