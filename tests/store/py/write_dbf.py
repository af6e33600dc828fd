#!/usr/bin/python3
"""Writes an older catalogue with python-dbf: cddata.dbf with its 23 first columns and
cdskladby.dbf with 5, text in Windows-1250 (language byte 0xC8).
Usage: write_dbf.py DIR TEXT... - album i (number i+1) gets ALBUM = TEXT[i], ZANR = the first 25
characters, ROK 1990+i, lent until 1.1.2026 + i days; one track each, NAME = TEXT[i], length
60*i+5. One further album, number 99, is written and then deleted."""
import datetime
import os
import sys

import dbf

ALBUMS = ("CISLO N(10,0); ALBUM C(50); ARTIST C(50); ROK N(19,4); DELKA N(19,4); VYD_F C(30); "
          "VYD_P C(30); PSTOP N(19,4); ZEME C(25); ZANR C(25); ZPEV C(50); KYTAR C(50); "
          "BASA C(50); BICI C(50); KLAV C(50); HOST C(50); PUJ_DOKDY D; PUJ_KOLIK N(19,4); "
          "PUJ_ANONE C(1); PUJ_KOMU C(30); ZMENA D; SN C(30); TYP C(25)")
TRACKS = "CD N(19,4); CISLO N(19,4); NAME C(50); ARTIST C(50); DELKA N(19,4)"


def main():
    directory, texts = sys.argv[1], sys.argv[2:]
    albums = dbf.Table(os.path.join(directory, "cddata.dbf"), ALBUMS, dbf_type="db3",
                       codepage="cp1250")
    tracks = dbf.Table(os.path.join(directory, "cdskladby.dbf"), TRACKS, dbf_type="db3",
                       codepage="cp1250")
    albums.open(dbf.READ_WRITE)
    tracks.open(dbf.READ_WRITE)
    for i, text in enumerate(texts):
        albums.append({"cislo": i + 1, "album": text, "zanr": text[:25], "rok": 1990 + i,
                       "puj_dokdy": datetime.date(2026, 1, 1) + datetime.timedelta(days=i),
                       "puj_anone": "A"})
        tracks.append({"cd": i + 1, "cislo": 1, "name": text, "delka": 60 * i + 5})
    albums.append({"cislo": 99, "album": "smazané"})
    dbf.delete(albums[-1])
    albums.close()
    tracks.close()


if __name__ == "__main__":
    main()
