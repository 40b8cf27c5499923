"""The example notebooks run from top to bottom (their own asserts check their results)."""

import os
import pathlib
import re

import nbclient
import nbformat
import pytest

EXAMPLES = pathlib.Path(os.environ.get("AGVSIM_SOURCE_DIR", pathlib.Path(__file__).parents[2])) / "examples"


@pytest.mark.parametrize("path", sorted(EXAMPLES.glob("*.ipynb")), ids=lambda p: p.stem)
def test_notebook_executes(path, tmp_path, monkeypatch):
    # The kernel is another process, perhaps of another interpreter: it finds the package
    # under test where this one found it.
    import agvsim

    found = str(pathlib.Path(agvsim.__file__).parents[1])
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join([found, os.environ.get("PYTHONPATH", "")]))
    notebook = nbformat.read(path, as_version=4)
    client = nbclient.NotebookClient(
        notebook, kernel_name="python3", timeout=600, resources={"metadata": {"path": str(tmp_path)}}
    )
    client.execute()


@pytest.mark.parametrize("path", sorted(EXAMPLES.glob("*.ipynb")), ids=lambda p: p.stem)
def test_rendered_notebook_in_the_docs_is_of_the_current_notebook(path):
    # tools/render_notebooks.py renders them; a notebook changed since is out of date.
    page = path.parents[1] / "docs" / "notebooks" / f"{path.stem}.md"
    assert page.exists(), "run tools/render_notebooks.py"
    text = page.read_text(encoding="utf-8")
    notebook = nbformat.read(path, as_version=4)
    for cell in notebook.cells:
        assert cell.source.strip() in text, "out of date: run tools/render_notebooks.py"
    for figure in re.findall(r"!\[[^]]*\]\(([^)]+)\)", text):
        assert (page.parent / figure).exists()
