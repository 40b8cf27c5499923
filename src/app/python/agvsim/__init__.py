"""agvsim: the AGV trajectory error simulator from Python.

A wheeled mobile robot (an automated guided vehicle) follows a known analytic path. Small
mechanism errors bend its trajectory away from the planned one; a feedback controller,
designed from a natural frequency ``fn`` and a damping ratio ``zeta``, pulls it back. Each
computation drives three vehicle types with three vehicles each: the theoretical one (red
in the tools' pictures), the erroneous one without feedback (blue, ``nofbc``) and the
erroneous one with feedback (green, ``fbc``).

    >>> import agvsim
    >>> run = agvsim.run(error=agvsim.Error.STEERING_DRIFT, error_values=(-2,),
    ...                  curve=agvsim.Curve.WAVY_CIRCLE)
    >>> run.outcome
    'done'
    >>> round(float(abs(run[2].fbc_dd).max()), 4)   # largest |lateral error|, type 2 with feedback [m]
    0.0028
    >>> round(run.summary()[2]["nofbc_max_dd"], 3)  # the same without feedback [m]
    0.891
    >>> run.to_csv("run.csv")                       # doctest: +SKIP
    >>> # the bytes of agvsim-batch --csv

The same core computes here as in the console program, agvsim-batch and agvsim-sweep:
the same checks, the same numbers to the last bit.

Vehicles
    1 ``2DW1C``: two driven rear wheels steered by their speed difference and a castor.
    2 ``1FDW1FS``: one front wheel, driven and steered. 3 ``1RDW1FS``: driven rear wheels
    and a steered front wheel. Every vehicle travels at V = 1 m/s along the path, starts
    at the path's start heading along it, and is recorded every dt = 0.02 s (the
    integration takes 5 sub-steps of 4 ms per record; at most 3000 records, 60 m).
    The vehicle's dimensions are named as in the original program, which is the reverse
    of common usage: ``WheelBase`` = 1 m is the spacing of the two rear wheels (the track
    width elsewhere) and ``Tread`` = 1 m the distance from the rear axle to the front
    wheel (elsewhere the wheelbase).

Mechanism errors (``error=``, ``agvsim.Error``; ``errors()`` lists them)
    0 none; 1 rear wheel radii, left and right [%]; 2 front wheel radius [%]; 3 steering
    angle drift [deg], a constant offset of the steering angle; 4 WheelBase and Tread
    errors [%]; 5 random drive-wheel slip [%], drawn from the random tables that come
    with the package (``tables=`` names another folder).

Curves (``curve=``, ``agvsim.Curve``; ``curves()`` lists the constants and their
start-up values, all lengths in metres)
    1 cosine y = A(1 - cos(2πx/L)) over n waves; 2 cycloid of rise A over length L;
    3 quadratic y = A(x/L)²; 4 cubic y = A(x/L)³; 11 ellipse with semi-axes A (along x)
    and B; 12 Archimedean spiral growing A per turn over n turns; 13 cardioid
    r = A(1.2 - cos β); 14 rose r = A sin(nβ); 15 circle arc of radius R over n turns;
    16 wavy circle r = R + A cos(nβ) with the fixed radius R = 2 m, amplitude A and n
    waves per turn; 21 square of side L with corners rounded to radius r, centred on the
    origin, started in the middle of its right side (docs/calibration.md; the steered
    types 2 and 3 cannot follow the curvature's steps, the benchmark drives type 1).

Columns of a run (``COLUMNS``; ``run[type].<column>`` is a NumPy array)
    ``t`` [s]; for each of ``theory``, ``nofbc``, ``fbc`` and ``ref`` (the path point the
    vehicle with feedback is measured against) the pose ``_s`` (distance along the path
    [m]), ``_theta`` (heading [rad]), ``_x``, ``_y`` [m] and ``_phi`` (steering angle
    [rad]: the commanded angle, without a steering drift, which acts on top of it);
    ``nofbc_dd``, ``fbc_dd``: the signed lateral offset [m] from the point where the
    line through the vehicle perpendicular to its heading crosses the path (searched
    onward from the previous point, never past the path's end, so that on a closed path
    the vehicle without feedback is measured against the end point once it has passed
    it); ``nofbc_dth``, ``fbc_dth``: the heading error there [rad].

Summary figures (``Run.summary()``, the sweep's columns)
    ``records`` recorded samples; ``end_time`` when the theoretical vehicle reaches the
    path's end [s]; the final poses; ``*_max_dd`` and ``*_max_dth`` the largest |dd| [m]
    and |dth| [rad] over all records; in sweeps ``fbc_rms_dd`` the root mean square of
    dd with feedback over all records, ``fbc_final_dd`` and ``fbc_final_dth`` on the last
    record. A run *diverges* when a vehicle with feedback has lost the path (or its
    correction went beyond ±1000): its records end there, the other types are complete,
    and a sweep's figures of that row are NaN.
"""

from ._agvsim import SAMPLE_COLUMNS as _SAMPLE_COLUMNS
from ._agvsim import curve_catalog as _curve_catalog
from ._agvsim import error_catalog as _error_catalog
from ._arguments import CONTROLLERS, Curve, Error, PathTooLong, Refused
from ._arguments import conditions as _conditions
from ._arguments import conditions_of_text as _conditions_of_text
from ._arguments import sequence as _sequence
from ._arguments import tables_folder as _tables_folder
from ._arguments import write as _write
from ._arguments import xarray_module as _xarray_module
from ._compare import COMPARE_COLUMNS, ComparisonTable, compare
from ._umbmark import Calibration, umbmark
from ._sweep import (
    SWEEP_COLUMNS,
    THEORY_COLUMNS,
    SweepTable,
    merge_shards,
    sweep,
    sweep_on_dask,
    sweep_shard,
)


__all__ = [
    "COLUMNS",
    "COMPARE_COLUMNS",
    "CONTROLLERS",
    "Calibration",
    "ComparisonTable",
    "Curve",
    "CurveInfo",
    "Error",
    "MechanismError",
    "PathTooLong",
    "Refused",
    "Run",
    "SWEEP_COLUMNS",
    "Samples",
    "Scenario",
    "SweepTable",
    "THEORY_COLUMNS",
    "Theory",
    "VEHICLE_TYPES",
    "compare",
    "curves",
    "errors",
    "merge_shards",
    "run",
    "sweep",
    "sweep_on_dask",
    "sweep_shard",
    "theory",
    "umbmark",
]

#: Names of the sample columns, as in the header of agvsim-batch's CSV (after type, record).
COLUMNS = (
    "t",
    "theory_s", "theory_theta", "theory_x", "theory_y", "theory_phi",
    "nofbc_s", "nofbc_theta", "nofbc_x", "nofbc_y", "nofbc_phi",
    "fbc_s", "fbc_theta", "fbc_x", "fbc_y", "fbc_phi",
    "ref_s", "ref_theta", "ref_x", "ref_y", "ref_phi",
    "nofbc_dd", "nofbc_dth", "fbc_dd", "fbc_dth",
)
assert len(COLUMNS) == _SAMPLE_COLUMNS

#: Most frequencies a root locus or a frequency response takes at once.
_MOST_FREQUENCIES = 1000000

#: The vehicle types by number.
VEHICLE_TYPES = {1: "2DW1C", 2: "1FDW1FS", 3: "1RDW1FS"}


def _column_unit(name):
    """The unit of a sample column."""
    if name == "t":
        return "s"
    return "rad" if name.endswith(("_theta", "_phi", "_dth")) else "m"


class Samples:
    """The recorded samples of one vehicle type: one NumPy array per column.

    The columns are named as in agvsim-batch's CSV (``t``, ``theory_x``, ...,
    ``fbc_dd``, ``fbc_dth``); read them as attributes (``samples.fbc_dd``) or by name
    (``samples["fbc_dd"]``). ``record`` numbers the samples from 0. Times are in seconds,
    lengths in metres, angles in radians.
    """

    def __init__(self, vehicle_type, data):
        self.vehicle_type = vehicle_type
        #: All columns as one (records × len(COLUMNS)) array, in the order of COLUMNS.
        self.data = data
        data.setflags(write=False)

    def __len__(self):
        return self.data.shape[0]

    def __getitem__(self, name):
        if name == "record":
            import numpy

            return numpy.arange(len(self), dtype=numpy.int64)
        try:
            return self.data[:, COLUMNS.index(name)]
        except ValueError:
            raise KeyError(f"no column {name!r}; the columns are {', '.join(COLUMNS)}") from None

    def __getattr__(self, name):
        if name.startswith("_") or name in ("data", "vehicle_type"):
            raise AttributeError(name)
        try:
            return self[name]
        except KeyError as error:
            raise AttributeError(str(error)) from None

    def __dir__(self):
        return list(COLUMNS) + ["record", "data", "vehicle_type"]

    def to_xarray(self):
        """The samples as an ``xarray.Dataset`` (Debian: python3-xarray) over the dimension
        ``time`` (the column ``t`` [s]) with ``record`` beside it and every other column a
        variable, its unit in ``attrs["units"]``."""
        xarray = _xarray_module("Samples.to_xarray()")
        variables = {
            name: ("time", self.data[:, j].copy(), {"units": _column_unit(name)})
            for j, name in enumerate(COLUMNS) if name != "t"
        }
        coords = {"time": ("time", self.t.copy(), {"units": "s"}), "record": ("time", self.record)}
        attrs = {"vehicle_type": self.vehicle_type, "vehicle": VEHICLE_TYPES[self.vehicle_type]}
        return xarray.Dataset(variables, coords=coords, attrs=attrs)

    def __repr__(self):
        return f"<Samples of type {self.vehicle_type} ({VEHICLE_TYPES[self.vehicle_type]}): {len(self)} records>"


class Run:
    """One computation of all three vehicle types.

    Attributes:
        outcome: ``done``; ``overflow`` when a type needed more than the 3000 records
            (its samples and those of the types after it are empty); ``diverged`` when
            the vehicle with feedback of a type left the path: that type's samples end
            with the last record before it left, the other types are complete.
        reason: why the outcome is not ``done`` (English), else "".
        diverged: the types that diverged, each with the index of its last record kept
            (``{1: 733}``); empty unless the outcome is ``diverged``.
    Index a run by vehicle type (``run[1]``, ``run[2]``, ``run[3]``) for its Samples.
    """

    def __init__(self, computation):
        self._computation = computation
        self.outcome = computation.outcome
        self.reason = computation.reason
        self.diverged = dict(computation.diverged_types)
        self._samples = {
            k: Samples(k, computation.samples(k)) for k in VEHICLE_TYPES
        }

    def __getitem__(self, vehicle_type):
        try:
            return self._samples[vehicle_type]
        except KeyError:
            raise KeyError("the vehicle type is 1, 2 or 3") from None

    def __iter__(self):
        return iter(self._samples.values())

    @property
    def types(self):
        """The Samples of types 1, 2 and 3, by type number."""
        return dict(self._samples)

    def to_csv(self, path):
        """Writes the run in agvsim-batch's CSV format, byte for byte the same file, as
        agvsim-batch writes it: into a temporary file beside ``path`` renamed over it when
        complete, so that a failure (a full disk, Ctrl-C) leaves the old file whole; a FIFO
        or a device is written in place. Raises OSError when it could not be written."""
        _write(path, self._computation.csv())

    def csv(self):
        """The CSV of to_csv as bytes."""
        return self._computation.csv()

    @property
    def theory(self):
        """The linear theory beside the simulation: what ``agvsim.theory()`` gives, with
        ``predicted_dd`` per type on the run's record times (the same length as
        ``run[type].fbc_dd``)."""
        return Theory(self._computation)

    def summary(self):
        """What ``agvsim-batch --summary`` prints, as numbers: per type a dict with
        ``records``, ``end_time``, the final poses (``final_theory_x``, ...) and the
        largest |dd| and |dth| without and with feedback (``nofbc_max_dd``, ...)."""
        return {k: figures for k, figures in zip(VEHICLE_TYPES, self._computation.summary())}

    def frame(self):
        """All samples as one pandas DataFrame with the CSV's columns (pandas needed)."""
        try:
            import pandas
        except ImportError as error:
            raise ImportError("Run.frame() needs pandas (Debian: python3-pandas)") from error
        import numpy

        data = numpy.concatenate([samples.data for samples in self])
        columns = {
            "type": numpy.concatenate(
                [numpy.full(len(s), s.vehicle_type, dtype=numpy.int64) for s in self]
            ),
            "record": numpy.concatenate([s.record for s in self]),
        }
        columns.update({name: data[:, j] for j, name in enumerate(COLUMNS)})
        return pandas.DataFrame(columns)

    def to_xarray(self):
        """Each vehicle type's samples as an ``xarray.Dataset`` over ``time`` (see
        ``Samples.to_xarray``), by type number; the types have their own record counts.
        Each dataset's ``attrs`` hold the run's ``outcome``."""
        datasets = {}
        for vehicle_type, samples in self._samples.items():
            dataset = samples.to_xarray()
            dataset.attrs["outcome"] = self.outcome
            datasets[vehicle_type] = dataset
        return datasets

    def __repr__(self):
        records = ", ".join(f"{k}: {len(s)}" for k, s in self._samples.items())
        return f"<Run {self.outcome}; records per type {records}>"


def run(error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0, tables=None, *,
        rear_wheels=None, front_wheel=None, drift=None, wheelbase_tread=None, slip=None,
        seed=None, mirror=False, controller="fnzeta", lookahead=None, stanley_gain=None,
        lqr_weights=None, scenario=None):
    """Computes the three vehicle types under one set of conditions.

    Args:
        error: mechanism error 0 to 5 (see ``errors()``): 0 none, 1 rear wheel radii,
            2 front wheel radius, 3 steering angle drift, 4 WheelBase and Tread,
            5 random drive-wheel slip.
        error_values: its size in percent, degrees for error 3: two values for errors 1
            and 4 (left, right; WBerr, TRerr), one for 2, 3 and 5; omitted: 0.
        curve: path curve 1-4, 11-16 or 21 (see ``curves()``).
        curve_params: its constants in the order of ``curves()``; constants missing at the
            end, or all when None, keep their start-up values.
        fn: natural frequency of the feedback system [Hz].
        zeta: damping ratio of the feedback system.
        tables: a folder with the five random tables (``normal01.data`` ...) to use
            instead of those that come with the package (only the slip, error 5, reads
            them).
        rear_wheels, front_wheel, drift, wheelbase_tread, slip: each mechanism error on
            its own, in the units of ``error_values`` (``rear_wheels=(1, -1)``,
            ``drift=2``); they combine with each other and with ``error`` for another error.
        seed: the slip's random sequence starts from this seed (0 to 4294967295); None:
            the program's own sequence.
        mirror: the path reflected about the x axis, closed curves driven clockwise.
        controller: the lateral feedback law of the vehicles with feedback (``CONTROLLERS``):
            ``fnzeta`` (designed from fn and zeta), ``pure-pursuit``, ``stanley`` or
            ``lqr`` (docs/controllers.md); every law keeps the fn/zeta law along the path.
        lookahead: pure pursuit's goal point this far along the path [m] (default 1).
        stanley_gain: the Stanley law's cross-track gain k [1/s] (default 2).
        lqr_weights: the LQR weights (Qd [1/m²], Qth [1/rad²], Qphi [1/rad²; type 1
            1/(m·s)²], R [s²/rad²]); default Bryson's rule (1e4, 1e2, 1e2, 1). Each law's
            parameters may be given whichever law runs; a value that makes no sense is
            refused all the same.
        scenario: a ``Scenario`` or its text, instead of the conditions above.

    Every number may be a Python or NumPy number, every sequence a list, a tuple or a
    1-D NumPy array; ``error`` and ``curve`` take whole numbers or ``agvsim.Error`` and
    ``agvsim.Curve`` members.

    The computation runs on a worker thread; Ctrl-C asks it to stop, which it does within
    a record, and raises KeyboardInterrupt once it has ended.

    Returns:
        a Run; ``run.theory`` holds the linear theory beside it.

    Raises:
        Refused: a value the console dialogue refuses (its ``field`` says which argument).
        PathTooLong: the path is longer than the 60 m the simulator records.
    """
    given = _conditions(error, error_values, curve, curve_params, fn, zeta, seed, mirror,
                        scenario, rear_wheels=rear_wheels, front_wheel=front_wheel, drift=drift,
                        wheelbase_tread=wheelbase_tread, slip=slip, controller=controller,
                        lookahead=lookahead, stanley_gain=stanley_gain, lqr_weights=lqr_weights)
    return Run(given.computation(True, _tables_folder(tables)))


def theory(error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0, tables=None, *,
        rear_wheels=None, front_wheel=None, drift=None, wheelbase_tread=None, slip=None,
        seed=None, mirror=False, controller="fnzeta", lookahead=None, stanley_gain=None,
        lqr_weights=None, scenario=None):
    """The linear theory of the feedback design under these conditions, without running
    the simulation (docs/theory.md derives it). Takes the arguments of ``run()``.

    Returns a dict: ``path`` (``straight``, ``circle`` or ``varying``), ``kappa`` [1/m],
    ``stable``, and ``types``, per vehicle type 1-3 a dict with ``lateral_poles`` and
    ``along_path_poles`` (complex NumPy arrays [1/s], computed from the designed gains),
    ``max_pole_real``, ``stable``, ``verdict`` (``stable``, ``right half-plane``: a pole
    with a real part >= 0, or ``integration step``: the poles decay but one leaves the
    stability region of the integration sub-step ``step`` [s], and the run grows; then
    ``step_limit_fn`` [Hz] is the fn above which that happens, else None),
    ``peak_steer_angle`` [rad], ``peak_steer_rate`` [rad/s] (types 2 and 3),
    ``peak_speed_correction`` [m/s], ``peak_turn_correction`` [rad/s] (type 1) of the
    predicted response to the run's error and ``beyond_linear_range`` (True when one of them
    reaches the limit the model applies: the prediction then no longer describes the run),
    ``slip_dd_rms`` [m] (with the random slip on a straight path or a circle: the
    stationary RMS of dd, else None), on a cosine or a wavy circle ``path_omega`` (the path's frequency 2πv/λ [rad/s]),
    ``periodic_mean_dd`` and ``periodic_amplitude_dd`` [m] (the steady dd as a mean plus
    a sinusoid at ``path_omega``; None on other paths),
    ``slowest_time_constant`` [s], ``steady_dd`` [m] and
    ``steady_dth`` [rad] (None where not defined: a path of varying curvature, the random
    slip, an unstable design), ``peak``, ``overshoot``, ``settling_time`` [s] of the
    predicted response (``response_of_run_error`` False when the error leaves dd at 0 and
    the figures are of a unit heading-rate disturbance), and ``predicted_dd`` (None here;
    ``run.theory`` has it on the run's record times).

    ``controller`` names the law. For a law other than ``fnzeta`` the path is linearised as
    a straight one (docs/controllers.md): ``lateral_poles`` are the law's own (for ``lqr``
    the eigenvalues of A - BK; two for pure pursuit and Stanley on type 1),
    ``along_path_poles`` those of the fn/zeta speed law that every law keeps,
    ``max_pole_real``, ``stable``, ``verdict`` and ``slowest_time_constant`` of both,
    ``steady_dd`` and ``steady_dth`` the law's steady offsets (on a straight path without
    the slip), ``predicted_dd`` the law's on a straight path; the figures the law's theory
    does not predict (peaks, the periodic and slip figures, the response figures,
    ``step_limit_fn``, ``beyond_linear_range``) are None.
    """
    given = _conditions(error, error_values, curve, curve_params, fn, zeta, seed, mirror,
                        scenario, rear_wheels=rear_wheels, front_wheel=front_wheel, drift=drift,
                        wheelbase_tread=wheelbase_tread, slip=slip, controller=controller,
                        lookahead=lookahead, stanley_gain=stanley_gain, lqr_weights=lqr_weights)
    return Theory(given.computation(False, _tables_folder(tables)))


class Scenario:
    """One scenario: what ``run()`` takes as its conditions, kept as one value. Built from
    ``run()``'s keywords (``Scenario(drift=2, curve=16, zeta=0.7, seed=3, mirror=True)``)
    or from its one-line text (``Scenario.from_text("drift=2 curve=16 zeta=0.7")``);
    ``str()`` gives that text as the tools write it (``agvsim-batch --print-scenario``).
    Pass it as ``run(scenario=...)`` or ``theory(scenario=...)``.

    >>> str(Scenario(drift=2, curve=16, zeta=0.7))
    'drift=2 curve=16 zeta=0.7'
    >>> Scenario.from_text("mirror rear-wheels=1,-1") == Scenario(rear_wheels=(1, -1), mirror=True)
    True
    """

    def __init__(self, error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0,
                 *, rear_wheels=None, front_wheel=None, drift=None, wheelbase_tread=None,
                 slip=None, seed=None, mirror=False, controller="fnzeta", lookahead=None,
                 stanley_gain=None, lqr_weights=None):
        self.conditions = _conditions(
            error, error_values, curve, curve_params, fn, zeta, seed, mirror,
            rear_wheels=rear_wheels, front_wheel=front_wheel, drift=drift,
            wheelbase_tread=wheelbase_tread, slip=slip, controller=controller,
            lookahead=lookahead, stanley_gain=stanley_gain, lqr_weights=lqr_weights)

    @classmethod
    def from_text(cls, text):
        """The scenario of a text; ``Refused`` (field ``scenario``) names the field of the
        text that does not read."""
        scenario = cls.__new__(cls)
        scenario.conditions = _conditions_of_text(text)
        return scenario

    def __str__(self):
        return self.conditions.text()

    def __repr__(self):
        return f"agvsim.Scenario.from_text({str(self)!r})"

    def __eq__(self, other):
        return isinstance(other, Scenario) and str(self) == str(other)

    def __hash__(self):
        return hash(str(self))


class Theory(dict):
    """The linear theory of one set of conditions: a dict (see ``theory()``) that also
    gives the root locus of its design."""

    def __init__(self, computation):
        super().__init__(computation.theory())
        self["types"] = dict(zip(VEHICLE_TYPES, self["types"]))
        self._computation = computation

    def root_locus(self, fn=None):
        """The poles of each type's design as fn [Hz] runs over ``fn`` (default: 200
        values from 0.1 to 10 Hz, evenly on a log scale) at these conditions' ζ and path
        curvature (docs/theory.md, section 7).

        Returns a dict: ``fn`` (NumPy array [Hz]), ``step`` (the integration sub-step
        [s]: a pole λ is held by the step while |R(step·λ)| <= 1, R the fourth-order
        Runge-Kutta polynomial) and ``types``, per vehicle type 1-3 a dict with
        ``lateral`` (complex array [len(fn), 3] [1/s]) and ``along_path`` ([len(fn), 2]).
        """
        import numpy

        if fn is None:
            fns = numpy.geomspace(0.1, 10.0, 200)
        else:
            # Real numbers only: a complex or boolean value is refused, never cast.
            fns = numpy.array(_sequence("fn", fn, _MOST_FREQUENCIES), dtype=float)
        if numpy.any(fns == 0):
            raise ValueError("fn must be finite, non-zero natural frequencies in Hz")
        loci = self._computation.root_locus(fns.tolist())
        types = {
            k: {"lateral": lateral, "along_path": along}
            for k, (lateral, along) in zip(VEHICLE_TYPES, loci)
        }
        step = next(iter(self["types"].values()))["step"]
        return {"fn": fns, "step": step, "types": types}

    def frequency_response(self, omega):
        """G(jω) = dd/u of each type for a heading-rate disturbance u [rad/s] entering the
        heading error, at the angular frequencies ``omega`` [rad/s] and the path's
        curvature (docs/theory.md, section 6): {type: complex NumPy array [m per rad/s]}.
        """
        import numpy

        omegas = numpy.array(_sequence("omega", omega, _MOST_FREQUENCIES), dtype=float)
        responses = self._computation.heading_rate_response(omegas.tolist())
        return dict(zip(VEHICLE_TYPES, responses))


class CurveConstant:
    """A constant of a path curve: its letter, start-up value, and whether 0 makes no path."""

    def __init__(self, name, startup, zero_makes_no_path):
        self.name = name
        self.startup = startup
        self.zero_makes_no_path = zero_makes_no_path

    def __repr__(self):
        return f"CurveConstant({self.name!r}, startup={self.startup!r})"


class CurveInfo:
    """A path curve: its number, English name and the constants a user sets, in order."""

    def __init__(self, number, name, constants):
        self.number = number
        self.name = name
        self.constants = tuple(CurveConstant(*c) for c in constants)

    def __repr__(self):
        names = ", ".join(f"{c.name}={c.startup:g}" for c in self.constants)
        return f"CurveInfo({self.number}, {self.name!r}: {names})"


class MechanismError:
    """A mechanism error: its number, English name, how many values give its size and
    their unit (``%``, ``deg`` or "")."""

    def __init__(self, number, name, value_count, unit):
        self.number = number
        self.name = name
        self.value_count = value_count
        self.unit = unit

    def __repr__(self):
        return f"MechanismError({self.number}, {self.name!r}, {self.value_count} × {self.unit!r})"


def curves():
    """The path curves with their constants and start-up values (lengths in metres): the
    console's ten and the rounded square (21)."""
    return [CurveInfo(*entry) for entry in _curve_catalog()]


def errors():
    """The six mechanism errors 0-5 and how their size is given."""
    return [MechanismError(*entry) for entry in _error_catalog()]
