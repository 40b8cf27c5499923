"""agvsim.compare: the laws' figures against agvsim-batch's records, and what they show."""

import io

import numpy
import pytest

import agvsim

# 20 m of straight path with a 2 deg steering drift and unequal rear wheels.
STRAIGHT = dict(curve=1, curve_params=(0, 2, 10), drift=2, rear_wheels=(0.5, -0.5))


def _figures_of_csv(csv, vehicle_type):
    """The figures as docs/controllers.md defines them, from agvsim-batch's CSV."""
    table = numpy.loadtxt(io.BytesIO(csv), delimiter=",", skiprows=1)
    rows = table[table[:, 0] == vehicle_type]
    t, dd = rows[:, 2], rows[:, 2 + agvsim.COLUMNS.index("fbc_dd")]
    steady = dd[int(numpy.floor(0.8 * len(dd))):].mean()
    peak = numpy.abs(dd).max()
    outside = numpy.flatnonzero(numpy.abs(dd - steady) > 0.02 * peak)
    settling = 0.0 if not len(outside) else numpy.inf
    if len(outside) and outside[-1] < len(dd) - 1:
        i = outside[-1]
        a, b = abs(dd[i] - steady), abs(dd[i + 1] - steady)
        settling = t[i] + (t[i + 1] - t[i]) * (a - 0.02 * peak) / (a - b)
    return dict(peak_dd=peak, rms_dd=numpy.sqrt(numpy.mean(dd**2)), steady_dd=steady,
                settling_time=settling)


def test_figures_are_those_of_agvsim_batch_records(batch):
    table = agvsim.compare(lookahead=0.8, **STRAIGHT)
    assert list(table.controller) == [law for law in agvsim.CONTROLLERS for _ in (1, 2, 3)]
    assert list(table.type) == [1, 2, 3] * 4 and set(table.outcome) == {"done"}
    for law in agvsim.CONTROLLERS:
        status, csv, err = batch("--controller", law, "--lookahead", "0.8", "--curve", "1",
                                 "--curve-params", "0,2,10", "--drift", "2",
                                 "--rear-wheels", "0.5,-0.5", "--csv", "-")
        assert status == 0, err
        assert table.runs[law].csv() == csv
        for vehicle_type in (1, 2, 3):
            row = table.row(law, vehicle_type)
            for name, value in _figures_of_csv(csv, vehicle_type).items():
                assert row[name] == pytest.approx(value, rel=1e-9, abs=1e-12), (law, name)
    frame = table.frame()
    assert list(frame.columns) == list(agvsim.COMPARE_COLUMNS)
    numpy.testing.assert_array_equal(frame["settling_time"].to_numpy(), table.settling_time)
    with pytest.raises(ValueError):
        table.peak_dd[0] = 0.0


def test_agvsim_batch_summary_prints_the_same_figures(batch):
    table = agvsim.compare(("stanley",), **STRAIGHT)
    status, out, err = batch("--controller", "stanley", "--curve", "1", "--curve-params",
                             "0,2,10", "--drift", "2", "--rear-wheels", "0.5,-0.5", "--summary")
    assert status == 0, err
    rows = out.decode().split("following of the FBC")[1].splitlines()[2:5]
    for vehicle_type, row in zip((1, 2, 3), rows):
        printed = [float(v) for v in row.split()[1:]]
        figures = table.row("stanley", vehicle_type)
        assert printed == pytest.approx([figures[name] for name in agvsim.COMPARE_COLUMNS[3:]],
                                        rel=1e-8, abs=1e-15)


def test_figures_show_which_law_removes_an_offset():
    table = agvsim.compare(**STRAIGHT)
    for law in agvsim.CONTROLLERS:
        # The steady offset of the steered types is the theory's.
        predicted = agvsim.theory(controller=law, **STRAIGHT)["types"][2]["steady_dd"]
        assert table.row(law, 2)["steady_dd"] == pytest.approx(predicted, rel=0.02)
        assert table.row(law, 2)["correction_integral"] > 0
    # On type 1 the integral of the fn/zeta law and of LQR removes the wheels' turn error;
    # pure pursuit and Stanley keep an offset.
    kept = {law: abs(table.row(law, 1)["steady_dd"]) for law in agvsim.CONTROLLERS}
    assert max(kept["fnzeta"], kept["lqr"]) < 0.05 * min(kept["pure-pursuit"], kept["stanley"])
    calm = agvsim.compare(("stanley", "lqr"), curve=1, curve_params=(0, 2, 10))
    assert set(calm.correction_integral) == {0.0} and set(calm.peak_dd) == {0.0}


def test_a_diverged_law_has_no_figures_and_refusals_come_before_any_run():
    table = agvsim.compare(("fnzeta",), fn=-1.0, drift=1)
    assert "diverged" in set(table.outcome)
    assert numpy.isnan(table.peak_dd[table.outcome == "diverged"]).all()
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.compare(("fnzeta", "pid"))
    assert refused.value.field == "controllers"
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.compare(lookahead=0)
    assert refused.value.field == "lookahead"
    with pytest.raises(TypeError, match="controllers="):
        agvsim.compare(controller="lqr")
    # A scenario's own law parameters stay unless given.
    scenario = agvsim.Scenario(drift=2, lookahead=2.0)
    table = agvsim.compare(("pure-pursuit",), scenario=scenario)
    assert table.runs["pure-pursuit"].csv() == agvsim.run(
        drift=2, controller="pure-pursuit", lookahead=2.0).csv()
