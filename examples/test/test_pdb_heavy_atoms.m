function test_pdb_heavy_atoms ()
  % The PDB reader on a small file with alternate locations, hydrogens
  % (by element and, where the element columns are blank, by name),
  % HETATM records and a second model; then the shipped entry, and files
  % it must refuse.
  addpath (fileparts (fileparts (mfilename ('fullpath'))));
  file = [tempname(), '.pdb'];
  cleanup = onCleanup (@() delete_if (file));
  lines = {
    'HEADER    TEST'
    'MODEL        1'
    atom(1, 'N  ', ' ', 'ALA', 'A', 1, [1 2 3], 'N')
    atom(2, 'CA ', ' ', 'ALA', 'A', 1, [2 2 3], 'C')
    atom(3, 'H  ', ' ', 'ALA', 'A', 1, [9 9 9], 'H')
    atom(4, 'CB ', 'A', 'ALA', 'A', 1, [3 2 3], 'C')     % first location: kept
    atom(5, 'CB ', 'B', 'ALA', 'A', 1, [3 5 5], 'C')     % second: skipped
    atom(6, 'HB1', ' ', 'ALA', 'A', 1, [9 9 9], '  ')    % blank element, H name
    atom(7, 'OG ', 'B', 'SER', 'B', 2, [4 4 4], 'O')     % only a B location: kept
    atom(8, 'D  ', ' ', 'SER', 'B', 2, [9 9 9], 'D')     % deuterium
    'HETATM    9  O   HOH A 101       5.000   5.000   5.000  1.00 10.00           O'
    'ENDMDL'
    'MODEL        2'
    atom(10, 'N  ', ' ', 'ALA', 'A', 1, [7 7 7], 'N')
    'ENDMDL'
  };
  write_lines (file, lines);
  [X, atoms] = pdb_heavy_atoms (file);
  assert (X, [1 2 3; 2 2 3; 3 2 3; 4 4 4]');
  assert (atoms.name, {'N'; 'CA'; 'CB'; 'OG'});
  assert (atoms.residue, [1; 1; 1; 2]);
  assert (atoms.chain, ['A'; 'A'; 'A'; 'B']);
  assert (atoms.element, {'N'; 'C'; 'C'; 'O'});
  assert (atoms.backbone, [true; true; false; false]);

  % Lines without the element columns (older files) and CRLF line ends.
  short = atom(1, 'CA ', ' ', 'GLY', 'A', 5, [1.5 -2.25 3], 'C');
  write_lines (file, {[short(1:54), char(13)]; [strrep(short(1:54), ' CA ', '1HA '), char(13)]});
  X = pdb_heavy_atoms (file);
  assert (X, [1.5; -2.25; 3]);

  % The shipped entry: 1001 heavy atoms, 129 residues, one chain.
  here = fileparts (fileparts (mfilename ('fullpath')));
  [X, atoms] = pdb_heavy_atoms (fullfile (here, 'data', '1hel.pdb'));
  assert (size (X), [3 1001]);
  assert (max (atoms.residue), 129);
  assert (all (atoms.chain == 'A'));
  assert (nnz (strcmp (atoms.name, 'CA')), 129);
  assert (X(:, 1), [3.294; 10.164; 10.266]);

  % Refused: no file, no heavy atom, a record cut short, coordinates that
  % are not numbers.
  assert_rejected (@() pdb_heavy_atoms ([file, '.missing']), 'pdb_heavy_atoms:cannotOpen');
  write_lines (file, {'HEADER    EMPTY'; atom(1, 'H  ', ' ', 'ALA', 'A', 1, [0 0 0], 'H')});
  assert_rejected (@() pdb_heavy_atoms (file), 'pdb_heavy_atoms:noAtoms');
  write_lines (file, {'ATOM      1  CA  ALA A   1       1.000'});
  assert_rejected (@() pdb_heavy_atoms (file), 'pdb_heavy_atoms:badRecord', 'line 1');
  bad = atom(1, 'CA ', ' ', 'ALA', 'A', 1, [0 0 0], 'C');
  bad(39:46) = '   x.000';
  write_lines (file, {bad});
  assert_rejected (@() pdb_heavy_atoms (file), 'pdb_heavy_atoms:badRecord', 'not three numbers');
end

function s = atom (serial, name, alt, res, chain, resnum, xyz, element)
  % One ATOM record in the fixed columns of the PDB format.
  s = sprintf ('ATOM  %5d  %3s%1s%3s %1s%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2s', ...
               serial, name, alt, res, chain, resnum, xyz, 1, 10, element);
end

function write_lines (file, lines)
  fid = fopen (file, 'w');
  fprintf (fid, '%s\n', lines{:});
  fclose (fid);
end

function delete_if (file)
  if (exist (file, 'file'))
    delete (file);
  end
end
