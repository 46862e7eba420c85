Batches that survive a document that crashes or hangs the reader, and
batches cut short that are run again.  The faults come from a library the
tests preload (never installed): a package whose path holds "crash-here"
crashes the reader as it is opened, one whose path holds "hang-here" never
opens.  The injected ones are copies of the sample among the corpus.

  $ [ -d "$CORPUS" ] || skip "the public corpus is not at $CORPUS"
  $ export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
  $ mkdir in scratch && cp "$CORPUS"/*.xps "$CORPUS"/*.oxps in/ && export TMPDIR=$PWD/scratch
  $ xpstext -q --jsonl -o plain in >plain.jsonl 2>/dev/null; echo $?
  1
  $ cp "$SAMPLE" in/crash-here.xps && cp "$SAMPLE" in/hang-here.xps
  $ seconds() { sed -E 's/"seconds":[0-9.e-]+,//' "$@"; }

Without --isolate the crash takes the whole batch with it.  Its hosts'
temporary files were memory files, and the scratch folder is made only when
one must go to disk, so nothing is left there.

  $ { LD_PRELOAD=$INJECT_FAULTS xpstext -q -o lost in >/dev/null 2>&1; echo $?; } 2>/dev/null
  139
  $ ls -A scratch; rm -rf scratch/*

With it, the crashing document fails with 204 and the hanging one with 205
after the time limit (10 s, and 60 s in sanitizer builds: the largest
document of the corpus must not reach it on a slow machine); every other
text is as without them, the report is the same but for their two lines,
and nothing is left behind.

  $ limit=10 && [ -z "$INSTRUMENTED" ] || limit=60
  $ LD_PRELOAD=$INJECT_FAULTS xpstext --isolate -j 2 --timeout $limit --jsonl -o isolated in >isolated.jsonl 2>errors
  [1]
  $ grep -e crash-here -e hang-here errors
  xpstext: in/crash-here.xps: the reader crashed (SIGSEGV) (status 204)
  xpstext: in/hang-here.xps: took longer than the time limit (status 205)
  $ tail -1 errors
  xpstext: 62 documents, 16 failed, .* (re)
  $ diff -r plain isolated && echo same texts
  same texts
  $ seconds isolated.jsonl | grep -v -e crash-here -e hang-here | sed s/isolated/plain/ | cmp - <(seconds plain.jsonl) && echo same report
  same report
  $ seconds isolated.jsonl | grep -e crash-here -e hang-here
  {"path":"in/crash-here.xps","status":204,"message":"the reader crashed (SIGSEGV)","bytes":0,"output":null}
  {"path":"in/hang-here.xps","status":205,"message":"took longer than the time limit","bytes":0,"output":null}
  $ ls -A scratch; find isolated -name '.*'

--resume skips what is already there and newer than its document: after
the two faulty documents are mended, only they and a document changed
since are read again.

  $ rm in/crash-here.xps in/hang-here.xps && sleep 0.01 && touch in/tika-test-text.xps
  $ xpstext --isolate --resume --jsonl -o isolated in >resumed.jsonl 2>errors
  [1]
  $ grep -v '"skipped":true' resumed.jsonl | grep '"status":0,' | seconds
  {"path":"in/tika-test-text.xps","status":0,"message":"","bytes":68,"output":"isolated/tika-test-text.xps.txt"}
  $ grep -c '"skipped":true' resumed.jsonl; tail -1 errors
  45
  xpstext: 60 documents, 14 failed, 45 skipped, .* (re)

--max-memory is the host's budget for one document, with or without
--isolate; the options that need another say so.

  $ xpstext --max-memory 1M in/wireshark-113pages-mxdw.xps
  xpstext: in/wireshark-113pages-mxdw.xps: out of memory, or over the memory limit for one document (status 2)
  [1]
  $ xpstext --timeout 5 in
  xpstext: --timeout needs --isolate: only a worker process can be stopped in the middle of a document
  Try 'xpstext --help' for more information.
  [2]
  $ xpstext --resume in
  xpstext: --resume needs -o DIR: it skips documents whose text is already there
  Try 'xpstext --help' for more information.
  [2]
