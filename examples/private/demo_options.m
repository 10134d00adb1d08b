function o = demo_options (o, opts)
%DEMO_OPTIONS a demo's defaults O with the fields of the struct OPTS over them
  for f = fieldnames (opts)'
    o.(f{1}) = opts.(f{1});
  end
end
