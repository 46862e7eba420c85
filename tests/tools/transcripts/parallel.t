The README's multi-host pipeline, run on this machine alone: find, GNU
parallel taking two runs at once, several xpstext runs, one report.

  $ command -v parallel >/dev/null || skip "GNU parallel is not installed (scripts/install-deps installs it)"
  $ mkdir -p archive/sub && for name in a.xps 'b c.OXPS' $'new\nline.xps' sub/d.xps sub/e.oxps; do
  >   make-document "archive/$name" "text of ${name:0:1}"
  > done
  $ printf 'not a package' >archive/sub/broken.xps && echo 'not taken' >archive/sub/notes.txt
  $ find "$PWD/archive" -type f \( -iname '*.xps' -o -iname '*.oxps' \) -print0 |
  >   parallel --will-cite -0 -X --sshlogin 2/: xpstext -q --jsonl -o "$PWD/texts" >report.jsonl 2>errors
  [1]
  $ sed "s|$PWD|.|" errors
  xpstext: ./archive/sub/broken.xps: not an XPS package: not a readable zip file, or fewer than two entries (status 12)

One run met the broken document.  Every text is there, and the report has
one line for each document.

  $ (cd texts"$PWD" && find . -type f -print0 | LC_ALL=C sort -z | while IFS= read -r -d '' f; do echo "$f: $(cat "$f")"; done)
  ./archive/a.xps.txt: text of a
  ./archive/b c.OXPS.txt: text of b
  ./archive/new
  line.xps.txt: text of n
  ./archive/sub/d.xps.txt: text of s
  ./archive/sub/e.oxps.txt: text of s
  $ sed -E -e 's/"seconds":[0-9.e-]+,//' -e "s|$PWD|.|g" report.jsonl | LC_ALL=C sort
  {"path":"./archive/a.xps","status":0,"message":"","bytes":10,"output":"./texts./archive/a.xps.txt"}
  {"path":"./archive/b c.OXPS","status":0,"message":"","bytes":10,"output":"./texts./archive/b c.OXPS.txt"}
  {"path":"./archive/new\nline.xps","status":0,"message":"","bytes":10,"output":"./texts./archive/new\nline.xps.txt"}
  {"path":"./archive/sub/broken.xps","status":12,"message":"not an XPS package: not a readable zip file, or fewer than two entries","bytes":0,"output":null}
  {"path":"./archive/sub/d.xps","status":0,"message":"","bytes":10,"output":"./texts./archive/sub/d.xps.txt"}
  {"path":"./archive/sub/e.oxps","status":0,"message":"","bytes":10,"output":"./texts./archive/sub/e.oxps.txt"}
