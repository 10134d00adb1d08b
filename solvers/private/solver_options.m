function o = solver_options (solver, defaults, args)
%SOLVER_OPTIONS a solver's options, from a struct or from name-value pairs
%   o = solver_options (solver, defaults, args)
%   SOLVER is the solver's name (it prefixes every identifier), DEFAULTS a
%   struct holding every option under its own name with its default value,
%   ARGS the cell of what the caller passed after the problem:
%     {}  or  {[]}                       no options
%     {opts}                             a struct of options
%     {'name', value, ...}               name-value pairs
%     {opts, 'name', value, ...}         both; a pair overrides the struct
%   Names are matched without regard to case; o holds each option under
%   the name DEFAULTS gives it. Numbers of an integer class or single come
%   back as double, so that a solver checks one type (use OPTION_VALUE for
%   the checks of each value). Errors, before any work:
%     SOLVER:unknownOption  a name that is no option; the message lists
%                           the options
%     SOLVER:badOption      opts that is not a scalar struct, a name that
%                           is not text, a name without a value
%
%   Both solvers describe their answer the same way, in fields of info:
%     converged   true only when the answer meets the tolerance the options
%                 set, checked on the answer itself
%     reason      why the run stopped: 'tol' (the measure of fit reached
%                 the tolerance), 'maxIter', 'maxTime' (the limit of that
%                 name), 'stalled' (no step improves the fit any more)
%     message     one sentence saying the same for a reader
%     iterations, seconds

  o = defaults;
  names = fieldnames (defaults);
  if (isempty (args))
    return;
  end
  first = args{1};
  if (isstruct (first) || (isnumeric (first) && isempty (first)))
    if (isstruct (first))
      if (numel (first) ~= 1)
        error ([solver ':badOption'], '%s: opts must be one struct, not an array of %d', ...
               solver, numel (first));
      end
      given = fieldnames (first);
      for k = 1:numel (given)
        o = set_option (o, solver, names, given{k}, first.(given{k}));
      end
    end
    args = args(2:end);
  end
  if (mod (numel (args), 2) ~= 0)
    error ([solver ':badOption'], ...
           '%s: options come as a struct or as name-value pairs; the last name has no value', ...
           solver);
  end
  for k = 1:2:numel (args)
    name = args{k};
    if (~ (ischar (name) && size (name, 1) == 1) && ~ (isa (name, 'string') && isscalar (name)))
      error ([solver ':badOption'], ...
             '%s: an option name must be text (argument %d after the problem is a %s)', ...
             solver, k, class (name));
    end
    o = set_option (o, solver, names, char (name), args{k + 1});
  end
end

function o = set_option (o, solver, names, name, value)
  hit = find (strcmpi (name, names), 1);
  if (isempty (hit))
    error ([solver ':unknownOption'], '%s: unknown option ''%s''; the options are: %s', ...
           solver, name, strjoin (names.', ', '));
  end
  if (isinteger (value) || isa (value, 'single'))
    value = double (value);
  end
  o.(names{hit}) = value;
end
