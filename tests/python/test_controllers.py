"""The feedback laws from Python against agvsim-batch, and their theory against the runs."""

import re

import numpy
import pytest

import agvsim

# Each law with a parameter away from its default, on the errors that show it.
LAWS = [
    (dict(controller="pure-pursuit", lookahead=0.6, drift=2), ["--lookahead", "0.6"]),
    (dict(controller="stanley", stanley_gain=3, rear_wheels=(1, -1)), ["--stanley-gain", "3"]),
    (dict(controller="lqr", lqr_weights=(1e4, 50, 100, 2), wheelbase_tread=(2, 1), drift=1),
     ["--lqr-weights", "10000,50,100,2"]),
]


def _batch_errors(keywords):
    args = []
    for keyword in ("drift", "rear_wheels", "wheelbase_tread"):
        if keyword in keywords:
            values = numpy.atleast_1d(keywords[keyword])
            args += ["--" + keyword.replace("_", "-"), ",".join(repr(float(v)) for v in values)]
    return args


@pytest.mark.parametrize("keywords,params", LAWS)
def test_each_law_runs_as_agvsim_batch_runs_it(keywords, params, batch):
    args = ["--controller", keywords["controller"], *params, *_batch_errors(keywords)]
    status, csv, err = batch(*args, "--csv", "-")
    assert status == 0, err
    run = agvsim.run(**keywords)
    assert run.csv() == csv
    # The law changes what the vehicle with feedback does, not the vehicle without it.
    default = agvsim.run(**{k: v for k, v in keywords.items() if k not in (
        "controller", "lookahead", "stanley_gain", "lqr_weights")})
    assert not numpy.array_equal(run[2].fbc_dd, default[2].fbc_dd)
    numpy.testing.assert_array_equal(run[2].nofbc_dd, default[2].nofbc_dd)
    text = str(agvsim.Scenario(**keywords))
    assert f"controller={keywords['controller']}" in text
    assert agvsim.run(scenario=text).csv() == csv


def test_lqr_theory_gives_the_poles_agvsim_batch_prints(batch):
    status, out, err = batch("--controller", "lqr", "--drift", "2", "--theory")
    assert status == 0, err
    theory = agvsim.theory(controller="lqr", drift=2)
    assert theory["controller"] == "lqr" and theory["stable"]
    printed = re.findall(r"lateral poles \[1/s\]:(.*)", out.decode())
    assert len(printed) == 3
    for vehicle_type, line in zip((1, 2, 3), printed):
        poles = theory["types"][vehicle_type]["lateral_poles"]
        assert len(poles) == 3
        assert all(p.real < 0 for p in poles)
        numbers = [float(x) for x in re.findall(r"[-+]?\d+\.?\d*(?:e[-+]?\d+)?", line)]
        assert numpy.isclose(numbers[0], poles[0].real, rtol=1e-5)
    # A law's theory is not the fn/zeta design's.
    fnzeta = agvsim.theory(drift=2)["types"][2]["lateral_poles"]
    assert not numpy.allclose(numpy.sort_complex(fnzeta),
                              numpy.sort_complex(theory["types"][2]["lateral_poles"]))


def test_predicted_offsets_follow_the_runs_under_a_steering_drift():
    # 20 m of straight path (a cosine of no amplitude) with a 2 deg drift: the steered
    # mechanisms keep an offset, which the theory predicts; the curves meet.
    for controller in ("pure-pursuit", "stanley", "lqr"):
        run = agvsim.run(drift=2, curve=1, curve_params=(0, 2, 10), controller=controller)
        for vehicle_type in (2, 3):
            t = run.theory["types"][vehicle_type]
            dd = run[vehicle_type].fbc_dd
            assert t["predicted_dd"].shape == dd.shape
            assert abs(t["predicted_dd"][-1] - dd[-1]) <= 0.02 * abs(dd).max() + 1e-6
            assert t["steady_dd"] == pytest.approx(dd[-1], rel=0.02)
    # On a bending path the laws' straight-path prediction is not given.
    assert agvsim.run(drift=2, controller="stanley").theory["types"][2]["predicted_dd"] is None


@pytest.mark.parametrize("keywords,field", [
    (dict(controller="lqr", lookahead=0), "lookahead"),
    (dict(controller="stanley", stanley_gain=-1), "stanley_gain"),
    (dict(controller="lqr", lqr_weights=(1, -1, 1, 1)), "lqr_weights"),
    (dict(controller="lqr", lqr_weights=(0, 1, 1, 1)), "lqr_weights"),
])
def test_law_refusals_carry_agvsim_batch_reasons(keywords, field, batch):
    args = ["--controller", keywords["controller"]]
    for key in ("lookahead", "stanley_gain", "lqr_weights"):
        if key in keywords:
            value = numpy.atleast_1d(keywords[key])
            args += ["--" + key.replace("_", "-"), ",".join(repr(float(v)) for v in value)]
    status, _, err = batch(*args)
    assert status != 0
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.run(**keywords)
    assert refused.value.field == field
    assert refused.value.reason in err
    assert refused.value.message.endswith("設定し直し")
    with pytest.raises(agvsim.Refused):
        agvsim.theory(**keywords)


def test_law_names_and_counts_are_refused_before_the_run():
    with pytest.raises(agvsim.Refused, match="fnzeta, pure-pursuit, stanley or lqr") as bad:
        agvsim.run(controller="pid")
    assert bad.value.field == "controller"
    with pytest.raises(agvsim.Refused, match="four values") as bad:
        agvsim.theory(lqr_weights=(1, 2, 3))
    assert bad.value.field == "lqr_weights"
    with pytest.raises(TypeError):
        agvsim.run(controller=3)
    with pytest.raises(agvsim.Refused) as bad:
        agvsim.run(scenario="drift=2", controller="lqr")
    assert bad.value.field == "controller"
