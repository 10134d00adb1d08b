function test_demo_figures ()
  % With a graphics toolkit that works off screen, each demo writes its PNG
  % and says where; without one it says so and still finishes.
  root = fileparts (fileparts (mfilename ('fullpath')));
  addpath (root);
  out = tempname ();
  cleanup = onCleanup (@() remove_dir (out));
  mkdir (out);
  text = evalc ('r = demo_chain (60, struct (''png'', fullfile (out, ''chain.png'')));');
  if (isempty (r.png))
    assert (! isempty (strfind (text, 'no figure')), text);
  else
    assert (exist (r.png, 'file') > 0);
    assert (! isempty (strfind (text, ['figure written to ' r.png])));
    info = imfinfo (r.png);
    assert (info.Width > 400 && info.Height > 200);
  end
  text = evalc ('c = demo_completion (100, struct (''fraction'', 0.4, ''png'', fullfile (out, ''c.png'')));');
  assert (c.relError < 1e-6);
  assert (isempty (c.png) || exist (c.png, 'file') > 0);
end

function remove_dir (d)
  confirm_recursive_rmdir (false, 'local');
  if (exist (d, 'dir'))
    rmdir (d, 's');
  end
end
