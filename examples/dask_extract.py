#!/usr/bin/env python3
"""The text of many XPS and OpenXPS documents across the machines of a Dask
cluster, named and reported as `xpstext -o FOLDER --jsonl` names and reports
them.

    dask_extract.py -o texts archive/                   # a LocalCluster here
    dask_extract.py --workers 8 -o texts --files-from list.txt --jsonl >report.jsonl
    dask_extract.py --scheduler tcp://host:8786 -o /shared/texts /shared/archive

Against a scheduler (`dask scheduler` on one host, `dask worker tcp://host:8786`
on each), every worker needs the fixrd Python package and the same view of
the documents and of the output folder (a shared file system).  Each worker
reads its documents and writes their texts itself; only the report lines
come back.  Exit status: 0, 1 when a document failed, 2 when the run could
not start.
"""
import argparse
import json
import os
import stat
import sys
import tempfile
import time

# Statuses of the command's own, as xpstext numbers them.
FOLDER_UNREADABLE, NO_DOCUMENTS, NOT_A_FILE, OUTPUT_FAILED = 200, 201, 202, 203


def is_document(name):
    return name.lower().endswith((".xps", ".oxps"))


def clean_relative(path):
    parts = [part for part in path.split("/") if part not in ("", ".", "..")]
    return "/".join(parts)


def walk(folder, relative, found):
    """The documents below folder, as (relative, problem, message); links to
    folders are not followed."""
    try:
        entries = list(os.scandir(os.path.join(folder, relative) if relative else folder))
    except OSError as error:
        found.append((relative, FOLDER_UNREADABLE, f"cannot read the folder: {error.strerror}"))
        return
    for entry in entries:
        below = f"{relative}/{entry.name}" if relative else entry.name
        if entry.is_dir(follow_symlinks=False):
            walk(folder, below, found)
        elif is_document(entry.name):
            try:
                mode = os.stat(entry.path).st_mode
            except OSError:
                found.append((below, 0, ""))   # a dangling link fails when read, naming the cause
                continue
            if stat.S_ISDIR(mode):
                continue
            found.append((below, 0, "") if stat.S_ISREG(mode) else (below, NOT_A_FILE, "not a regular file or folder"))


def items_of(operands, output):
    """The documents of the operands, each {path, relative, problem, message,
    output}, in the order xpstext reads them."""
    items = []
    for operand in operands:
        try:
            mode = os.stat(operand).st_mode
        except OSError:
            items.append({"path": operand, "relative": operand, "problem": 0, "message": ""})
            continue
        if stat.S_ISDIR(mode):
            found = []
            walk(operand, "", found)
            if not found:
                items.append({"path": operand, "problem": NO_DOCUMENTS, "message": "no .xps or .oxps files in this folder"})
            for relative, problem, message in sorted(found, key=lambda f: f[0].encode("utf-8", "surrogateescape")):
                path = os.path.join(operand, relative) if relative else operand
                items.append({"path": path, "relative": relative, "problem": problem, "message": message})
        elif stat.S_ISREG(mode):
            items.append({"path": operand, "relative": operand, "problem": 0, "message": ""})
        else:
            items.append({"path": operand, "problem": NOT_A_FILE, "message": "not a regular file or folder"})
    base = output.rstrip("/") if len(output) > 1 else output
    taken = {}
    for item in items:
        if item["problem"]:
            continue
        name = (base if base != "/" else "") + "/" + (clean_relative(item["relative"]) or "unnamed") + ".txt"
        if name in taken:
            item["problem"] = OUTPUT_FAILED
            item["message"] = f"its output {name} is already the output of {taken[name]}"
        else:
            taken[name] = item["path"]
            item["output"] = name
    # Workers have folders of their own: they get absolute paths, reports the names as given.
    for item in items:
        item["read"] = os.path.abspath(item["path"])
        if "output" in item:
            item["write"] = os.path.abspath(item["output"])
    return items


def write_whole(path, data):
    """Writes path through a temporary file beside it, so that a text there
    is always whole."""
    folder = os.path.dirname(path) or "."
    os.makedirs(folder, exist_ok=True)
    fd, temporary = tempfile.mkstemp(prefix="." + os.path.basename(path)[:200] + ".", dir=folder)
    try:
        with os.fdopen(fd, "wb") as out:
            out.write(data)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o666 & ~umask)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def read_one(item):
    """Reads one document on a worker and writes its text: its report line."""
    import fixrd

    started = time.monotonic()
    line = {"path": item["path"], "status": item["problem"], "message": item["message"], "bytes": 0}
    written = False
    if not item["problem"]:
        result = fixrd.extract(item["read"], records=False)
        line["status"], line["message"] = result.status, result.message
        if result.ok:
            text = result.text.encode("utf-8", "surrogateescape")
            try:
                write_whole(item["write"], text)
                line["bytes"], written = len(text), True
            except OSError as error:
                line["status"] = OUTPUT_FAILED
                line["message"] = f"cannot write {item['output']}: {error.strerror}"
    line["seconds"] = round(time.monotonic() - started, 6)
    line["output"] = item["output"] if written else None
    return line


def report_line(line):
    """A line as xpstext writes it: compact, UTF-8, bad bytes replaced."""
    line = {key: (value.encode("utf-8", "surrogateescape").decode("utf-8", "replace") if isinstance(value, str) else value)
            for key, value in line.items()}
    return json.dumps(line, ensure_ascii=False, separators=(",", ":")) + "\n"


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="*", metavar="PATH", help="documents, or folders to search for .xps and .oxps files")
    parser.add_argument("-o", "--output", required=True, metavar="FOLDER", help="where the texts go, as xpstext -o names them")
    parser.add_argument("--files-from", metavar="LIST", help="read the paths from LIST, one a line ('-': standard input)")
    parser.add_argument("--files0-from", metavar="LIST", help="the same, separated by NUL characters")
    parser.add_argument("--jsonl", action="store_true", help="a JSON line for each document on standard output")
    parser.add_argument("-q", "--quiet", action="store_true", help="no summary on standard error")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--scheduler", metavar="ADDRESS", help="a running scheduler, such as tcp://host:8786")
    where.add_argument("--workers", type=int, default=2, metavar="N", help="workers of a LocalCluster here (default 2)")
    return parser.parse_args()


def listed(name, separator):
    with (sys.stdin.buffer if name == "-" else open(name, "rb")) as source:
        return [os.fsdecode(entry) for entry in source.read().split(separator) if entry]


def main():
    options = arguments()
    operands = list(options.paths)
    for name, separator in ((options.files_from, b"\n"), (options.files0_from, b"\0")):
        if name:
            try:
                operands += listed(name, separator)
            except OSError as error:
                sys.exit(f"dask_extract: {name}: {error.strerror}")
    if not operands:
        sys.exit("dask_extract: no documents named (give paths, --files-from or --files0-from)")
    try:
        import dask.bag
        from dask.distributed import Client, LocalCluster
    except ImportError as error:
        sys.exit(f"dask_extract: Dask is not installed ({error}); Debian: python3-dask python3-distributed")

    items = items_of(operands, options.output)
    started = time.monotonic()
    cluster = None
    try:
        if options.scheduler:
            client = Client(options.scheduler)
        else:
            cluster = LocalCluster(n_workers=options.workers, threads_per_worker=1, dashboard_address=":0",
                                   silence_logs=40)
            client = Client(cluster)
        with client:
            workers = max(1, len(client.scheduler_info()["workers"]))
            bag = dask.bag.from_sequence(items, npartitions=max(1, min(len(items), 8 * workers)))
            lines = bag.map(read_one).compute()
    except Exception as error:   # the cluster could not run, or a worker cannot import fixrd
        sys.exit(f"dask_extract: the run failed: {error}")
    finally:
        if cluster is not None:
            cluster.close()
    failed = 0
    for line in lines:
        if line["status"]:
            failed += 1
            print(f"dask_extract: {line['path']}: {line['message']} (status {line['status']})", file=sys.stderr)
        if options.jsonl:
            sys.stdout.write(report_line(line))
    if not options.quiet:
        seconds = time.monotonic() - started
        print(f"dask_extract: {len(lines)} document{'s' if len(lines) != 1 else ''}, {failed} failed, "
              f"{seconds:.2f} s ({len(lines) / seconds if seconds else 0:.1f} documents/s)", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
