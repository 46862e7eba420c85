A folder the command may not read is reported by name and cause, and the
batch goes on.  Root reads any folder, so as root the command runs as
nobody, where nobody may run it.

  $ as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }
  $ mkdir in && make-document in/good.xps fine && chmod o+x .. && chmod -R o+rX . && chmod 1777 "$TMPDIR"
  $ as_user xpstext -q in >/dev/null 2>&1 || skip "nobody cannot run xpstext here: unreadable folders not tried"
  $ mkdir in/locked && chmod 000 in/locked
  $ as_user xpstext in 2>errors
  fine
  [1]
  $ cat errors
  xpstext: in/locked: cannot read the folder: Permission denied (status 200)
  xpstext: 2 documents, 1 failed, .* (re)
