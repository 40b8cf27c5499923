"""Scenarios beyond one error: combined errors, seeds, mirrored paths and the scenario text,
against agvsim-batch."""

import pytest

import agvsim


def test_combined_errors_seed_and_mirror_give_the_bytes_of_agvsim_batch(batch):
    keywords = dict(rear_wheels=(1, -0.5), wheelbase_tread=(2, 5), slip=3, seed=9, mirror=True,
                    curve=15, curve_params=(1.5, 1))
    status, csv, err = batch("--rear-wheels", "1,-0.5", "--wheelbase-tread", "2,5", "--slip",
                             "3", "--seed", "9", "--mirror", "--curve", "15", "--curve-params",
                             "1.5,1", "--csv", "-")
    assert status == 0, err
    assert agvsim.run(**keywords).csv() == csv
    # The same through the scenario text, written as the tool writes it.
    status, text, err = batch("--rear-wheels", "1,-0.5", "--wheelbase-tread", "2,5", "--slip",
                              "3", "--seed", "9", "--mirror", "--curve", "15",
                              "--curve-params", "1.5,1", "--print-scenario")
    scenario = agvsim.Scenario(**keywords)
    assert str(scenario) == text.decode().strip()
    assert agvsim.Scenario.from_text(str(scenario)) == scenario
    assert agvsim.run(scenario=scenario).csv() == csv
    assert agvsim.run(scenario=str(scenario)).csv() == csv


def test_seeds_repeat_and_differ():
    first = agvsim.run(slip=5, seed=1).csv()
    assert agvsim.run(slip=5, seed=1).csv() == first
    assert agvsim.run(slip=5, seed=2).csv() != first


@pytest.mark.parametrize("keywords, field", [
    # A valid error, a refused constant and a refused design: the curve is refused first.
    (dict(drift=2, curve=15, curve_params=(-1, 1), fn=0), "curve_params"),
    (dict(wheelbase_tread=(-100, 0), slip=1), "wheelbase_tread"),
    (dict(error=3, error_values=(1,), drift=1), "drift"),
    (dict(seed=-1, slip=1), "seed"),
    (dict(drift=float("nan")), "drift"),
    (dict(scenario="drift=1", fn=2), "fn"),
    (dict(scenario="drift=x"), "scenario"),
])
def test_refusals_name_the_keyword(keywords, field):
    with pytest.raises(agvsim.Refused) as refused:
        agvsim.run(**keywords)
    assert refused.value.field == field
