#!/usr/bin/env python3
"""Writes the descriptions of the sample world's models into tools/modelwriter/samples/: the
winged vehicle's body and wings, the grass islands, a floating island, rocks and a standing
stone, a lantern, tombstones, a ring tree, a flower, the water surface, the floor, the rover's
hull and its round part, a crystal, a buoy, a pinwheel and a reed. The model writer turns each description
into its model file (tools/make-samples.sh runs both).

Each shape is a handful of polygons given counter-clockwise as seen from outside; a mesh emits
them in the model files' winding (clockwise from outside) with flat normals, or with normals
shared across a smooth surface. Every mesh is named after the material it asks for. The output
depends on nothing but this file: no randomness that is not seeded, and numbers printed with a
fixed precision, so the files come out the same byte for byte on every machine.

    python3 tools/modelwriter/sample_models.py <output folder>
"""
import math
import os
import sys

# The grass islands' texture repeats every this many units, so it has detail at flying height.
ISLAND_CELL = 80.0
# The floor's texture repeats this many times across its unit box (every 20 units at 200 wide).
FLOOR_REPEATS = 10


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def unit(a):
    length = math.sqrt(dot(a, a))
    return (0.0, 1.0, 0.0) if length == 0.0 else scale(a, 1.0 / length)


def rotate_x(p, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (p[0], c * p[1] - s * p[2], s * p[1] + c * p[2])


def rotate_y(p, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (c * p[0] + s * p[2], p[1], -s * p[0] + c * p[2])


def rotate_z(p, angle):
    c, s = math.cos(angle), math.sin(angle)
    return (c * p[0] - s * p[1], s * p[0] + c * p[1], p[2])


class Random:
    """A small seeded generator (xorshift), the same on every machine."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def uniform(self, low, high):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return low + (high - low) * (x / 4294967296.0)


class Mesh:
    """Polygons of one material. A smooth mesh shares each corner's normal among the polygons
    that meet there; a flat one gives every polygon its own. UVs come from a projection."""

    def __init__(self, material, smooth=False, uv=None):
        self.material = material
        self.smooth = smooth
        self.uv = uv or (lambda p: (p[0], p[2]))
        self.polygons = []

    def polygon(self, points, inside=None):
        """A polygon as given, or turned to face away from `inside` (a point, or a function of
        the polygon's centre giving one)."""
        points = [tuple(p) for p in points]
        if inside is not None:
            a, b, c = points[0], points[1], points[2]
            centre = scale(sum_points(points), 1.0 / len(points))
            reference = inside(centre) if callable(inside) else inside
            if dot(cross(sub(b, a), sub(c, a)), sub(centre, reference)) < 0.0:
                points = points[::-1]
        self.polygons.append(points)

    def polygons_from(self, polygons, inside="centroid"):
        """A closed piece: each polygon faces away from the piece's centroid unless `inside`
        says otherwise (None keeps the polygons as given)."""
        if inside == "centroid":
            corners = [p for poly in polygons for p in poly]
            inside = scale(sum_points(corners), 1.0 / len(corners))
        for p in polygons:
            self.polygon(p, inside)

    def transformed(self, f):
        self.polygons = [[f(p) for p in poly] for poly in self.polygons]
        return self

    def triangles(self):
        for poly in self.polygons:
            for i in range(1, len(poly) - 1):
                a, b, c = poly[0], poly[i], poly[i + 1]
                n = cross(sub(b, a), sub(c, a))
                if dot(n, n) > 1e-12:
                    yield a, b, c, n

    def lines(self):
        vertices, faces, index = [], [], {}
        shared = {}
        if self.smooth:
            for a, b, c, n in self.triangles():
                for p in (a, b, c):
                    key = corner_key(p)
                    shared[key] = add(shared.get(key, (0.0, 0.0, 0.0)), n)
        for a, b, c, n in self.triangles():
            face = []
            for p in (a, c, b):  # clockwise from outside
                normal = unit(shared[corner_key(p)] if self.smooth else n)
                u, v = self.uv(p)
                line = "v %s %s %s  %s %s %s  %s %s" % tuple(
                    [number(x) for x in p] + [number(x, 4) for x in normal] + [number(u, 4), number(v, 4)])
                if line not in index:
                    index[line] = len(vertices)
                    vertices.append(line)
                face.append(index[line])
            faces.append("f %d %d %d" % tuple(face))
        return ["mesh " + self.material] + vertices + faces + ["end"]


def sum_points(points):
    total = (0.0, 0.0, 0.0)
    for p in points:
        total = add(total, p)
    return total


def corner_key(p):
    return tuple(round(x, 4) for x in p)


def number(x, places=4):
    text = "%.*f" % (places, x)
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def write_model(folder, name, comment, meshes):
    lines = ["# " + line for line in comment.strip().split("\n")]
    lines.append("#   modelwriter %s.model ../../../Graphics/Models/%s.bin" % (name, name))
    for mesh in meshes:
        lines.extend(mesh.lines())
    with open(os.path.join(folder, name + ".model"), "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


# Shapes: lists of polygons, counter-clockwise from outside.

def lathe(profile, sides, phase=0.0):
    """A surface of revolution about +y: profile is (radius, height) from bottom to top; a radius
    of 0 closes the end to a point."""
    rings = []
    for r, y in profile:
        rings.append([(r * math.cos(phase + 2 * math.pi * k / sides), y,
                       r * math.sin(phase + 2 * math.pi * k / sides)) for k in range(sides)])
    polys = []
    for i in range(len(profile) - 1):
        lower, upper = rings[i], rings[i + 1]
        for k in range(sides):
            k1 = (k + 1) % sides
            quad = [lower[k], upper[k], upper[k1], lower[k1]]
            if profile[i][0] == 0.0:
                quad = [lower[k], upper[k], upper[k1]]
            elif profile[i + 1][0] == 0.0:
                quad = [lower[k], upper[k], lower[k1]]
            polys.append(quad)
    return polys


def disc(radius, y, sides, up=True, phase=0.0):
    ring = [(radius * math.cos(phase + 2 * math.pi * k / sides), y, radius * math.sin(phase + 2 * math.pi * k / sides))
            for k in range(sides)]
    return [ring[::-1] if up else ring]


def prism(outline, z0, z1):
    """The outline (x, y), counter-clockwise seen from +z, extruded from z0 to z1."""
    front = [(x, y, z1) for x, y in outline]
    back = [(x, y, z0) for x, y in outline]
    polys = [front, back[::-1]]
    n = len(outline)
    for i in range(n):
        j = (i + 1) % n
        polys.append([back[i], back[j], front[j], front[i]])
    return polys


def box(x0, y0, z0, x1, y1, z1):
    return prism([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], z0, z1)


def torus(major, minor, major_sides, minor_sides):
    def point(i, j):
        a = 2 * math.pi * i / major_sides
        b = 2 * math.pi * j / minor_sides
        r = major + minor * math.cos(b)
        return (r * math.cos(a), minor * math.sin(b), r * math.sin(a))

    polys = []
    for i in range(major_sides):
        for j in range(minor_sides):
            polys.append([point(i, j), point(i, j + 1), point(i + 1, j + 1), point(i + 1, j)])
    return polys


def heightfield(size_x, size_z, cells_x, cells_z, height, lift=0.0):
    """A grid over [-size/2, size/2] raised by height(x, z)."""
    def point(i, j):
        x = -size_x / 2 + size_x * i / cells_x
        z = -size_z / 2 + size_z * j / cells_z
        return (x, height(x, z) + lift, z)

    polys = []
    for i in range(cells_x):
        for j in range(cells_z):
            polys.append([point(i, j), point(i, j + 1), point(i + 1, j + 1), point(i + 1, j)])
    return polys


def moved(polys, offset):
    return [[add(p, offset) for p in poly] for poly in polys]


def mapped(polys, f):
    return [[f(p) for p in poly] for poly in polys]


def jittered(polys, rng, amount):
    """Every distinct corner moved by the same random offset wherever it appears."""
    moves = {}

    def move(p):
        key = corner_key(p)
        if key not in moves:
            moves[key] = (rng.uniform(-amount, amount), rng.uniform(-amount, amount), rng.uniform(-amount, amount))
        return add(p, moves[key])

    return mapped(polys, move)


def below(c):
    """Faces of a surface over the ground face up."""
    return (c[0], c[1] - 1000.0, c[2])


def cylinder_uv(p):
    return (math.atan2(p[2], p[0]) / (2 * math.pi) + 0.5, p[1])


# The models.

def flyer(folder):
    body = Mesh("flyer_hull", smooth=True, uv=lambda p: (p[0] + 0.5, p[2] * 0.5 + 0.5))
    # A spindle along +z (the way the vehicle flies), fuller in front, tapering to the tail.
    profile = [(0.0, -1.45), (0.14, -1.3), (0.26, -0.9), (0.38, -0.35), (0.44, 0.15), (0.40, 0.6), (0.28, 0.95),
               (0.0, 1.2)]
    body.polygons_from(mapped(lathe(profile, 10), lambda p: (p[0], p[2] * 0.85, p[1])))
    tail = Mesh("flyer_hull")
    # A fin standing up from the tail and two small tail planes across it.
    tail.polygons_from(mapped(prism([(-0.03, 0.05), (0.03, 0.05), (0.03, 0.62), (-0.03, 0.55)], 0.0, 1.0),
                              lambda p: (p[0], p[1] + 0.05 * (1.0 - p[2]), -1.35 + 0.55 * p[2] - 0.25 * (p[1] - 0.05))))
    for side in (-1.0, 1.0):
        plane = [(0.0, -0.02), (0.55, -0.02), (0.55, 0.02), (0.0, 0.02)]
        polys = mapped(prism(plane, 0.0, 0.32), lambda p: (side * p[0], p[1] + 0.04, -1.42 + p[2] + 0.2 * p[0]))
        tail.polygons_from(polys)
    eyes = Mesh("flyer_light")
    for side in (-1.0, 1.0):
        eyes.polygons_from(moved(lathe([(0.0, -0.07), (0.07, 0.0), (0.0, 0.07)], 6), (side * 0.17, 0.16, 0.86)))
    write_model(folder, "flyer_body", """
The winged vehicle's body: a spindle along +z with glowing eyes at the front and a tail of one
fin and two planes; the wings are models of their own, hinged on the body's sides.""",
                [body, tail, eyes])

    # A wing hinged along the body (its inner edge on the object's origin, along z), reaching out
    # along +x for the right side and -x for the left. The vehicle turns each wing by 60 degrees
    # about x before its flap about z: the wing is written turned back by that much, so it rests
    # flat and flaps up and down about its hinge.
    outline = [(0.0, -0.18), (0.35, -0.22), (0.8, -0.18), (1.15, -0.08), (1.3, 0.02), (1.1, 0.14), (0.7, 0.2),
               (0.3, 0.2), (0.0, 0.16)]
    for name, side in (("flyer_wing_right", 1.0), ("flyer_wing_left", -1.0)):
        wing = Mesh("flyer_wing", uv=lambda p: (abs(p[0]) / 1.3, 0.5))
        top = [(side * x, 0.0, z) for x, z in outline]
        if side > 0:
            top = top[::-1]
        wing.polygon(top)
        wing.polygon(top[::-1])
        vein = Mesh("flyer_hull")
        vein.polygons_from(mapped(box(0.0, -0.015, -0.02, 1.2, 0.015, 0.02),
                                  lambda p: (side * p[0], p[1], p[2] + 0.1 * p[0] * (1.0 - p[0] / 1.2))))
        back = lambda p: rotate_x(p, -math.pi / 3)
        wing.transformed(back)
        vein.transformed(back)
        write_model(folder, name, """
One of the vehicle's four wings, hinged at the origin along z and reaching out along %s; written
turned by -60 degrees about x, which the vehicle's wing turn undoes.""" % ("+x" if side > 0 else "-x"),
                    [wing, vein])


def island_height(kind):
    """Heights of the seasonal islands: each is under the water line (-4) at its rim."""
    def dome(x, z, rx, rz, top):
        r2 = (x / rx) ** 2 + (z / rz) ** 2
        return top * (1.0 - r2) if r2 < 1.0 else 0.0

    if kind == 0:  # a round dome
        return lambda x, z: dome(x, z, 480.0, 480.0, 34.0) - 4.0
    if kind == 1:  # a long ridge
        return lambda x, z: dome(x, z, 560.0, 300.0, 40.0) + dome(x - 120.0, z, 260.0, 140.0, 30.0) - 4.0
    if kind == 2:  # two hills and a saddle
        return lambda x, z: max(dome(x + 170.0, z, 300.0, 320.0, 60.0), dome(x - 200.0, z + 40.0, 260.0, 260.0, 42.0),
                                dome(x, z, 480.0, 300.0, 12.0)) - 4.0
    if kind == 3:  # a flat-topped table with steep sides
        return lambda x, z: min(dome(x, z, 440.0, 440.0, 80.0), 26.0) - 4.0
    # a crescent round a bay
    return lambda x, z: max(0.0, dome(x, z, 460.0, 460.0, 44.0) - dome(x, z - 200.0, 330.0, 300.0, 80.0)) - 4.0


def islands(folder):
    names = {0: "a round dome", 1: "a long ridge", 2: "two hills and a saddle", 3: "a flat-topped table with steep sides",
             4: "a crescent round a bay"}
    for kind in (0, 1, 2, 3, 4):
        size = 1200.0 if kind in (1, 2) else 960.0
        cells = 15 if kind in (1, 2) else 12
        mesh = Mesh("seasonal_island", smooth=True, uv=lambda p: (p[0] / ISLAND_CELL, p[2] / ISLAND_CELL))
        mesh.polygons_from(heightfield(size, size, cells, cells, island_height(kind)), inside=below)
        write_model(folder, "seasonal_island%d" % kind, """
A grass island: %s, %d units across on a grid of %d x %d cells, its rim just under the water line;
its texture repeats every %d units.""" % (names[kind], size, cells, cells, ISLAND_CELL), [mesh])


def floating_island(folder):
    top = Mesh("seasonal_island", smooth=True, uv=lambda p: (p[0] / 8.0, p[2] / 8.0))
    rng = Random(7)
    rim = [(0.0, 1.6), (3.0, 1.4), (5.5, 0.9), (7.0, 0.0)]
    top.polygons_from(lathe(rim, 10), inside=below)
    under = Mesh("rock", uv=lambda p: cylinder_uv(p))
    under.polygons_from(jittered(lathe([(7.0, 0.0), (5.2, -2.5), (3.0, -5.5), (1.2, -8.5), (0.0, -10.0)], 10), rng,
                                 0.5))
    write_model(folder, "floating_island", """
A floating island: a grass top 14 units across over a rough cone of rock hanging 10 units below.""",
                [top, under])


def rocks(folder):
    rng = Random(11)
    rock = Mesh("rock", uv=lambda p: (p[0] + p[2], p[1]))
    profile = [(0.0, -0.5), (0.55, -0.45), (0.7, -0.1), (0.6, 0.25), (0.35, 0.5), (0.0, 0.58)]
    rock.polygons_from(jittered(mapped(lathe(profile, 7), lambda p: (p[0] * 1.1, p[1], p[2] * 0.9)), rng, 0.1))
    write_model(folder, "rock", """
A boulder about 1.5 units across and one high, resting on its base at y = -0.5: a lathed lump
with its corners pushed about (seeded, so the same every time), flat-shaded.""", [rock])

    stone = Mesh("rock", uv=lambda p: (p[0] + p[2], p[1]))
    profile = [(0.0, 0.0), (0.55, 0.0), (0.5, 1.2), (0.42, 2.4), (0.25, 3.0), (0.0, 3.1)]
    stone.polygons_from(jittered(mapped(lathe(profile, 6), lambda p: (p[0], p[1], p[2] * 0.6)), Random(5), 0.07))
    write_model(folder, "standing_stone", """
A standing stone three units high on its foot at y = 0, flattened front to back.""", [stone])


def lantern(folder):
    metal = Mesh("metal", smooth=False, uv=cylinder_uv)
    metal.polygons_from(lathe([(0.0, 0.0), (0.35, 0.0), (0.3, 0.15), (0.08, 0.2), (0.08, 2.2), (0.0, 2.2)], 6))
    metal.polygons_from(lathe([(0.0, 2.15), (0.32, 2.15), (0.32, 2.22), (0.0, 2.22)], 4, math.pi / 4))
    metal.polygons_from(lathe([(0.0, 2.9), (0.42, 2.9), (0.0, 3.3)], 4, math.pi / 4))
    for k in range(4):
        a = math.pi / 4 + k * math.pi / 2
        x, z = 0.3 * math.cos(a), 0.3 * math.sin(a)
        metal.polygons_from(box(x - 0.025, 2.2, z - 0.025, x + 0.025, 2.92, z + 0.025))
    glass = Mesh("lantern_glow", uv=cylinder_uv)
    glass.polygons_from(lathe([(0.0, 2.22), (0.26, 2.22), (0.26, 2.9), (0.0, 2.9)], 4, math.pi / 4))
    write_model(folder, "lantern", """
A lantern on a post: a square glowing lamp in a dark metal frame under a pointed cap, 3.3
units high, standing on its foot at y = 0.""", [metal, glass])


def tombstones(folder):
    def rounded_slab(width, height, depth, sides):
        half = width / 2
        outline = [(-half, 0.0), (half, 0.0), (half, height - half)]
        for k in range(1, sides):
            a = math.pi * k / sides
            outline.append((half * math.cos(a), height - half + half * math.sin(a)))
        outline.append((-half, height - half))
        return prism(outline, -depth / 2, depth / 2)

    stone = Mesh("tombstone", uv=lambda p: (p[0] + p[2] + 0.5, p[1]))
    stone.polygons_from(rounded_slab(1.0, 1.5, 0.22, 6))
    stone.polygons_from(box(-0.65, 0.0, -0.3, 0.65, 0.12, 0.3))
    write_model(folder, "gravestone", """
A gravestone: a slab with a rounded top, 1.5 high and a unit wide, on a low plinth; its face
looks along z and it stands on y = 0.""", [stone])

    short = Mesh("tombstone", uv=lambda p: (p[0] + p[2] + 0.5, p[1]))
    short.polygons_from(box(-0.45, 0.0, -0.14, 0.45, 0.9, 0.14))
    short.polygons_from(box(-0.12, 0.9, -0.1, 0.12, 1.65, 0.1))
    short.polygons_from(box(-0.42, 1.2, -0.1, 0.42, 1.42, 0.1))
    write_model(folder, "tombstone_short", """
A short tombstone: a squat block with a cross on it, 1.65 high, standing on y = 0.""", [short])

    tall = Mesh("tombstone", uv=lambda p: (p[0] + p[2] + 0.5, p[1]))
    tall.polygons_from(box(-0.7, 0.0, -0.7, 0.7, 0.35, 0.7))
    tall.polygons_from(lathe([(0.5, 0.35), (0.4, 3.6), (0.0, 4.3)], 4, math.pi / 4))
    write_model(folder, "tombstone_tall", """
A tall tombstone: an obelisk 4.3 high on a square base, standing on y = 0.""", [tall])


def ring_tree(folder):
    bark = Mesh("bark", uv=cylinder_uv)
    bark.polygons_from(lathe([(0.0, 0.0), (0.55, 0.0), (0.35, 1.0), (0.28, 4.0), (0.18, 5.2), (0.0, 5.3)], 6))
    # Two branches up into the ring.
    for side in (-1.0, 1.0):
        branch = lathe([(0.14, 0.0), (0.1, 2.6), (0.0, 2.7)], 5)
        bark.polygons_from(moved(mapped(branch, lambda p: rotate_z(p, side * 0.55)), (0.0, 3.4, 0.0)))
    leaves = Mesh("leaves", smooth=True, uv=lambda p: (p[0] * 0.5, p[2] * 0.5))
    centre = (0.0, 7.4, 0.0)
    # Each face turns away from the ring's middle line, a circle in the plane z = 0.
    core = lambda c: add(centre, scale(unit((c[0], c[1] - centre[1], 0.0)), 2.4))
    leaves.polygons_from(moved(mapped(torus(2.4, 0.75, 12, 6), lambda p: rotate_x(p, math.pi / 2)), centre), inside=core)
    write_model(folder, "ring_tree", """
A ring tree: a trunk with two branches holding a ring of leaves upright, its opening along z,
10.6 units high on y = 0.""", [bark, leaves])


def flower(folder):
    stem = Mesh("leaves", uv=cylinder_uv)
    stem.polygons_from(lathe([(0.0, 0.0), (0.06, 0.0), (0.05, 1.3), (0.0, 1.32)], 5))
    for side, height in ((1.0, 0.45), (-1.0, 0.75)):
        leaf = [(0.0, 0.0, 0.0), (0.25, 0.18, 0.1), (0.45, 0.22, 0.0), (0.25, 0.18, -0.1)]
        leaf = [(side * x, y + height, z) for x, y, z in leaf]
        stem.polygon(leaf if side < 0 else leaf[::-1])
        stem.polygon(leaf[::-1] if side < 0 else leaf)
    petals = Mesh("petal", uv=lambda p: (p[0] + 0.5, p[2] + 0.5))
    for k in range(6):
        petal = [(0.0, 0.0, 0.0), (0.16, 0.03, -0.12), (0.42, 0.12, 0.0), (0.16, 0.03, 0.12)]
        petal = [add(rotate_y(p, k * math.pi / 3), (0.0, 1.3, 0.0)) for p in petal]
        petals.polygon(petal)
        petals.polygon(petal[::-1])
    heart = Mesh("flower_heart", smooth=True)
    heart.polygons_from(moved(lathe([(0.0, -0.06), (0.12, 0.0), (0.0, 0.08)], 6), (0.0, 1.36, 0.0)))
    write_model(folder, "flower", """
A flower: a stem with two leaves and six petals round a glowing heart, 1.45 high on y = 0.""",
                [stem, petals, heart])


def water(folder):
    mesh = Mesh("lake", uv=lambda p: (p[0] + 0.5, p[2] + 0.5))
    mesh.polygons_from(heightfield(1.0, 1.0, 8, 8, lambda x, z: 0.0, lift=0.5), inside=below)
    write_model(folder, "water_surface", """
The water's surface: a flat unit square of 8 x 8 cells at y = 0.5 (the top of the unit cube it
replaces), scaled out by its object; the cells keep the lighting and the fog even across it. Its
material is opaque and lit, so the sun's highlight shows on it and what falls over it stays sharp.""",
                [mesh])


def ground(folder):
    mesh = Mesh("meadow", uv=lambda p: (p[0] * FLOOR_REPEATS, p[2] * FLOOR_REPEATS))
    mesh.polygons_from(box(-0.5, -0.5, -0.5, 0.5, 0.5, 0.5))
    write_model(folder, "floor", """
The floor: the unit box it replaces, its meadow's texture repeated %d times across, so the
ground shows its detail at flying height when its object spreads it wide.""" % FLOOR_REPEATS, [mesh])


def rover(folder):
    hull = Mesh("hull", uv=lambda p: (p[0] + 0.5, p[2] + 0.5))
    # The side outline of the hull (z forward, y up), a sloped nose and tail, extruded across x.
    outline = [(-0.5, -0.3), (0.5, -0.3), (0.5, 0.05), (0.3, 0.5), (-0.35, 0.5), (-0.5, 0.15)]
    hull.polygons_from(mapped(prism([(z, y) for z, y in outline], -0.5, 0.5), lambda p: (p[2], p[1], p[0])))
    write_model(folder, "rover_hull", """
The rover with wheels and a turret: its hull in a unit box (scaled out by its object), with a
sloped nose towards +z and a sloped tail.""", [hull])

    part = Mesh("metal", uv=lambda p: (p[1] + 0.5, p[2] + 0.5))
    drum = mapped(lathe([(0.0, -0.5), (0.45, -0.5), (0.5, -0.4), (0.5, 0.4), (0.45, 0.5), (0.0, 0.5)], 10),
                  lambda p: rotate_z(p, -math.pi / 2))
    part.polygons_from(drum)
    write_model(folder, "rover_part", """
A round part of the rover (its wheels, turret and gun are made of it): a drum along x in a
unit box, with bevelled rims.""", [part])


def small_things(folder):
    crystal = Mesh("crystal", uv=lambda p: (p[0] + 0.5, p[1]))
    crystal.polygons_from(lathe([(0.0, -0.6), (0.3, -0.15), (0.35, 0.3), (0.0, 1.1)], 6))
    write_model(folder, "crystal", """
A crystal: a six-sided point 1.7 units long, its waist at the origin.""", [crystal])

    buoy = Mesh("buoy", smooth=False, uv=cylinder_uv)
    buoy.polygons_from(lathe([(0.0, -0.5), (0.3, -0.45), (0.5, -0.1), (0.48, 0.1), (0.2, 0.25), (0.06, 0.3),
                              (0.06, 1.1), (0.0, 1.1)], 8))
    light = Mesh("lantern_glow", smooth=True)
    light.polygons_from(moved(lathe([(0.0, -0.12), (0.12, 0.0), (0.0, 0.12)], 6), (0.0, 1.2, 0.0)))
    write_model(folder, "buoy", """
A buoy: a float with a mast and a light on top, floating round y = 0.""", [buoy, light])

    pinwheel = Mesh("petal", uv=lambda p: (p[0] + 0.5, p[1] + 0.5))
    for k in range(4):
        blade = [(0.0, 0.0, 0.0), (0.5, 0.0, 0.0), (0.5, 0.5, 0.12), (0.12, 0.12, 0.0)]
        blade = [rotate_z(p, k * math.pi / 2) for p in blade]
        pinwheel.polygon(blade)
        pinwheel.polygon(blade[::-1])
    stick = Mesh("bark", uv=cylinder_uv)
    stick.polygons_from(box(-0.03, -1.2, 0.02, 0.03, 0.0, 0.08))
    stick.polygons_from(moved(mapped(lathe([(0.0, -0.05), (0.07, -0.05), (0.07, 0.05), (0.0, 0.05)], 6),
                                     lambda p: rotate_x(p, math.pi / 2)), (0.0, 0.0, -0.05)))
    write_model(folder, "pinwheel", """
A pinwheel: four bent blades round its hub at the origin, turning about z, on a stick below.""",
                [pinwheel, stick])

    reed = Mesh("leaves", uv=lambda p: (p[0] + 0.5, p[1] / 3.0))
    for k in range(5):
        a = k * 2 * math.pi / 5
        lean = 0.15 + 0.05 * k
        tip = (lean * math.cos(a), 2.2 + 0.25 * (k % 3), lean * math.sin(a))
        side = (0.06 * -math.sin(a), 0.0, 0.06 * math.cos(a))
        blade = [sub((0.0, 0.0, 0.0), side), add((0.0, 0.0, 0.0), side), tip]
        reed.polygon(blade)
        reed.polygon(blade[::-1])
    write_model(folder, "reed", """
A clump of five reed blades leaning out from y = 0, up to 2.7 high.""", [reed])


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: sample_models.py <output folder>\n")
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for make in (flyer, islands, floating_island, rocks, lantern, tombstones, ring_tree, flower, water, ground, rover,
                 small_things):
        make(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
