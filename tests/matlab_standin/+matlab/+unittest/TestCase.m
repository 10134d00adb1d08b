classdef TestCase < handle
%TESTCASE stand-in for MATLAB's matlab.unittest.TestCase, for Octave only
%   A STAND-IN, not MATLAB's class: it carries just the part of the
%   matlab.unittest.TestCase interface that the toolbox's MATLAB test
%   classes (tests/matlab) use, so that Octave 7.3 can run those classes
%   unchanged (run_matlab_suite does). Never put this folder on MATLAB's
%   path: MATLAB has the real class.
%
%   What it keeps of MATLAB's behaviour:
%     verify*   a failed verification is recorded and the test goes on;
%     assert*   a failed assertion is recorded and ends the test;
%     verifyEqual and assertEqual compare exactly, as MATLAB's default
%               IsEqualTo does: class, size, sparsity, complexity, then the
%               values (isequal: NaN equals nothing);
%     verifyError calls the function handle with no output and requires
%               an error with the identifier given;
%     addTeardown runs its function after the test (or, from a
%               TestClassSetup method, after the class's tests), last added
%               first;
%     log       prints its text.
%   What it does not keep: a fresh copy of the object for every test (one
%   object serves the class's tests, after its TestClassSetup methods),
%   parameterised tests, tags, constraints objects, and the optional
%   arguments beyond a diagnostic text.

    properties (Hidden, SetAccess = private)
        % Messages of the failed verifications of the current test.
        StandInFailures = {};
        % Teardown functions of the current test, and of the class.
        StandInTeardowns = {};
        StandInClassTeardowns = {};
        % True while the class's TestClassSetup methods run.
        StandInClassPhase = false;
    end

    methods
        function verifyEqual(testCase, actual, expected, diagnostic)
            if nargin < 4
                diagnostic = '';
            end
            testCase.standInCheckEqual(false, actual, expected, diagnostic);
        end

        function assertEqual(testCase, actual, expected, diagnostic)
            if nargin < 4
                diagnostic = '';
            end
            testCase.standInCheckEqual(true, actual, expected, diagnostic);
        end

        function verifyTrue(testCase, actual, diagnostic)
            if nargin < 3
                diagnostic = '';
            end
            testCase.standInCheck(false, standInIsTrue(actual), 'the value is not true', diagnostic);
        end

        function assertTrue(testCase, actual, diagnostic)
            if nargin < 3
                diagnostic = '';
            end
            testCase.standInCheck(true, standInIsTrue(actual), 'the value is not true', diagnostic);
        end

        function verifyFalse(testCase, actual, diagnostic)
            if nargin < 3
                diagnostic = '';
            end
            ok = islogical(actual) && isscalar(actual) && ~actual;
            testCase.standInCheck(false, ok, 'the value is not false', diagnostic);
        end

        function verifySize(testCase, actual, expectedSize, diagnostic)
            if nargin < 4
                diagnostic = '';
            end
            testCase.standInCheck(false, isequal(size(actual), expectedSize), ...
                sprintf('size [%s], expected [%s]', num2str(size(actual)), num2str(expectedSize)), ...
                diagnostic);
        end

        function verifyError(testCase, call, id, diagnostic)
            if nargin < 4
                diagnostic = '';
            end
            what = '';
            try
                call();
                what = sprintf('the call returned; expected an error with identifier "%s"', id);
            catch err
                if ~strcmp(err.identifier, id)
                    what = sprintf('error with identifier "%s" (%s); expected "%s"', ...
                        err.identifier, err.message, id);
                end
            end
            testCase.standInCheck(false, isempty(what), what, diagnostic);
        end

        function verifyFail(testCase, diagnostic)
            if nargin < 2
                diagnostic = '';
            end
            testCase.standInCheck(false, false, 'verifyFail', diagnostic);
        end

        function addTeardown(testCase, fcn, varargin)
            entry = {fcn, varargin};
            if testCase.StandInClassPhase
                testCase.StandInClassTeardowns{end + 1} = entry;
            else
                testCase.StandInTeardowns{end + 1} = entry;
            end
        end

        function log(testCase, varargin) %#ok<INUSL>
            % log(testCase, diagnostic) or log(testCase, level, diagnostic)
            fprintf('    [log] %s\n', varargin{end});
        end
    end

    methods (Hidden)
        % The runner's side: run_matlab_suite calls these.
        function standInBegin(testCase, classPhase)
            testCase.StandInClassPhase = classPhase;
            testCase.StandInFailures = {};
        end

        function failures = standInFailures(testCase)
            failures = testCase.StandInFailures;
        end

        function standInRecord(testCase, message)
            testCase.StandInFailures{end + 1} = message;
        end

        function problems = standInTeardown(testCase, classLevel)
            % Runs the teardowns, last added first; returns what failed.
            if classLevel
                list = testCase.StandInClassTeardowns;
                testCase.StandInClassTeardowns = {};
            else
                list = testCase.StandInTeardowns;
                testCase.StandInTeardowns = {};
            end
            problems = {};
            for k = numel(list):-1:1
                try
                    list{k}{1}(list{k}{2}{:});
                catch err
                    problems{end + 1} = ['teardown: ' err.message]; %#ok<AGROW>
                end
            end
        end
    end

    methods (Access = private)
        function standInCheckEqual(testCase, isAssertion, actual, expected, diagnostic)
            if standInEqual(actual, expected)
                return
            end
            testCase.standInCheck(isAssertion, false, standInDescribeUnequal(actual, expected), ...
                diagnostic);
        end

        function standInCheck(testCase, isAssertion, ok, what, diagnostic)
            if ok
                return
            end
            message = what;
            if ~isempty(diagnostic)
                message = sprintf('%s\n        %s', diagnostic, what);
            end
            testCase.StandInFailures{end + 1} = message;
            if isAssertion
                error('matlabStandIn:assertionFailed', '%s', message);
            end
        end
    end
end

function ok = standInIsTrue(actual)
    ok = islogical(actual) && isscalar(actual) && actual;
end

function ok = standInEqual(actual, expected)
    ok = strcmp(class(actual), class(expected)) && isequal(size(actual), size(expected));
    if ok && isnumeric(actual)
        ok = issparse(actual) == issparse(expected) && isreal(actual) == isreal(expected);
    end
    ok = ok && isequal(actual, expected);
end

function what = standInDescribeUnequal(actual, expected)
    what = sprintf('actual %s %s, expected %s %s', class(actual), mat2str(size(actual)), ...
        class(expected), mat2str(size(expected)));
    if ischar(actual) && ischar(expected)
        % Long texts (printed output) from their first difference on.
        n = min(numel(actual), numel(expected));
        first = find(actual(1:n) ~= expected(1:n), 1);
        if isempty(first)
            first = n + 1;
        end
        from = max(1, first - 20);
        what = sprintf('%s, first difference at character %d\n        actual:   "%s"\n        expected: "%s"', ...
            what, first, actual(from:min(end, from + 60)), expected(from:min(end, from + 60)));
    elseif (isnumeric(actual) || islogical(actual)) && (isnumeric(expected) || islogical(expected)) ...
            && numel(actual) <= 16 && numel(expected) <= 16 && ndims(actual) == 2 ...
            && ndims(expected) == 2
        what = sprintf('%s\n        actual:   %s\n        expected: %s', what, ...
            mat2str(full(actual), 17), mat2str(full(expected), 17));
    end
end
