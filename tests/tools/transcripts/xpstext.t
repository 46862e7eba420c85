xpstext as a user runs it: one document, folders, lists, -o trees, -j,
--jsonl, and the failures a batch meets.  `tree` shows each file below a
folder with its text.

  $ tree() { find "$1" -type f -print0 | LC_ALL=C sort -z | while IFS= read -r -d '' f; do echo "$f: $(cat "$f")"; done; }
  $ seconds() { sed -E 's/"seconds":[0-9.e-]+,/"seconds":S,/' "$@"; }

The sample: its text ends with a newline; --raw gives the record stream,
a text record first; --charset puts the character set first.

  $ xpstext "$SAMPLE" >plain; head -2 plain | cut -c1-18; tail -c1 plain | od -An -tx1
  The Quiet Work of 
  A fixed page keeps
   0a
  $ xpstext --raw "$SAMPLE" | head -c1 | od -An -tx1
   00
  $ xpstext --charset "$SAMPLE" | head -2
  53
  The Quiet Work of Fixed Pages

One package from standard input, as from curl; "./-" is a file of that
name, and nothing on standard input is no package.

  $ cat "$SAMPLE" | xpstext - | cmp - plain && cat "$SAMPLE" | xpstext --isolate - | cmp - plain
  $ cp "$SAMPLE" ./- && xpstext ./- | cmp - plain && rm ./-
  $ cat "$SAMPLE" | xpstext -q --jsonl -o from-stdin - | seconds; cmp from-stdin/stdin.txt plain
  {"path":"-","status":0,"message":"","bytes":1230,"seconds":S,"output":"from-stdin/stdin.txt"}
  $ xpstext - </dev/null
  xpstext: -: not an XPS package: not a readable zip file, or fewer than two entries (status 12)
  [1]

A batch with failing documents among good ones: the good texts are
written, each failure is reported by name and cause, and a document that
fails on its second page prints nothing of its first.

  $ mkdir -p in/c && make-document in/a.xps alpha && make-document in/c/d.OXPS delta
  $ printf 'not a zip at all' >in/b.xps && echo 'not a document, not taken' >in/notes.txt
  $ make-document in/e.xps <<'END'
  > page
  >   G 1 1 early
  > page
  >   <x:Foo xmlns:x="urn:vendor"/>
  > END
  $ xpstext --jsonl -o out in >report
  xpstext: in/b.xps: not an XPS package: not a readable zip file, or fewer than two entries (status 12)
  xpstext: in/e.xps: page markup could not be read (status 6)
  xpstext: 4 documents, 2 failed, [0-9]+\.[0-9][0-9] s \([0-9]+\.[0-9] documents/s\) (re)
  [1]
  $ seconds report
  {"path":"in/a.xps","status":0,"message":"","bytes":6,"seconds":S,"output":"out/a.xps.txt"}
  {"path":"in/b.xps","status":12,"message":"not an XPS package: not a readable zip file, or fewer than two entries","bytes":0,"seconds":S,"output":null}
  {"path":"in/c/d.OXPS","status":0,"message":"","bytes":6,"seconds":S,"output":"out/c/d.OXPS.txt"}
  {"path":"in/e.xps","status":6,"message":"page markup could not be read","bytes":0,"seconds":S,"output":null}
  $ tree out
  out/a.xps.txt: alpha
  out/c/d.OXPS.txt: delta
  $ xpstext -j 3 in 2>/dev/null
  alpha
  delta
  [1]

The record stream and the character set reach the files as they reach
standard output; records go to .rec files.

  $ cp "$SAMPLE" s.xps && xpstext -q --raw --charset -o rawout s.xps && xpstext --raw --charset s.xps | cmp - rawout/s.xps.rec
  $ xpstext -q --charset -o csout s.xps && xpstext --charset s.xps | cmp - csout/s.xps.txt

Where the output cannot go, that document fails, named with the cause, and
the others are written; a full standard output fails the run.

  $ mkdir clash && echo x >clash/c && xpstext -q -o clash in 2>&1 | grep -v 'in/[be]'
  xpstext: in/c/d.OXPS: cannot create the folder clash/c: Not a directory (status 203)
  $ ls clash
  a.xps.txt
  c
  $ xpstext "$SAMPLE" >/dev/full
  xpstext: standard output: No space left on device
  [1]

Folders are walked in byte order of their names; links to files are
read, links to folders are not followed.

  $ mkdir -p walk/a elsewhere && make-document walk/b.xps b && make-document walk/a/z.xps z
  $ make-document walk/A.XPS A && make-document walk/a-b.oxps a-b && make-document elsewhere/hidden.xps hidden
  $ ln -s "$PWD/elsewhere" walk/linked && ln -s "$PWD/walk/b.xps" walk/link.xps
  $ xpstext -q -j 2 walk
  A
  a-b
  z
  b
  b

Paths that cannot be read and folders without documents; a document named
by its absolute path keeps that path below the -o folder.

  $ mkdir -p u/plain u/empty && make-document u/good.xps fine && echo 'no documents' >u/plain/readme.txt
  $ mkfifo u/pipe.xps
  $ xpstext -o out2 u/missing.xps u/empty u/plain u/good.xps/inner.xps u/pipe.xps "$PWD/u/good.xps"
  xpstext: u/missing.xps: cannot be opened: No such file or directory (status 12)
  xpstext: u/empty: no .xps or .oxps files in this folder (status 201)
  xpstext: u/plain: no .xps or .oxps files in this folder (status 201)
  xpstext: u/good.xps/inner.xps: cannot be opened: Not a directory (status 12)
  xpstext: u/pipe.xps: not a regular file or folder (status 202)
  xpstext: 6 documents, 5 failed, .* (re)
  [1]
  $ cat "out2$PWD/u/good.xps.txt"; find out2 -type f | wc -l
  fine
  1
  $ mkdir v && mkfifo v/pipe.oxps && xpstext -q v
  xpstext: v/pipe.oxps: not a regular file or folder (status 202)
  [1]

--files0-from takes names with spaces, newlines and quotes, reports an
empty name between two NULs, and needs no NUL after the last name.

  $ mkdir l && make-document 'l/with space.xps' 0 && make-document l/$'new\nline.xps' 1
  $ make-document l/$'tab\tand \'quote\'.oxps' 2
  $ printf '%s\0%s\0\0%s' 'l/with space.xps' l/$'new\nline.xps' l/$'tab\tand \'quote\'.oxps' >list
  $ xpstext -q --jsonl -o out3 --files0-from=- <list >report
  xpstext: --files0-from=-: entry 3 is an empty file name (status 202)
  [1]
  $ seconds report
  {"path":"l/with space.xps","status":0,"message":"","bytes":2,"seconds":S,"output":"out3/l/with space.xps.txt"}
  {"path":"l/new\nline.xps","status":0,"message":"","bytes":2,"seconds":S,"output":"out3/l/new\nline.xps.txt"}
  {"path":"--files0-from=-","status":202,"message":"entry 3 is an empty file name","bytes":0,"seconds":S,"output":null}
  {"path":"l/tab\tand 'quote'.oxps","status":0,"message":"","bytes":2,"seconds":S,"output":"out3/l/tab\tand 'quote'.oxps.txt"}
  $ cat out3/l/*
  1
  2
  0
  $ printf '%s\0%s\0' l/$'tab\tand \'quote\'.oxps' l/$'new\nline.xps' >list && xpstext -q --files0-from list
  2
  1

An output never replaces an input nor another document's output.

  $ mkdir r r2 && make-document r/a.xps first && make-document r/a.xps.txt disguised && cp r/a.xps.txt disguised
  $ xpstext -q -o r r r/a.xps.txt
  xpstext: r/a.xps: its output r/a.xps.txt is one of the inputs; it was not overwritten (status 203)
  [1]
  $ cmp r/a.xps.txt disguised
  $ make-document r2/a.xps second && xpstext -q -o out4 r r2
  xpstext: r2/a.xps: its output out4/a.xps.txt is already the output of r/a.xps (status 203)
  [1]
  $ tree out4
  out4/a.xps.txt: first

Usage errors exit 2 and read nothing: standard output stays empty.

  $ touch file
  $ xpstext -j 0 "$SAMPLE" >>stdout
  xpstext: --jobs: '0' is not a number from 1 to 4096
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --no-such-option "$SAMPLE" >>stdout
  xpstext: unrecognized option '--no-such-option'
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --jsonl "$SAMPLE" >>stdout
  xpstext: --jsonl needs -o DIR: the JSON lines take standard output, so the texts go to files
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --files0-from=- "$SAMPLE" >>stdout
  xpstext: file operands cannot be combined with --files0-from
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext -o file "$SAMPLE" >>stdout
  xpstext: -o file: Not a directory
  [2]
  $ xpstext --files0-from none >>stdout
  xpstext: cannot read the list none: No such file or directory
  [2]
  $ xpstext >>stdout
  xpstext: no input: name files or folders, or use --files0-from
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext -o '' "$SAMPLE" >>stdout
  xpstext: -o needs a folder name
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --max-memory 1000 "$SAMPLE" >>stdout
  xpstext: --max-memory: at least 1M
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --max-memory 2Q "$SAMPLE" >>stdout
  xpstext: --max-memory: '2Q' is not a size such as 512M or 2G
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --max-memory=16777216T "$SAMPLE" >>stdout
  xpstext: --max-memory: '16777216T' is not a size such as 512M or 2G
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext -j4097 "$SAMPLE" >>stdout
  xpstext: --jobs: '4097' is not a number from 1 to 4096
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --raw=yes "$SAMPLE" >>stdout
  xpstext: option '--raw' doesn't allow an argument
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --r "$SAMPLE" >>stdout
  xpstext: option '--r' is ambiguous
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext "$SAMPLE" -qZ >>stdout
  xpstext: invalid option -- 'Z'
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext "$SAMPLE" -j >>stdout
  xpstext: option requires an argument -- 'j'
  Try 'xpstext --help' for more information.
  [2]
  $ wc -c <stdout
  0
