function nzfill_rejected (f, S, v, L, id, text)
%NZFILL_REJECTED check that f (S, v, L) fails with identifier ID and leaves S as it was
%   An empty ID expects an error without identifier whose message contains
%   TEXT. nzfill returns nothing, so the call is made without an output.
  before = S * 1;   % a copy of its own, taken before the call
  try
    f (S, v, L);
  catch err
    if (! strcmp (err.identifier, id))
      error ('nzfill_rejected: expected identifier "%s", got "%s" (%s)', id, ...
             err.identifier, err.message);
    end
    if (nargin > 5 && isempty (strfind (err.message, text)))
      error ('nzfill_rejected: message "%s" does not contain "%s"', err.message, text);
    end
    if (! isequal (S, before) || issparse (S) != issparse (before))
      error ('nzfill_rejected: S changed');
    end
    return;
  end
  error ('nzfill_rejected: the call succeeded; expected error %s', id);
end
