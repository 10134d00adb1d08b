function nzfill_rejected (f, S, v, L, id, text)
%NZFILL_REJECTED check that f (S, v, L), called without output, fails with
%   identifier ID (or, for ID '', a message containing TEXT) and leaves S as it was.
  before = S * 1;
  try
    f (S, v, L);
  catch err
    assert (err.identifier, id);
    assert (nargin < 6 || ! isempty (strfind (err.message, text)), err.message);
    assert (isequal (S, before) && issparse (S) == issparse (before), 'S changed');
    return;
  end
  error ('nzfill_rejected: the call succeeded; expected error %s', id);
end
