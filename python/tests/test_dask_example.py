"""examples/dask_extract.py on a two-worker LocalCluster it starts, and
against the address of a running scheduler, against xpstext -o: the same
texts byte for byte, the same report but for the times."""
import os
import re
import subprocess
import sys

import pytest

pytest.importorskip("dask.bag")
pytest.importorskip("distributed")

EXAMPLE = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                       "examples", "dask_extract.py")


def tree(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = f.read()
    return found


def run(command, where):
    os.makedirs(where, exist_ok=True)
    done = subprocess.run(command, cwd=where, capture_output=True)
    report = re.sub(rb'"seconds":[0-9.e-]+,', b"", done.stdout)
    # The programs' own lines only: a loaded machine can draw a warning from
    # dask's workers onto the same stream.
    errors = [line.split(b": ", 1)[1] for line in done.stderr.splitlines()
              if line.startswith((b"dask_extract: ", b"xpstext: ")) and b" documents, " not in line]
    return done.returncode, report, errors, tree(os.path.join(where, "texts"))


@pytest.fixture(scope="module")
def scheduler():
    """The address of a running two-worker cluster, as `dask scheduler` gives one."""
    from distributed import LocalCluster
    with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=":0", silence_logs=40) as cluster:
        yield cluster.scheduler_address


def test_the_corpus_as_xpstext_names_and_reports_it(xpstext, corpus, sample, scheduler, tmp_path):
    listing = tmp_path / "list"
    listing.write_text(f"{sample}\n{tmp_path}/missing.xps\n{sample}\n")   # the second sample collides
    runs = [(["--workers", "2"], [corpus]), (["--scheduler", scheduler], [corpus]),
            (["--workers", "2"], ["--files-from", str(listing)])]
    for cluster, operands in runs:
        given = [sample, f"{tmp_path}/missing.xps", sample] if operands[0] == "--files-from" else operands
        by_dask = run([sys.executable, EXAMPLE, "--jsonl", "-o", "texts"] + cluster + operands, tmp_path / "dask")
        by_xpstext = run([xpstext, "--jsonl", "-o", "texts"] + given, tmp_path / "xpstext")
        assert by_dask[0] == by_xpstext[0] == 1
        assert by_dask[1] == by_xpstext[1]
        assert by_dask[2] == by_xpstext[2]
        assert by_dask[3] == by_xpstext[3] and by_dask[3]
        for where in ("dask", "xpstext"):
            subprocess.run(["rm", "-rf", str(tmp_path / where)], check=True)
