function save_png (h, file)
%SAVE_PNG write figure H to FILE as a PNG
%   With gnuplot the cairo terminal writes the PNG itself (no Ghostscript
%   needed); other toolkits print it directly. FILE's folder is made if it
%   does not exist.
  dir = fileparts (file);
  if (~isempty (dir) && ~exist (dir, 'dir'))
    mkdir (dir);
  end
  if (exist ('OCTAVE_VERSION', 'builtin') && strcmp (get (h, '__graphics_toolkit__'), 'gnuplot'))
    print (h, file, '-dpngcairo', '-r100');
  else
    print (h, file, '-dpng', '-r100');
  end
end
