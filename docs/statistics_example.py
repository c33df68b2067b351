#!/usr/bin/env python3
"""The worked example of docs/statistics.md, and the variants other pattern tools use.

Reads a metric data-set file as Pellamar saves it (docs/statistics-example.csv by default),
recomputes every pan's results and the swath statistics at every width exactly as the program
does (single precision, the same order of additions), checks them against the texts the program
wrote into the file, and prints the tables of docs/statistics.md. Beside the program's COV it
computes what other conventions give for the same pans: the population standard deviation, the
back-and-forth pass mirrored about the pattern's centroid, the blank pan filled from its
neighbours, and only one pass on each side of the measured one. Python 3 standard library only:

    python3 docs/statistics_example.py [FILE.csv] [--swath-width METRES]

--swath-width replaces the file's swath width (0 = not entered), to show the rate factor at work;
the check against the file's swath table is then skipped.
"""
import math
import struct
import sys
from decimal import ROUND_HALF_UP, Decimal
from pathlib import Path

COV_LIMIT = struct.unpack("f", struct.pack("f", 0.3))[0]  # the 30 % rule's threshold, single


def f32(x):
    """x rounded to single precision, as the program stores every value."""
    return struct.unpack("f", struct.pack("f", x))[0]


def shown(x, decimals):
    """x as the program formats it: rounded half away from zero on its exact binary value."""
    return str(Decimal(x).quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP))


# --- the data-set file ---------------------------------------------------------------------

def read_data_set(path):
    """Parameters, the sample rows (each row's texts as written) and the saved swath table."""
    lines = Path(path).read_bytes().decode("cp1252").split("\r\n")
    fields = [line.split(",") for line in lines]

    def value(label):
        text = next(f[2] for f in fields if f[0] == label)
        return 0.0 if text.startswith("-" * 8) else float(text)

    if next(f[2] for f in fields if f[0] == "Units:") != "Metric":
        sys.exit("this example reads metric files only")
    heading = next(n for n, f in enumerate(fields) if f[:2] == ["Position", "Sample Wt"])
    rows = []
    for f in fields[heading + 2:]:
        if f == [""]:
            break
        rows.append(f)
    table = []
    start = next((n for n, f in enumerate(fields) if f[:2] == ["Width", "COV"]), None)
    if start is not None:
        for f in fields[start + 1:]:
            if f == [""]:
                break
            table.append(f)
    return {
        "area": f32(value("Opening Area:")),
        "separation": f32(value("Separation:")),
        "swath_width": f32(value("Swath Width:")),
        "control_larvae": int(value("Number in pan:")),
        "control_dead": int(value("24 hr mortality:")),
        "rows": rows,
        "table": table,
    }


# --- the results of each pan ---------------------------------------------------------------

def pan_results(data):
    """Deposit, density, granules per gram, corrected mortality (None where the program shows
    nothing) and the cumulative deposit fraction of every row, as the program computes them."""
    area, cl, cd = data["area"], data["control_larvae"], data["control_dead"]
    number = lambda text: f32(float(text)) if text else None
    out = []
    for f in data["rows"]:
        w, g = number(f[1]), number(f[2])
        larvae, dead = (int(f[3]) if f[3] else None), (int(f[4]) if f[4] else None)
        r = {"weight": w,
             "deposit": f32(w * 10.0 / area) if w is not None else None,
             "density": f32(g / area) if g is not None else None,
             "per_gram": f32(g / w) if w is not None and g is not None and w > 0 else None,
             "mortality": None}
        if larvae is not None and dead is not None and cl > 0 and cd != cl:
            r["mortality"] = 0.0
            if larvae > 0:
                treated = (larvae - dead) / larvae
                control = (cl - cd) / cl
                r["mortality"] = max(0.0, f32((1 - treated / control) * 100))
        out.append(r)
    # Running fraction of the total weight; a row without a weight keeps the value above it.
    total = 0.0
    for r in out:
        if r["weight"] is not None:
            total = f32(total + r["weight"])
    cumulative = 0.0
    for r in out:
        if total > 0 and r["weight"] is not None:
            cumulative = f32(cumulative + r["weight"] / total)
        r["cumulative"] = cumulative
    # The analysed range: the first to the last row with a weight or a granule count.
    held = [n for n, f in enumerate(data["rows"]) if f[1] or f[2]]
    return out, held[0], held[-1]


def check_pan_texts(data, results):
    """Every computed cell the program wrote agrees with the recomputed value (a file typed by
    hand, without them, is not checked)."""
    patterns = (("deposit", 5, 3), ("density", 6, 3), ("per_gram", 7, 2), ("mortality", 8, 2))
    if not any(any(f[5:9]) for f in data["rows"]):
        return False
    for f, r in zip(data["rows"], results):
        for key, column, decimals in patterns:
            mine = "" if r[key] is None else shown(r[key], decimals)
            assert mine == f[column], (key, f, mine)
    return True


# --- the overlap as the program lays it ----------------------------------------------------

def rate_factor(j, data):
    """j × separation ÷ swath width with a swath width entered, else 1."""
    if not data["swath_width"] > 0:
        return 1.0
    return f32(j * data["separation"] / data["swath_width"])


def program_points(p, j, racetrack, f):
    """Point m sums pans m, m + j, m + 2j, ... of the pass, every value × f. Back-and-forth has
    2j points: the first j start with the pass as measured and alternate with the pass reversed
    (pan q read as pan N + 1 − q), the second j start reversed. Rounded to single at every
    step."""
    forward = [f32(f * v) for v in p]
    reverse = forward[::-1]
    halves = [(forward, forward)] if racetrack else [(forward, reverse), (reverse, forward)]
    points = []
    for even, odd in halves:
        for m in range(j):
            total, t = 0.0, 0
            for q in range(m, len(p), j):
                total = f32(total + (even if t % 2 == 0 else odd)[q])
                t += 1
            points.append(total)
    return points


def program_stats(points):
    """COV (sample standard deviation, n − 1, over the mean), mean, max and min, with the
    program's running single-precision sums of x and x²."""
    n, s, s2 = len(points), 0.0, 0.0
    for v in points:
        s = f32(s + v)
        s2 = f32(s2 + v * v)
    mean = f32(s / n)
    sd = f32(math.sqrt(abs(n * s2 - s * s) / (n * (n - 1)))) if n > 1 else 0.0
    cov = f32(sd / mean) if mean > 0 else 0.0
    return cov, mean, max([0.0] + points), min([1e6] + points)


def thirty_percent_rule(covs):
    """The widest width whose COV is at most 30 % while the next wider one is above it, searched
    from the widest width down; the narrowest width when there is no such width."""
    for i in range(len(covs), 1, -1):
        if covs[i - 1] > COV_LIMIT and covs[i - 2] <= COV_LIMIT:
            return i - 1
    return 1


# --- the same field in double precision, and its variants ----------------------------------

def at(p, x):
    """The pass at pan number x (1 .. N), straight lines between pans, falling to 0 one pan
    beyond each end."""
    n = len(p)
    if x <= 0 or x >= n + 1:
        return 0.0
    i = math.floor(x)
    left = p[i - 1] if i >= 1 else 0.0
    right = p[i] if i < n else 0.0
    return left + (x - i) * (right - left)


def field(p, j, racetrack, axis, window, reach=None):
    """The deposit at pan numbers `window` of a field flown every j pans: pass k lies k·j pans
    further on; back-and-forth reverses every odd pass about pan number `axis`. All passes that
    touch the window, or only k = −reach .. reach."""
    if reach is None:
        reach = len(p) // j + len(window) // j + 2
    total = []
    for x in window:
        s = 0.0
        for k in range(-reach, reach + 1):
            s += at(p, x - k * j) if racetrack or k % 2 == 0 else at(p, 2 * axis - (x - k * j))
        total.append(s)
    return total


def cov(points, population=False):
    """COV in double precision, with the sample (n − 1) or the population (n) standard
    deviation."""
    n = len(points)
    mean = sum(points) / n
    if n < 2 or mean <= 0:
        return 0.0
    squares = sum((v - mean) ** 2 for v in points)
    return math.sqrt(squares / (n if population else n - 1)) / mean


def centroid(p):
    """The pan number at the pattern's centre of mass."""
    return sum((i + 1) * v for i, v in enumerate(p)) / sum(p)


# --- the tables ----------------------------------------------------------------------------

def row(*cells):
    return "| " + " | ".join(str(c) for c in cells) + " |"


def number(x):
    """A deposit as the tables show it: at most two decimals, no trailing zeros."""
    return f"{x:.2f}".rstrip("0").rstrip(".")


def main(argv):
    path = Path(__file__).with_name("statistics-example.csv")
    swath_width = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--swath-width":
            swath_width = float(args.pop(0))
        else:
            path = Path(a)
    data = read_data_set(path)
    results, first, last = pan_results(data)
    checked = check_pan_texts(data, results)
    if swath_width is not None:
        data["swath_width"] = f32(swath_width)
        data["table"] = []
    sep = data["separation"]

    print("Pans" + (" (every computed cell agrees with the file)" if checked else "") + "\n")
    print(row("Pan", "Position (m)", "Sample Wt (g)", "# of Granules", "Larvae", "Mortality",
              "kg/ha", "Granules/m²", "Granules/g", "Corrected Mortality (%)", "CDF"))
    print(row(*["---:"] * 11))
    for n, (f, r) in enumerate(zip(data["rows"], results), start=1):
        cells = [shown(r[k], d) if r[k] is not None else ""
                 for k, d in (("deposit", 3), ("density", 3), ("per_gram", 2), ("mortality", 2))]
        print(row(n, f[0], *f[1:5], *cells, shown(r["cumulative"], 3)))

    # Every pan from the first to the last with data counts; a blank one as 0.
    p = [r["deposit"] or 0.0 for r in results[first:last + 1]]
    n = len(p)
    middle = (n + 1) / 2
    blank = [i for i in range(n) if results[first + i]["deposit"] is None]
    filled = [(p[i - 1] + p[i + 1]) / 2 if i in blank and 0 < i < n - 1 else v
              for i, v in enumerate(p)]
    width = f"{data['swath_width']:g} m" if data["swath_width"] > 0 else "not entered"
    print(f"\nN = {n} pans, sum of deposits {number(sum(p))} kg/ha, middle: pan {middle:g}, "
          f"centroid: pan {centroid(p):.3f}, swath width {width}")

    for racetrack in (False, True):
        name = "Racetrack" if racetrack else "Back-and-forth"
        size = 1 if racetrack else 2
        stats, variants = [], []
        for j in range(1, n):
            f = rate_factor(j, data)
            points = program_points(p, j, racetrack, f)
            stats.append((j, f, points, program_stats(points)))
            # The same points in double precision: the field mirrored about the middle pan, read
            # at pans 1 .. j (or 2j), and as well at a window centred on the middle pan.
            own = field(p, j, racetrack, middle, range(1, size * j + 1))
            assert all(abs(a - b) <= 1e-3 * max(1.0, abs(a)) for a, b in
                       zip([v / f for v in points], own))
            centred = [middle - (size * j) // 2 + i for i in range(size * j)]
            assert abs(cov(field(p, j, racetrack, middle, centred)) - cov(own)) < 1e-9
            variants.append((
                cov(points, population=True),
                None if racetrack else cov(field(p, j, racetrack, centroid(p),
                                                 range(1, size * j + 1))),
                cov(field(filled, j, racetrack, middle, range(1, size * j + 1))),
                cov(field(p, j, racetrack, middle, centred, reach=1)),
            ))

        # The rate factor is 1 at every width unless a swath width is entered.
        factor = data["swath_width"] > 0
        print(f"\n{name}\n")
        print(row("Width (m)", *["Rate factor"] * factor, "Overlapped points (kg/ha)", "Mean",
                  "Max", "Min", "COV"))
        print(row("---:", *["---:"] * factor, "---", "---:", "---:", "---:", "---:"))
        for j, f, points, (c, mean, top, bottom) in stats:
            print(row(f"{j * sep:g}", *[f"{f:g}"] * factor, ", ".join(number(v) for v in points),
                      number(mean), number(top), number(bottom), f"{c:.3f}"))
        rule = thirty_percent_rule([s[3][0] for s in stats])
        print(f"\n30 % rule: {rule * sep:g} m")

        print()
        heads = ["Width (m)", "Pellamar", "population SD", "centroid mirror",
                 "blank filled", "one pass each side"]
        if racetrack:
            del heads[3]
        print(row(*heads))
        print(row(*["---:"] * len(heads)))
        for (j, _, _, (c, *_)), v in zip(stats, variants):
            cells = [f"{x:.3f}" for x in v if x is not None]
            print(row(f"{j * sep:g}", f"{c:.3f}", *cells))

        # The file holds the statistics of the pattern it was saved with (back-and-forth here).
        if not racetrack and data["table"]:
            for (j, _, _, (c, mean, top, bottom)), t in zip(stats, data["table"]):
                assert t[:5] == [f"{j * sep:g}", shown(c, 2), shown(top, 2), shown(mean, 2),
                                 shown(bottom, 2)], t
            print("\n(agrees with the swath table Pellamar wrote into the file)")


if __name__ == "__main__":
    main(sys.argv[1:])
