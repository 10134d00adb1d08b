classdef RegistryTest < PluginTestCase
%REGISTRYTEST every plug-in of the registry: its example and its error contract
%   The registry (plugins.list, read by toolbox_plugin_list) gives each
%   plug-in an example call and what it returns; its error table
%   (plugins.errors) gives, for each family of plug-ins, the calls that must
%   fail, with their identifier and message word for word. Each such call
%   must also return nothing and leave every input as it was.

    methods (Test)
        function examplesGiveTheirResults(testCase)
            plugins = PluginTestCase.registry();
            for k = 1:numel(plugins)
                p = plugins(k);
                args = cellfun(@eval, p.example_inputs, 'UniformOutput', false);
                expected = eval(p.result);
                if strcmp(p.output, 'none')
                    feval(p.name, args{:});
                    got = args{1};
                else
                    got = feval(p.name, args{:});
                end
                testCase.verifyEqual(issparse(got), issparse(expected), p.example);
                testCase.verifySameBits(full(got), full(expected), p.example);
            end
        end

        function errorTableRowsFail(testCase)
            [~, errors] = PluginTestCase.registry();
            testCase.assertTrue(~isempty(errors), 'the error table has no rows');
            for k = 1:numel(errors)
                e = errors(k);
                args = cellfun(@eval, e.inputs, 'UniformOutput', false);
                before = cellfun(@(x) PluginTestCase.ownCopy(x), args, 'UniformOutput', false);
                reason = e.id(numel(e.plugin) + 2:end);
                f = str2func(e.plugin);
                n = e.nargout;
                testCase.verifyRejected(@() callWith(f, args, n), e.plugin, reason, e.message);
                for a = 1:numel(args)
                    testCase.verifyTrue(isequaln(args{a}, before{a}) && ...
                        strcmp(class(args{a}), class(before{a})), sprintf( ...
                        'plugins.errors:%d, %s: input %d changed', e.row, e.plugin, a));
                end
            end
        end
    end
end

% The call with n outputs asked for.
function callWith(f, args, n)
    switch n
        case 0
            f(args{:});
        case 1
            out = f(args{:}); %#ok<NASGU>
        otherwise
            [out, more] = f(args{:}); %#ok<ASGLU>
    end
end
