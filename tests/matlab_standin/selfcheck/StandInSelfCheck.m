classdef StandInSelfCheck < StandInBase
%STANDINSELFCHECK tests of the stand-in itself, with known outcomes
%   test_standin_runner runs this class and checks that each test whose
%   name starts with "pass" passed and each that starts with "fail" failed,
%   so that a stand-in that let everything pass would be caught.

    methods (TestClassSetup)
        function ownSetup(testCase)
            testCase.Steps{end + 1} = 'own';
            testCase.addTeardown(@() setappdata(0, 'standInClassTeardown', true));
        end
    end

    methods (TestMethodSetup)
        function eachTest(testCase)
            testCase.Steps{end + 1} = 'method';
        end
    end

    methods (Test)
        function passSetupOrder(testCase)
            testCase.verifyEqual(testCase.Steps(1:3), {'base', 'own', 'method'});
        end

        function passEqualAndErrors(testCase)
            testCase.verifyEqual([1 2; 3 4], [1 2; 3 4]);
            testCase.verifyEqual('text', 'text');
            testCase.verifyTrue(true);
            testCase.verifyFalse(false);
            testCase.verifySize(zeros(2, 3), [2 3]);
            testCase.verifyError(@() error('some:id', 'message'), 'some:id');
            testCase.addTeardown(@() setappdata(0, 'standInTestTeardown', true));
        end

        function failOnClass(testCase)
            testCase.verifyEqual(int8(1), 1);
        end

        function failOnSize(testCase)
            testCase.verifyEqual([1 2], [1; 2]);
        end

        function failOnSparsity(testCase)
            testCase.verifyEqual(sparse(1), 1);
        end

        function failOnNaN(testCase)
            testCase.verifyEqual(NaN, NaN);
        end

        function failOnValue(testCase)
            testCase.verifyEqual(0.1 + 0.2, 0.3);
        end

        function failOnText(testCase)
            testCase.verifyEqual('abc', 'abd');
        end

        function failVerifyGoesOn(testCase)
            testCase.verifyTrue(false);
            setappdata(0, 'standInAfterVerify', true);
        end

        function failAssertStops(testCase)
            testCase.assertTrue(false);
            setappdata(0, 'standInAfterAssert', true);
        end

        function failOnError(testCase) %#ok<MANU>
            error('standIn:boom', 'an error in the test');
        end

        function failOnWrongIdentifier(testCase)
            testCase.verifyError(@() error('some:id', 'message'), 'other:id');
        end

        function failWithoutError(testCase)
            testCase.verifyError(@() ones(1), 'some:id');
        end

        function failOnVerifyFail(testCase)
            testCase.verifyFail('always');
        end
    end
end
