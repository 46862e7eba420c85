make install's tree: complete, movable after installing, and enough for a
program of its own to embed the reader through CMake or pkg-config, in C++
or in C, and for a C program to take the host interface header.

  $ cmake --install "$BUILD" --prefix staged >/dev/null && mv staged prefix
  $ for file in bin/xpstext "$LIBDIR"/libFIXRD.so "$LIBDIR"/libpkgrd.so "$LIBDIR"/libmkparse.so \
  >     "$LIBDIR"/libfixrd-host.so "$LIBDIR"/fixrd-worker include/fixrd/Extractor.h include/fixrd/fixrd.h include/fixrd/frame/HostInterfaces.h \
  >     "$LIBDIR"/pkgconfig/fixrd.pc "$LIBDIR"/cmake/fixrd/fixrdConfig.cmake share/man/man1/xpstext.1; do
  >   test -f "prefix/$file" || echo "missing: $file"
  > done
  $ objdump -p "prefix/$LIBDIR/libfixrd-host.so" | grep SONAME
    SONAME               libfixrd-host.so.0
  $ xpstext "$SAMPLE" >expected && test -s expected

Both commands, the build's and the installed one, look for libraries only
where the tree keeps them: an empty run path entry would be the current
directory.

  $ ! objdump -p "$BUILD/bin/xpstext" prefix/bin/xpstext | grep -E 'R(UN)?PATH +(:|.*::|.*:$)'
  $ prefix/bin/xpstext "$SAMPLE" | cmp - expected

The example, built with CMake against the moved tree (what the builds
print is shown only when they fail: a sanitizer's runtime draws linker
warnings).

  $ cmake -S "$SOURCE/examples" -B example -DCMAKE_PREFIX_PATH="$PWD/prefix" -DCMAKE_CXX_COMPILER="$CXX" \
  >   -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_FLAGS="$EXAMPLE_FLAGS" -DCMAKE_C_FLAGS="$EXAMPLE_FLAGS" >log 2>&1 &&
  >   cmake --build example >log 2>&1 || cat log
  $ example/extract-text "$SAMPLE" | cmp - expected
  $ example/extract-text-c "$SAMPLE" "$SAMPLE" | cmp - <(cat expected expected)
  $ example/extract-text-c none.xps
  extract-text: none.xps: cannot be opened: No such file or directory
  [1]
  $ example/extract-text none.xps
  extract-text: none.xps: cannot be opened: No such file or directory (status 12)
  [1]

The same programs through pkg-config, and the host interface header from C.

  $ export PKG_CONFIG_PATH="$PWD/prefix/$LIBDIR/pkgconfig"
  $ "$CXX" -std=c++17 $EXAMPLE_FLAGS "$SOURCE/examples/extract-text.cpp" -o by-pkg-config \
  >   $(pkg-config --cflags --libs fixrd) -Wl,-rpath,"$PWD/prefix/$LIBDIR" >log 2>&1 || cat log
  $ ./by-pkg-config "$SAMPLE" | cmp - expected
  $ "$CC" -std=c99 -Wall -Werror $EXAMPLE_FLAGS "$SOURCE/examples/extract-text.c" -o c-by-pkg-config \
  >   $(pkg-config --cflags --libs fixrd) -Wl,-rpath,"$PWD/prefix/$LIBDIR" >log 2>&1 || cat log
  $ ./c-by-pkg-config "$SAMPLE" | cmp - expected
  $ printf '#include "frame/HostInterfaces.h"\nint main(void) { return sizeof(IOObj) == 0; }\n' >host.c
  $ "$CC" -std=c99 -fsyntax-only host.c $(pkg-config --cflags fixrd)

Isolated reading needs the worker beside the libraries, and says so when it
is not there.

  $ prefix/bin/xpstext --isolate "$SAMPLE" | cmp - expected
  $ rm "prefix/$LIBDIR/fixrd-worker" && prefix/bin/xpstext --isolate "$SAMPLE" 2>&1 | sed "s|$PWD/||"
  xpstext: --isolate: cannot run prefix/.*/fixrd-worker: No such file or directory (re)
