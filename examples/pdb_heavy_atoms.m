function [X, atoms] = pdb_heavy_atoms (file)
%PDB_HEAVY_ATOMS heavy-atom coordinates from the ATOM records of a PDB file
%   [X, atoms] = pdb_heavy_atoms (file)
%
%   Reads the ATOM records of the first model in FILE (a Protein Data Bank
%   entry in the PDB format) and returns the coordinates of its heavy atoms:
%     - hydrogens (element H or D; where the element columns are blank, an
%       atom name whose first letter after any digits is H) are skipped;
%     - an atom with alternate locations is read once, at its first
%       location in the file (usually 'A'); the other locations are skipped;
%     - HETATM records (water, ligands) and models after the first are
%       skipped.
%
%   X      3-by-n coordinates in angstroms, atom k in column k, in file order.
%   atoms  struct with n-by-1 fields: name (cell of atom names, e.g. 'CA'),
%          residue (residue numbers), chain (chain letters, char), element
%          (cell), and backbone (logical: the atom is N, CA or C).
%
%   Errors: pdb_heavy_atoms:cannotOpen (the file cannot be read),
%   pdb_heavy_atoms:noAtoms (no heavy atom in an ATOM record),
%   pdb_heavy_atoms:badRecord (an ATOM record too short or whose coordinates
%   are not numbers; the message names the line).
%
%   Example:
%     [X, atoms] = pdb_heavy_atoms ('examples/data/1hel.pdb');
%     size (X)                      % 3 by 1001
%     ca = X(:, strcmp (atoms.name, 'CA'));
%
%   See also DEMO_PROTEIN.

  fid = fopen (file, 'r');
  if (fid < 0)
    error ('pdb_heavy_atoms:cannotOpen', 'pdb_heavy_atoms: cannot open %s', file);
  end
  text = fread (fid, Inf, 'char=>char')';
  fclose (fid);
  lines = regexp (text, '\r?\n', 'split');

  n = 0;
  X = zeros (3, numel (lines));
  name = cell (numel (lines), 1);
  element = cell (numel (lines), 1);
  residue = zeros (numel (lines), 1);
  chain = repmat (' ', numel (lines), 1);
  key = cell (numel (lines), 1);
  for k = 1:numel (lines)
    s = lines{k};
    if (strncmp (s, 'ENDMDL', 6))
      break;                     % the first model only
    end
    if (~strncmp (s, 'ATOM  ', 6))
      continue;
    end
    if (numel (s) < 54)
      error ('pdb_heavy_atoms:badRecord', 'pdb_heavy_atoms: %s line %d: ATOM record too short', ...
             file, k);
    end
    s = [s, repmat(' ', 1, max (0, 80 - numel (s)))];
    atomName = strtrim (s(13:16));
    el = upper (strtrim (s(77:78)));
    if (isempty (el))
      letters = regexprep (atomName, '^[0-9]+', '');
      el = letters(1:min (1, numel (letters)));
    end
    if (strcmp (el, 'H') || strcmp (el, 'D'))
      continue;
    end
    xyz = sscanf (s(31:54), '%8f%8f%8f');
    if (numel (xyz) ~= 3 || any (~isfinite (xyz)))
      error ('pdb_heavy_atoms:badRecord', ...
             'pdb_heavy_atoms: %s line %d: coordinates are not three numbers', file, k);
    end
    n = n + 1;
    % The atom (name, residue name, chain, residue number and insertion
    % code), the same at each of its locations.
    key{n} = s([13:16, 18:27]);
    X(:, n) = xyz;
    name{n} = atomName;
    element{n} = el;
    residue(n) = str2double (s(23:26));
    chain(n) = s(22);
  end
  if (n == 0)
    error ('pdb_heavy_atoms:noAtoms', 'pdb_heavy_atoms: no heavy atom in the ATOM records of %s', file);
  end
  % An atom at several locations: its first one only.
  [~, first] = unique (key(1:n), 'first');
  keep = sort (first);
  X = X(:, keep);
  name = name(keep);
  atoms = struct ('name', {name}, 'residue', residue(keep), 'chain', chain(keep), ...
                  'element', {element(keep)}, ...
                  'backbone', ismember (name, {'N', 'CA', 'C'}));
end
