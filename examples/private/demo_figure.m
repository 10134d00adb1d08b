function [h, cleanup] = demo_figure (width, say)
%DEMO_FIGURE an invisible figure for a demo's PNG, or none
%   [h, cleanup] = demo_figure (width, say) opens an invisible figure WIDTH
%   by 480 pixels with the graphics toolkit's warnings silenced; the figure
%   closes and the warnings come back when CLEANUP is cleared. Where no
%   graphics toolkit works without a display it says why through SAY and
%   returns H = [].
  h = [];
  cleanup = [];
  [ok, why] = graphics_ready ();
  if (~ok)
    say ('no figure: no graphics toolkit works without a display here (%s)\n', why);
    return;
  end
  state = warning ();
  warning ('off', 'all');
  h = figure ('visible', 'off', 'position', [0 0 width 480]);
  cleanup = onCleanup (@() close_figure (h, state));
end

function close_figure (h, state)
  close (h);
  warning (state);
end
