"""Sweeps over feedback designs and error sizes: on this machine's cores, or in shards on a
Dask cluster, with the table of agvsim-sweep as the result."""

import io
import os
import tempfile

from . import _agvsim as _core

#: The sweep table's columns, as in the header of agvsim-sweep's CSV.
SWEEP_COLUMNS = (
    "fn", "zeta", "error_size", "type", "outcome", "records", "end_time",
    "nofbc_max_dd", "nofbc_max_dth", "fbc_max_dd", "fbc_max_dth", "fbc_rms_dd",
    "fbc_final_dd", "fbc_final_dth",
)

#: The columns a sweep with the theory adds at the end.
THEORY_COLUMNS = (
    "max_pole_real", "settling_time", "theory_steady_dd", "step_stable", "beyond_linear",
)

#: Columns of whole numbers and of words; the others are real numbers.
_INTEGER_COLUMNS = ("type", "records", "step_stable", "beyond_linear")
_WORD_COLUMNS = ("outcome",)

#: Exit statuses of agvsim-sweep that the functions here turn into exceptions.
_REFUSED, _TOO_LONG = 2, 3


class SweepTable:
    """The table of a sweep: one row per grid point and vehicle type, in grid order.

    Columns are NumPy arrays named as agvsim-sweep's CSV header (``fn``, ``zeta``,
    ``error_size``, ``type``, ``outcome``, ``records``, ``end_time``, ``fbc_max_dd``, ...,
    and with the theory ``max_pole_real``, ``settling_time``, ``theory_steady_dd``,
    ``step_stable``: 1 where every pole lies within the integration step's stability
    region, 0 where not, -1 where not computed, and ``beyond_linear``: 1 where the predicted
    response reaches a limit of the model); read
    them as attributes or by name. Figures of runs that were not computed are NaN
    (empty in the CSV); ``records`` is then -1.
    """

    def __init__(self, text):
        import numpy

        self._text = bytes(text)
        lines = self._text.decode().splitlines()
        header, rows = lines[0], [line.split(",") for line in lines[1:]]
        names = tuple(header.split(","))
        if names not in (SWEEP_COLUMNS, SWEEP_COLUMNS + THEORY_COLUMNS):
            raise ValueError("not a sweep table: " + header[:80])
        columns = list(zip(*rows)) if rows else [()] * len(names)
        self._columns = {}
        for name, values in zip(names, columns):
            if name in _WORD_COLUMNS:
                array = numpy.array(values, dtype=str)
            elif name in _INTEGER_COLUMNS:
                array = numpy.array([int(v) if v else -1 for v in values], dtype=numpy.int64)
            else:
                array = numpy.array([float(v) if v else numpy.nan for v in values])
            array.setflags(write=False)
            self._columns[name] = array

    def __len__(self):
        return len(self._columns["fn"])

    def __getitem__(self, name):
        try:
            return self._columns[name]
        except KeyError:
            raise KeyError(f"no column {name!r}; the columns are {', '.join(self._columns)}") from None

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            return self[name]
        except KeyError as error:
            raise AttributeError(str(error)) from None

    def __dir__(self):
        return list(self._columns) + ["csv", "to_csv", "frame", "grid"]

    def csv(self):
        """The table as agvsim-sweep --csv writes it (bytes)."""
        return self._text

    def to_csv(self, path):
        """Writes the table, byte for byte the file of agvsim-sweep --csv."""
        with open(path, "wb") as out:
            out.write(self._text)

    def frame(self):
        """The table as a pandas DataFrame (pandas needed)."""
        try:
            import pandas
        except ImportError as error:
            raise ImportError("SweepTable.frame() needs pandas (Debian: python3-pandas)") from error
        return pandas.read_csv(io.BytesIO(self._text))

    def grid(self, column, vehicle_type):
        """One column of one vehicle type over the two swept quantities.

        Returns (x, y, values): x the values of the first swept quantity (in the order
        fn, zeta, error_size), y those of the second (a single value when only one is
        swept), and values[j, i] the column at (x[i], y[j]).
        """
        import numpy

        mine = self._columns["type"] == vehicle_type
        axes = [numpy.unique(self._columns[name][mine]) for name in ("fn", "zeta", "error_size")]
        swept = [a for a in axes if len(a) > 1] or [axes[0]]
        x, y = swept[0], swept[1] if len(swept) > 1 else numpy.array([numpy.nan])
        values = numpy.asarray(self._columns[column][mine], dtype=float)
        return x, y, values.reshape(len(x), len(y)).T

    def __repr__(self):
        return f"<SweepTable: {len(self)} rows>"


def _axis_text(name, value):
    """An axis as agvsim-sweep takes it: a number, a comma list or START:STOP:COUNT."""
    if isinstance(value, str):
        return value
    if isinstance(value, (int, float)):
        return repr(float(value))
    try:
        return ",".join(repr(float(v)) for v in value)
    except (TypeError, ValueError):
        raise TypeError(f"{name} takes a number, a sequence of numbers or 'start:stop:count'") from None


def _arguments(fn=1.0, zeta=1.0, error_size=None, error=0, error_values=(), curve=1,
               curve_params=None, theory=False):
    """agvsim-sweep's options for the grid and its base conditions."""
    args = ["--fn", _axis_text("fn", fn), "--zeta", _axis_text("zeta", zeta)]
    if theory:
        args.append("--theory")
    args += ["--error", str(int(error)), "--curve", str(int(curve))]
    if error_values not in (None, ()):
        values = (error_values,) if isinstance(error_values, (int, float)) else error_values
        args += ["--error-values", ",".join(repr(float(v)) for v in values)]
    if curve_params is not None:
        values = (curve_params,) if isinstance(curve_params, (int, float)) else curve_params
        args += ["--curve-params", ",".join(repr(float(v)) for v in values)]
    if error_size is not None:
        args += ["--error-size", _axis_text("error_size", error_size)]
    return args


def _raise_for(status, message):
    from . import PathTooLong, Refused

    if status == _TOO_LONG:
        raise PathTooLong(message, "", "path")
    if status == _REFUSED:
        raise Refused(message)
    raise RuntimeError(message)


def sweep(fn=1.0, zeta=1.0, error_size=None, jobs=None, client=None, shards=None, **base):
    """Runs the simulator over a grid of feedback designs and error sizes.

    Each of ``fn`` [Hz], ``zeta`` and ``error_size`` (percent, degrees for error 3; it
    replaces the first error value) is one value, a sequence of increasing values or the
    text ``"start:stop:count"``; at most two of them may have several values. ``base``
    takes the conditions of ``run()``: ``error``, ``error_values``, ``curve``,
    ``curve_params``; ``theory=True`` adds the linear theory's columns. Every grid point starts from the start-up defaults, as in
    agvsim-sweep, whose table this returns (the same rows and numbers).

    Locally the grid runs on ``jobs`` C++ threads (default: one per core) with the GIL
    released. With a Dask ``client`` it is split into ``shards`` shards (default: two per
    worker) that the cluster's workers compute; their tables are merged in grid order into
    the same table.

    Raises:
        Refused: conditions or an axis value the dialogue refuses, or a malformed axis.
        PathTooLong: the path is longer than the simulator records.
    """
    if client is not None:
        return sweep_on_dask(client, shards=shards, fn=fn, zeta=zeta, error_size=error_size,
                             jobs=jobs, **base)
    args = _arguments(fn=fn, zeta=zeta, error_size=error_size, **base)
    if jobs is not None:
        args += ["--jobs", str(int(jobs))]
    status, table, message = _core.sweep_table(args)
    if status != 0:
        _raise_for(status, message)
    return SweepTable(table)


def sweep_shard(shard, shards, jobs=None, **arguments):
    """The table of shard ``shard`` of ``shards`` of the sweep ``arguments`` describe (as
    for ``sweep()``), with the line that says which shard of which grid it holds: what
    ``agvsim-sweep --shard K/N --csv`` writes. This is what a Dask worker runs."""
    args = _arguments(**arguments) + ["--shard", f"{int(shard)}/{int(shards)}"]
    if jobs is not None:
        args += ["--jobs", str(int(jobs))]
    status, table, message = _core.sweep_table(args)
    if status != 0:
        _raise_for(status, message)
    return table


def merge_shards(tables):
    """Merges the shard tables of one sweep (bytes, as sweep_shard returns them, in any
    order) into the table of the whole grid, as ``agvsim-sweep --merge`` does: every shard
    must be there once, all of one grid."""
    with tempfile.TemporaryDirectory(prefix="agvsim-shards-") as folder:
        paths = []
        for i, table in enumerate(tables):
            path = os.path.join(folder, f"shard-{i}.csv")
            with open(path, "wb") as out:
                out.write(table)
            paths.append(path)
        output = os.path.join(folder, "merged.csv")
        status, message = _core.merge_tables(paths, output)
        if status != 0:
            _raise_for(status, message)
        with open(output, "rb") as merged:
            return SweepTable(merged.read())


def sweep_on_dask(client, shards=None, **arguments):
    """``sweep()`` on a Dask cluster: the grid in ``shards`` shards (default: two per
    worker), each computed by ``sweep_shard`` on a worker, merged in grid order. The result
    equals the local sweep byte for byte. ``client`` is a ``distributed.Client`` of a
    LocalCluster, of a ``dask scheduler`` with ``dask worker``s on other hosts, or of a
    Slurm cluster (dask-jobqueue); each worker needs this module on its PYTHONPATH."""
    if shards is None:
        workers = len(client.scheduler_info().get("workers", {}))
        shards = max(1, 2 * workers)
    futures = [
        client.submit(sweep_shard, k, shards, pure=False, **arguments) for k in range(shards)
    ]
    return merge_shards(client.gather(futures))
