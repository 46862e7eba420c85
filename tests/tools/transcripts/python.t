The Python package as a user installs it: pip, in a virtual environment,
against an installed tree, with nothing from a package index.  The build
records where the library is; FIXRD_LIBRARY overrides it.

  $ [ -z "$INSTRUMENTED" ] || skip "a sanitized library cannot be loaded into an interpreter that is not"
  $ cmake --install "$BUILD" --prefix "$PWD/prefix" >/dev/null
  $ cp -r "$SOURCE/python" package && rm -rf package/build package/*.egg-info
  $ /usr/bin/python3 -m venv --system-site-packages venv
  $ FIXRD_PREFIX="$PWD/prefix" venv/bin/pip install -q --disable-pip-version-check --no-build-isolation \
  >   --no-index ./package >log 2>&1 || cat log
  $ rm -rf package && (cd / && "$OLDPWD/venv/bin/python" - "$SAMPLE") <<'END'
  > import sys, fixrd, fixrd._location
  > print(fixrd._location.LIBRARY_FOLDER.endswith("/prefix/lib"), fixrd.version())
  > print(fixrd.extract_text(sys.argv[1]).splitlines()[0])
  > END
  True 0.1.0
  The Quiet Work of Fixed Pages
  $ FIXRD_LIBRARY=/nowhere venv/bin/python -c 'import fixrd; fixrd.extract_text("x")' 2>&1 | tail -1
  ImportError: fixrd: cannot load the fixrd library; set FIXRD_LIBRARY to its folder or to libfixrd-host.so.0 itself. Tried: /nowhere: /nowhere: cannot open shared object file: No such file or directory
