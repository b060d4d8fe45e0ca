"""Flats a page the way an OpenCV user would: every 4-connected region of
pixels brighter than 16 gets a random colour of its own, darker pixels (the
lines) keep theirs.

usage: opencv_flat.py IN.png OUT.png
"""
import sys

import cv2
import numpy as np


def main(source, target):
    image = cv2.imread(source, cv2.IMREAD_COLOR)
    if image is None:
        sys.exit(f"{source}: cannot be read")
    grey = cv2.cvtColor(image, cv2.COLOR_BGR2GRAY)
    _, fill = cv2.threshold(grey, 16, 255, cv2.THRESH_BINARY)
    count, labels = cv2.connectedComponents(fill, connectivity=4, ltype=cv2.CV_32S)
    colours = np.random.default_rng(1).integers(0, 256, size=(count, 3), dtype=np.uint8)
    flat = colours[labels]
    cv2.copyTo(image, cv2.bitwise_not(fill), flat)
    if not cv2.imwrite(target, flat):
        sys.exit(f"{target}: cannot be written")
    print(f"regions: {count - 1}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
