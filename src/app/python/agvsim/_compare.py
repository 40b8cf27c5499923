"""Several feedback laws under one scenario: each law's run and one table of the figures
the core computes from it (docs/controllers.md, "Comparing the laws")."""

import numpy

from ._arguments import CONTROLLERS, Law, Refused, conditions, tables_folder

#: The columns of a comparison, in order.
COMPARE_COLUMNS = (
    "controller", "type", "outcome", "peak_dd", "rms_dd", "steady_dd", "settling_time",
    "correction_integral",
)
_FIGURES = COMPARE_COLUMNS[3:]
_VEHICLE_TYPES = (1, 2, 3)


class ComparisonTable:
    """The figures of several laws under one scenario: one row per law and vehicle type,
    laws in the order given, types 1 to 3.

    Columns are read-only NumPy arrays, read as attributes or by name: ``controller``,
    ``type``, ``outcome`` (``done``; ``diverged`` when that type's vehicle with feedback
    lost the path; ``overflow`` when the type has no records), and the figures of the
    vehicle with feedback: ``peak_dd`` (largest |dd| [m]), ``rms_dd`` (root mean square
    of dd [m]), ``steady_dd`` (mean dd over the last fifth of the records [m]),
    ``settling_time`` (from then on dd stays within 2 % of the peak around the steady
    offset [s]; inf when it does not within the run) and ``correction_integral``
    (∫|lateral correction| dt [rad]: the turn-rate correction of type 1, the
    steering-rate correction of types 2 and 3). The figures of a row that is not
    ``done`` are NaN. ``runs`` holds each law's Run by name.
    """

    def __init__(self, runs, figures):
        self.runs = dict(runs)
        rows = [(law, k, *figures[law][k]) for law in self.runs for k in _VEHICLE_TYPES]
        self._columns = {
            "controller": numpy.array([law for law, _, _, _ in rows], dtype=str),
            "type": numpy.array([k for _, k, _, _ in rows], dtype=numpy.int64),
            "outcome": numpy.array([outcome for _, _, outcome, _ in rows], dtype=str),
        }
        for name in _FIGURES:
            self._columns[name] = numpy.array(
                [f[name] if outcome == "done" else numpy.nan for _, _, outcome, f in rows],
                dtype=float)
        for array in self._columns.values():
            array.setflags(write=False)

    def __len__(self):
        return len(self._columns["type"])

    def __getitem__(self, name):
        try:
            return self._columns[name]
        except KeyError:
            names = ", ".join(self._columns)
            raise KeyError(f"no column {name!r}; the columns are {names}") from None

    def __getattr__(self, name):
        if name.startswith("_") or name == "runs":
            raise AttributeError(name)
        try:
            return self[name]
        except KeyError as error:
            raise AttributeError(str(error)) from None

    def __dir__(self):
        return list(self._columns) + ["columns", "frame", "row", "runs"]

    @property
    def columns(self):
        """The column names, in order."""
        return tuple(self._columns)

    def row(self, controller, vehicle_type):
        """The figures of one law and vehicle type as a dict."""
        chosen = ((self._columns["controller"] == controller)
                  & (self._columns["type"] == vehicle_type))
        if not chosen.any():
            raise KeyError(f"no row of {controller!r}, type {vehicle_type!r}")
        index = int(numpy.flatnonzero(chosen)[0])
        return {name: array[index].item() for name, array in self._columns.items()}

    def frame(self):
        """The table as a pandas DataFrame built from the arrays, the same numbers to the
        last bit (pandas needed)."""
        try:
            import pandas
        except ImportError as error:
            raise ImportError(
                "ComparisonTable.frame() needs pandas (Debian: python3-pandas)") from error
        return pandas.DataFrame({name: array.copy() for name, array in self._columns.items()})

    def __repr__(self):
        laws = ", ".join(self.runs)
        return f"<ComparisonTable of {laws}: {len(self)} rows>"


def _laws(controllers):
    if isinstance(controllers, str):
        controllers = (controllers,)
    try:
        laws = list(controllers)
    except TypeError:
        raise TypeError(f"controllers takes law names, not {controllers!r:.60}") from None
    if not laws:
        raise Refused("give at least one law", "", "controllers")
    for law in laws:
        if not isinstance(law, str):
            raise TypeError(f"controllers takes law names, not {law!r:.60}")
        if law not in CONTROLLERS:
            raise Refused(f"controllers must be among {', '.join(CONTROLLERS)}, not '{law}'",
                          "制御則の名前ではない　設定し直し", "controllers")
    if len(set(laws)) != len(laws):
        raise Refused("controllers names a law twice", "", "controllers")
    return laws


#: run()'s keywords that compare() passes on (all but the law's name and the tables).
_RUN_KEYWORDS = (
    "error", "error_values", "curve", "curve_params", "fn", "zeta", "rear_wheels",
    "front_wheel", "drift", "wheelbase_tread", "slip", "seed", "mirror", "scenario",
)
_LAW_KEYWORDS = ("lookahead", "stanley_gain", "lqr_weights")


def _outcome(run, computation_figures, vehicle_type):
    if vehicle_type in run.diverged:
        return "diverged"
    return "overflow" if computation_figures is None else "done"


def compare(controllers=CONTROLLERS, *, tables=None, **keywords):
    """Runs several laws under one scenario and tabulates how each kept to the path.

    Args:
        controllers: the laws' names, in the table's order (default all four:
            ``fnzeta``, ``pure-pursuit``, ``stanley``, ``lqr``).
        tables: the random tables' folder, as for ``run()``.
        keywords: every other keyword of ``run()`` but ``controller`` (the errors, the
            curve, fn and zeta, the seed, ``mirror``, ``scenario``) and each law's own
            parameters (``lookahead``, ``stanley_gain``, ``lqr_weights``; with
            ``scenario``, those it names unless given here): every law reads its own.

    Returns:
        a ComparisonTable; its ``runs`` hold each law's Run.

    Raises:
        Refused: a law name that names no law, or a value ``run()`` refuses (checked for
            every law before any run).
    """
    unknown = sorted(set(keywords) - set(_RUN_KEYWORDS) - set(_LAW_KEYWORDS))
    if unknown:
        hint = " (give the laws as controllers=)" if "controller" in unknown else ""
        raise TypeError(f"compare() got an unexpected keyword argument '{unknown[0]}'{hint}")
    from . import Run  # the package's Run, defined beside run()

    laws = _laws(controllers)
    folder = tables_folder(tables)
    parameters = {k: keywords.pop(k) for k in _LAW_KEYWORDS if k in keywords}
    base = conditions(**keywords)
    given = []
    for law in laws:
        own = {k: getattr(base.law, k) for k in _LAW_KEYWORDS}
        own.update({k: v for k, v in parameters.items() if v is not None})
        given.append(base.replaced(law=Law(law, **own)))
    # Every law's refusal before any run.
    for law_conditions in given:
        law_conditions.computation(False, folder)
    runs = {}
    figures = {}
    for law, law_conditions in zip(laws, given):
        computation = law_conditions.computation(True, folder)
        run = Run(computation)
        runs[law] = run
        per_type = dict(zip(_VEHICLE_TYPES, computation.following_figures()))
        figures[law] = {k: (_outcome(run, f, k), f) for k, f in per_type.items()}
    return ComparisonTable(runs, figures)
