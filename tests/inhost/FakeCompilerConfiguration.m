classdef FakeCompilerConfiguration
%FAKECOMPILERCONFIGURATION an object shaped like MATLAB's mex.CompilerConfiguration
%   c = FakeCompilerConfiguration (fields): the fields of the struct FIELDS
%   (Manufacturer, ShortName, Name, Version, Location) as properties, as
%   MATLAB describes the selected compiler to build_toolbox.
    properties
        Manufacturer = '';
        ShortName = '';
        Name = '';
        Version = '';
        Location = '';
    end
    methods
        function c = FakeCompilerConfiguration(fields)
            for name = fieldnames(fields)'
                c.(name{1}) = fields.(name{1});
            end
        end
    end
end
