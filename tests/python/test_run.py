"""agvsim.run against agvsim-batch: the same bytes, the same numbers, the same refusals."""

import _thread
import io
import os
import signal
import threading
import time

import numpy
import pytest

import agvsim

# Every mechanism error (the slip with the random tables), curves beyond the default, and
# a path longer than 30 m.
SCENARIOS = [
    dict(error=1, error_values=(1, -1)),
    dict(error=2, error_values=(2,), curve=11, curve_params=(3, 1.5)),
    dict(error=3, error_values=(2,), curve=16, fn=0.5, zeta=0.7),
    dict(error=4, error_values=(10, -5), curve=2),
    dict(error=5, error_values=(5,)),
    dict(curve=15, curve_params=(4.7, 1.9)),
]


def batch_args(error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0):
    args = ["--error", str(error), "--curve", str(curve), "--fn", repr(fn), "--zeta", repr(zeta)]
    if error_values:
        args += ["--error-values", ",".join(repr(float(v)) for v in error_values)]
    if curve_params:
        args += ["--curve-params", ",".join(repr(float(v)) for v in curve_params)]
    return args


@pytest.mark.parametrize("scenario", SCENARIOS)
def test_run_gives_the_bytes_and_numbers_of_agvsim_batch(scenario, batch, tmp_path):
    status, csv, err = batch(*batch_args(**scenario), "--csv", "-")
    assert status == 0, err
    run = agvsim.run(**scenario)
    assert run.outcome == "done"
    run.to_csv(tmp_path / "run.csv")
    assert (tmp_path / "run.csv").read_bytes() == csv
    table = numpy.loadtxt(io.BytesIO(csv), delimiter=",", skiprows=1)
    for vehicle_type in (1, 2, 3):
        rows = table[table[:, 0] == vehicle_type]
        samples = run[vehicle_type]
        numpy.testing.assert_array_equal(samples.record, rows[:, 1])
        numpy.testing.assert_array_equal(samples.data, rows[:, 2:])
        assert samples.fbc_dd is not None and samples["theory_x"].shape == (len(rows),)
    summary = run.summary()
    assert summary[2]["records"] == len(run[2])
    assert summary[3]["fbc_max_dd"] == numpy.abs(run[3].fbc_dd).max()


# The bad values of agvsim-batch's own tests, and paths it refuses as too long.
REFUSED = [
    (dict(curve=1, curve_params=(0.5, -2, 1)), agvsim.Refused, "curve_params"),
    (dict(zeta=0.0), agvsim.Refused, "zeta"),
    (dict(error=4, error_values=(-100, 5)), agvsim.Refused, "error_values"),
    (dict(fn=1e200), agvsim.Refused, "fn/zeta"),
    (dict(curve=15, curve_params=(10, 0.95652)), agvsim.PathTooLong, "path"),
    (dict(curve=3, curve_params=(1, 1e9)), agvsim.PathTooLong, "path"),
]


@pytest.mark.parametrize("scenario,kind,field", REFUSED)
def test_refusals_carry_the_reasons_of_agvsim_batch(scenario, kind, field, batch):
    status, _, err = batch(*batch_args(**scenario))
    assert status in (2, 3)
    with pytest.raises(kind) as refused:
        agvsim.run(**scenario)
    assert refused.value.field == field
    assert isinstance(refused.value, ValueError)
    # agvsim-batch says "<option> refused: <reason>" or "agvsim-batch: <reason>; nothing written".
    assert refused.value.reason in err
    assert refused.value.message.endswith("設定し直し")


def test_a_run_out_of_records_is_an_outcome_with_the_types_before_it():
    # 59.7 m of circle: below the check's lower bound of the records, and type 2 runs out.
    run = agvsim.run(curve=15, curve_params=(10, 0.95))
    assert run.outcome == "overflow"
    assert "ran out of records" in run.reason
    assert len(run[1]) > 0 and len(run[3]) == 0


def test_catalogue_matches_what_run_accepts():
    by_number = {c.number: c for c in agvsim.curves()}
    assert sorted(by_number) == [1, 2, 3, 4, 11, 12, 13, 14, 15, 16, 21] == sorted(agvsim.Curve)
    assert [c.name for c in by_number[21].constants] == ["L", "r"]
    circle = by_number[15]
    assert [c.name for c in circle.constants] == ["R", "n"]
    # The start-up constants are the values run() keeps when none are given.
    startup = [c.startup for c in circle.constants]
    assert agvsim.run(curve=15).csv() == agvsim.run(curve=15, curve_params=startup).csv()
    assert [e.value_count for e in agvsim.errors()] == [0, 2, 1, 1, 2, 1]
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.run(error=1, error_values=(1,))
    assert refused.value.field == "error_values"


def test_theory_beside_the_run_predicts_what_the_vehicles_do():
    # A 0.5° drift on a straight path: types 2 and 3 settle where the theory says.
    conditions = dict(error=3, error_values=(0.5,), curve=1, curve_params=(0,))
    run = agvsim.run(**conditions)
    alone = agvsim.theory(**conditions)
    assert run.theory["path"] == alone["path"] == "straight"
    for vehicle_type in (2, 3):
        predicted = run.theory["types"][vehicle_type]
        numpy.testing.assert_array_equal(
            predicted["lateral_poles"], alone["types"][vehicle_type]["lateral_poles"]
        )
        assert predicted["stable"] and predicted["max_pole_real"] < 0
        simulated = run[vehicle_type].fbc_dd
        assert len(predicted["predicted_dd"]) == len(simulated)
        gap = numpy.abs(predicted["predicted_dd"] - simulated).max()
        assert gap < 0.02 * numpy.abs(simulated).max()
        assert predicted["steady_dd"] == pytest.approx(simulated[-1], rel=0.02)
    # A design the core accepts but that cannot hold the path.
    assert not agvsim.theory(fn=-1.0)["stable"]


def test_theory_names_why_a_design_fails_and_has_no_steady_slip():
    assert agvsim.theory(fn=-1.0)["types"][2]["verdict"] == "right half-plane"
    beyond = agvsim.theory(error=3, error_values=(0.5,), curve=1, curve_params=(0,), fn=4.3)
    for figures in beyond["types"].values():
        assert not figures["stable"] and figures["verdict"] == "integration step"
        assert figures["step"] == pytest.approx(0.004)
        assert figures["step_limit_fn"] == pytest.approx(4.2, abs=0.01)
    for curve, params in ((1, (0,)), (15, (2, 1))):
        slip = agvsim.theory(error=5, error_values=(5,), curve=curve, curve_params=params)
        assert slip["path"] != "varying"
        for figures in slip["types"].values():
            assert figures["stable"] and figures["step_limit_fn"] is None
            assert figures["steady_dd"] is None and figures["steady_dth"] is None
    steep = agvsim.theory(error=3, error_values=(20,), curve=1, curve_params=(0,), fn=4.0)
    assert [steep["types"][k]["beyond_linear_range"] for k in (1, 2, 3)] == [False, True, True]
    assert steep["types"][2]["peak_steer_rate"] > 3.0


def test_theory_predicts_the_periodic_offset_on_a_gentle_cosine():
    conditions = dict(error=4, error_values=(5, 5), curve=1, curve_params=(2, 20, 2))
    run = agvsim.run(**conditions)
    for vehicle_type in (1, 2, 3):
        predicted = run.theory["types"][vehicle_type]
        omega = predicted["path_omega"]
        count = round(2 * numpy.pi / omega / 0.02)  # records of the last period
        dd = run[vehicle_type].fbc_dd[-count - 1:-1]
        wave = numpy.exp(-1j * omega * 0.02 * numpy.arange(count))
        assert predicted["periodic_amplitude_dd"] == pytest.approx(
            2 * abs(numpy.mean(dd * wave)), rel=0.1
        )
    assert agvsim.theory(curve=15)["types"][2]["periodic_mean_dd"] is None


def test_root_locus_crosses_the_step_limit_where_the_verdict_says():
    theory = agvsim.theory(curve=1, curve_params=(0,))
    locus = theory.root_locus()
    assert locus["fn"][0] == pytest.approx(0.1) and locus["fn"][-1] == pytest.approx(10)
    limit = agvsim.theory(curve=1, curve_params=(0,), fn=5.0)["types"][2]["step_limit_fn"]
    fast = locus["types"][2]["along_path"][:, -1] * locus["step"]
    growth = numpy.abs(1 + fast + fast**2 / 2 + fast**3 / 6 + fast**4 / 24)
    assert numpy.all((growth > 1) == (locus["fn"] > limit))
    # The design roots of type 2: (s + ωn)³ at ζ = 1.
    at_one = theory.root_locus(fn=1.0)["types"][2]["lateral"][0]
    numpy.testing.assert_allclose(at_one, -2 * numpy.pi, rtol=1e-4)
    with pytest.raises(ValueError, match="fn"):
        theory.root_locus(fn=[1.0, float("nan")])


def test_frequency_response_has_the_zeros_of_each_type():
    # Type 1's integral term leaves no gain at ω → 0; types 2 and 3 keep Kfi·V/(Kd·V²/T).
    g = agvsim.theory(curve=1, curve_params=(0,)).frequency_response([1e-6, 1e3])
    wn = 2 * numpy.pi
    assert abs(g[1][0]) < 1e-6
    for vehicle_type in (2, 3):
        assert g[vehicle_type][0] == pytest.approx(3 / wn**2, rel=1e-5)
        # Far above the poles, V·(s + Kfi)/s³ → V/(jω)² = −1/ω².
        assert g[vehicle_type][1] == pytest.approx(-1e-6, rel=0.03)


def test_a_diverged_run_keeps_the_records_before_and_the_complete_types():
    # 10 % slip on a steep cosine: type 1's vehicle with feedback loses the path.
    run = agvsim.run(error=5, error_values=(10,), curve=1, curve_params=(1, 1, 5))
    assert run.outcome == "diverged"
    (kind, last), = run.diverged.items()
    assert f"type {kind} diverged" in run.reason and f"record {last}" in run.reason
    assert len(run[kind]) == last + 1 and numpy.isfinite(run[kind].data).all()
    complete = [s for s in run if s.vehicle_type != kind]
    summary = run.summary()
    for samples in complete:
        # The others reach the path's end as in a run where nothing diverged.
        assert samples.t[-1] == summary[samples.vehicle_type]["end_time"]
        assert samples.theory_s[-1] == pytest.approx(complete[0].theory_s[-1], rel=1e-4)
        assert samples.theory_s[-1] > run[kind].theory_s[-1] + 1


def test_frame_holds_the_arrays_bits():
    run = agvsim.run(error=3, error_values=(2,), curve=16)
    frame = run.frame()
    for samples in run:
        rows = frame[frame.type == samples.vehicle_type]
        numpy.testing.assert_array_equal(rows.drop(columns=["type", "record"]).to_numpy(),
                                         samples.data)
        assert (rows.record.to_numpy() == samples.record).all()
    assert len(frame[frame.fbc_dd == run[2].fbc_dd[100]]) >= 1


def test_to_csv_follows_the_tools_output_rules(tmp_path):
    import os
    import threading

    run = agvsim.run(curve=16)
    # An existing file named by a symbolic link: replaced whole, the link stays.
    (tmp_path / "old.csv").write_bytes(b"old")
    os.symlink("old.csv", tmp_path / "link.csv")
    run.to_csv(tmp_path / "link.csv")
    assert (tmp_path / "link.csv").is_symlink()
    assert (tmp_path / "old.csv").read_bytes() == run.csv()
    # A FIFO is written in place.
    os.mkfifo(tmp_path / "fifo")
    received = []
    reader = threading.Thread(target=lambda: received.append((tmp_path / "fifo").read_bytes()))
    reader.start()
    run.to_csv(tmp_path / "fifo")
    reader.join()
    assert received == [run.csv()]
    # A target that cannot be written is refused with the old file untouched, nothing left.
    (tmp_path / "folder").mkdir()
    with pytest.raises(OSError, match="folder"):
        run.to_csv(tmp_path / "folder")
    with pytest.raises(OSError):
        run.to_csv(tmp_path / "missing" / "run.csv")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["fifo", "folder", "link.csv", "old.csv"]


def test_ctrl_c_stops_a_long_run_and_the_next_run_is_whole():
    # A straight 59.9 m: about as many records as the store holds.
    long_path = dict(error=3, error_values=(1,), curve=1, curve_params=(0, 59.9))
    before = agvsim.run(**long_path)
    tasks = lambda: len(os.listdir("/proc/self/task"))
    threads = tasks()
    done = threading.Event()

    def interrupt_while_computing():
        # The computation's threads exist only while it computes; this one stays until the
        # end so that the counts below are of the computation's threads alone.
        while tasks() <= threads + 1:
            time.sleep(0.0005)
        _thread.interrupt_main()
        done.wait()

    seen = []

    def ctrl_c(signum, frame):
        seen.append(tasks())
        raise KeyboardInterrupt

    previous = signal.signal(signal.SIGINT, ctrl_c)
    timer = threading.Thread(target=interrupt_while_computing)
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            agvsim.run(**long_path)
        # Ctrl-C was taken while the computation ran, and it has ended since.
        assert seen[0] > threads + 1 and tasks() == threads + 1
    finally:
        signal.signal(signal.SIGINT, previous)
        done.set()
        timer.join()
    assert agvsim.run(**long_path).csv() == before.csv()
