"""agvsim.sweep against agvsim-sweep, and the same sweep in shards on a Dask cluster."""

import pytest

import agvsim

GRID = dict(fn="0.5:2:3", zeta=(0.5, 1.0), curve=16, error=3, error_values=(2,))
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


def test_shards_on_a_dask_cluster_merge_into_the_local_table(sweep_program, tmp_path):
    distributed = pytest.importorskip("distributed")
    local = agvsim.sweep(**GRID)
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as client:
        remote = agvsim.sweep(client=client, shards=3, **GRID)
    assert remote.csv() == local.csv()
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
    with pytest.raises(agvsim.Refused):
        agvsim.merge_shards(shards[:2])
