#!/usr/bin/python3
"""Prints a dBase table as dbfread sees it, one line per item, tab-separated:
E <encoding dbfread chose> / F <name> <type> <length> <decimals> / R <value>...
Values: text without trailing blanks, whole numbers without decimals, dates as YYYY-MM-DD,
empty for None. Backslash, tab and line breaks are escaped."""
import datetime
import sys

import dbfread


def show(value):
    if value is None:
        return ""
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    if isinstance(value, (datetime.date,)):
        return value.isoformat()
    text = str(value).rstrip(" ")
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def main():
    table = dbfread.DBF(sys.argv[1], load=True)
    out = sys.stdout
    out.write("E\t%s\n" % table.encoding)
    for f in table.fields:
        out.write("F\t%s\t%s\t%d\t%d\n" % (f.name, f.type, f.length, f.decimal_count))
    for record in table.records:
        out.write("R\t" + "\t".join(show(v) for v in record.values()) + "\n")


if __name__ == "__main__":
    main()
