classdef (Abstract) StandInBase < matlab.unittest.TestCase
%STANDINBASE a base class whose setup the stand-in runner must run first
    properties
        Steps = {};
    end

    methods (TestClassSetup)
        function baseSetup(testCase)
            testCase.Steps{end + 1} = 'base';
        end
    end
end
