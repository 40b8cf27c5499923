"""Sweeps over feedback designs and error sizes: on this machine's cores, or in shards on a
Dask cluster, with the table of agvsim-sweep as the result."""

import inspect
import numbers
import os
import sys
import tempfile

import numpy

from . import _agvsim as _core
from ._arguments import (
    _MOST_SEED,
    NAMED_ERRORS,
    PathTooLong,
    Refused,
    conditions,
    sequence,
    tables_folder,
    whole,
    write,
    xarray_module,
)

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

#: The column a sweep over seeds adds after ``error_size``: the seed of each run, or
#: ``mean``, ``sd``, ``worst`` on the rows of the statistics over the seeds.
SEED_COLUMN = "seed"
#: The words of the seed column's statistic rows.
SEED_STATISTICS = ("mean", "sd", "worst")

#: Columns of whole numbers and of words; the others are real numbers.
_INTEGER_COLUMNS = ("type", "records", "step_stable", "beyond_linear")
_WORD_COLUMNS = ("outcome", SEED_COLUMN)
#: The figures of a run that diverged describe a vehicle that left the path: NaN here.
_DIVERGED_NAN_COLUMNS = (
    "nofbc_max_dd", "nofbc_max_dth", "fbc_max_dd", "fbc_max_dth", "fbc_rms_dd",
    "fbc_final_dd", "fbc_final_dth",
)

#: Units of the columns that have one.
_UNITS = {
    "fn": "Hz", "error_size": "% (deg for the steering drift)", "end_time": "s",
    "nofbc_max_dd": "m", "nofbc_max_dth": "rad", "fbc_max_dd": "m", "fbc_max_dth": "rad",
    "fbc_rms_dd": "m", "fbc_final_dd": "m", "fbc_final_dth": "rad", "max_pole_real": "1/s",
    "settling_time": "s", "theory_steady_dd": "m",
}



def _attributes(name):
    """The xarray attributes of a column: its unit where it has one."""
    return {"units": _UNITS[name]} if name in _UNITS else {}


#: Exit statuses of agvsim-sweep that the functions here turn into exceptions (1: the
#: random tables cannot be read).
_REFUSED, _TOO_LONG = 2, 3

#: The swept quantities: Python argument and agvsim-sweep's option.
_AXES = (("fn", "--fn"), ("zeta", "--zeta"), ("error_size", "--error-size"))
#: Most values on one axis (the grid's own limit).
_MOST_AXIS_VALUES = 1000000

#: The Python argument of each option of agvsim-sweep a refusal may name.
_ARGUMENTS_OF_FLAGS = (
    ("--error-values", "error_values"), ("--error-size", "error_size"), ("--error", "error"),
    ("--curve-params", "curve_params"), ("--curve", "curve"), ("--fn", "fn"),
    ("--zeta", "zeta"), ("--jobs", "jobs"), ("--shard", "shard"), ("--seeds", "seeds"),
    ("--seed", "seed"), ("--scenario", "scenario"), ("--mirror", "mirror"),
    ("--controller", "controller"), ("--lookahead", "lookahead"),
    ("--stanley-gain", "stanley_gain"), ("--lqr-weights", "lqr_weights"),
) + tuple(("--" + keyword.replace("_", "-"), keyword) for keyword in NAMED_ERRORS)


def _sweep_headers():
    """The header rows a sweep table may have: with or without seeds and the theory."""
    seeded = SWEEP_COLUMNS[:3] + (SEED_COLUMN,) + SWEEP_COLUMNS[3:]
    return [names + extra for names in (SWEEP_COLUMNS, seeded) for extra in ((), THEORY_COLUMNS)]


class SweepTable:
    """The table of a sweep: one row per grid point and vehicle type, in grid order.

    Columns are read-only NumPy arrays named as agvsim-sweep's CSV header (``fn``,
    ``zeta``, ``error_size``, ``type``, ``outcome``, ``records``, ``end_time``,
    ``fbc_max_dd``, ..., and with the theory ``max_pole_real``, ``settling_time``,
    ``theory_steady_dd``, ``step_stable``: 1 where every pole lies within the integration
    step's stability region, 0 where not, -1 where not computed, and ``beyond_linear``: 1
    where the predicted response reaches a limit of the model); read them as attributes or
    by name. Figures of runs that were not computed are NaN (empty in the CSV); ``records``
    is then -1. The figures of a row whose outcome is ``diverged`` (a vehicle with feedback
    that lost the path) are NaN too, so that ``numpy.nanargmin`` never picks a diverged
    design; ``records`` and ``end_time`` say where it ended, and ``csv()`` keeps the tool's
    numbers.
    """

    def __init__(self, text):
        if not isinstance(text, (bytes, bytearray, memoryview)):
            raise TypeError(f"a sweep table is the bytes of its CSV, not {type(text).__name__}")
        self._text = bytes(text)
        lines = self._text.decode().splitlines()
        if not lines:
            raise ValueError("not a sweep table: it is empty")
        header, rows = lines[0], [line.split(",") for line in lines[1:]]
        names = tuple(header.split(","))
        if names not in _sweep_headers():
            raise ValueError("not a sweep table: " + header[:80])
        columns = list(zip(*rows)) if rows else [()] * len(names)
        self._columns = {}
        for name, values in zip(names, columns):
            if name in _WORD_COLUMNS:
                array = numpy.array(values, dtype=str)
            elif name in _INTEGER_COLUMNS:
                array = numpy.array([int(v) if v else -1 for v in values], dtype=numpy.int64)
            else:
                # float() reads the tool's shortest digits back to the very same doubles.
                array = numpy.array([float(v) if v else numpy.nan for v in values])
            self._columns[name] = array
        diverged = self._columns["outcome"] == "diverged"
        for name in _DIVERGED_NAN_COLUMNS:
            self._columns[name][diverged] = numpy.nan
        for array in self._columns.values():
            array.setflags(write=False)

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
        return list(self._columns) + ["columns", "csv", "to_csv", "frame", "grid", "to_xarray"]

    @property
    def columns(self):
        """The column names, in the CSV's order."""
        return tuple(self._columns)

    def csv(self):
        """The table as agvsim-sweep --csv writes it (bytes)."""
        return self._text

    def to_csv(self, path):
        """Writes the table, byte for byte the file of agvsim-sweep --csv, as the tool
        writes it: a temporary file beside ``path`` renamed over it when complete (the old
        file stays whole on any failure); a FIFO or a device is written in place."""
        write(path, self._text)

    def frame(self):
        """The table as a pandas DataFrame built from the arrays: the same numbers to the
        last bit, NaN figures for diverged rows (pandas needed)."""
        try:
            import pandas
        except ImportError as error:
            raise ImportError("SweepTable.frame() needs pandas (Debian: python3-pandas)") from error
        return pandas.DataFrame({name: array.copy() for name, array in self._columns.items()})

    def grid(self, column, vehicle_type, seed=None):
        """One column of one vehicle type over the two swept quantities.

        Returns (x, y, values): x the values of the first swept quantity (in the order
        fn, zeta, error_size), y those of the second (a single NaN when only one is
        swept), and values[j, i] the column at (x[i], y[j]). Numeric columns are floats
        with NaN where the run diverged or was not computed; ``outcome`` gives the words,
        so ``grid("outcome", t)[2] == "diverged"`` is the divergence region. In a sweep
        over seeds ``seed`` picks the rows: a seed, or ``"mean"`` (the default), ``"sd"``,
        ``"worst"``.
        """
        if column not in self._columns:
            raise KeyError(f"no column {column!r}; the columns are {', '.join(self._columns)}")
        vehicle_type = whole("vehicle_type", vehicle_type)
        mine = self._columns["type"] == vehicle_type
        if not mine.any():
            raise KeyError(f"no rows of vehicle type {vehicle_type}; the types are 1, 2 and 3")
        mine &= self._seed_rows(seed)
        axes = [numpy.unique(self._columns[name][mine]) for name, _ in _AXES]
        swept = [a for a in axes if len(a) > 1] or [axes[0]]
        x, y = swept[0], swept[1] if len(swept) > 1 else numpy.array([numpy.nan])
        values = self._columns[column][mine]
        if column not in _WORD_COLUMNS:
            values = numpy.asarray(values, dtype=float)
        return x, y, values.reshape(len(x), len(y)).T

    def to_xarray(self):
        """The table as an ``xarray.Dataset`` (Debian: python3-xarray). Its dimensions are
        the swept quantities among ``fn``, ``zeta`` and ``error_size`` (one not swept is a
        scalar coordinate), ``type`` and, in a sweep over seeds, ``seed`` (the seeds, then
        ``mean``, ``sd``, ``worst``); every other column is a variable over them with the
        table's values: NaN figures where a run diverged or was not computed, ``outcome``
        in words, ``records`` -1 where not computed. Units are in ``attrs["units"]``."""
        xarray = xarray_module("SweepTable.to_xarray()")
        dims, coords, index = [], {}, []

        def dimension(name, values, positions):
            dims.append(name)
            coords[name] = (name, values, _attributes(name))
            index.append(positions)

        for name, _ in _AXES:
            values = numpy.unique(self._columns[name])
            if len(values) == 1:
                coords[name] = ((), values[0], _attributes(name))
            else:
                dimension(name, values, numpy.searchsorted(values, self._columns[name]))
        types = numpy.unique(self._columns["type"])
        dimension("type", types, numpy.searchsorted(types, self._columns["type"]))
        if SEED_COLUMN in self._columns:
            seeds = list(dict.fromkeys(self._columns[SEED_COLUMN].tolist()))
            where = {seed: i for i, seed in enumerate(seeds)}
            dimension(SEED_COLUMN, numpy.array(seeds),
                      numpy.array([where[seed] for seed in self._columns[SEED_COLUMN]], dtype=int))
        shape = tuple(len(coords[name][1]) for name in dims)
        variables = {}
        for name, column in self._columns.items():
            if name in coords:
                continue
            fill = "" if name in _WORD_COLUMNS else -1 if name in _INTEGER_COLUMNS else numpy.nan
            array = numpy.full(shape, fill, dtype=column.dtype)
            array[tuple(index)] = column
            variables[name] = (dims, array, _attributes(name))
        return xarray.Dataset(variables, coords=coords)

    def _seed_rows(self, seed):
        """The rows of one seed or statistic (every row of a table without seeds)."""
        if SEED_COLUMN not in self._columns:
            if seed is not None:
                raise KeyError("the table has no seed column: it is not a sweep over seeds")
            return numpy.ones(len(self), dtype=bool)
        if seed is None:
            seed = SEED_STATISTICS[0]
        elif not isinstance(seed, str):
            seed = str(whole("seed", seed))
        rows = self._columns[SEED_COLUMN] == seed
        if not rows.any():
            raise KeyError(f"no rows of seed {seed!r}; the seeds are {self._seed_names()}")
        return rows

    def _seed_names(self):
        names = list(dict.fromkeys(self._columns[SEED_COLUMN].tolist()))
        return ", ".join(names[:3] + ["..."] + names[-3:] if len(names) > 6 else names)

    def __repr__(self):
        return f"<SweepTable: {len(self)} rows>"


class _Progress:
    """Reports done/total: to a callback, to a tqdm bar (python3-tqdm) or as a plain line
    on standard error; nothing when progress is False or None. The total is the one the
    computation reports when it reports one."""

    def __init__(self, progress, total, unit):
        self._callback = None
        self._bar = None
        self._line = False
        self._total = total
        self._unit = unit
        if callable(progress):
            self._callback = progress
        elif progress is True:
            try:
                # tqdm.auto draws a widget in Jupyter, a text bar elsewhere.
                from tqdm.auto import tqdm

                self._bar = tqdm(total=total, unit=unit)
            except ImportError:
                self._line = True
        elif progress is not False and progress is not None:
            raise TypeError(f"progress takes True, False or a function(done, total), not {progress!r:.60}")
        self._done = 0
        self._reported = False

    def __call__(self, done, total=None):
        # The computation reports now and then, also when nothing more is done.
        if done == self._done and self._reported:
            return
        self._reported = True
        if total is not None and total != self._total:
            self._total = total
            if self._bar is not None:
                self._bar.total = total
        if self._callback is not None:
            self._callback(done, self._total)
        elif self._bar is not None:
            self._bar.update(done - self._done)
        elif self._line:
            sys.stderr.write(f"\ragvsim: {done}/{self._total} {self._unit}")
            sys.stderr.flush()
        self._done = done

    def close(self):
        if self._bar is not None:
            self._bar.close()
        elif self._line:
            sys.stderr.write("\n")


def _axis(field, flag, value):
    """An axis as a list of floats: a number, a sequence or array, or 'start:stop:count'."""
    if isinstance(value, str):
        values, error = _core.axis_values(flag, value)
        if error:
            raise Refused(error.replace(flag, field, 1), "", field)
        return values
    return sequence(field, value, _MOST_AXIS_VALUES)


def _seed_range(seeds):
    """The seeds A to B of ``seeds`` ("A:B", a range or a sequence of consecutive seeds) as
    (A, B); None when not given."""
    if seeds is None:
        return None
    wanted = f"seeds takes 'A:B', a range or consecutive seeds from 0 to {_MOST_SEED}, A <= B"
    if isinstance(seeds, str):
        first, colon, last = seeds.partition(":")
        try:
            values = [int(first, 10), int(last, 10)] if colon else []
        except ValueError:
            values = []
    else:
        if isinstance(seeds, (numbers.Number, bytes, dict, set)) or not hasattr(seeds, "__iter__"):
            raise TypeError(f"seeds takes 'A:B', a range or a sequence of seeds, not {seeds!r:.60}")
        values = [whole("seeds", seed) for seed in seeds]
        if any(b != a + 1 for a, b in zip(values, values[1:])):
            values = []
    if not values or not 0 <= values[0] <= values[-1] <= _MOST_SEED:
        raise Refused(f"{wanted}, not {seeds!r:.60}", "", "seeds")
    return values[0], values[-1]


class _Sweep:
    """A sweep's arguments, checked as ``run()`` checks its own: the base conditions, the
    axes, the seeds and the options of agvsim-sweep that give its table."""

    def __init__(self, fn=None, zeta=None, error_size=None, error=0, error_values=(), curve=1,
                 curve_params=None, theory=False, jobs=None, tables=None, *, rear_wheels=None,
                 front_wheel=None, drift=None, wheelbase_tread=None, slip=None, seed=None,
                 mirror=False, controller="fnzeta", lookahead=None, stanley_gain=None,
                 lqr_weights=None, scenario=None, seeds=None):
        self.base = conditions(error, error_values, curve, curve_params, seed=seed,
                               mirror=mirror, scenario=scenario, rear_wheels=rear_wheels,
                               front_wheel=front_wheel, drift=drift,
                               wheelbase_tread=wheelbase_tread, slip=slip,
                               controller=controller, lookahead=lookahead,
                               stanley_gain=stanley_gain, lqr_weights=lqr_weights)
        # A scenario's design is the grid's unless an axis is given.
        self.axes = {"fn": _axis("fn", "--fn", self.base.fn if fn is None else fn),
                     "zeta": _axis("zeta", "--zeta", self.base.zeta if zeta is None else zeta)}
        if error_size is not None:
            self.axes["error_size"] = _axis("error_size", "--error-size", error_size)
        self.seeds = _seed_range(seeds)
        if self.seeds is not None:
            if not self.base.has_slip():
                raise Refused("seeds repeat the random slip: give the slip (slip= or error=5)",
                              "", "seeds")
            if self.base.seed is not None:
                raise Refused("seeds give every run its seed: give them without seed=", "",
                              "seeds")
        self.theory = bool(theory)
        if jobs is not None:
            jobs = whole("jobs", jobs)
            if jobs < 1:
                raise Refused(f"{jobs} workers: at least 1 (None: one per core)", "", "jobs")
        self.jobs = jobs
        self.tables = tables_folder(tables)

    def options(self, shard=None):
        """agvsim-sweep's options for this sweep, or one shard (K, N) of it."""
        args = []
        for field, flag in _AXES:
            if field in self.axes:
                if not self.axes[field]:
                    raise Refused("no values", "", field)
                args += [flag, ",".join(repr(v) for v in self.axes[field])]
        if self.seeds is not None:
            args += ["--seeds", f"{self.seeds[0]}:{self.seeds[1]}"]
        if self.theory:
            args.append("--theory")
        if self.jobs is not None:
            args += ["--jobs", str(self.jobs)]
        if shard is not None:
            args += ["--shard", f"{shard[0]}/{shard[1]}"]
        return args + self.base.sweep_options()

    def table(self, shard, progress):
        """The table bytes of the sweep or of one shard of it."""
        args = self.options(shard)
        runs = 1
        for values in self.axes.values():
            runs *= len(values)
        if self.seeds is not None:
            runs *= self.seeds[1] - self.seeds[0] + 1
        reporter = _Progress(progress, runs, "runs")
        try:
            status, table, message = _core.sweep_table(args, self.tables, reporter)
        finally:
            reporter.close()
        if status != 0:
            self._refusal(status, message)
        return table

    def _refusal(self, status, message):
        """The exception of a sweep the tool refuses, naming the Python argument: the value
        to blame is found by the core's own checks, as the tool found it."""
        if status not in (_REFUSED, _TOO_LONG):
            # The one failure before the checks: the random tables.
            raise Refused(f"the random tables in {self.tables} cannot be read", message,
                          "tables")
        base = self.base
        base.computation(False, self.tables)
        reference = {"fn": base.fn, "zeta": base.zeta}
        for field in self.axes:
            if len(self.axes[field]) == 1 and field in reference:
                reference[field] = self.axes[field][0]
        for field, values in self.axes.items():
            for value in values:
                if field == "error_size":
                    point = base.sized(value).replaced(**reference)
                else:
                    point = base.replaced(**dict(reference, **{field: value}))
                try:
                    point.computation(False, self.tables)
                except Refused as refused:
                    kind = PathTooLong if isinstance(refused, PathTooLong) else Refused
                    raise kind(f"{refused.reason} (at {field} = {value!r})", refused.message,
                               refused.field if kind is PathTooLong else field) from None
        if status == _TOO_LONG:
            raise PathTooLong(message, "", "path")
        # A refusal of the options themselves: in the words of the Python arguments.
        field, first = "", len(message)
        for flag, argument in _ARGUMENTS_OF_FLAGS:
            at = message.find(flag)
            if at >= 0 and at < first:
                field, first = argument, at
        for flag, argument in _ARGUMENTS_OF_FLAGS:
            message = message.replace(flag, argument)
        raise Refused(message, "", field)


def sweep(fn=None, zeta=None, error_size=None, error=0, error_values=(), curve=1,
          curve_params=None, theory=False, jobs=None, client=None, shards=None,
          progress=False, tables=None, *, rear_wheels=None, front_wheel=None, drift=None,
          wheelbase_tread=None, slip=None, seed=None, mirror=False, controller="fnzeta",
          lookahead=None, stanley_gain=None, lqr_weights=None, scenario=None, seeds=None):
    """Runs the simulator over a grid of feedback designs and error sizes.

    Each of ``fn`` [Hz], ``zeta`` and ``error_size`` (percent, degrees for error 3; it
    replaces the first value of the one mechanism error given) is one number, a sequence
    or a 1-D NumPy array of increasing numbers, or the text ``"start:stop:count"``; at most
    two of them may have several values. ``fn`` and ``zeta`` default to those of
    ``scenario``, else 1 Hz and 1. ``error``, ``error_values``, ``curve``,
    ``curve_params``, ``tables`` and the keywords ``rear_wheels``, ``front_wheel``,
    ``drift``, ``wheelbase_tread``, ``slip``, ``seed``, ``mirror``, ``controller``,
    ``lookahead``, ``stanley_gain``, ``lqr_weights`` and ``scenario`` are the conditions of
    ``run()``, with its checks (one law per sweep); ``theory=True`` adds the linear theory's
    columns. ``seeds`` ("A:B", a range or a sequence of consecutive seeds) runs every grid
    point with the slip for each seed, followed by the mean, standard deviation and worst
    value over them (the ``seed`` column says which row is which). Every grid point starts
    from the start-up defaults, as in agvsim-sweep, whose table this returns (the same rows
    and numbers).

    Locally the grid runs on ``jobs`` C++ threads (default: one per core) with the GIL
    released. With a Dask ``client`` it is split into ``shards`` shards (default: two per
    worker) that the cluster's workers compute; their tables are merged in grid order into
    the same table.

    ``progress=True`` shows a progress bar (tqdm when installed, else a line on standard
    error); a function is called as ``progress(done, total)`` instead (runs: grid points
    times seeds). Ctrl-C stops the sweep within a fraction of a second (the points being
    computed are finished, every worker thread ends, Dask futures are cancelled) and raises
    KeyboardInterrupt.

    Raises:
        Refused: conditions or an axis value the dialogue refuses, or a malformed axis;
            ``field`` names the argument.
        PathTooLong: the path is longer than the simulator records.
    """
    arguments = _arguments_of(sweep, locals(), ("client", "shards", "progress"))
    if client is not None:
        return sweep_on_dask(client, shards=shards, progress=progress, **arguments)
    given = _Sweep(**arguments)
    if shards is not None:
        raise Refused("shards are for a Dask client (client=)", "", "shards")
    return SweepTable(given.table(None, progress))


def sweep_shard(shard, shards, fn=None, zeta=None, error_size=None, error=0, error_values=(),
                curve=1, curve_params=None, theory=False, jobs=None, tables=None, *,
                rear_wheels=None, front_wheel=None, drift=None, wheelbase_tread=None, slip=None,
                seed=None, mirror=False, controller="fnzeta", lookahead=None, stanley_gain=None,
                lqr_weights=None, scenario=None, seeds=None):
    """The table of shard ``shard`` of ``shards`` of the sweep the other arguments describe
    (as for ``sweep()``), with the line that says which shard of which grid it holds: what
    ``agvsim-sweep --shard K/N --csv`` writes. This is what a Dask worker runs."""
    shards = whole("shards", shards)
    if shards < 1:
        raise Refused(f"{shards} shards: at least 1", "", "shards")
    shard = whole("shard", shard)
    if not 0 <= shard < shards:
        raise Refused(f"shard {shard} of {shards}: 0 to {shards - 1}", "", "shard")
    given = _Sweep(**_arguments_of(sweep_shard, locals(), ("shard", "shards")))
    return given.table((shard, shards), False)


def _arguments_of(function, values, apart):
    """The sweep's own arguments among a function's local values."""
    names = [name for name in inspect.signature(function).parameters if name not in apart]
    return {name: values[name] for name in names}


def merge_shards(tables):
    """Merges the shard tables of one sweep (bytes, as sweep_shard returns them, in any
    order) into the table of the whole grid, as ``agvsim-sweep --merge`` does: every shard
    must be there once, all of one grid. A refusal names the shard as ``tables[i]``."""
    if isinstance(tables, (str, bytes, bytearray)) or not hasattr(tables, "__iter__"):
        raise TypeError("merge_shards takes a sequence of shard tables (bytes)")
    tables = list(tables)
    if not tables:
        raise Refused("no shard tables to merge", "", "tables")
    for i, table in enumerate(tables):
        if not isinstance(table, (bytes, bytearray, memoryview)):
            raise TypeError(f"tables[{i}] is {type(table).__name__}, not the bytes of a shard")
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
            # The temporary files are gone when the exception is seen: name the inputs.
            for i in reversed(range(len(paths))):
                message = message.replace(paths[i], f"tables[{i}]")
            message = message.replace(folder + os.sep, "")
            if status == _REFUSED:
                raise Refused(message, "", "tables")
            raise RuntimeError(message)
        with open(output, "rb") as merged:
            return SweepTable(merged.read())


def sweep_on_dask(client, shards=None, progress=False, **arguments):
    """``sweep()`` on a Dask cluster: the grid in ``shards`` shards (default: two per
    worker), each computed by ``sweep_shard`` on a worker, merged in grid order. The result
    equals the local sweep byte for byte. ``client`` is a ``distributed.Client`` of a
    LocalCluster, of a ``dask scheduler`` with ``dask worker``s on other hosts, or of a
    Slurm cluster (dask-jobqueue); each worker needs this module installed. ``arguments``
    are those of ``sweep()``. ``progress`` counts the shards as they complete; Ctrl-C
    cancels the futures."""
    if shards is not None:
        shards = whole("shards", shards)
        if shards < 1:
            raise Refused(f"{shards} shards: at least 1", "", "shards")
    known = set(inspect.signature(sweep_shard).parameters) - {"shard", "shards"}
    unknown = set(arguments) - known
    if unknown:
        raise TypeError(f"sweep_on_dask() got unexpected keyword arguments {sorted(unknown)}")
    # The arguments are checked here, before anything is sent; a Scenario goes as its text.
    _Sweep(**arguments).options()
    if arguments.get("scenario") is not None and not isinstance(arguments["scenario"], str):
        arguments = dict(arguments, scenario=str(arguments["scenario"]))
    import distributed

    if shards is None:
        workers = len(client.scheduler_info().get("workers", {}))
        shards = max(1, 2 * workers)
    reporter = _Progress(progress, shards, "shards")
    futures = [
        client.submit(sweep_shard, k, shards, pure=False, **arguments) for k in range(shards)
    ]
    try:
        results = {}
        order = {future.key: k for k, future in enumerate(futures)}
        for future in distributed.as_completed(futures):
            results[order[future.key]] = future.result()
            reporter(len(results))
    except BaseException:
        client.cancel(futures)
        raise
    finally:
        reporter.close()
    return merge_shards([results[k] for k in range(shards)])
