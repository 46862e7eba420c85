"""The Python package against the command: the same text, the failures as
exceptions, many documents in order, the reader working without the GIL."""
import os
import subprocess
import threading
import time

import pytest

import fixrd


def command_text(xpstext, path):
    run = subprocess.run([xpstext, path], capture_output=True)
    return run.returncode, run.stdout


def test_text_is_the_commands_from_a_path_or_bytes(xpstext, sample, corpus):
    paths = [sample] + sorted(os.path.join(corpus, name) for name in os.listdir(corpus)
                              if name.lower().endswith((".xps", ".oxps")))
    for path in paths:
        code, expected = command_text(xpstext, path)
        result = fixrd.extract(path)
        assert (result.status == 0) == (code == 0), path
        assert result.text.encode("utf-8", "surrogateescape") == expected, path
        with open(path, "rb") as package:
            assert fixrd.extract(package.read(), records=False) == fixrd.Extraction(
                result.status, result.message, result.text, b"", result.charset), path
    whole = fixrd.extract(sample)
    assert whole.ok and whole.path == sample and whole.records[:1] == b"\0"
    assert fixrd.extract(sample, text=False).text == ""
    assert fixrd.extract_text(sample) == whole.text


def test_failures_raise_with_the_status_and_the_cause(tmp_path):
    with pytest.raises(fixrd.ExtractionError) as missing:
        fixrd.extract_text(tmp_path / "none.xps")
    assert missing.value.status == 12
    assert missing.value.message == "cannot be opened: No such file or directory"
    assert str(missing.value) == f"{tmp_path / 'none.xps'}: cannot be opened: No such file or directory (status 12)"
    with pytest.raises(fixrd.ExtractionError) as broken:
        fixrd.extract_text(b"PK\3\4 not really")
    assert broken.value.path is None
    assert broken.value.message == fixrd.status_message(12)
    failed = fixrd.extract(bytearray(b"not a zip"))
    assert (failed.ok, failed.text, failed.records) == (False, "", b"")
    with pytest.raises(TypeError):
        fixrd.extract(42)
    with pytest.raises(ValueError):
        fixrd.extract(b"", text=False, records=False)
    assert fixrd.version() == "0.1.0"


def test_many_come_in_input_order_failures_included(sample, tmp_path):
    sources = [sample if i % 3 else str(tmp_path / f"missing-{i}.xps") for i in range(40)]
    results = list(fixrd.extract_many(sources, jobs=3))
    assert [r.path for r in results] == sources
    assert [r.status for r in results] == [0 if i % 3 else 12 for i in range(40)]
    assert {r.text for r in results if r.ok} == {fixrd.extract_text(sample)}
    with pytest.raises(ValueError):
        list(fixrd.extract_many([sample], jobs=-1))


def test_the_reader_runs_without_the_gil(long_document):
    fixrd.extract_text(long_document)   # the fonts and the companions loaded once

    def stall_and_call():
        call = {}

        def read():
            started = time.monotonic()
            fixrd.extract(long_document, records=False)
            call["seconds"] = time.monotonic() - started

        reader = threading.Thread(target=read)
        longest, last = 0.0, time.monotonic()
        reader.start()
        while reader.is_alive():   # a call that held the GIL would stall this loop for all its length
            now = time.monotonic()
            longest, last = max(longest, now - last), now
        reader.join()
        return longest, call["seconds"]

    # A call that holds the GIL stalls every try; a busy machine that stops
    # this thread for a while is unlikely to do so three times running.
    for _ in range(3):
        longest, seconds = stall_and_call()
        assert seconds > 0.05, "the document reads too fast to tell"
        if longest < seconds / 2:
            break
    assert longest < seconds / 2, f"stalled {longest:.3f} s of a {seconds:.3f} s call, three times"


def test_isolated_reading_survives_a_crash_and_a_hang(sample, tmp_path, monkeypatch):
    inject = os.environ.get("INJECT_FAULTS")
    if not inject or not os.path.exists(inject):
        pytest.skip("the fault library of the tests is not built")
    for name in ("crash-here.xps", "hang-here.xps"):
        (tmp_path / name).write_bytes(open(sample, "rb").read())
    library = fixrd.Library(isolate=True, timeout=2)
    monkeypatch.setenv("LD_PRELOAD", inject)   # the workers start with it, this process has none
    sources = [sample, str(tmp_path / "crash-here.xps"), str(tmp_path / "hang-here.xps"), sample]
    results = list(library.extract_many(sources, jobs=2))
    assert [(r.status, r.message) for r in results] == [
        (0, ""), (204, "the reader crashed (SIGSEGV)"), (205, "took longer than the time limit"), (0, "")]
    assert results[0].text == results[3].text == fixrd.extract_text(sample)
    with pytest.raises(ValueError):
        fixrd.Library(timeout=1)
