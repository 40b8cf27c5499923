"""Python's arguments in the simulator's terms: numbers of any kind (NumPy scalars and
arrays too) checked as agvsim-batch checks its options, with refusals that name the
argument. Every public function takes its conditions through ``conditions()``, so that a
new condition is added here once."""

import enum
import numbers
import os

import numpy

from . import _agvsim as _core

#: The folder of the random tables that come with the package.
PACKAGE_TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tables")

#: The console's request to enter a value again, the end of each of its refusals.
_SET_AGAIN = "設定し直し"


class Refused(ValueError):
    """A value the simulator refuses, as its console dialogue would.

    Attributes:
        reason: the refusal in English, as agvsim-batch gives it.
        message: the console's own Japanese message.
        field: the Python argument to change (``error``, ``error_values``, ``curve``,
            ``curve_params``, ``fn``, ``zeta``, ``fn/zeta``, ``error_size``, ``jobs``,
            ``shards``, ``tables``, ``path`` ...).
    """

    def __init__(self, reason, message="", field=""):
        text = f"{field} refused: {reason}" if field else reason
        super().__init__(f"{text} ({message})" if message else text)
        self.reason = reason
        self.message = message
        self.field = field


class PathTooLong(Refused):
    """A path longer than the 60 m (3000 samples) the simulator records, or one whose
    length cannot be computed; ``field`` is ``path``: change the curve or its constants."""


class Error(enum.IntEnum):
    """The mechanism errors by number (``error=`` takes these or the plain numbers)."""

    NONE = 0
    REAR_WHEELS = 1
    FRONT_WHEEL = 2
    STEERING_DRIFT = 3
    WHEELBASE_TREAD = 4
    SLIP = 5


class Curve(enum.IntEnum):
    """The path curves by number (``curve=`` takes these or the plain numbers)."""

    COSINE = 1
    CYCLOID = 2
    QUADRATIC = 3
    CUBIC = 4
    ELLIPSE = 11
    ARCHIMEDEAN_SPIRAL = 12
    CARDIOID = 13
    ROSE = 14
    CIRCLE_ARC = 15
    WAVY_CIRCLE = 16
    ROUNDED_SQUARE = 21


def _refused(field, reason, message=_SET_AGAIN):
    return Refused(reason, message, field)


def _scalar(value):
    """A 0-d NumPy array as its element; anything else unchanged."""
    if isinstance(value, numpy.ndarray) and value.ndim == 0:
        return value[()]
    return value


def number(field, value):
    """A finite real number given as any Python or NumPy number."""
    value = _scalar(value)
    if isinstance(value, (bool, numpy.bool_)) or not isinstance(value, numbers.Real):
        raise TypeError(f"{field} takes a number, not {type(value).__name__} {value!r:.60}")
    result = float(value)
    if not numpy.isfinite(result):
        raise _refused(field, f"'{value!r}' is not a finite number", "有限の数値ではない　" + _SET_AGAIN)
    return result


def whole(field, value):
    """A whole number given as any Python or NumPy number (3 or 3.0, not 3.7)."""
    value = _scalar(value)
    if isinstance(value, (bool, numpy.bool_)) or not isinstance(value, numbers.Real):
        raise TypeError(f"{field} takes a whole number, not {type(value).__name__} {value!r:.60}")
    if isinstance(value, numbers.Integral):
        result = int(value)
    else:
        real = float(value)
        if not numpy.isfinite(real) or real != int(real):
            raise _refused(field, f"'{value!r}' is not a whole number", "整数ではない　" + _SET_AGAIN)
        result = int(real)
    # The simulator's numbers are C ints.
    if not -(2**31) <= result < 2**31:
        raise _refused(field, f"'{value!r}' is out of range", "範囲外　" + _SET_AGAIN)
    return result


def sequence(field, values, most):
    """At most ``most`` finite numbers from a number, a sequence or a 1-D NumPy array."""
    if values is None:
        return []
    values = _scalar(values)
    if isinstance(values, numbers.Number) and not isinstance(values, (bool, numpy.bool_)):
        values = (values,)
    if isinstance(values, (str, bytes, dict, set)) or not hasattr(values, "__iter__"):
        raise TypeError(f"{field} takes a number or a sequence of numbers, not {values!r:.60}")
    if isinstance(values, numpy.ndarray) and values.ndim != 1:
        raise TypeError(f"{field} takes a 1-D array, not one of shape {values.shape}")
    result = []
    for v in values:
        if len(result) == most:
            raise _refused(field, f"at most {most} values, got more")
        result.append(number(field, v))
    return result


def folder(field, value):
    """The name of a folder (str or os.PathLike) as the simulator takes it."""
    try:
        name = os.fspath(value)
    except TypeError:
        raise TypeError(f"{field} takes a folder name, not {value!r:.60}") from None
    if not isinstance(name, str):
        raise TypeError(f"{field} takes a folder name as text, not bytes")
    if "\0" in name or not name:
        raise _refused(field, "not a file name", "")
    return name


def tables_folder(tables):
    """The folder to read the random tables from: the package's own unless given."""
    return PACKAGE_TABLES if tables is None else folder("tables", tables)


def write(path, data):
    """Writes bytes as the whole file ``path`` with agvsim-batch's rules: a regular file is
    written beside the target and renamed over it (the old file stays whole until then), a
    FIFO or a device is written in place, a symbolic link is followed and stays."""
    name = folder("path", path)
    error = _core.write_file(name, bytes(data))
    if error:
        raise OSError(f"{name}: {error}")


def xarray_module(user):
    """xarray, imported when first needed: an ImportError that names the Debian package
    when it is missing."""
    try:
        import xarray
    except ImportError as error:
        raise ImportError(f"{user} needs xarray (Debian: python3-xarray)") from error
    return xarray


#: The error values and curve constants each takes at most.
_MOST_ERROR_VALUES = 2
_MOST_CURVE_CONSTANTS = 3


#: The keywords of the errors given each on its own, with their error numbers and values.
NAMED_ERRORS = {
    "rear_wheels": (1, 2),
    "front_wheel": (2, 1),
    "drift": (3, 1),
    "wheelbase_tread": (4, 2),
    "slip": (5, 1),
}
_MOST_SEED = 4294967295

#: The feedback laws by name, the default first.
CONTROLLERS = tuple(_core.controller_names())
#: Qd, Qth, Qphi and R of lqr_weights.
_LQR_WEIGHT_COUNT = 4


class Law:
    """The feedback law of a run and the parameters given to it, checked; None keeps a
    parameter's default (the core's)."""

    def __init__(self, controller="fnzeta", lookahead=None, stanley_gain=None,
                 lqr_weights=None):
        if not isinstance(controller, str):
            raise TypeError(f"controller takes a law's name, not {controller!r:.60}")
        if controller not in CONTROLLERS:
            raise _refused("controller", f"controller must be {', '.join(CONTROLLERS[:-1])} or "
                                         f"{CONTROLLERS[-1]}, not '{controller}'",
                           "制御則の名前ではない　" + _SET_AGAIN)
        self.controller = controller
        self.lookahead = None if lookahead is None else number("lookahead", lookahead)
        self.stanley_gain = None if stanley_gain is None else number("stanley_gain", stanley_gain)
        self.lqr_weights = None
        if lqr_weights is not None:
            weights = sequence("lqr_weights", lqr_weights, _LQR_WEIGHT_COUNT)
            if len(weights) != _LQR_WEIGHT_COUNT:
                raise _refused("lqr_weights", "lqr_weights takes four values Qd,Qth,Qphi,R, "
                                              f"got {len(weights)}")
            self.lqr_weights = tuple(weights)

    def core(self):
        """The law as the core module takes it."""
        law = _core.Law()
        law.controller = self.controller
        law.lookahead = self.lookahead
        law.stanley_gain = self.stanley_gain
        law.lqr_weights = list(self.lqr_weights or ())
        return law

    def sweep_options(self):
        """agvsim-sweep's options of the law (none for the default law with its defaults)."""
        options = [] if self.controller == CONTROLLERS[0] else ["--controller", self.controller]
        if self.lookahead is not None:
            options += ["--lookahead", repr(self.lookahead)]
        if self.stanley_gain is not None:
            options += ["--stanley-gain", repr(self.stanley_gain)]
        if self.lqr_weights is not None:
            options += ["--lqr-weights", ",".join(repr(w) for w in self.lqr_weights)]
        return options


def seed_of(value):
    """A slip seed 0 to 4294967295, or None."""
    if value is None:
        return None
    seed = whole("seed", value)
    if not 0 <= seed <= _MOST_SEED:
        raise _refused("seed", f"seed must be from 0 to {_MOST_SEED}, not {seed}")
    return seed


def named_errors(errors):
    """The errors given by their keywords as (number, value1, value2), checked."""
    given = []
    for keyword, value in errors.items():
        if value is None:
            continue
        number_, count = NAMED_ERRORS[keyword]
        values = sequence(keyword, value, count) if count == 2 else [number(keyword, value)]
        if len(values) != count:
            raise _refused(keyword, f"{keyword} takes {count} values, got {len(values)}")
        given.append((number_, values[0], values[1] if count == 2 else 0.0))
    return given


class Conditions:
    """The conditions of a run, checked: what every public function passes to the core."""

    def __init__(self, error, error_values, curve, curve_params, fn, zeta, seed=None,
                 mirror=False, controller="fnzeta", lookahead=None, stanley_gain=None,
                 lqr_weights=None, **errors):
        self.law = Law(controller, lookahead, stanley_gain, lqr_weights)
        self.named_errors = named_errors(errors)
        self.seed = seed_of(seed)
        if not isinstance(mirror, (bool, numpy.bool_)):
            raise _refused("mirror", f"mirror is True or False, not {mirror!r}")
        self.mirror = bool(mirror)
        self.error = whole("error", error)
        self.error_values = sequence("error_values", error_values, _MOST_ERROR_VALUES)
        self.curve = whole("curve", curve)
        self.curve_params = (
            None
            if curve_params is None
            else sequence("curve_params", curve_params, _MOST_CURVE_CONSTANTS)
        )
        self.fn = number("fn", fn)
        self.zeta = number("zeta", zeta)
        self._check_counts()
        for number_, _, _ in self.named_errors:
            if number_ == self.error:
                keyword = next(k for k, (n, _) in NAMED_ERRORS.items() if n == number_)
                raise _refused(keyword, f"error={number_} and {keyword} give the same error "
                                        "twice: give one of them")

    def _check_counts(self):
        counts = {number: count for number, _, count, _ in _core.error_catalog()}
        if self.error in counts and self.error_values:
            wanted = counts[self.error]
            if len(self.error_values) != wanted:
                described = "no values" if wanted == 0 else f"{wanted} value{'s' * (wanted > 1)}"
                raise _refused(
                    "error_values",
                    f"error {self.error} takes {described}, got {len(self.error_values)}",
                )
        constants = {number: len(names) for number, _, names in _core.curve_catalog()}
        given = self.curve_params or []
        if self.curve in constants and len(given) > constants[self.curve]:
            raise _refused(
                "curve_params",
                f"curve {self.curve} takes up to {constants[self.curve]} values, got {len(given)}",
            )

    def replaced(self, **values):
        """A copy with some values replaced (already checked numbers)."""
        copy = object.__new__(Conditions)
        copy.__dict__.update(self.__dict__)
        copy.__dict__.update(values)
        return copy

    def sized(self, size):
        """A copy whose mechanism error has ``size`` as its first value, as a sweep's error
        size replaces it (an error given by its keyword when it is the only one)."""
        if self.error == 0 and len(self.named_errors) == 1:
            number_, _, value2 = self.named_errors[0]
            return self.replaced(named_errors=[(number_, size, value2)])
        return self.replaced(error_values=[size] + list(self.error_values[1:]))

    def has_slip(self):
        """True when the random slip is among the errors."""
        return self.error == 5 or any(number_ == 5 for number_, _, _ in self.named_errors)

    def computation(self, compute, tables):
        """The core's computation of these conditions, or the exception of their refusal."""
        try:
            computation = _core.Computation(
                self.error, self.error_values, self.curve, self.curve_params or [],
                self.fn, self.zeta, compute, tables, self.named_errors, self.seed, self.mirror,
                self.law.core(),
            )
        except _core.TablesUnreadable as error:
            raise Refused(f"the random tables in {tables} cannot be read", str(error),
                          "tables") from None
        if computation.refused:
            kind = PathTooLong if computation.path_too_long else Refused
            raise kind(
                computation.refusal_reason, computation.refusal_message, computation.refusal_field
            )
        return computation

    def text(self):
        """The canonical scenario text of these conditions."""
        return _core.scenario_text(
            self.error, self.error_values, self.curve, self.curve_params or [], self.fn,
            self.zeta, self.named_errors, self.seed, self.mirror, self.law.core(),
        )

    def sweep_options(self):
        """agvsim-sweep's options for these base conditions (fn and zeta apart)."""
        options = ["--error", str(self.error), "--curve", str(self.curve)]
        if self.error_values:
            options += ["--error-values", ",".join(repr(v) for v in self.error_values)]
        if self.curve_params:
            options += ["--curve-params", ",".join(repr(v) for v in self.curve_params)]
        flags = {n: "--" + k.replace("_", "-") for k, (n, _) in NAMED_ERRORS.items()}
        for number_, value1, value2 in self.named_errors:
            values = [value1, value2] if NAMED_ERRORS_BY_NUMBER[number_] == 2 else [value1]
            options += [flags[number_], ",".join(repr(v) for v in values)]
        if self.seed is not None:
            options += ["--seed", str(self.seed)]
        if self.mirror:
            options += ["--mirror"]
        return options + self.law.sweep_options()


NAMED_ERRORS_BY_NUMBER = {number_: count for number_, count in NAMED_ERRORS.values()}


def conditions(error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0,
               seed=None, mirror=False, scenario=None, **keywords):
    """The checked conditions of ``run()``'s arguments (the named errors and the law's
    keywords among ``keywords``); with ``scenario`` (a Scenario or its text) those alone,
    the other conditions left at their defaults."""
    if scenario is None:
        return Conditions(error, error_values, curve, curve_params, fn, zeta, seed, mirror,
                          **keywords)
    given = dict(error=error, error_values=tuple(error_values) if not isinstance(
        error_values, numpy.ndarray) else tuple(error_values.tolist()), curve=curve,
        curve_params=curve_params, fn=fn, zeta=zeta, seed=seed, mirror=mirror, **keywords)
    defaults = dict(error=0, error_values=(), curve=1, curve_params=None, fn=1.0, zeta=1.0,
                    seed=None, mirror=False, controller="fnzeta")
    for keyword, value in given.items():
        if _is_default(value, defaults.get(keyword)):
            continue
        raise _refused(keyword, f"scenario names the whole scenario: give it without {keyword}")
    if isinstance(scenario, str):
        return conditions_of_text(scenario)
    if not isinstance(getattr(scenario, "conditions", None), Conditions):
        raise TypeError(f"scenario takes a Scenario or its text, not {scenario!r:.60}")
    return scenario.conditions


def _is_default(value, default):
    if default is None:
        return value is None
    try:
        return bool(value == default)
    except (TypeError, ValueError):
        return False


def conditions_of_text(text):
    """The conditions of a scenario text; Refused naming the field that does not read."""
    if not isinstance(text, str):
        raise _refused("scenario", f"scenario is a Scenario or its text, not {text!r}")
    try:
        keywords = _core.parse_scenario(text)
    except ValueError as error:
        field, _, message = str(error).partition("\n")
        raise _refused("scenario", f"scenario text: '{field}' {message}") from None
    return Conditions(0, (), **keywords)
