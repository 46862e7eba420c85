"""Where the tests find what the build made: set by the build's test run
(FIXRD_LIBRARY, XPSTEXT, MAKE_DOCUMENT, SAMPLE, CORPUS), else the build tree
beside this folder."""
import os
import subprocess

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
# Programs the tests start (the Dask workers) find the same package and library.
os.environ["FIXRD_LIBRARY"] = os.path.abspath(os.environ.get("FIXRD_LIBRARY", os.path.join(BUILD, "lib")))
import fixrd  # noqa: E402  (after FIXRD_LIBRARY)
os.environ["PYTHONPATH"] = os.pathsep.join(
    [os.path.dirname(os.path.dirname(os.path.abspath(fixrd.__file__)))] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p])


def program(variable, name):
    path = os.environ.get(variable, os.path.join(BUILD, "bin", name))
    if not os.path.exists(path):
        pytest.skip(f"{path} is not built (make build)")
    return path


@pytest.fixture(scope="session")
def xpstext():
    return program("XPSTEXT", "xpstext")


@pytest.fixture(scope="session")
def sample():
    return os.environ.get("SAMPLE", os.path.join(ROOT, "samples", "sample.xps"))


@pytest.fixture(scope="session")
def corpus():
    folder = os.environ.get("CORPUS", os.path.join(ROOT, "..", "shared", "corpus", "public"))
    if not os.path.isdir(folder):
        pytest.skip(f"the public corpus is not at {folder}")
    return folder


@pytest.fixture(scope="session")
def long_document(tmp_path_factory):
    """300 pages of sixty lines of 110 characters, some 2 MB of text."""
    make_document = program("MAKE_DOCUMENT", "make-document")
    line = "z" * 110
    case = ["font F.ttf DejaVu Sans"]
    for _ in range(300):
        case.append("page")
        case += [f"  G 10 {y} {line}" for y in range(20, 740, 12)]
    path = str(tmp_path_factory.mktemp("long") / "long.xps")
    subprocess.run([make_document, path], input="\n".join(case) + "\n", text=True, check=True)
    return path
