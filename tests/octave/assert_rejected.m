function assert_rejected (call, id, text)
%ASSERT_REJECTED check that CALL fails with identifier ID and leaves no output
%   assert_rejected (@() penval (X), 'penval:notEnoughInputs')
%   assert_rejected (call, id, text) also requires TEXT inside the message.
%   An empty ID expects an error without identifier (the message must then
%   contain TEXT). Octave may prefix the message with the function's name.
  out = [];
  failed = false;
  try
    out = call ();
  catch err
    failed = true;
  end
  if (! failed)
    error ('assert_rejected: the call succeeded; expected error %s', id);
  end
  if (! strcmp (err.identifier, id))
    error ('assert_rejected: expected identifier "%s", got "%s" (%s)', id, ...
           err.identifier, err.message);
  end
  if (nargin > 2 && isempty (strfind (err.message, text)))
    error ('assert_rejected: message "%s" does not contain "%s"', err.message, text);
  end
  if (! isempty (out))
    error ('assert_rejected: an output was returned');
  end
end
