#!/usr/bin/env python3
"""Writes the codec benchmark payload: 100 MB of random bytes, its Base64 form in
76-character CR LF lines (as messages carry it), and an LF-only copy for tools that
refuse CR. Usage: make_codec_payload.py <folder>"""
import base64
import os
import sys

folder = sys.argv[1] if len(sys.argv) > 1 else "."
os.makedirs(folder, exist_ok=True)
data = os.urandom(100 * 1000 * 1000)
text = base64.b64encode(data)
lines = [text[i:i + 76] for i in range(0, len(text), 76)]
with open(os.path.join(folder, "payload.bin"), "wb") as f:
    f.write(data)
with open(os.path.join(folder, "payload.b64"), "wb") as f:
    f.write(b"\r\n".join(lines))
with open(os.path.join(folder, "payload_lf.b64"), "wb") as f:
    f.write(b"\n".join(lines) + b"\n")
