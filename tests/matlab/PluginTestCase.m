classdef (Abstract) PluginTestCase < matlab.unittest.TestCase
%PLUGINTESTCASE what the toolbox's MATLAB test classes share
%   The checks every class uses: a call rejected with an identifier and a
%   message, both exactly; two arrays with the same bits; the registry of
%   plug-ins (registry: plugins.list and plugins.errors, read by
%   toolbox_plugin_list in the toolbox's source folder); and the reference
%   file written by the Octave build (referenceFile says where it is
%   looked for).

    properties
        % The names of the toolbox's plug-ins, from the registry.
        Plugins = {};
    end

    methods (TestClassSetup)
        function pluginsAreBuilt(testCase)
            % Each name must reach a compiled plug-in, not its help file
            % (whose body only says that the plug-in is missing).
            plugins = PluginTestCase.registry();
            testCase.Plugins = {plugins.name};
            for k = 1:numel(testCase.Plugins)
                name = testCase.Plugins{k};
                testCase.assertEqual(exist(name, 'file'), 3, sprintf(['%s is not a compiled ' ...
                    'plug-in on the path (%s): build the toolbox (build_toolbox) and add its ' ...
                    'folder to the path'], name, which(name)));
            end
        end
    end

    methods (Static)
        function [plugins, errors] = registry()
            % The registry of the source tree this folder belongs to
            % (tests/matlab two levels below its top), read there.
            root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
            here = pwd;
            back = onCleanup(@() cd(here));
            cd(root);
            [plugins, errors] = toolbox_plugin_list(root);
        end

        function y = ownCopy(x)
            % A copy of x on storage of its own (an assignment into it
            % makes the host copy what it shared).
            y = x;
            if ~isempty(y)
                y(1) = y(1);
            end
        end

        function file = referenceFile()
            % The reference bits: the file named by MEXTOOLBOX_REFERENCE, or
            % reference/toolbox_reference.mat beside this class (committed,
            % written by write_reference.m from the Octave build).
            file = getenv('MEXTOOLBOX_REFERENCE');
            if isempty(file)
                file = fullfile(fileparts(mfilename('fullpath')), 'reference', ...
                    'toolbox_reference.mat');
            end
        end
    end

    methods (Access = protected)
        function verifyRejected(testCase, call, name, reason, message)
            % call() must fail with identifier name:reason (or none, for
            % reason '') and this message, word for word.
            id = '';
            if ~isempty(reason)
                id = [name ':' reason];
            end
            what = sprintf('%s, %s', func2str(call), message);
            try
                call();
            catch err
                testCase.verifyTrue(strcmp(err.identifier, id), sprintf( ...
                    '%s: identifier "%s", expected "%s"', what, err.identifier, id));
                testCase.verifyEqual(hostMessage(err, name), message, what);
                return
            end
            testCase.verifyFail(['the call returned: ' what]);
        end

        function verifySameBits(testCase, actual, expected, what)
            % Same class, shape and sparsity, and every element's 64 bits
            % (signed zeros, NaN payloads): no tolerance.
            testCase.verifyEqual(class(actual), class(expected), what);
            testCase.verifyEqual(size(actual), size(expected), what);
            testCase.verifyEqual(issparse(actual), issparse(expected), what);
            if ~isequal(size(actual), size(expected)) || ~isa(actual, 'double') ...
                    || ~isa(expected, 'double')
                testCase.verifyEqual(actual, expected, what);
                return
            end
            a = bitsOf(actual);
            e = bitsOf(expected);
            k = find(a ~= e, 1);
            if isempty(k)
                testCase.verifyTrue(isequal(a, e), what);
            else
                testCase.verifyFail(sprintf(['%s: %d elements differ, the first at %d: ' ...
                    '%s (%.17g) instead of %s (%.17g)'], what, nnz(a ~= e), k, ...
                    hex(a(k)), typecast(a(k), 'double'), hex(e(k)), typecast(e(k), 'double')));
            end
        end
    end
end

% The bits of every element, column-major, as one uint64 column.
function b = bitsOf(x)
    x = full(x);
    b = typecast(x(:), 'uint64');
    if isempty(b)
        b = zeros(0, 1, 'uint64');
    end
end

% The 64 bits in hexadecimal, sign and exponent first.
function h = hex(bits)
    halves = typecast(bits, 'uint32');
    h = sprintf('%08X%08X', halves(2), halves(1));
end

% The message as MATLAB shows it. Octave (where this suite also runs, through
% the stand-in runner of tests/matlab_standin) puts the function's name before it, and
% its MEX interface does so as well; MATLAB does not.
function message = hostMessage(err, name)
    message = err.message;
    if exist('OCTAVE_VERSION', 'builtin') == 5
        prefix = [name ': '];
        if strncmp(message, prefix, numel(prefix))
            message = message(numel(prefix) + 1:end);
        else
            message = ['(no "' prefix '" in Octave''s message) ' message];
        end
    end
end
