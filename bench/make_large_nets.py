#!/usr/bin/env python3
"""Writes large PNML nets for measuring the CLI by hand.

    make_large_nets.py same-names N OUT.pnml   N places all named "p"
    make_large_nets.py formulas N BYTES OUT.pnml
                                               N transitions whose firing-time
                                               formula is BYTES long (a sum of
                                               1s, Quenzor's own data)
    make_large_nets.py grid N OUT.pnml         N nodes (places and transitions
                                               alternating) on a square grid,
                                               in a ring of arcs, with names,
                                               markings and positions
    make_large_nets.py ring N OUT.pnml         the same without positions: the
                                               importer lays the nodes out

Convert to .pn with `quenzor-cli convert OUT.pnml OUT.pn`, then time
`quenzor-cli describe`, `convert` or `export` on it, for example

    /usr/bin/time -f '%e s %M kB' quenzor-cli convert big.pnml big.pn
"""
import sys

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml">\n'
        '<net id="n" type="http://www.pnml.org/version-2009/grammar/ptnet">\n'
        '<page id="g">\n')
TAIL = '</page>\n</net>\n</pnml>\n'


def same_names(n, out):
    out.write(HEAD)
    for i in range(n):
        out.write(f'<place id="p{i}"><name><text>p</text></name></place>\n')
    out.write(TAIL)


def formulas(n, size, out):
    text = "+".join(["1"] * (size // 2))
    out.write(HEAD)
    out.write('<place id="p"/>\n')
    for i in range(n):
        out.write(f'<transition id="t{i}"><toolspecific tool="Quenzor" version="2.7">'
                  f'<transition name="t{i}" function="{text}"/></toolspecific></transition>\n')
        out.write(f'<arc id="a{i}" source="p" target="t{i}"/>\n')
    out.write(TAIL)


def grid(n, out, positions=True):
    side = max(1, int(n ** 0.5 + 0.999))
    out.write(HEAD)
    for i in range(n):
        x, y = 60 + 80 * (i % side), 60 + 80 * (i // side)
        kind = "place" if i % 2 == 0 else "transition"
        out.write(f'<{kind} id="n{i}"><name><text>{kind} {i}</text></name>')
        if positions:
            out.write(f'<graphics><position x="{x}" y="{y}"/></graphics>')
        if kind == "place" and i % 3 == 0:
            out.write('<initialMarking><text>2</text></initialMarking>')
        out.write(f'</{kind}>\n')
    for i in range(n - n % 2):
        out.write(f'<arc id="a{i}" source="n{i}" target="n{(i + 1) % (n - n % 2)}"/>\n')
    out.write(TAIL)


def main(argv):
    if len(argv) >= 4 and argv[1] == "same-names":
        with open(argv[3], "w") as out:
            same_names(int(argv[2]), out)
    elif len(argv) >= 5 and argv[1] == "formulas":
        with open(argv[4], "w") as out:
            formulas(int(argv[2]), int(argv[3]), out)
    elif len(argv) >= 4 and argv[1] in ("grid", "ring"):
        with open(argv[3], "w") as out:
            grid(int(argv[2]), out, argv[1] == "grid")
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
