classdef LrcompleteTest < PluginTestCase
%LRCOMPLETETEST lrcomplete: exact recovery in both call forms, its options, its answer, bad inputs
%   A 12-by-10 matrix of rank 2 with whole-number factors and no entry 0
%   (so that the sparse form stores every sample), sampled everywhere but
%   on every fourth diagonal (90 of its 120 entries, at least 7 in every
%   row and column): enough to recover it exactly.
%
%   lrcomplete writes its residual into a sparse matrix of its own with
%   nzfill, in place. Through the MEX interface, MATLAB's and the one this
%   suite also runs in Octave (octave.mex.test_matlab_suite), nzfill sees
%   that matrix's data alone and writes into whatever shares it: the
%   recovery shows that the writes reach lrcomplete's matrix, and the
%   caller's matrix staying as it was shows that they reach nothing else.

    methods (TestClassSetup)
        function solverIsOnThePath(testCase)
            testCase.assertEqual(exist('lrcomplete', 'file'), 2, ['lrcomplete is not on ' ...
                'the path: add the toolbox folder (build_toolbox puts the solvers there)']);
        end
    end

    methods (Test)
        function recoversExactlyInBothForms(testCase)
            p = LrcompleteTest.samples();
            [Xt, Y] = lrcomplete(p.I, p.J, p.vals, p.m, p.n, 2);
            testCase.verifySize(Xt, [2 p.m]);
            testCase.verifySize(Y, [2 p.n]);
            testCase.verifyTrue(relativeError(Xt, Y, p.M) < 1e-8, ...
                sprintf('I, J, vals form: relative error %g', relativeError(Xt, Y, p.M)));
            % The sparse form holds the same samples in the same order: the
            % same answer, bit for bit.
            [Xt2, Y2] = lrcomplete(p.S, 2);
            testCase.verifyEqual({Xt2, Y2}, {Xt, Y});
            % The factors predict the missing entries with obsprod.
            missing = find(~p.sampled);
            [Im, Jm] = ind2sub([p.m p.n], missing);
            v = obsprod(Xt, Y, Im, Jm, numel(missing));
            testCase.verifyTrue(max(abs(v(:) - p.M(missing))) < 1e-6 * max(abs(p.M(:))));
        end

        function leavesTheCallersMatrixAsItWas(testCase)
            % The sparse form hands lrcomplete the caller's matrix; nzfill
            % writes only into lrcomplete's own, so neither the caller's S
            % nor a variable sharing it changes, bit for bit.
            p = LrcompleteTest.samples();
            S = p.S;
            T = S;
            bits = typecast(nonzeros(S), 'uint64');
            lrcomplete(S, 2);
            testCase.verifyEqual(typecast(nonzeros(S), 'uint64'), bits);
            testCase.verifyEqual(typecast(nonzeros(T), 'uint64'), bits);
            testCase.verifyEqual(nnz(S), numel(p.vals));
            vals = p.vals;
            lrcomplete(p.I, p.J, vals, p.m, p.n, 2);
            testCase.verifyEqual(vals, p.vals);
        end

        function tellsWhetherItConverged(testCase)
            p = LrcompleteTest.samples();
            [~, ~, info] = lrcomplete(p.S, 2);
            testCase.verifyEqual(info.converged, true);
            testCase.verifyEqual(info.reason, 'tol');
            % No iteration allowed: the start alone, not converged.
            [~, ~, info] = lrcomplete(p.S, 2, struct('maxIter', 0));
            testCase.verifyEqual(info.converged, false);
            testCase.verifyEqual(info.reason, 'maxIter');
        end

        function takesOptionsInEitherForm(testCase)
            % A struct or name-value pairs, names in any case: one answer,
            % in both call forms.
            p = LrcompleteTest.samples();
            [Xt, Y] = lrcomplete(p.S, 2, struct('seed', 4, 'maxIter', 5));
            [Xt2, Y2] = lrcomplete(p.S, 2, 'seed', 4, 'maxIter', 5);
            testCase.verifyEqual({Xt2, Y2}, {Xt, Y});
            [Xt2, Y2] = lrcomplete(p.S, 2, 'Seed', 4, 'MAXITER', 5);
            testCase.verifyEqual({Xt2, Y2}, {Xt, Y});
            [Xt2, Y2] = lrcomplete(p.I, p.J, p.vals, p.m, p.n, 2, struct('SEED', 4), 'maxiter', 5);
            [Xt3, Y3] = lrcomplete(p.I, p.J, p.vals, p.m, p.n, 2, struct('seed', 4, 'maxIter', 5));
            testCase.verifyEqual({Xt2, Y2}, {Xt3, Y3});
        end

        function rejectsBadInput(testCase)
            p = LrcompleteTest.samples();
            I = p.I;
            J = p.J;
            vals = p.vals;
            m = p.m;
            n = p.n;
            bad = {
                @() lrcomplete(I, J, vals, m, n, 11),                    'lrcomplete:rankTooLarge'
                @() lrcomplete(p.S, 11),                                 'lrcomplete:rankTooLarge'
                @() lrcomplete([I; m + 1], [J; 1], [vals; 0], m, n, 2),  'lrcomplete:indexOutside'
                @() lrcomplete([I; 1], [J; n + 1], [vals; 0], m, n, 2),  'lrcomplete:indexOutside'
                @() lrcomplete([I; I(5)], [J; J(5)], [vals; 1], m, n, 2), 'lrcomplete:repeatedPosition'
                @() lrcomplete(I, J, vals, m, n, 2, struct('tolerance', 1)), 'lrcomplete:unknownOption'
                @() lrcomplete(p.S, 2, struct('tolerance', 1)),          'lrcomplete:unknownOption'
                };
            for k = 1:size(bad, 1)
                testCase.verifyError(bad{k, 1}, bad{k, 2}, func2str(bad{k, 1}));
            end
        end

        function rejectsUnknownOptionNames(testCase)
            p = LrcompleteTest.samples();
            testCase.verifyError(@() lrcomplete(p.S, 2, 'Tolerance', 1), 'lrcomplete:unknownOption');
        end
    end

    methods (Static)
        function p = samples()
            % The matrix and its samples (see the class's help), in the
            % storage order of a sparse matrix.
            U = [2 3 3 2 2 2 3 3 2 2 3 2; 1 -1 -1 1 -1 1 1 -1 -1 1 1 -1];
            V = [2 2 2 2 2 2 2 2 2 2; -1 -3 2 2 1 -2 3 3 -3 -1];
            p.m = size(U, 2);
            p.n = size(V, 2);
            p.M = U.' * V;
            [i, j] = ndgrid(1:p.m, 1:p.n);
            p.sampled = mod(i - j, 4) ~= 0;
            p.I = i(p.sampled);
            p.J = j(p.sampled);
            p.vals = p.M(p.sampled);
            p.S = sparse(p.I, p.J, p.vals, p.m, p.n);
        end
    end
end

% ||Xt.'*Y - M|| / ||M||, Frobenius.
function e = relativeError(Xt, Y, M)
    e = norm(Xt.' * Y - M, 'fro') / norm(M, 'fro');
end
