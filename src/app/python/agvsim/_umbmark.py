"""The square-path benchmark of the differential drive from Python: agvsim-calibrate's
figures under its own names (docs/calibration.md)."""

import json

import numpy

from . import _agvsim as _core
from ._arguments import Refused, named_errors, number, seed_of, tables_folder, whole

#: The keys of the return positions added to agvsim-calibrate's figures: (n, 2) arrays of
#: the x and y return errors of each run [m].
RETURN_POSITIONS = ("before_ccw", "before_cw", "after_ccw", "after_cw")


class Calibration(dict):
    """The figures of ``agvsim-calibrate --json`` as a dict under the same names
    (``ed_true``, ``eb_true``, ``ed_estimated``, ``eb_estimated``, ``ed_first``,
    ``eb_first``, ``emax_syst_before``, ``emax_syst_check``, ``emax_syst_after``,
    ``spread_before``, ``spread_after``, ``alpha_rad``, ``beta_rad``, ``radius``,
    ``c_left``, ``c_right``, ``square_side``, ``corner_radius``, ``runs``, and ``before``
    and ``after`` with each direction's runs, centroid, centroid distance and spread;
    lengths in metres, angles in radians), the same numbers to the last bit, plus the
    return errors of every run as NumPy arrays of shape (runs, 2), x and y [m]:
    ``before_ccw``, ``before_cw``, ``after_ccw``, ``after_cw``."""

    RETURN_POSITIONS = RETURN_POSITIONS

    def __init__(self, text, svg):
        # The program writes the shortest digits that read back to the same doubles.
        super().__init__(json.loads(text))
        for key in RETURN_POSITIONS:
            when, direction = key.split("_")
            runs = numpy.array(self[when][direction]["runs"], dtype=float).reshape(-1, 2)
            runs.setflags(write=False)
            self[key] = runs
        self._svg = svg

    def svg(self):
        """The picture of ``agvsim-calibrate --svg``: both clusters before and after the
        correction, their centroids, the axes in millimetres (SVG text)."""
        return self._svg


def umbmark(rear_wheels=None, wheelbase_tread=None, slip=None, *, front_wheel=None,
            drift=None, seed=None, square_side=None, corner_radius=None, runs=5,
            tables=None):
    """The bidirectional square-path benchmark of the differential drive (type 1,
    2DW1C, without feedback), as ``agvsim-calibrate --json`` runs it: ``runs`` times
    counter-clockwise and clockwise around the square with rounded corners; the estimated
    wheel diameter ratio Ed = D_R/D_L and WheelBase ratio Eb by the published method; the
    benchmark again with them corrected, the refined estimates and the benchmark with the
    refined correction (docs/calibration.md).

    Args:
        rear_wheels: the true rear wheel radius errors (left, right) [%].
        wheelbase_tread: the true WheelBase and Tread errors [%].
        slip: random drive-wheel slip [%].
        front_wheel, drift: the errors of the other mechanisms (no effect on this one).
        seed: the slip's seed of the first run (default 1); run k takes seed + k
            counter-clockwise and seed + runs + k clockwise.
        square_side: the square's side L [m] (default 4).
        corner_radius: its corner radius r [m] (default 0.5; at least half the
            WheelBase, and 2r <= L).
        runs: runs each way (at least 1, default 5).
        tables: the random tables' folder, as for ``run()``.

    Returns:
        a Calibration: the program's figures by their names plus the return positions.

    Raises:
        Refused: a value the program refuses; ``field`` names the argument.
        RuntimeError: a run of the benchmark did not end (its reason).
    """
    given = named_errors(dict(rear_wheels=rear_wheels, front_wheel=front_wheel, drift=drift,
                              wheelbase_tread=wheelbase_tread, slip=slip))
    first_seed = seed_of(seed)
    side = None if square_side is None else number("square_side", square_side)
    radius = None if corner_radius is None else number("corner_radius", corner_radius)
    count = whole("runs", runs)
    folder = tables_folder(tables)
    try:
        field, reason, message, text, svg = _core.umbmark(
            given, first_seed, side, radius, count, folder)
    except _core.TablesUnreadable as error:
        raise Refused(f"the random tables in {folder} cannot be read", str(error),
                      "tables") from None
    if field:
        raise Refused(reason, message, field)
    return Calibration(text, svg)
