"""Reads an ISO-MME test, checks its channels, filters the head
accelerations, gives HIC and the assessment under a protocol, and rates the
head's X against a copy of itself shifted by 2 ms.

    python3 check_a_test.py TEST [PROTOCOL]

Type-checked with mypy --strict, as a script that uses the package should be.
"""
import sys
from typing import List

import kalvio
from kalvio.results import Assessment, CriterionResult, Rating


def main(argv: List[str]) -> int:
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    protocol = argv[2] if len(argv) == 3 else "euro-ncap-mpdb-2023"
    try:
        test: kalvio.Test = kalvio.read_test(argv[1])
    except kalvio.FileNotFoundError as e:
        print("no test at %s" % e.filename, file=sys.stderr)
        return 1
    except kalvio.Error as e:
        print(e, file=sys.stderr)
        return 1
    failing = [f for f in kalvio.check(test) if f.severity == "fail"]
    print("%s: %d channels, %d failing findings" % (test.number, len(test), len(failing)))

    head: List[kalvio.Signal] = [kalvio.cfc(s, 1000) for s in test.find("11HEAD0000H3AC?A")]
    hic: CriterionResult = kalvio.criterion("hic", *head)
    value = hic["HIC15"]
    print("HIC15 %.1f from %.4f s to %.4f s" % (value.value, value.t1 or 0.0, value.t2 or 0.0))

    first = head[0].with_header(CurveText="Head X, CFC 1000")
    late = kalvio.add_x(first, 0.002)  # seconds, as every time
    rating: Rating = kalvio.rate(first, late, start=0.0, stop=0.15)
    print("rating %.3f, shift %.4f s" % (rating.rating, rating.shift))

    result: Assessment = kalvio.assess(test, protocol, positions="1")
    for occupant in result.occupants:
        for region in occupant.regions:
            for c in region.criteria:
                shown = "n/a (%s)" % c.reason if c.value is None else "%g %s" % (c.value, c.unit)
                print("%s %s %s: %s" % (occupant.position, region.region, c.criterion, shown))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
