"""Executes the example notebooks and renders them with their outputs into docs/notebooks/
(one Markdown page per notebook and its figures as PNG), so that a reader sees the results
without Jupyter. Run with the agvsim package importable, from the repository:

    PYTHONPATH=build/python /usr/bin/python3 tools/render_notebooks.py
"""

import base64
import os
import pathlib
import sys
import tempfile

import nbclient
import nbformat

ROOT = pathlib.Path(__file__).resolve().parents[1]
EXAMPLES = ROOT / "examples"
OUTPUT = ROOT / "docs" / "notebooks"


def fenced(text, language=""):
    """A Markdown code block holding text, fenced longer than any run of backticks in it."""
    fence = "```"
    while fence in text:
        fence += "`"
    return f"{fence}{language}\n{text.rstrip()}\n{fence}\n"


def render(path, folder):
    """The Markdown page of the executed notebook at path; its figures go into folder."""
    notebook = nbformat.read(path, as_version=4)
    with tempfile.TemporaryDirectory() as work:
        nbclient.NotebookClient(notebook, kernel_name="python3", timeout=600,
                                resources={"metadata": {"path": work}}).execute()
    page = [f"<!-- Rendered from examples/{path.name} by tools/render_notebooks.py. -->\n"]
    figure = 0
    for cell in notebook.cells:
        if cell.cell_type == "markdown":
            page.append(cell.source.rstrip() + "\n")
            continue
        if cell.cell_type != "code":
            continue
        page.append(fenced(cell.source, "python"))
        for output in cell.get("outputs", []):
            if output.output_type == "stream":
                page.append(fenced(output.text))
            elif output.output_type in ("execute_result", "display_data"):
                data = output.get("data", {})
                if "image/png" in data:
                    figure += 1
                    name = f"{path.stem}-{figure}.png"
                    (folder / name).write_bytes(base64.b64decode(data["image/png"]))
                    page.append(f"![figure {figure}]({name})\n")
                elif "text/plain" in data:
                    page.append(fenced(data["text/plain"]))
            elif output.output_type == "error":
                raise RuntimeError(f"{path.name}: {output.ename}: {output.evalue}")
    return "\n".join(page)


def main():
    # The kernel runs in a temporary folder and must draw inline to give figures.
    os.environ.pop("MPLBACKEND", None)
    paths = os.environ.get("PYTHONPATH", "").split(os.pathsep)
    os.environ["PYTHONPATH"] = os.pathsep.join(os.path.abspath(p) for p in paths if p)
    OUTPUT.mkdir(parents=True, exist_ok=True)
    for old in OUTPUT.glob("*.png"):
        old.unlink()
    for path in sorted(EXAMPLES.glob("*.ipynb")):
        (OUTPUT / f"{path.stem}.md").write_text(render(path, OUTPUT), encoding="utf-8")
        print(f"docs/notebooks/{path.stem}.md", file=sys.stderr)


if __name__ == "__main__":
    main()
