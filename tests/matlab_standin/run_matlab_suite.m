function results = run_matlab_suite(folder)
%RUN_MATLAB_SUITE run the toolbox's MATLAB test classes in Octave (stand-in runner)
%   results = run_matlab_suite(folder)
%
%   A STAND-IN for MATLAB's runtests(folder), for Octave only, beside the
%   stand-in matlab.unittest.TestCase of this folder. It runs every class in
%   FOLDER (not its subfolders) that derives from matlab.unittest.TestCase:
%   the methods of its "methods (TestClassSetup)" blocks once, then for each
%   method of its "methods (Test)" blocks the TestMethodSetup methods, the
%   test, the TestMethodTeardown methods and the teardowns it added. The
%   blocks are found by reading the class file (Octave's metaclass does not
%   keep those attributes), so a block's methods must be indented below
%   their "methods" line, as MATLAB's editor writes them.
%
%   It prints one line per test and the failures with their messages, and
%   returns a struct array with fields Name, Passed, Failed, Details. It
%   does not raise an error itself: the caller decides (test_matlab_suite).

    files = dir(fullfile(folder, '*.m'));
    results = struct('Name', {}, 'Passed', {}, 'Failed', {}, 'Details', {});
    for f = 1:numel(files)
        className = readClass(fileread(fullfile(folder, files(f).name)));
        if isempty(className)
            continue
        end
        mc = meta.class.fromName(className);
        if isempty(mc) || ~derivesFromTestCase(mc)
            continue
        end
        blocks = classBlocks(mc);
        if isempty(blocks.Test)
            continue
        end
        fprintf('Running %s\n', className);
        results = [results, runClass(className, blocks)]; %#ok<AGROW>
        fprintf('Done %s\n', className);
    end
end

function results = runClass(className, blocks)
    results = struct('Name', {}, 'Passed', {}, 'Failed', {}, 'Details', {});
    testCase = feval(className);

    % Class setup: a failure there fails every test of the class.
    testCase.standInBegin(true);
    setupProblem = runMethods(testCase, blocks.TestClassSetup);
    setupProblem = [testCase.standInFailures(), setupProblem];
    testCase.standInBegin(false);

    for k = 1:numel(blocks.Test)
        name = [className '/' blocks.Test{k}];
        if ~isempty(setupProblem)
            results(end + 1) = result(name, [{'TestClassSetup failed:'}, setupProblem]); %#ok<AGROW>
            continue
        end
        testCase.standInBegin(false);
        problems = runMethods(testCase, blocks.TestMethodSetup);
        if isempty(problems) && isempty(testCase.standInFailures())
            problems = runMethods(testCase, blocks.Test(k));
        end
        problems = [problems, runMethods(testCase, blocks.TestMethodTeardown)]; %#ok<AGROW>
        problems = [testCase.standInFailures(), problems, testCase.standInTeardown(false)];
        results(end + 1) = result(name, problems); %#ok<AGROW>
    end

    problems = [runMethods(testCase, blocks.TestClassTeardown), testCase.standInTeardown(true)];
    if ~isempty(problems)
        results(end + 1) = result([className '/TestClassTeardown'], problems);
    end
end

% Calls each method; returns the messages of the errors that ended one
% (failed assertions are recorded by the test case itself).
function problems = runMethods(testCase, names)
    problems = {};
    for k = 1:numel(names)
        try
            feval(names{k}, testCase);
        catch err
            if ~strcmp(err.identifier, 'matlabStandIn:assertionFailed')
                where = '';
                if ~isempty(err.stack)
                    where = sprintf(' (%s, line %d)', err.stack(1).name, err.stack(1).line);
                end
                problems{end + 1} = sprintf('error %s: %s%s', err.identifier, err.message, where); %#ok<AGROW>
            end
        end
    end
end

function r = result(name, problems)
    r = struct('Name', name, 'Passed', isempty(problems), 'Failed', ~isempty(problems), ...
        'Details', {problems});
    if r.Passed
        fprintf('  passed  %s\n', name);
    else
        fprintf('  FAILED  %s\n', name);
        for k = 1:numel(problems)
            fprintf('      %s\n', strrep(problems{k}, sprintf('\n'), sprintf('\n      ')));
        end
    end
end

% The blocks of a class and of the classes it derives from (whose setup
% methods run first, as in MATLAB), the stand-in's own base excepted.
function blocks = classBlocks(mc)
    [~, blocks] = readClass('');
    supers = mc.SuperclassList;
    for k = 1:numel(supers)
        s = superclassAt(supers, k);
        if ~strcmp(s.Name, 'matlab.unittest.TestCase')
            inherited = classBlocks(s);
            for f = fieldnames(blocks)'
                blocks.(f{1}) = [blocks.(f{1}), inherited.(f{1})];
            end
        end
    end
    [~, own] = readClass(fileread(which(mc.Name)));
    for f = fieldnames(blocks)'
        blocks.(f{1}) = unique([blocks.(f{1}), own.(f{1})], 'stable');
    end
end

function yes = derivesFromTestCase(mc)
    yes = strcmp(mc.Name, 'matlab.unittest.TestCase');
    supers = mc.SuperclassList;
    for k = 1:numel(supers)
        s = superclassAt(supers, k);
        yes = yes || derivesFromTestCase(s);
    end
end

% The class's name and the methods of each kind of block, read from the
% class file.
function [className, blocks] = readClass(text)
    kinds = {'Test', 'TestClassSetup', 'TestClassTeardown', 'TestMethodSetup', 'TestMethodTeardown'};
    blocks = struct();
    for k = 1:numel(kinds)
        blocks.(kinds{k}) = {};
    end
    className = '';
    lines = strsplit(text, sprintf('\n'));
    kind = '';
    blockIndent = -1;
    for k = 1:numel(lines)
        line = regexprep(lines{k}, '%.*$', '');
        found = regexp(line, '^\s*classdef\s*(\([^)]*\))?\s*(?<name>\w+)', 'names', 'once');
        if ~isempty(found) && isempty(className)
            className = found.name;
            continue
        end
        found = regexp(line, ['^(?<indent>\s*)(?<keyword>methods|properties|events|enumeration)\>' ...
            '\s*(\((?<attributes>[^)]*)\))?'], 'names', 'once');
        if ~isempty(found)
            kind = '';
            blockIndent = numel(found.indent);
            if strcmp(found.keyword, 'methods')
                named = intersect(strtrim(strsplit(found.attributes, ',')), kinds);
                if ~isempty(named)
                    kind = named{1};
                end
            end
            continue
        end
        found = regexp(line, '^(?<indent>\s*)function\s+(\[[^\]]*\]\s*=\s*|\w+\s*=\s*)?(?<name>\w+)', ...
            'names', 'once');
        if ~isempty(found) && ~isempty(kind) && numel(found.indent) > blockIndent
            blocks.(kind){end + 1} = found.name;
        elseif ~isempty(found)
            kind = '';
        end
    end
end

% The K-th superclass of a class's list (a cell array in Octave, an array of
% meta.class objects in MATLAB).
function s = superclassAt(supers, k)
    if iscell(supers)
        s = supers{k};
    else
        s = supers(k);
    end
end
