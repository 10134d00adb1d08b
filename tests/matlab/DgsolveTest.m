classdef DgsolveTest < PluginTestCase
%DGSOLVETEST dgsolve on a small protein-like table, its options, its answer and its bad inputs
%   The table is that of a short helix, 24 points like the alpha carbons
%   of a protein's helix (radius 2.3, rise 1.5, 100 degrees a point): the
%   distance of each pair of neighbours exactly, the pairs 2 to 4 apart
%   in the chain bounded 10% either side of their distance, every other
%   pair at least 7 apart, as an NMR experiment would give them. They fix
%   the helix up to a rigid motion and a reflection.

    methods (TestClassSetup)
        function solverIsOnThePath(testCase)
            testCase.assertEqual(exist('dgsolve', 'file'), 2, ['dgsolve is not on the ' ...
                'path: add the toolbox folder (build_toolbox puts the solvers there)']);
        end
    end

    methods (Test)
        function recoversTheHelix(testCase)
            p = DgsolveTest.helix();
            [X, info] = dgsolve(p.n, p.D, p.Lb, p.Ub);
            testCase.verifySize(X, [3 p.n]);
            rmsd = fittedRmsd(X, p.X);
            testCase.verifyTrue(rmsd < 1, sprintf('RMSD %g to the helix', rmsd));
            testCase.verifyTrue(info.penalty < 1e-8, sprintf('penalty %g', info.penalty));
            testCase.verifyEqual(info.penalty, penval(X, p.D, p.Lb, p.Ub, [1 1 1 0], [1 1 1 1]));
            for name = {'linkdev', 'ceilgap', 'floorgap'}
                largest = info.violations.(name{1}).largest;
                testCase.verifyTrue(largest < 1e-4, sprintf('%s: largest %g', name{1}, largest));
            end
            % The same seed, the same bits.
            testCase.verifyEqual(dgsolve(p.n, p.D, p.Lb, p.Ub), X);
        end

        function tellsWhetherItConverged(testCase)
            % converged is true only for an answer that meets the tables;
            % reason says why the run stopped.
            p = DgsolveTest.helix();
            reasons = {'tol', 'maxIter', 'maxTime', 'stalled'};
            [~, info] = dgsolve(p.n, p.D, p.Lb, p.Ub);
            testCase.verifyEqual(info.converged, true);
            testCase.verifyEqual(info.reason, 'tol');
            % The first two points at exactly their distance and at most 3
            % apart: no answer meets both rows, however the run stops.
            Ub = [p.Ub; 1, 2, 3, 0];
            [~, info] = dgsolve(p.n, p.D, p.Lb, Ub);
            testCase.verifyEqual(info.converged, false);
            testCase.verifyTrue(any(strcmp(info.reason, reasons)), ...
                sprintf('reason ''%s''', info.reason));
            % No iteration allowed: stopped by the limit.
            [~, info] = dgsolve(p.n, p.D, p.Lb, Ub, struct('maxIter', 0));
            testCase.verifyEqual(info.converged, false);
            testCase.verifyEqual(info.reason, 'maxIter');
        end

        function takesOptionsInEitherForm(testCase)
            % A struct or name-value pairs, names in any case: one answer.
            p = DgsolveTest.helix();
            X = dgsolve(p.n, p.D, p.Lb, p.Ub, struct('seed', 3, 'maxIter', 40));
            testCase.verifyEqual(dgsolve(p.n, p.D, p.Lb, p.Ub, 'seed', 3, 'maxIter', 40), X);
            testCase.verifyEqual(dgsolve(p.n, p.D, p.Lb, p.Ub, 'SEED', 3, 'MaxIter', 40), X);
            testCase.verifyEqual(dgsolve(p.n, p.D, p.Lb, p.Ub, struct('Seed', 3), 'maxiter', 40), X);
        end

        function rejectsBadInput(testCase)
            p = DgsolveTest.helix();
            n = p.n;
            D = p.D;
            bad = {
                @() dgsolve(n, D, p.Lb),                          'dgsolve:notEnoughInputs'
                @() dgsolve(n),                                   'dgsolve:notEnoughInputs'
                @() dgsolve(n, [D; n + 1, 1, 3.8], [], []),       'dgsolve:pointOutside'
                @() dgsolve(n, [D; 0, 2, 3.8], [], []),           'dgsolve:pointOutside'
                @() dgsolve(n, [], [1.5, 3, 4, 1], []),           'dgsolve:pointOutside'
                @() dgsolve(n, [], [], [1, n + 1, 4, 0]),         'dgsolve:pointOutside'
                };
            for k = 1:size(bad, 1)
                testCase.verifyError(bad{k, 1}, bad{k, 2}, func2str(bad{k, 1}));
            end
        end

        function rejectsUnknownOptions(testCase)
            % A name that is no option, in either form, is refused.
            p = DgsolveTest.helix();
            testCase.verifyError(@() dgsolve(p.n, p.D, p.Lb, p.Ub, struct('tolerance', 1)), ...
                'dgsolve:unknownOption');
            testCase.verifyError(@() dgsolve(p.n, p.D, p.Lb, p.Ub, 'Tolerance', 1), ...
                'dgsolve:unknownOption');
        end
    end

    methods (Static)
        function p = helix()
            % The helix and its tables (see the class's help).
            n = 24;
            k = 0:n - 1;
            X = [2.3 * cos(k * 5 * pi / 9); 2.3 * sin(k * 5 * pi / 9); 1.5 * k];
            Q = sqrt(pairsq(X));
            [I, J] = find(triu(true(n), 1));
            d = Q(sub2ind([n n], I, J));
            gap = J - I;
            near = gap >= 2 & gap <= 4;
            far = gap > 4;
            p.n = n;
            p.X = X;
            p.D = [I(gap == 1), J(gap == 1), d(gap == 1)];
            p.Lb = [I(near), J(near), 0.9 * d(near), ones(nnz(near), 1);
                    I(far), J(far), 7 * ones(nnz(far), 1), ones(nnz(far), 1)];
            p.Ub = [I(near), J(near), 1.1 * d(near), zeros(nnz(near), 1)];
        end
    end
end

% The root mean square distance between X and Y after the best rigid
% motion of X onto Y, reflection allowed (distances cannot tell a
% structure from its mirror image).
function r = fittedRmsd(X, Y)
    A = X - mean(X, 2);
    B = Y - mean(Y, 2);
    [U, ~, V] = svd(B * A');
    E = U * V' * A - B;
    r = sqrt(sum(E(:) .^ 2) / size(X, 2));
end
