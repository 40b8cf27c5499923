"""The example notebooks run from top to bottom (their own asserts check their results)."""

import os
import pathlib

import nbclient
import nbformat
import pytest

EXAMPLES = pathlib.Path(os.environ.get("AGVSIM_SOURCE_DIR", pathlib.Path(__file__).parents[2])) / "examples"


@pytest.mark.parametrize("path", sorted(EXAMPLES.glob("*.ipynb")), ids=lambda p: p.stem)
def test_notebook_executes(path, tmp_path):
    notebook = nbformat.read(path, as_version=4)
    client = nbclient.NotebookClient(
        notebook, kernel_name="python3", timeout=600, resources={"metadata": {"path": str(tmp_path)}}
    )
    client.execute()
