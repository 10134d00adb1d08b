function [ok, why] = graphics_ready ()
%GRAPHICS_READY whether figures can be drawn and saved as PNG without a display
%   [ok, why] = graphics_ready ()
%   Selects a toolkit that draws off screen (gnuplot, else what the host
%   offers) and writes a tiny test figure; WHY says what failed when OK is
%   false. The answer is remembered for the session.
  persistent known answer reason
  if (~isempty (known))
    ok = answer;  why = reason;
    return;
  end
  ok = false;  why = '';
  restore = quiet_warnings ();
  try
    if (exist ('OCTAVE_VERSION', 'builtin'))
      kits = available_graphics_toolkits ();
      if (any (strcmp (kits, 'gnuplot')))
        graphics_toolkit ('gnuplot');
      elseif (isempty (kits))
        error ('no graphics toolkit is available');
      end
    end
    probe = [tempname() '.png'];
    h = figure ('visible', 'off');
    cleanup = onCleanup (@() close (h));
    plot (1:3, 1:3);
    save_png (h, probe);
    ok = exist (probe, 'file') > 0;
    if (ok)
      delete (probe);
    else
      why = 'the test figure was not written';
    end
  catch err
    why = err.message;
  end
  known = true;  answer = ok;  reason = why;
end
