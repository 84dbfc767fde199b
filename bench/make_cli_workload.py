#!/usr/bin/env python3
"""Writes a workload of OE-style messages for timing `mailvane extract` against other
extractors: multipart/related mail with quoted-printable HTML full of escapes and 1-4
base64 pictures (10-300 KB) with Content-IDs, some with a sound. Also writes
manifest.json: for each message its folder name and the SHA-256 of every attachment.

    python3 bench/make_cli_workload.py /tmp/mailvane-cli-workload [--count 2000]

About 2,000 messages make about 450 MB. Never commit the output.
"""
import argparse
import base64
import hashlib
import json
import math
import os
import random

WORDS = ("the caf\xe9 by the sea was f\xfcll of pictures and sounds from our holiday "
         "na\xefve r\xe9sum\xe9 100% = sure <b>bold</b> & more").split()


def qp_encode(text):
    """Quoted-printable the way the mail client writes HTML: escapes for '=', non-ASCII
    and trailing spaces, soft line breaks before 76 characters."""
    out_lines = []
    for line in text.split("\r\n"):
        encoded = []
        for ch in line:
            code = ord(ch)
            if ch == "=" or code > 126 or (code < 32 and ch != "\t"):
                encoded.append("=%02X" % code)
            else:
                encoded.append(ch)
        if encoded and encoded[-1] in (" ", "\t"):
            encoded[-1] = "=%02X" % ord(encoded[-1])
        current = ""
        for piece in encoded:
            if len(current) + len(piece) > 75:
                out_lines.append(current + "=")
                current = ""
            current += piece
        out_lines.append(current)
    return "\r\n".join(out_lines)


def b64_lines(data):
    flat = base64.b64encode(data).decode("ascii")
    return "\r\n".join(flat[i:i + 76] for i in range(0, len(flat), 76))


def picture_size(rnd):
    # Log-uniform between 10 and 300 KB: many small pictures, a few large ones.
    return int(1024 * math.exp(rnd.uniform(math.log(10), math.log(300))))


def html_body(rnd, cids, sound_cid):
    paragraphs = []
    for _ in range(rnd.randint(20, 60)):
        words = " ".join(rnd.choice(WORDS) for _ in range(rnd.randint(10, 40)))
        paragraphs.append('<DIV><FONT face="Arial" size="2" color="#000080">%s</FONT></DIV>'
                          % words)
    images = "".join('<DIV><IMG alt="" hspace=0 src="cid:%s" align=baseline border=0></DIV>\r\n'
                     % cid for cid in cids)
    sound = ('<BGSOUND balance=0 src="cid:%s" volume=0 loop=2>\r\n' % sound_cid
             if sound_cid else "")
    return ('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">\r\n'
            '<HTML><HEAD>\r\n<META http-equiv=Content-Type content="text/html; '
            'charset=iso-8859-1">\r\n<META content="MSHTML 6.00.2900.2180" name=GENERATOR>\r\n'
            '</HEAD>\r\n<BODY bgColor=#ffffff>\r\n' + "\r\n".join(paragraphs) + "\r\n" +
            images + sound + "</BODY></HTML>")


def attachment(boundary, ctype, name, cid, data):
    return ("--%s\r\nContent-Type: %s;\r\n\tname=\"%s\"\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-ID: <%s>\r\n\r\n%s\r\n\r\n" % (boundary, ctype, name, cid, b64_lines(data)))


def message(rnd, index):
    boundary = "----=_NextPart_000_%04X_01C5A1B2.%08X" % (index, rnd.getrandbits(32))
    subject = "Holiday pictures %04d" % index
    parts = []
    files = {}
    cids = []
    for k in range(rnd.choices([1, 2, 3, 4], weights=[40, 30, 20, 10])[0]):
        name = "image%03d.jpg" % (k + 1)
        cid = "%03x01c5a1b2$%08x$0200a8c0@home" % (k, rnd.getrandbits(32))
        data = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" + rnd.randbytes(picture_size(rnd))
        files[name] = data
        cids.append(cid)
        parts.append(attachment(boundary, "image/jpeg", name, cid, data))
    sound_cid = None
    if rnd.random() < 0.2:
        sound_cid = "%03x01c5a1b2$%08x$0200a8c0@home" % (9, rnd.getrandbits(32))
        data = b"RIFF\x24\x08\x00\x00WAVEfmt " + rnd.randbytes(rnd.randint(20, 60) * 1024)
        files["sound.wav"] = data
        parts.append(attachment(boundary, "audio/wav", "sound.wav", sound_cid, data))
    html = qp_encode(html_body(rnd, cids, sound_cid))
    text = ("From: \"Anna Berg\" <anna@example.com>\r\nTo: <bob@example.com>\r\n"
            "Subject: %s\r\nDate: Sat, 6 Aug 2005 14:21:09 +0200\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n"
            "\tboundary=\"%s\"\r\nX-Priority: 3\r\n"
            "X-Mailer: Microsoft Outlook Express 6.00.2900.2180\r\n\r\n"
            "This is a multi-part message in MIME format.\r\n\r\n"
            "--%s\r\nContent-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n%s\r\n\r\n"
            % (subject, boundary, boundary, html))
    text += "".join(parts) + "--%s--\r\n\r\n" % boundary
    return subject.replace(" ", ""), text.encode("latin-1"), files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=20051)
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    rnd = random.Random(args.seed)
    manifest = []
    total = 0
    for i in range(args.count):
        folder, data, files = message(rnd, i)
        name = "msg%05d.eml" % i
        with open(os.path.join(args.folder, name), "wb") as f:
            f.write(data)
        total += len(data)
        manifest.append({"file": name, "folder": folder, "size": len(data),
                         "attachments": {n: hashlib.sha256(d).hexdigest()
                                         for n, d in files.items()}})
    with open(os.path.join(args.folder, "manifest.json"), "w") as f:
        json.dump(manifest, f)
    print("%d messages, %.1f MB, largest %.1f MB" % (
        args.count, total / 1e6, max(m["size"] for m in manifest) / 1e6))


if __name__ == "__main__":
    main()
