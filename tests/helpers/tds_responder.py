#!/usr/bin/env python3
"""A small scripted TDS 7.4 server for the desk's tests, on loopback only.

It answers PRELOGIN and LOGIN7, then runs each SQL batch on a SQLite file and
sends the rows back as SQL Server would, with SQL Server's error tokens for a
duplicate key (2627 and its 3621 companion) and a failed login (18456).
Every login and batch that arrives is appended to a JSON-lines log, so a test
can read back what reached the wire.

    tds_responder.py --database FILE --log FILE [--attach FILE] [--password PW] [--silent] [--stall-on REGEX]

Text compares as a CI_AI collation does: "=" on the member numbers (no_empresa,
no_socio) and LIKE ignore case and accents, and LIKE reads "[...]" sets.
--attach makes another file's tables reachable by unqualified names the main
file lacks, as a synonym would.

--stall-on makes a connection go quiet at the first batch the pattern finds
(an empty pattern: the first batch): it never answers that batch or anything
after it, the attention (cancel) included, as a server that hangs would.

It prints "PORT <n>" once it listens, and ends by itself after --lifetime seconds.
"""
import argparse
import datetime
import json
import os
import re
import socket
import sqlite3
import struct
import threading
import unicodedata

PACKET_SQL_BATCH = 0x01
PACKET_REPLY = 0x04
PACKET_ATTENTION = 0x06
PACKET_LOGIN7 = 0x10
PACKET_PRELOGIN = 0x12

COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])  # Latin1_General_CI_AS
DATETIME_TEXT = re.compile(r"^\d{4}-\d{2}-\d{2}( \d{2}:\d{2}:\d{2}(\.\d+)?)?$")
log_lock = threading.Lock()


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(text)]) + data


def us_varchar(text):
    return struct.pack("<H", len(text)) + text.encode("utf-16-le")


def done(status=0, command=0, rows=0):
    return struct.pack("<BHHQ", 0xFD, status, command, rows)


def message_token(token, number, state, severity, text):
    body = (struct.pack("<iBB", number, state, severity) + us_varchar(text) + b_varchar("VELUNAS-TDS")
            + b_varchar("") + struct.pack("<i", 1))
    return struct.pack("<BH", token, len(body)) + body


def error_token(number, state, severity, text):
    return message_token(0xAA, number, state, severity, text)


def info_token(number, state, severity, text):
    return message_token(0xAB, number, state, severity, text)


def env_change(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return struct.pack("<BH", 0xE3, len(body)) + body


def login_ack():
    body = bytes([1]) + bytes([0x74, 0x00, 0x00, 0x04]) + b_varchar("Microsoft SQL Server") + bytes([15, 0, 0x07, 0xD0])
    return struct.pack("<BH", 0xAD, len(body)) + body


def read_exact(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def read_message(sock):
    """One client message, joined from its packets."""
    payload = b""
    while True:
        header = read_exact(sock, 8)
        kind, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
        payload += read_exact(sock, length - 8)
        if status & 0x01:
            return kind, payload


def send_message(sock, payload, kind=PACKET_REPLY, size=4096):
    chunks = [payload[i:i + size - 8] for i in range(0, len(payload), size - 8)] or [b""]
    for index, chunk in enumerate(chunks):
        last = index == len(chunks) - 1
        header = struct.pack(">BBHHBB", kind, 0x01 if last else 0x00, len(chunk) + 8, 0, index + 1, 0)
        sock.sendall(header + chunk)


def prelogin_reply():
    options = [(0x00, bytes([15, 0, 0x07, 0xD0, 0, 0])),  # version
               (0x01, bytes([0x02])),                     # encryption not supported
               (0x02, bytes([0x00])),                     # instance
               (0x03, b""),                               # thread id
               (0x04, bytes([0x00]))]                     # no MARS
    offset = len(options) * 5 + 1
    head, data = b"", b""
    for token, value in options:
        head += struct.pack(">BHH", token, offset + len(data), len(value))
        data += value
    return head + b"\xff" + data


def unscramble(data):
    """The TDS password obfuscation undone: XOR 0xA5, then swap the nibbles."""
    out = bytearray()
    for byte in data:
        byte ^= 0xA5
        out.append(((byte & 0x0F) << 4) | (byte >> 4))
    return bytes(out)


def parse_login(payload):
    tds_version = struct.unpack("<I", payload[4:8])[0]
    packet_size = struct.unpack("<I", payload[8:12])[0]
    names = ["host", "user", "password", "app", "server", "extension", "library", "language", "database"]
    fields = {}
    for index, name in enumerate(names):
        offset, length = struct.unpack("<HH", payload[36 + index * 4:40 + index * 4])
        raw = payload[offset:offset + length * 2]
        if name == "password":
            raw = unscramble(raw)
        if name != "extension":
            fields[name] = raw.decode("utf-16-le", errors="replace")
    fields["tds_version"] = "%08x" % tds_version
    fields["packet_size"] = packet_size
    return fields


def to_sqlite(sql):
    """The few T-SQL forms of the desk, made runnable on SQLite."""
    parts = re.split(r"('(?:[^']|'')*')", sql)
    for i in range(0, len(parts), 2):
        text = parts[i]
        text = re.sub(r"@@TRANCOUNT", "0", text, flags=re.I)
        text = re.sub(r"GETDATE\(\s*\)", "datetime('now','localtime')", text, flags=re.I)
        text = re.sub(r"\bCHAR\s*\(", "char(", text, flags=re.I)
        text = text.replace("+", "||")
        text = re.sub(r"\b(no_empresa|no_socio)\s*=", r"\1 COLLATE CI_AI =", text, flags=re.I)
        parts[i] = text
    return "".join(parts)


def fold(text):
    """Case and accents away, as the server's CI_AI collation compares."""
    decomposed = unicodedata.normalize("NFKD", text)
    return "".join(c for c in decomposed if not unicodedata.combining(c)).casefold()


def compare_ci_ai(left, right):
    left, right = fold(left).rstrip(" "), fold(right).rstrip(" ")
    return (left > right) - (left < right)


def like(pattern, text):
    """LIKE over folded text: "%" any run, "_" one character, "[...]" a set."""
    if pattern is None or text is None:
        return None
    pieces = re.findall(r"\[\^?\]?[^\]]*\]|.", fold(pattern), re.S)
    regex = "".join(".*" if p == "%" else "." if p == "_" else p.replace("\\", "\\\\") if len(p) > 1
                    else re.escape(p) for p in pieces)
    return 1 if re.fullmatch(regex, fold(text), re.S) else 0


def open_database(options):
    database = sqlite3.connect(options.database, timeout=10)
    database.create_collation("CI_AI", compare_ci_ai)
    database.create_function("like", 2, like, deterministic=True)
    database.create_function("velunas_fold", 1, lambda text: None if text is None else fold(text),
                             deterministic=True)
    if options.attach:
        database.execute("ATTACH DATABASE ? AS attached", (options.attach,))
    return database


def column_kind(values):
    present = [v for v in values if v is not None]
    if not present:
        return "text"
    if all(isinstance(v, int) for v in present):
        return "int"
    if all(isinstance(v, (int, float)) for v in present):
        return "float"
    if all(isinstance(v, str) and DATETIME_TEXT.match(v) for v in present):
        return "datetime"
    return "text"


def encode_value(kind, value):
    if kind == "int":
        return b"\x00" if value is None else b"\x08" + struct.pack("<q", value)
    if kind == "float":
        return b"\x00" if value is None else b"\x08" + struct.pack("<d", float(value))
    if kind == "datetime":
        if value is None:
            return b"\x00"
        moment = datetime.datetime.fromisoformat(value)
        days = (moment.date() - datetime.date(1900, 1, 1)).days
        seconds = moment.hour * 3600 + moment.minute * 60 + moment.second + moment.microsecond / 1e6
        return b"\x08" + struct.pack("<iI", days, round(seconds * 300))
    if value is None:
        return b"\xff\xff"
    data = str(value).encode("utf-16-le")
    return struct.pack("<H", len(data)) + data


def column_type(kind):
    if kind == "int":
        return bytes([0x26, 8])
    if kind == "float":
        return bytes([0x6D, 8])
    if kind == "datetime":
        return bytes([0x6F, 8])
    return bytes([0xE7]) + struct.pack("<H", 8000) + COLLATION


def result_set(names, rows):
    kinds = [column_kind([row[i] for row in rows]) for i in range(len(names))]
    out = struct.pack("<BH", 0x81, len(names))
    for name, kind in zip(names, kinds):
        out += struct.pack("<IH", 0, 0x0001) + column_type(kind) + b_varchar(name)
    for row in rows:
        out += b"\xd1" + b"".join(encode_value(kind, value) for kind, value in zip(kinds, row))
    return out + done(0x0010, 0xC1, len(rows))


TRANSACTION_CONTROL = re.compile(r"\s*(BEGIN|COMMIT|ROLLBACK)(\s+TRAN(SACTION)?)?\s*;?\s*$", re.I)


def run_batch(database, sql, session):
    """One batch; an explicit transaction spans batches until COMMIT or ROLLBACK, as on the server."""
    control = TRANSACTION_CONTROL.match(sql)
    if control and (control.group(1).upper() == "BEGIN" or session["explicit"]):
        word = control.group(1).upper()
        if word == "BEGIN":
            database.commit()
            database.execute("BEGIN")
        elif word == "COMMIT":
            database.commit()
        else:
            database.rollback()
        session["explicit"] = word == "BEGIN"
        return done(0x0010, 0xC3, 0)
    try:
        cursor = database.execute(to_sqlite(sql))
        if cursor.description is None:
            if not session["explicit"]:
                database.commit()
            return done(0x0010, 0xC3, max(cursor.rowcount, 0))
        names = [column[0] for column in cursor.description]
        return result_set(names, cursor.fetchall())
    except sqlite3.IntegrityError as error:
        database.rollback()
        if "UNIQUE" in str(error):
            columns = str(error).split(":", 1)[-1].strip()
            text = ("Violation of UNIQUE KEY constraint 'UQ_%s'. Cannot insert duplicate key in object "
                    "'dbo.tbVelunas'." % columns.replace("tbVelunas.", "").replace(", ", "_"))
            return (error_token(2627, 1, 14, text) + info_token(3621, 0, 0, "The statement has been terminated.")
                    + done(0x0002, 0xC3, 0))
        return error_token(547, 0, 16, str(error)) + done(0x0002, 0xC3, 0)
    except sqlite3.Error as error:
        number = 208 if "no such table" in str(error) else 102
        return error_token(number, 1, 16, str(error)) + done(0x0002, 0xC1, 0)


def log(path, record):
    with log_lock, open(path, "a", encoding="utf-8") as stream:
        stream.write(json.dumps(record, ensure_ascii=False) + "\n")


def serve(sock, options):
    with sock:
        if options.silent:
            while sock.recv(4096):
                pass  # accepts and never answers
            return
        database = open_database(options)
        session = {"explicit": False}
        try:
            while True:
                kind, payload = read_message(sock)
                if kind == PACKET_PRELOGIN:
                    send_message(sock, prelogin_reply())
                elif kind == PACKET_LOGIN7:
                    fields = parse_login(payload)
                    log(options.log, dict(event="login", **fields))
                    if options.password is not None and fields["password"] != options.password:
                        send_message(sock, error_token(18456, 1, 14, "Login failed for user '%s'." % fields["user"])
                                     + done(0x0002))
                        return
                    send_message(sock, env_change(1, fields["database"] or "master", "master")
                                 + env_change(4, "4096", "4096") + login_ack() + done())
                elif kind == PACKET_SQL_BATCH:
                    headers = struct.unpack("<I", payload[:4])[0]
                    sql = payload[headers:].decode("utf-16-le", errors="replace")
                    log(options.log, {"event": "batch", "sql": sql})
                    if options.stall_on is not None and re.search(options.stall_on, sql):
                        log(options.log, {"event": "stall", "sql": sql})
                        while sock.recv(4096):
                            pass
                        return
                    send_message(sock, run_batch(database, sql, session))
                elif kind == PACKET_ATTENTION:
                    send_message(sock, done(0x0020))
                else:
                    send_message(sock, error_token(50000, 1, 16, "unsupported request") + done(0x0002))
        except (ConnectionError, OSError):
            pass
        finally:
            database.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--database", required=True)
    parser.add_argument("--attach")
    parser.add_argument("--log", required=True)
    parser.add_argument("--password")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--stall-on")
    parser.add_argument("--lifetime", type=float, default=300)
    options = parser.parse_args()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    stopper = threading.Timer(options.lifetime, os._exit, args=(0,))
    stopper.daemon = True
    stopper.start()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, options), daemon=True).start()


if __name__ == "__main__":
    main()
