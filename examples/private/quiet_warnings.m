function restore = quiet_warnings ()
%QUIET_WARNINGS silence the graphics toolkit's chatter while a demo draws
%   restore = quiet_warnings ()   the warning state comes back when RESTORE
%   is cleared (an onCleanup object).
  state = warning ();
  warning ('off', 'all');
  restore = onCleanup (@() warning (state));
end
