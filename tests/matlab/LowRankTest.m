classdef LowRankTest < PluginTestCase
%LOWRANKTEST obsprod, obsprod_blas, nzfill and nzfill_blas
%   The worked examples of the help files and nzfill's write in place (into
%   a private copy, and into every variable sharing S, as documented).
%   (Their bad inputs are the error table's: RegistryTest.)

    properties
        Xt = [1 2; 3 4];
        Y = [5 6 7; 8 9 10];
    end

    methods (Test)
        function obsprodWorkedExamples(testCase)
            Xt = testCase.Xt;
            Y = testCase.Y;
            for f = {@obsprod, @obsprod_blas}
                what = func2str(f{1});
                % v(k) is column I(k) of Xt times column J(k) of Y.
                testCase.verifyEqual(f{1}(Xt, Y, [1 2], [3 1], 2), [37 42], what);
                testCase.verifyEqual(f{1}(Xt, Y, [1 2], [3 1], 1.9), 37, what);
                testCase.verifyEqual(f{1}(Xt, Y, [1 2], [3 1], 0), zeros(1, 0), what);
                testCase.verifyEqual(f{1}(Xt, Y, [1 2], [3 1], NaN), zeros(1, 0), what);
                testCase.verifyEqual(f{1}(Xt, Y, [1 2], [3 1], -5), zeros(1, 0), what);
                testCase.verifyEqual(f{1}(zeros(0, 2), zeros(0, 3), [1 2], [3 1], 2), [0 0], what);
                % I and J of any shape, read as flat lists (I column-major:
                % 1 2 2 1).
                testCase.verifyEqual(f{1}(Xt, Y, [1 2; 2 1], [3; 1; 2; 2], 4), [37 42 48 33], what);
            end
        end

        function obsprodSumsInRowOrder(testCase)
            % 2^53, then + 1 (rounds back to 2^53), then - 1. Any other order
            % gives 2^53. (obsprod_blas leaves the order to the BLAS.)
            v = obsprod([2^53 0 0; 1 0 0; 1 0 0], [1 0 0; 1 0 0; -1 0 0], 1, 1, 1);
            testCase.verifyEqual(v, 2^53 - 1);
        end

        function obsprodReadsFractionalIndices(testCase)
            % Column numbers are multiplied before they are truncated: with
            % r = 2, 2.5 reads from offset 3, the second value of column 2
            % and the first of column 3.
            Xt = [1 2 3; 4 5 6];
            Y = [1 0; 0 1];
            for f = {@obsprod, @obsprod_blas}
                testCase.verifyEqual(f{1}(Xt, Y, 2.5, 1, 1), 5, func2str(f{1}));
                testCase.verifyEqual(f{1}(Xt, Y, 2.5, 2, 1), 3, func2str(f{1}));
            end
        end

        function nzfillWorkedExamples(testCase)
            for f = {@nzfill, @nzfill_blas}
                what = func2str(f{1});
                % The pattern stays: a value set to 0 stays stored, so a
                % second call can give it a value again.
                S = sparse([1 1 2], [1 2 2], [1 2 3]);
                f{1}(S, [7 0 9], 3);
                testCase.verifyEqual(full(S), [7 0; 0 9], what);
                testCase.verifyTrue(issparse(S), what);
                f{1}(S, [7 8 9], 3);
                testCase.verifyEqual(full(S), [7 8; 0 9], what);
                % fix(L) values, bit for bit (-0 stays -0); |L| < 1 copies none.
                S = sparse([1 2 3], [1 2 3], [1 2 3]);
                f{1}(S, [-0 0.1 5], 2.9);
                f{1}(S, [4 4 4], -0.5);
                full3 = full(S);
                s = [full3(1, 1); full3(2, 2); full3(3, 3)];
                testCase.verifyTrue(s(1) == 0 && 1 / s(1) == -Inf, what);
                testCase.verifyEqual(s(2:3), [0.1; 3], what);
                % A full S takes the values in column-major order; v of any
                % shape is read column-major.
                F = zeros(2, 2);
                f{1}(F, [1 2 3], 3);
                testCase.verifyEqual(F, [1 3; 2 0], what);
                f{1}(F, [-1 -2; -3 -4], 3);
                testCase.verifyEqual(F, [-1 -2; -3 0], what);
                % S as its own v: nothing changes.
                f{1}(F, F, 4);
                testCase.verifyEqual(F, [-1 -2; -3 0], what);
            end
        end

        function nzfillWritesPrivateCopyInPlace(testCase)
            % The documented way to write into a matrix another variable
            % holds: make a private copy with S = S * 1 first. The copy
            % changes; the original does not.
            for f = {@nzfill, @nzfill_blas}
                what = func2str(f{1});
                original = sparse([1 0 4; 2 3 0]);
                S = original * 1;
                f{1}(S, [7 8 9 10], 4);
                testCase.verifyEqual(full(S), [7 0 10; 8 9 0], what);
                testCase.verifyEqual(full(original), [1 0 4; 2 3 0], what);
                % A matrix built in the same function is private already;
                % the values written are v's, bit for bit.
                v = [pi, -0, realmin / 4, -Inf];
                S = sparse([1 2 1 2], [1 1 2 2], [1 1 1 1]);
                f{1}(S, v, 4);
                written = full(S);
                testCase.verifyEqual(typecast(written(:), 'uint64'), typecast(v(:), 'uint64'), what);
            end
        end

        function nzfillWritesSharedStorage(testCase)
            % In place means in place: a variable sharing S's storage
            % (T = S) sees the write too, and so does the caller's matrix
            % when S comes in as an argument. The help tells users to make
            % a private copy first for this reason.
            for f = {@nzfill, @nzfill_blas}
                what = func2str(f{1});
                S = sparse([1 0; 2 3]);
                T = S;
                f{1}(S, [4 5 6], 3);
                testCase.verifyEqual(full(T), [4 0; 5 6], what);
                fillInside(f{1}, T);
                testCase.verifyEqual(full(T), [9 0; 9 9], what);
            end
        end
    end
end

% Writes into S, an argument: the caller's matrix.
function fillInside(f, S)
    f(S, [9 9 9], 3);
end
