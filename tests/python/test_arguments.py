"""Arguments as a Python user writes them: NumPy numbers, enums, refusals that name the
argument, hostile values that never crash the interpreter, the package's own tables and
its stubs."""

import math
import os
import pathlib
import shutil
import subprocess
import sys

import numpy
import pytest

import agvsim


def test_numpy_numbers_and_enums_give_the_plain_runs_bytes():
    plain = agvsim.run(error=3, error_values=(2,), curve=16, fn=0.5)
    assert agvsim.run(
        error=agvsim.Error.STEERING_DRIFT, error_values=numpy.array([2.0]),
        curve=agvsim.Curve.WAVY_CIRCLE, fn=numpy.float32(0.5),
    ).csv() == plain.csv()
    assert agvsim.run(error=numpy.int64(3), error_values=numpy.float64(2), curve=16.0,
                      fn=numpy.array(0.5)).csv() == plain.csv()
    grid = dict(fn=numpy.linspace(0.5, 2, 3), error=1, error_values=numpy.array([1.0, -1.0]))
    assert agvsim.sweep(**grid).csv() == agvsim.sweep(
        fn="0.5:2:3", error=1, error_values=(1, -1)).csv()


@pytest.mark.parametrize("arguments,field,reason", [
    (dict(error=3.7), "error", "not a whole number"),
    (dict(curve=16.9), "curve", "not a whole number"),
    (dict(error=4, error_values=(math.inf, 0)), "error_values", "not a finite number"),
    (dict(fn=numpy.nan), "fn", "not a finite number"),
    (dict(curve=2**40), "curve", "out of range"),
    (dict(zeta=0.0), "zeta", "no feedback gains"),
])
def test_refusals_name_the_argument_in_english_and_japanese(arguments, field, reason):
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.run(**arguments)
    assert refused.value.field == field and reason in refused.value.reason
    assert refused.value.message.endswith("設定し直し") and field in str(refused.value)


def test_sweep_refusals_name_the_python_argument():
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.sweep(fn=(1.0, 0.0))
    assert refused.value.field == "fn" and "0.0" in refused.value.reason
    assert refused.value.message.endswith("設定し直し")
    for arguments, field in [(dict(jobs=0), "jobs"), (dict(fn="1:0:x"), "fn"),
                             (dict(zeta=[]), "zeta"), (dict(shards=2), "shards")]:
        with pytest.raises(agvsim.Refused) as refused:
            agvsim.sweep(**arguments)
        assert refused.value.field == field and "--" not in str(refused.value)
    with pytest.raises(TypeError, match="sweep"):
        agvsim.sweep(fnn=1.0)
    with pytest.raises(agvsim.Refused, match="no shard"):
        agvsim.merge_shards([])


HOSTILE = [None, "x", b"x", "", "\0", math.nan, -math.inf, 1e308, -1, 0, 2**70, -(2**70),
           [], [[1.0]], numpy.zeros((2, 2)), numpy.array(["a"]), object(), 1j, True,
           {"a": 1}, numpy.float64("nan"), [1.0] * 5]

def _each(function, names):
    return [lambda v, k=k: function(**{k: v}) for k in names]


CALLS = {
    "run": _each(agvsim.run, ("error", "error_values", "curve", "curve_params", "fn", "zeta",
                              "tables", "scenario")),
    "theory": _each(agvsim.theory, ("error", "curve", "fn", "tables")),
    "sweep": _each(agvsim.sweep, ("fn", "zeta", "error_size", "jobs", "progress", "tables",
                                  "drift", "seed", "mirror", "scenario", "seeds")),
    "sweep_shard": [lambda v: agvsim.sweep_shard(v, 2), lambda v: agvsim.sweep_shard(0, v)],
    "merge_shards": [lambda v: agvsim.merge_shards(v if isinstance(v, list) else [v]),
                     agvsim.merge_shards],
    "to_csv": [lambda v: agvsim.run().to_csv(v)],
    "grid": [lambda v: agvsim.sweep(fn=(1, 2)).grid("fbc_max_dd", v),
             lambda v: agvsim.sweep(fn=(1, 2)).grid(v, 1)],
    "SweepTable": [agvsim.SweepTable],
    "Scenario": _each(agvsim.Scenario, ("error", "drift", "seed", "mirror", "controller"))
    + [agvsim.Scenario.from_text],
    "Theory": [lambda v: agvsim.theory().root_locus(v),
               lambda v: agvsim.theory().frequency_response(v)],
}


@pytest.mark.parametrize("name", sorted(CALLS))
def test_hostile_arguments_are_refused_with_an_exception_never_a_crash(name, tmp_path,
                                                                       monkeypatch):
    monkeypatch.chdir(tmp_path)
    for call in CALLS[name]:
        for value in HOSTILE:
            try:
                call(value)
            except (TypeError, ValueError, KeyError, OSError):
                pass
    # The Dask path with no shards, on a client that is never asked.
    with pytest.raises(agvsim.Refused):
        agvsim.sweep(client=object(), shards=0)


def test_the_package_reads_its_own_tables_and_a_folder_given(batch, tmp_path, monkeypatch):
    slip = dict(error=5, error_values=(5,))
    expected = agvsim.run(**slip).csv()
    # A stray or edited table in the working directory changes nothing.
    monkeypatch.chdir(tmp_path)
    (tmp_path / "normal01.data").write_text("garbage\n")
    assert agvsim.run(**slip).csv() == expected
    assert agvsim.sweep(error=5, error_size=(5,)).csv() == agvsim.sweep(**slip).csv()
    source = pathlib.Path(agvsim.__file__).parent / "tables"
    tables = tmp_path / "mine"
    shutil.copytree(source, tables)
    assert agvsim.run(tables=tables, **slip).csv() == expected
    (tables / "normal23.data").write_text("1\n0.1 0.2\n")
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.run(tables=tables, **slip)
    # The console's message says what is wrong with the file (long names are cut).
    assert refused.value.field == "tables" and "ランダム変換表" in refused.value.message
    with pytest.raises(agvsim.Refused):
        agvsim.sweep(tables=tables, **slip)


def test_the_stubs_match_the_package():
    pytest.importorskip("mypy")
    here = pathlib.Path(__file__).parent
    package = pathlib.Path(agvsim.__file__).parent
    installed = package.is_relative_to(sys.prefix)
    assert (package / "py.typed").exists() and (package / "_agvsim.pyi").exists()
    done = subprocess.run(
        [sys.executable, "-m", "mypy.stubtest", "--mypy-config-file", str(here / "stubtest.ini"),
         "--allowlist", str(here / "stubtest_allowlist.txt"), "agvsim"],
        capture_output=True, text=True, cwd=package.parent,
        # mypy finds an installed package itself and a build tree's through MYPYPATH.
        env={**os.environ, "MYPYPATH": "" if installed else str(package.parent)},
    )
    assert done.returncode == 0, done.stdout + done.stderr


def test_installed_package_is_the_one_tested():
    if not os.environ.get("AGVSIM_INSTALLED"):
        pytest.skip("run by tests/python/run_installed.sh")
    assert pathlib.Path(agvsim.__file__).is_relative_to(sys.prefix)


def test_the_module_documentation_runs(tmp_path, monkeypatch):
    import doctest

    monkeypatch.chdir(tmp_path)
    assert doctest.testmod(agvsim).failed == 0
    for word in ("WheelBase", "Tread", "wavy circle", "R = 2 m", "V = 1 m/s", "commanded",
                 "fbc_rms_dd", "diverges"):
        assert word in agvsim.__doc__
