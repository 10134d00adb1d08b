function remove_tree (dir)
%REMOVE_TREE remove the folder DIR and everything in it, without asking
%   Nothing when DIR does not exist: a test's temporary folder, removed by
%   an onCleanup whatever the test gave.
  confirm_recursive_rmdir (false, 'local');
  if (exist (dir, 'dir'))
    rmdir (dir, 's');
  end
end
