"""Draws the figures of docs/theory.md from the agvsim module: the root locus over fn with
the integration step's stability region, and the Bode plot of dd for a heading-rate
disturbance with a wavy circle's path frequency marked.

    PYTHONPATH=build/python /usr/bin/python3 tools/theory_figures.py docs
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy  # noqa: E402

import agvsim  # noqa: E402

#: Type colours apart from the picture's red, blue and green.
COLOURS = {1: "#e07000", 2: "#7b2cbf", 3: "#8b5a2b"}


def root_locus_figure(path):
    """The poles of each type as fn runs from 0.1 to 10 Hz at ζ = 1 on a straight path,
    in the plane of h·λ, over the region where the 4 ms step holds a pole."""
    locus = agvsim.theory(curve=1, curve_params=(0,)).root_locus()
    h = locus["step"]
    re, im = numpy.meshgrid(numpy.linspace(-3.2, 0.4, 400), numpy.linspace(-3, 3, 400))
    z = re + 1j * im
    growth = numpy.abs(1 + z + z**2 / 2 + z**3 / 6 + z**4 / 24)
    fig, ax = plt.subplots(figsize=(6, 4.5))
    ax.contourf(re, im, growth <= 1, levels=[0.5, 1.5], colors=["#e4e4e4"])
    ax.contour(re, im, growth, levels=[1], colors=["#555555"], linewidths=1)
    for k, poles in locus["types"].items():
        for part, marker in (("lateral", "o"), ("along_path", "s")):
            values = h * poles[part].ravel()
            ax.plot(values.real, values.imag, marker, ms=2.5, color=COLOURS[k],
                    label=f"type {k} {part.replace('_', '-')}")
    ax.axhline(0, color="#555555", lw=0.5)
    ax.axvline(0, color="#555555", lw=0.5)
    ax.set_xlim(-3.2, 0.4)
    ax.set_ylim(-1.6, 1.6)
    ax.set_xlabel("h·Re λ  (h = 4 ms)")
    ax.set_ylabel("h·Im λ")
    ax.set_title("Root locus over fn = 0.1 ... 10 Hz, ζ = 1; grey: |R(h·λ)| ≤ 1")
    ax.annotate("fast along-path pole leaves\nthe region at fn = 4.20 Hz", (-2.785, 0),
                (-2.9, 0.9), arrowprops={"arrowstyle": "->"})
    ax.legend(fontsize=7, loc="lower left")
    fig.tight_layout()
    fig.savefig(path, dpi=110)


def bode_figure(path):
    """|G(jω)| and its phase of dd/u for a heading-rate disturbance at fn = 1 Hz, ζ = 1, on
    a wavy circle (R = 2 m, A = 0.2 m, n = 2), its path frequency marked."""
    theory = agvsim.theory(error=4, error_values=(5, 5), curve=16, curve_params=(0.2, 2))
    omega = numpy.geomspace(0.06, 600, 300)
    responses = theory.frequency_response(omega)
    fig, (mag, phase) = plt.subplots(2, 1, figsize=(6, 5), sharex=True)
    for k, g in responses.items():
        mag.loglog(omega, numpy.abs(g), color=COLOURS[k], label=f"type {k}")
        phase.semilogx(omega, numpy.degrees(numpy.angle(g)), color=COLOURS[k])
    path_omega = theory["types"][3]["path_omega"]
    for ax in (mag, phase):
        ax.axvline(path_omega, color="#333333", ls=":", lw=1)
        ax.grid(True, which="both", lw=0.3)
    mag.text(path_omega * 1.1, 1e-5, f"path ω = {path_omega:.3g} rad/s", fontsize=8)
    mag.set_ylabel("|dd/u| [m per rad/s]")
    phase.set_ylabel("phase [°]")
    phase.set_xlabel("ω [rad/s]")
    mag.set_title("dd after a heading-rate disturbance u, fn = 1 Hz, ζ = 1")
    mag.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(path, dpi=110)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "docs"
    root_locus_figure(f"{folder}/theory_root_locus.png")
    bode_figure(f"{folder}/theory_bode.png")
