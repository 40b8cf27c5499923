import enum
from os import PathLike
from typing import Any, Callable, Dict, Iterator, List, Optional, Sequence, Tuple, Union

import numpy
import numpy.typing

_Whole = Union[int, numpy.integer[Any]]
_Number = Union[int, float, numpy.integer[Any], numpy.floating[Any]]
_Numbers = Union[_Number, Sequence[_Number], numpy.typing.NDArray[Any]]
_Axis = Union[_Numbers, str]
_Folder = Union[str, PathLike[str]]
_Progress = Union[bool, None, Callable[[int, int], Any]]
_FloatArray = numpy.typing.NDArray[numpy.float64]
_Seeds = Union[str, range, Sequence[_Whole], numpy.typing.NDArray[Any]]

COLUMNS: Tuple[str, ...]
CONTROLLERS: Tuple[str, ...]
COMPARE_COLUMNS: Tuple[str, ...]
SWEEP_COLUMNS: Tuple[str, ...]
THEORY_COLUMNS: Tuple[str, ...]
VEHICLE_TYPES: Dict[int, str]

class Refused(ValueError):
    reason: str
    message: str
    field: str
    def __init__(self, reason: str, message: str = ..., field: str = ...) -> None: ...

class PathTooLong(Refused): ...

class Error(enum.IntEnum):
    NONE: int
    REAR_WHEELS: int
    FRONT_WHEEL: int
    STEERING_DRIFT: int
    WHEELBASE_TREAD: int
    SLIP: int

class Curve(enum.IntEnum):
    COSINE: int
    CYCLOID: int
    QUADRATIC: int
    CUBIC: int
    ELLIPSE: int
    ARCHIMEDEAN_SPIRAL: int
    CARDIOID: int
    ROSE: int
    CIRCLE_ARC: int
    WAVY_CIRCLE: int
    ROUNDED_SQUARE: int

class Samples:
    vehicle_type: int
    data: _FloatArray
    t: _FloatArray
    theory_s: _FloatArray
    theory_theta: _FloatArray
    theory_x: _FloatArray
    theory_y: _FloatArray
    theory_phi: _FloatArray
    nofbc_s: _FloatArray
    nofbc_theta: _FloatArray
    nofbc_x: _FloatArray
    nofbc_y: _FloatArray
    nofbc_phi: _FloatArray
    fbc_s: _FloatArray
    fbc_theta: _FloatArray
    fbc_x: _FloatArray
    fbc_y: _FloatArray
    fbc_phi: _FloatArray
    ref_s: _FloatArray
    ref_theta: _FloatArray
    ref_x: _FloatArray
    ref_y: _FloatArray
    ref_phi: _FloatArray
    nofbc_dd: _FloatArray
    nofbc_dth: _FloatArray
    fbc_dd: _FloatArray
    fbc_dth: _FloatArray
    record: numpy.typing.NDArray[numpy.int64]
    def __init__(self, vehicle_type: int, data: _FloatArray) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    def to_xarray(self) -> Any: ...

class Run:
    outcome: str
    reason: str
    diverged: Dict[int, int]
    def __init__(self, computation: Any) -> None: ...
    @property
    def theory(self) -> Theory: ...
    @property
    def types(self) -> Dict[int, Samples]: ...
    def __getitem__(self, vehicle_type: int) -> Samples: ...
    def __iter__(self) -> Iterator[Samples]: ...
    def to_csv(self, path: _Folder) -> None: ...
    def csv(self) -> bytes: ...
    def summary(self) -> Dict[int, Dict[str, Union[int, float]]]: ...
    def frame(self) -> Any: ...
    def to_xarray(self) -> Dict[int, Any]: ...

class CurveConstant:
    name: str
    startup: float
    zero_makes_no_path: bool
    def __init__(self, name: str, startup: float, zero_makes_no_path: bool) -> None: ...

class CurveInfo:
    number: int
    name: str
    constants: Tuple[CurveConstant, ...]
    def __init__(
        self, number: int, name: str, constants: Sequence[Tuple[str, float, bool]]
    ) -> None: ...

class MechanismError:
    number: int
    name: str
    value_count: int
    unit: str
    def __init__(self, number: int, name: str, value_count: int, unit: str) -> None: ...

def run(
    error: _Whole = ...,
    error_values: _Numbers = ...,
    curve: _Whole = ...,
    curve_params: Optional[_Numbers] = ...,
    fn: _Number = ...,
    zeta: _Number = ...,
    tables: Optional[_Folder] = ...,
    *,
    rear_wheels: Optional[_Numbers] = ...,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    mirror: bool = ...,
    controller: str = ...,
    lookahead: Optional[_Number] = ...,
    stanley_gain: Optional[_Number] = ...,
    lqr_weights: Optional[_Numbers] = ...,
    scenario: Optional[Union[Scenario, str]] = ...,
) -> Run: ...
def theory(
    error: _Whole = ...,
    error_values: _Numbers = ...,
    curve: _Whole = ...,
    curve_params: Optional[_Numbers] = ...,
    fn: _Number = ...,
    zeta: _Number = ...,
    tables: Optional[_Folder] = ...,
    *,
    rear_wheels: Optional[_Numbers] = ...,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    mirror: bool = ...,
    controller: str = ...,
    lookahead: Optional[_Number] = ...,
    stanley_gain: Optional[_Number] = ...,
    lqr_weights: Optional[_Numbers] = ...,
    scenario: Optional[Union[Scenario, str]] = ...,
) -> Dict[str, Any]: ...

class Scenario:
    conditions: Any
    def __init__(
        self,
        error: _Whole = ...,
        error_values: _Numbers = ...,
        curve: _Whole = ...,
        curve_params: Optional[_Numbers] = ...,
        fn: _Number = ...,
        zeta: _Number = ...,
        *,
        rear_wheels: Optional[_Numbers] = ...,
        front_wheel: Optional[_Number] = ...,
        drift: Optional[_Number] = ...,
        wheelbase_tread: Optional[_Numbers] = ...,
        slip: Optional[_Number] = ...,
        seed: Optional[_Whole] = ...,
        mirror: bool = ...,
        controller: str = ...,
        lookahead: Optional[_Number] = ...,
        stanley_gain: Optional[_Number] = ...,
        lqr_weights: Optional[_Numbers] = ...,
    ) -> None: ...
    @classmethod
    def from_text(cls, text: str) -> Scenario: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
class Theory(Dict[str, Any]):
    def __init__(self, computation: Any) -> None: ...
    def root_locus(self, fn: Optional[_Numbers] = ...) -> Dict[str, Any]: ...
    def frequency_response(self, omega: _Numbers) -> Dict[str, Any]: ...

def curves() -> List[CurveInfo]: ...
def errors() -> List[MechanismError]: ...

class SweepTable:
    def __init__(self, text: bytes) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    def __getattr__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    @property
    def columns(self) -> Tuple[str, ...]: ...
    def csv(self) -> bytes: ...
    def to_csv(self, path: _Folder) -> None: ...
    def frame(self) -> Any: ...
    def to_xarray(self) -> Any: ...
    def grid(
        self, column: str, vehicle_type: int, seed: Optional[Union[int, str]] = ...
    ) -> Tuple[_FloatArray, _FloatArray, numpy.typing.NDArray[Any]]: ...

def sweep(
    fn: Optional[_Axis] = ...,
    zeta: Optional[_Axis] = ...,
    error_size: Optional[_Axis] = ...,
    error: _Whole = ...,
    error_values: _Numbers = ...,
    curve: _Whole = ...,
    curve_params: Optional[_Numbers] = ...,
    theory: bool = ...,
    jobs: Optional[int] = ...,
    client: Any = ...,
    shards: Optional[int] = ...,
    progress: _Progress = ...,
    tables: Optional[_Folder] = ...,
    *,
    rear_wheels: Optional[_Numbers] = ...,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    mirror: bool = ...,
    controller: str = ...,
    lookahead: Optional[_Number] = ...,
    stanley_gain: Optional[_Number] = ...,
    lqr_weights: Optional[_Numbers] = ...,
    scenario: Optional[Union[Scenario, str]] = ...,
    seeds: Optional[_Seeds] = ...,
) -> SweepTable: ...
def sweep_shard(
    shard: int,
    shards: int,
    fn: Optional[_Axis] = ...,
    zeta: Optional[_Axis] = ...,
    error_size: Optional[_Axis] = ...,
    error: _Whole = ...,
    error_values: _Numbers = ...,
    curve: _Whole = ...,
    curve_params: Optional[_Numbers] = ...,
    theory: bool = ...,
    jobs: Optional[int] = ...,
    tables: Optional[_Folder] = ...,
    *,
    rear_wheels: Optional[_Numbers] = ...,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    mirror: bool = ...,
    controller: str = ...,
    lookahead: Optional[_Number] = ...,
    stanley_gain: Optional[_Number] = ...,
    lqr_weights: Optional[_Numbers] = ...,
    scenario: Optional[Union[Scenario, str]] = ...,
    seeds: Optional[_Seeds] = ...,
) -> bytes: ...
def merge_shards(tables: Sequence[bytes]) -> SweepTable: ...
def sweep_on_dask(
    client: Any, shards: Optional[int] = ..., progress: _Progress = ..., **arguments: Any
) -> SweepTable: ...

class ComparisonTable:
    runs: Dict[str, Run]
    controller: numpy.typing.NDArray[numpy.str_]
    type: numpy.typing.NDArray[numpy.int64]
    outcome: numpy.typing.NDArray[numpy.str_]
    peak_dd: _FloatArray
    rms_dd: _FloatArray
    steady_dd: _FloatArray
    settling_time: _FloatArray
    correction_integral: _FloatArray
    def __init__(self, runs: Dict[str, Run], figures: Dict[str, Dict[int, Any]]) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    @property
    def columns(self) -> Tuple[str, ...]: ...
    def row(self, controller: str, vehicle_type: int) -> Dict[str, Any]: ...
    def frame(self) -> Any: ...

def compare(
    controllers: Union[str, Sequence[str]] = ...,
    *,
    tables: Optional[_Folder] = ...,
    error: _Whole = ...,
    error_values: _Numbers = ...,
    curve: _Whole = ...,
    curve_params: Optional[_Numbers] = ...,
    fn: _Number = ...,
    zeta: _Number = ...,
    rear_wheels: Optional[_Numbers] = ...,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    mirror: bool = ...,
    lookahead: Optional[_Number] = ...,
    stanley_gain: Optional[_Number] = ...,
    lqr_weights: Optional[_Numbers] = ...,
    scenario: Optional[Union[Scenario, str]] = ...,
) -> ComparisonTable: ...

class Calibration(Dict[str, Any]):
    RETURN_POSITIONS: Tuple[str, ...]
    def __init__(self, text: str, svg: str) -> None: ...
    def svg(self) -> str: ...

def umbmark(
    rear_wheels: Optional[_Numbers] = ...,
    wheelbase_tread: Optional[_Numbers] = ...,
    slip: Optional[_Number] = ...,
    *,
    front_wheel: Optional[_Number] = ...,
    drift: Optional[_Number] = ...,
    seed: Optional[_Whole] = ...,
    square_side: Optional[_Number] = ...,
    corner_radius: Optional[_Number] = ...,
    runs: _Whole = ...,
    tables: Optional[_Folder] = ...,
) -> Calibration: ...
