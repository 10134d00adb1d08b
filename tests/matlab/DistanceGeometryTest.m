classdef DistanceGeometryTest < PluginTestCase
%DISTANCEGEOMETRYTEST penval, penslope, linkdev, ceilgap, floorgap and pairsq
%   The worked examples of the help files and the sums whose exact bits
%   show the order of operations. (Their bad inputs are the error table's:
%   RegistryTest.)

    properties
        % Two points 5 apart, (0, 0) and (3, 4), and the weights of the
        % examples.
        X = [0 3; 0 4];
        w = [1 1 1 0];
        t = [3 5 7 2];
    end

    methods (Test)
        function penvalWorkedExamples(testCase)
            X = testCase.X;
            w = testCase.w;
            t = testCase.t;
            % 1 from the distance row, 2 from the lower bound (weight t(4)),
            % the upper bound by its type code.
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), 4);
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 1], [1 2 4 -1], w, t), 6);
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 1], [1 2 4 -2], w, t), 8);
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 1], [1 2 4 -3], w, t), 3);
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 -2], [1 2 4 0], w, t), 9);
            testCase.verifyEqual(penval(X, [1 2 4], [1 2 6 1], [1 2 4 0], [1 1 1 1], t), 29);
            testCase.verifyEqual(penval(X, [], [], [], w, t), 0);
            testCase.verifyEqual(penval(X, [], [], [], [0 0 0 0.5], t), 12.5);
            testCase.verifyEqual(penval(zeros(3, 0), [], [], [], [1 1 1 1], t), 0);
        end

        function penvalAddsInTableOrder(testCase)
            % 2^53 from the distance row (g = 2^26, w1 = 2), then 1 from the
            % lower bound and 1 from the upper bound, each rounding away
            % against 2^53; the two ones added first would give 2^53 + 2.
            f = penval(testCase.X, [1 2 5 + 2^26], [1 2 6 1], [1 2 4 0], [2 1 1 0], [1 1 1 1]);
            testCase.verifyEqual(f, 2^53);
        end

        function penslopeWorkedExamples(testCase)
            X = testCase.X;
            w = testCase.w;
            t = testCase.t;
            D = [1 2 2.5];
            Lb = [1 2 10 1];
            Ub = [1 2 2.5 0];
            testCase.verifyEqual(penslope(X, D, Lb, Ub, w, t), [6 -6; 8 -8]);
            testCase.verifyEqual(penslope(X, D, Lb, [1 2 2.5 -1], w, t), zeros(2));
            testCase.verifyEqual(penslope(X, D, [1 2 10 -2], Ub, w, t), [36 -36; 48 -48]);
            testCase.verifyEqual(penslope(X, D, Lb, Ub, [1 1 1 1], t), [6 0; 8 0]);
            testCase.verifyEqual(penslope(X, [], [], [], [1 1 1 3], t), 6 * X);
            testCase.verifyEqual(penslope(X, [], [], [], [0 0 0 0.5], t), X);
            testCase.verifySize(penslope(zeros(3, 0), [], [], [], w, t), [3 0]);
        end

        function penslopeUpdatesInTableOrder(testCase)
            % Points 1 apart along the first axis: the distance row adds 2^53
            % to G(1,1), the lower bound then 1 (rounds away) and the upper
            % bound -1, so G(1,1) = 2^53 - 1; in another order it is 2^53.
            Y = [0 1; 0 0];
            G = penslope(Y, [1 2 1 + 2^52], [1 2 2 1], [1 2 0.5 0], [1 0.5 1 0], [1 1 1 1]);
            testCase.verifyEqual(G, [2^53 - 1, 1 - 2^53; 0 0]);
        end

        function penslopePrintsUnknownTypes(testCase)
            % A violated row whose type code selects no weight adds nothing
            % and prints one line per coordinate; past 100 lines one line
            % counts the rest.
            X = testCase.X;
            w = testCase.w;
            t = testCase.t;
            upper = sprintf('Error! Unkonw Upper bound!\n');
            lower = sprintf('Error! Unkonw Lower bound!\n');
            G = [];
            printed = evalc('G = penslope(X, [1 2 2.5], [1 2 10 1], [1 2 2.5 -3], w, t);');
            testCase.verifyEqual(G, [9 -9; 12 -12]);
            testCase.verifyEqual(printed, [upper upper]);
            printed = evalc('G = penslope(X, [], [1 2 10 5], [], w, t);');
            testCase.verifyEqual(G, zeros(2));
            testCase.verifyEqual(printed, [lower lower]);
            printed = evalc('G = penslope(X, [], repmat([1 2 10 0], 60, 1), [], w, t);');
            testCase.verifyEqual(G, zeros(2));
            testCase.verifyEqual(printed, [repmat(lower, 1, 100), ...
                sprintf('penslope: 20 more lines like these not printed\n')]);
        end

        function reportsWorkedExamples(testCase)
            X = testCase.X;
            testCase.verifyEqual(linkdev(X, [1 2 4; 1 2 5; 1 2 5.005]), [1; 0; 0]);
            testCase.verifyEqual(linkdev(X, [1 2 4; 1 2 6; 1 2 5; 1 2 5.005; 1 2 5.02]), ...
                [1; 1; 0; 0; 5.02 - 5]);
            testCase.verifyEqual(linkdev(X, [1 1 0.01; 2 2 0.02]), [0; 0.02]);
            testCase.verifyEqual(ceilgap(X, [1 2 4 0; 1 2 6 0]), [1; 0]);
            testCase.verifyEqual(ceilgap(X, [1 2 4 -7; 1 2 5 3]), [1; 0]);
            testCase.verifyEqual(floorgap(X, [1 2 6 1; 1 2 4 1]), [1; 0]);
            testCase.verifyEqual(floorgap(X, [1 2 6 -7; 1 2 5 3]), [1; 0]);
            testCase.verifyEqual(floorgap(X, [1 1 3; 1 1 -3]), [3; 0]);
            testCase.verifyEqual(ceilgap(X, [1 1 3; 1 1 -3]), [0; 3]);
            testCase.verifySize(linkdev(X, []), [0 1]);
            testCase.verifySize(ceilgap(X, zeros(0, 4)), [0 1]);
            testCase.verifySize(floorgap(X, []), [0 1]);
            % With d = 0 no coordinate is read, and no row is refused.
            testCase.verifyEqual(floorgap(zeros(0, 3), [NaN 9 1]), 1);
        end

        function reportsExactDifferences(testCase)
            % The distance is the square root of the squared differences
            % summed in coordinate order; the excess or shortfall however
            % slight.
            Y = [0.1 0.7; 0.2 0.3];
            dx = 0.1 - 0.7;
            dy = 0.2 - 0.3;
            dist = sqrt(dx * dx + dy * dy);
            testCase.verifyEqual(linkdev(Y, [1 2 0.3; 2 1 2]), abs([0.3; 2] - dist));
            testCase.verifyEqual(ceilgap(Y, [1 2 0.3; 1 2 dist; 1 2 dist - eps(dist)]), ...
                [dist - 0.3; 0; eps(dist)]);
            testCase.verifyEqual(floorgap(Y, [1 2 2; 1 2 dist; 1 2 dist + eps(dist)]), ...
                [2 - dist; 0; eps(dist)]);
            % A fractional point number is multiplied before it is
            % truncated: with d = 3, 2.5 starts at offset 4, the point
            % (X(2,2), X(3,2), X(1,3)).
            X3 = [0 0 0; 1 2 3; 4 5 6]';
            p = [X3(2, 2); X3(3, 2); X3(1, 3)];
            testCase.verifyEqual(floorgap(X3, [1 2.5 10]), 10 - sqrt(p(1) * p(1) + p(2) * p(2) ...
                + p(3) * p(3)));
        end

        function pairsqWorkedExamples(testCase)
            testCase.verifyEqual(pairsq([0 3; 0 4]), [0 25; 25 0]);
            testCase.verifyEqual(pairsq(zeros(2, 0)), zeros(0, 0));
            testCase.verifyEqual(pairsq(zeros(0, 3)), zeros(3, 3));
            % Squared differences summed in coordinate order, and Q(j,i) a
            % copy of Q(i,j).
            X = [0.1 0.7 -2.5; 0.2 0.3 1e8; -0.3 0.9 3];
            Q = pairsq(X);
            expected = zeros(3);
            for i = 1:3
                for j = 1:3
                    d = X(:, i) - X(:, j);
                    expected(i, j) = (d(1) * d(1) + d(2) * d(2)) + d(3) * d(3);
                end
            end
            testCase.verifyEqual(Q, expected);
            testCase.verifyTrue(isequal(Q, Q.'));
            % An infinite coordinate: Inf off the diagonal, NaN on it.
            Q = pairsq([0 Inf]);
            testCase.verifyEqual(Q(1, 1), 0);
            testCase.verifyEqual([Q(1, 2) Q(2, 1)], [Inf Inf]);
            testCase.verifyTrue(isnan(Q(2, 2)));
        end
    end
end
