function v = option_value (solver, name, v, kind, lo, hi)
%OPTION_VALUE one option's value, checked, as the solver uses it
%   v = option_value (solver, name, v, kind)
%   v = option_value (solver, name, v, kind, lo, hi)
%   KIND is
%     'flag'    true or false (logical, or a real number that is not NaN);
%               returned as logical
%     'whole'   a whole number from LO to HI (HI may be Inf, and Inf itself
%               is then allowed); returned as double
%     'number'  a real number from LO to HI, not NaN (Inf only where HI is
%               Inf); returned as double
%   Anything else raises SOLVER:badOption with a message naming the option
%   and what it must be.
  if (nargin < 5)
    lo = -Inf;
  end
  if (nargin < 6)
    hi = Inf;
  end
  scalar = (isnumeric (v) || islogical (v)) && isreal (v) && isscalar (v) && ~ issparse (v) ...
           && ~ isnan (double (v));
  switch (kind)
    case 'flag'
      if (~ scalar)
        error ([solver ':badOption'], '%s: option %s must be true or false', solver, name);
      end
      v = logical (v);
    case 'whole'
      ok = scalar && double (v) >= lo && double (v) <= hi && (double (v) == fix (double (v)));
      if (~ ok)
        error ([solver ':badOption'], '%s: option %s must be a whole number from %s to %s', ...
               solver, name, num2str (lo), num2str (hi));
      end
      v = double (v);
    case 'number'
      ok = scalar && double (v) >= lo && double (v) <= hi;
      if (~ ok)
        error ([solver ':badOption'], '%s: option %s must be a number from %s to %s', ...
               solver, name, num2str (lo), num2str (hi));
      end
      v = double (v);
    otherwise
      error ([solver ':badOption'], '%s: option %s has no check of kind %s', solver, name, kind);
  end
end
