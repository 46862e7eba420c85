xpstext stopped by a signal in the middle of a document, or while it waits
on a reader that does not read: the host's temporary files go, and the
command dies of the signal, so that a shell sees 130 or 143 and a script
stops.  A batch killed or terminated leaves only whole texts behind.

`long` writes a document of PAGES pages, sixty lines of 110 characters
each in an embedded font: some 6.7 kB of text a page.  The runs share a
scratch folder; `$hostfiles` holds while the host keeps a temporary file
(a memory file, which no signal can leave behind).

  $ long() {
  >   local z=$(printf 'z%.0s' $(seq 110))
  >   { echo 'font F.ttf DejaVu Sans'
  >     for page in $(seq "$2"); do echo page; for y in $(seq 20 12 728); do echo "  G 10 $y $z"; done; done
  >   } | make-document "$1"
  > }
  $ hostfiles='ls -l /proc/$SIGNAL_WHEN_PID/fd 2>/dev/null | grep -q memfd:fixrd-io'
  $ long long.xps 1500 && mkdir scratch && export TMPDIR=$PWD/scratch

Stopped while it reads: by SIGINT, as Ctrl-C does, and by SIGTERM.

  $ signal-when INT "$hostfiles" xpstext long.xps >/dev/null; ls -A scratch
  died of SIGINT
  $ signal-when TERM "$hostfiles" xpstext long.xps >/dev/null; ls -A scratch
  died of SIGTERM

Blocked on a full pipe: the text is far larger than a pipe holds.

  $ signal-when TERM full-pipe xpstext long.xps; ls -A scratch
  died of SIGTERM

A batch of four documents of a few megabytes of text each, two at a time
to a folder, stopped once the first output shows.  Every `.txt` there is
whole; after SIGKILL, which nothing can catch, temporaries under their
marked names may stay, and nothing else.

  $ mkdir in && for d in 1 2 3 4; do long in/d$d.xps 500; done
  $ xpstext in/d1.xps >whole && test "$(wc -c <whole)" -gt 3000000 && echo big
  big
  $ left() {
  >   find out -type f | while read -r f; do
  >     case $f in
  >       *.txt) cmp -s "$f" whole || echo "$f: not whole";;
  >       *) [[ $1 = KILL && $f =~ ^out/\.d[1-4]\.xps\.txt\.xpstext-tmp\.[A-Za-z0-9]{6}$ ]] || echo "left behind: $f";;
  >     esac
  >   done
  > }
  $ signal-when KILL 'test -n "$(ls -A out 2>/dev/null)"' xpstext -q -j 2 -o out in; left KILL
  died of SIGKILL
  $ rm -rf out scratch/*
  $ signal-when TERM 'test -n "$(ls -A out 2>/dev/null)"' xpstext -q -j 2 -o out in; left TERM; ls -A scratch
  died of SIGTERM
