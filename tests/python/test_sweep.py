"""agvsim.sweep against agvsim-sweep, and the same sweep in shards on a Dask cluster."""

import signal
import subprocess
import sys
import textwrap

import numpy
import pytest

import agvsim

# Type 2 diverges at fn = 16 (and type 1 with little damping).
DIVERGING = dict(fn=(1.0, 16.0), zeta=(0.05, 1.0), curve=16, error=3, error_values=(2,))
# The drift by its own keyword: the same scenario as --error 3 --error-values 2.
GRID = dict(fn="0.5:2:3", zeta=(0.5, 1.0), curve=16, drift=2)
ARGS = ["--fn", "0.5:2:3", "--zeta", "0.5,1", "--curve", "16", "--error", "3",
        "--error-values", "2"]


def test_sweep_gives_the_table_of_agvsim_sweep(sweep_program):
    status, table, err = sweep_program(*ARGS, "--theory", "--csv", "-")
    assert status == 0, err
    local = agvsim.sweep(theory=True, jobs=2, **GRID)
    assert local.csv() == table
    assert len(local) == 3 * 2 * 3
    assert set(local.outcome) == {"done"}
    # The figures by grid position: type 2's peak error is smallest at the best design.
    fn, zeta, peak = local.grid("fbc_max_dd", 2)
    assert peak.shape == (len(zeta), len(fn))
    assert peak.min() == local.fbc_max_dd[local.type == 2].min()
    with pytest.raises(agvsim.Refused):
        agvsim.sweep(fn=(1.0, 0.0))
    # The frame holds the arrays' bits: a value found in the table is found in the frame.
    frame = local.frame()
    for name in local.columns:
        numpy.testing.assert_array_equal(frame[name].to_numpy(), local[name])
    assert all(len(frame[frame.fn == value]) == 6 for value in local.fn)


# run()'s scenario keywords, against the tool's flags.
SCENARIO_SWEEPS = [
    (dict(rear_wheels=(1, -0.5), drift=1, slip=3, seed=9, mirror=True, curve=15,
          curve_params=(1.5, 1), fn="0.5:2:3"),
     ["--rear-wheels", "1,-0.5", "--drift", "1", "--slip", "3", "--seed", "9", "--mirror",
      "--curve", "15", "--curve-params", "1.5,1", "--fn", "0.5:2:3"]),
    (dict(slip=5, seeds="1:3", fn=(1, 2), theory=True),
     ["--slip", "5", "--seeds", "1:3", "--fn", "1,2", "--theory"]),
    (dict(scenario="drift=2 curve=16 zeta=0.7", error_size=(1, 3)),
     ["--scenario", "drift=2 curve=16 zeta=0.7", "--error-size", "1,3"]),
    (dict(controller="stanley", stanley_gain=3, drift=1, zeta=(0.5, 1), theory=True),
     ["--controller", "stanley", "--stanley-gain", "3", "--drift", "1", "--zeta", "0.5,1",
      "--theory"]),
]


@pytest.mark.parametrize("keywords,flags", SCENARIO_SWEEPS)
def test_sweeps_take_the_scenario_keywords_of_run(keywords, flags, sweep_program):
    status, csv, err = sweep_program(*flags, "--csv", "-")
    assert status == 0, err
    table = agvsim.sweep(**keywords)
    assert table.csv() == csv
    if "seeds" in keywords:
        # The same seeds as a range; each seed's rows, then the statistics over them.
        assert agvsim.sweep(**dict(keywords, seeds=range(1, 4))).csv() == csv
        assert list(dict.fromkeys(table.seed)) == ["1", "2", "3", "mean", "sd", "worst"]
        fn, _, mean = table.grid("fbc_max_dd", 2)
        _, _, first = table.grid("fbc_max_dd", 2, seed=1)
        assert mean.shape == first.shape == (1, len(fn)) and not (mean == first).all()
    if "scenario" in keywords:
        scenario = agvsim.Scenario.from_text(keywords["scenario"])
        assert agvsim.sweep(**dict(keywords, scenario=scenario)).csv() == csv
        assert set(table.zeta) == {0.7}


@pytest.mark.parametrize("keywords,field", [
    (dict(seeds="1:3"), "seeds"),
    (dict(slip=1, seed=2, seeds=[4, 5]), "seeds"),
    (dict(slip=1, seeds=[1, 3]), "seeds"),
    (dict(drift=float("nan")), "drift"),
    (dict(scenario="drift=1", curve=2), "curve"),
    (dict(drift=1, slip=1, error_size=(1, 2)), "error_size"),
    (dict(controller="lqr", lqr_weights=(1, 1, 1, 0)), "lqr_weights"),
])
def test_sweep_refusals_of_the_scenario_keywords_name_them(keywords, field):
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.sweep(**keywords)
    assert refused.value.field == field and "--" not in str(refused.value)


def test_diverged_rows_carry_nan_and_the_grid_marks_them(sweep_program):
    table = agvsim.sweep(**DIVERGING)
    status, csv, _ = sweep_program("--fn", "1,16", "--zeta", "0.05,1", "--curve", "16",
                                   "--error", "3", "--error-values", "2", "--csv", "-")
    assert table.csv() == csv and b"diverged" in csv
    diverged = table.outcome == "diverged"
    assert diverged.any() and numpy.isnan(table.fbc_max_dd[diverged]).all()
    assert not numpy.isnan(table.fbc_max_dd[~diverged]).any()
    assert table.outcome[numpy.nanargmin(table.fbc_max_dd)] == "done"
    fn, zeta, outcome = table.grid("outcome", 2)
    _, _, peak = table.grid("fbc_max_dd", 2)
    assert (numpy.isnan(peak) == (outcome == "diverged")).all()
    assert list(outcome[:, list(fn).index(16.0)]) == ["diverged", "diverged"]
    # Shards of such a grid merge into the same table.
    merged = agvsim.merge_shards([agvsim.sweep_shard(k, 3, **DIVERGING) for k in range(3)])
    assert merged.csv() == table.csv()


def test_xarray_datasets_hold_the_tables_numbers_and_masks(monkeypatch):
    pytest.importorskip("xarray")
    table = agvsim.sweep(**DIVERGING)
    data = table.to_xarray()
    assert dict(data.sizes) == {"fn": 2, "zeta": 2, "type": 3}
    for row in range(len(table)):
        cell = data.sel(fn=table.fn[row], zeta=table.zeta[row], type=table.type[row])
        assert cell.outcome == table.outcome[row] and cell.records == table.records[row]
        numpy.testing.assert_array_equal(cell.fbc_max_dd, table.fbc_max_dd[row])
    run = agvsim.run(drift=2, curve=16)
    samples = run.to_xarray()[2]
    numpy.testing.assert_array_equal(samples.time, run[2].t)
    numpy.testing.assert_array_equal(samples.fbc_dd, run[2].fbc_dd)
    monkeypatch.setitem(sys.modules, "xarray", None)
    with pytest.raises(ImportError, match="python3-xarray"):
        table.to_xarray()


def test_progress_is_reported_and_ctrl_c_stops_the_sweep_with_no_thread_left(tmp_path):
    seen = []
    agvsim.sweep(fn="0.5:2:4", progress=lambda done, total: seen.append((done, total)))
    assert seen[-1] == (4, 4) and all(total == 4 for _, total in seen)
    assert len(set(seen)) == len(seen)  # each count once
    # Hours of grid: only Ctrl-C ends it before the test's time-out.
    script = tmp_path / "long_sweep.py"
    script.write_text(textwrap.dedent("""
        import os, sys, threading
        import agvsim

        def started(done, total):
            print("started", flush=True)

        try:
            agvsim.sweep(fn="0.1:20:200", zeta="0.1:2:200", curve=15,
                         curve_params=(9, 0.9), progress=started)
        except KeyboardInterrupt:
            print("interrupted", len(os.listdir("/proc/self/task")), threading.active_count())
    """))
    child = subprocess.Popen([sys.executable, str(script)], stdout=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "started\n"
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=60)
    assert out.split()[-3:] == ["interrupted", "1", "1"]


def _scheduled_tasks(dask_scheduler):
    return len(dask_scheduler.tasks)


def test_shards_on_a_dask_cluster_merge_into_the_local_table(sweep_program, tmp_path):
    distributed = pytest.importorskip("distributed")
    local = agvsim.sweep(**GRID)
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as client:
        shards_done = []
        remote = agvsim.sweep(client=client, shards=3, progress=lambda d, t: shards_done.append(d),
                              **GRID)

        def interrupt(done, total):
            raise KeyboardInterrupt

        with pytest.raises(KeyboardInterrupt):
            agvsim.sweep(client=client, shards=40, progress=interrupt, fn="0.1:20:400")
        # The shards still pending were cancelled: the scheduler holds no task.
        assert client.run_on_scheduler(_scheduled_tasks) == 0
    assert remote.csv() == local.csv() and shards_done == [1, 2, 3]
    # Shards written by agvsim-sweep merge with those of the module; one missing is refused.
    shards = [agvsim.sweep_shard(k, 3, **GRID) for k in range(3)]
    paths = []
    for k, shard in enumerate(shards):
        path = tmp_path / f"shard-{k}.csv"
        status, _, err = sweep_program(*ARGS, "--shard", f"{k}/3", "--csv", str(path))
        assert status == 0, err
        assert path.read_bytes() == shard
        paths.append(str(path))
    status, merged, err = sweep_program("--merge", *paths)
    assert merged == local.csv()
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.merge_shards(shards[:2])
    # The refusal names the tables given, not the temporary files they were written to.
    assert refused.value.field == "tables" and "agvsim-shards-" not in str(refused.value)


def test_a_scheduler_with_two_worker_processes_gives_the_local_table(tmp_path):
    distributed = pytest.importorskip("distributed")
    # As on a real cluster: a scheduler and two workers started on their own, here on this
    # host's loopback address.
    address = tmp_path / "scheduler.json"
    common = ["--host", "127.0.0.1", "--no-dashboard"]
    processes = [subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_scheduler",
                                   "--port", "0", "--scheduler-file", str(address), *common],
                                  stderr=subprocess.DEVNULL)]
    try:
        processes += [subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_worker",
                                        "--scheduler-file", str(address), "--nthreads", "1",
                                        *common], stderr=subprocess.DEVNULL) for _ in range(2)]
        with distributed.Client(scheduler_file=str(address), timeout=60) as client:
            client.wait_for_workers(2, timeout=120)
            remote = agvsim.sweep(client=client, **GRID)
        assert remote.csv() == agvsim.sweep(**GRID).csv()
    finally:
        for process in processes:
            process.terminate()
        for process in processes:
            process.wait(timeout=60)
