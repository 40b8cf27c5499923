"""agvsim.umbmark against agvsim-calibrate: the same figures, the same refusals."""

import json

import numpy
import pytest

import agvsim


def test_figures_are_those_of_agvsim_calibrate(calibrate_program):
    status, out, err = calibrate_program("--rear-wheels", "-0.4,0.6", "--wheelbase-tread", "2,0",
                                         "--slip", "1", "--seed", "7", "--square", "3,0.6",
                                         "--runs", "3", "--json")
    assert status == 0, err
    lab = agvsim.umbmark(rear_wheels=(-0.4, 0.6), wheelbase_tread=(2, 0), slip=1, seed=7,
                         square_side=3, corner_radius=0.6, runs=3)
    printed = json.loads(out)
    assert {k: v for k, v in lab.items() if k not in agvsim.Calibration.RETURN_POSITIONS} \
        == printed
    for when in ("before", "after"):
        for direction in ("ccw", "cw"):
            positions = lab[f"{when}_{direction}"]
            assert positions.shape == (3, 2)
            numpy.testing.assert_array_equal(positions, printed[when][direction]["runs"])
            numpy.testing.assert_array_equal(positions.mean(axis=0),
                                             printed[when][direction]["centroid"])
    # The slip spreads the runs; the correction takes the systematic part, not the spread.
    assert lab["emax_syst_after"] < lab["emax_syst_before"] / 3
    assert lab["spread_after"] > lab["spread_before"] / 3
    assert lab.svg().startswith("<svg") and lab.svg().count('class="centroid"') == 4


@pytest.mark.parametrize("keywords,args,field", [
    (dict(runs=0), ["--runs", "0"], "runs"),
    (dict(corner_radius=0.2), ["--square", "4,0.2"], "corner_radius"),
    (dict(square_side=-1), ["--square", "-1"], "square_side"),
    (dict(wheelbase_tread=(-100, 0)), ["--wheelbase-tread", "-100,0"], "wheelbase_tread"),
    (dict(slip=2, runs=1000), ["--slip", "2", "--runs", "1000"], "runs"),
])
def test_refusals_name_the_argument_and_give_the_programs_reason(keywords, args, field,
                                                                   calibrate_program):
    status, _, err = calibrate_program(*args)
    assert status == 2
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.umbmark(**keywords)
    assert refused.value.field == field
    # The program's words, up to a hint that names its own option.
    assert refused.value.reason.split(" (")[0] in err
    assert refused.value.message.endswith("設定し直し")
