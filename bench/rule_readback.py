#!/usr/bin/python3
"""rule_readback.py ORIG.pdf BACK.pdf DPI: how much of the original's rules
(dark runs at least half an inch long, across or down the page) the
read-back document shows dark, both rendered at DPI. Prints the share
(1.000: every rule pixel there, within a pixel) and the rule pixels."""
import glob
import subprocess
import sys
import tempfile

import numpy as np
from numpy.lib.stride_tricks import sliding_window_view
from PIL import Image


def pages(pdf, dpi, folder):
    subprocess.run(['pdftoppm', '-r', str(dpi), '-gray', '-png', pdf, folder + '/p'], check=True)
    return [np.asarray(Image.open(f).convert('L')).astype(int) for f in sorted(glob.glob(folder + '/p*.png'))]


def long_runs(dark, length):
    mask = np.zeros_like(dark)
    for row in range(dark.shape[0]):
        line = np.concatenate(([0], dark[row].astype(int), [0]))
        edges = np.flatnonzero(np.diff(line))
        for start, end in zip(edges[::2], edges[1::2]):
            if end - start >= length:
                mask[row, start:end] = True
    return mask


def main():
    orig, back, dpi = sys.argv[1], sys.argv[2], int(sys.argv[3])
    total = hit = 0
    with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
        for o, c in zip(pages(orig, dpi, a), pages(back, dpi, b)):
            h, w = min(o.shape[0], c.shape[0]), min(o.shape[1], c.shape[1])
            o, c = o[:h, :w], c[:h, :w]
            dark = o < 128
            rules = long_runs(dark, dpi // 2) | long_runs(dark.T, dpi // 2).T
            near = sliding_window_view(np.pad(c, 1, constant_values=255), (3, 3)).min(axis=(2, 3))
            total += int(rules.sum())
            hit += int((near[rules] < 128).sum())
    print(f'{hit / total if total else float("nan"):.3f}\t{total}')


main()
