#!/usr/bin/env python3
"""Writes the seed inputs of the vox fuzz target into fuzz/corpus/vox/: small
figures in the .vox voxel format, each valid, each taking another path
through the reader (its own palette or the default one, a scene graph and
materials to skip, a PACK chunk).

  fuzz/vox_seeds.py            rewrites the seeds beside this script
"""

import pathlib
import struct


def chunk(name, content=b"", children=b""):
    assert len(name) == 4
    return name + struct.pack("<ii", len(content), len(children)) + content + children


def vox(children, version=150):
    return b"VOX " + struct.pack("<i", version) + chunk(b"MAIN", b"", b"".join(children))


def size(x, y, z):
    return chunk(b"SIZE", struct.pack("<iii", x, y, z))


def xyzi(voxels):
    return chunk(b"XYZI", struct.pack("<i", len(voxels)) + b"".join(struct.pack("<BBBB", *v) for v in voxels))


def rgba(colours):
    # The file's first entry is palette index 1.
    entries = list(colours) + [(0, 0, 0, 255)] * (256 - len(colours))
    return chunk(b"RGBA", b"".join(struct.pack("<BBBB", *c) for c in entries))


def dictionary(pairs):
    out = struct.pack("<i", len(pairs))
    for key, value in pairs:
        for text in (key, value):
            out += struct.pack("<i", len(text)) + text
    return out


def main():
    folder = pathlib.Path(__file__).resolve().parent / "corpus" / "vox"
    folder.mkdir(parents=True, exist_ok=True)

    # A red stool: four legs under a seat, drawn with the file's own palette.
    stool = [(x, y, 0, 1) for x in (0, 2) for y in (0, 2)] + [(x, y, 1, 2) for x in range(3) for y in range(3)]
    (folder / "stool-own-palette.vox").write_bytes(
        vox([size(3, 3, 2), xyzi(stool), rgba([(200, 55, 45, 255), (217, 179, 130, 255)])]))

    # An L standing in a corner of a larger model, in the default palette.
    corner = [(5, 6, 0, 79), (6, 6, 0, 79), (5, 6, 1, 121), (5, 6, 2, 121)]
    (folder / "corner-default-palette.vox").write_bytes(vox([size(8, 8, 8), xyzi(corner)]))

    # The newer layout: a PACK, the scene graph, a layer and a material.
    tower = [(0, 0, z, 1 + z % 3) for z in range(4)]
    scene = [
        chunk(b"PACK", struct.pack("<i", 1)),
        size(1, 1, 4),
        xyzi(tower),
        chunk(b"nTRN", struct.pack("<i", 0) + dictionary([]) + struct.pack("<iiii", 1, -1, -1, 1) +
              dictionary([(b"_t", b"0 0 2")])),
        chunk(b"nGRP", struct.pack("<i", 1) + dictionary([]) + struct.pack("<ii", 1, 2)),
        chunk(b"nSHP", struct.pack("<i", 2) + dictionary([]) + struct.pack("<ii", 1, 0) + dictionary([])),
        chunk(b"LAYR", struct.pack("<i", 0) + dictionary([(b"_name", b"base")]) + struct.pack("<i", -1)),
        rgba([(30, 90, 160, 255), (240, 240, 230, 255), (20, 20, 20, 255)]),
        chunk(b"MATL", struct.pack("<i", 1) + dictionary([(b"_type", b"_diffuse")])),
    ]
    (folder / "tower-scene-graph.vox").write_bytes(vox(scene, version=200))


if __name__ == "__main__":
    main()
