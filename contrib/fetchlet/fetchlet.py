#!/usr/bin/python3
"""Fetchlet: hands the log files of one folder of a web server to Velmora over HTTP.

It answers two requests (query parts separated by '&', each percent-decoded once):

  ?dir&KEEP&GZIP&PATH   "OK", then the names of the log files of PATH, newest first, one a line.
                        With pruning allowed in the configuration, only the newest KEEP files
                        are kept: the older ones are deleted first.
  ?get&NAME&PATH        the file NAME of PATH, compressed with gzip (GZIP 1) or bzip2 (GZIP 0) as
                        the last dir request of the same client address asked (gzip when none
                        did); a file that is already gzip or bzip2 goes as it is.

PATH is a folder inside the configured folder ("/logs" and "logs" both name FOLDER/logs; "/" names
FOLDER itself). Nothing outside FOLDER is ever listed or sent: a ".." component, an absolute or
drive name, a NAME with a folder in it, and a symbolic link that leads out of FOLDER are answered
403, whether written plainly or percent-encoded. With a user configured, every request must carry
it and its password (HTTP Basic authentication), else 401.

Runs as a CGI script (when the web server sets GATEWAY_INTERFACE), configured by the file named in
FETCHLET_CONFIG or fetchlet.conf beside this script, or stand-alone:

  fetchlet.py --folder /var/log/nginx [--host 127.0.0.1] [--port 8080] [--user U]
              [--password P] [--allow-prune] [--config FILE]

Port 0 takes a free port; the port is written to standard error once the server listens. Only the
Python standard library is needed (Python 3.7 or later).
"""
import argparse
import base64
import binascii
import bz2
import configparser
import hmac
import json
import os
import re
import stat
import sys
import tempfile
import zlib
from urllib.parse import unquote_to_bytes

CHUNK = 64 * 1024


class Config:
    def __init__(self, folder, user="", password="", allow_prune=False):
        self.folder = os.path.realpath(folder) if folder else ""
        self.user = user or ""
        self.password = password or ""
        self.allow_prune = bool(allow_prune)


def read_config(path, base=None):
    """Section [fetchlet]: folder, user, password, allow_prune (yes/no); `base` overrides."""
    parser = configparser.ConfigParser(interpolation=None)
    if path and not parser.read(path):
        raise SystemExit("fetchlet: cannot read the configuration file %s" % path)
    section = parser["fetchlet"] if parser.has_section("fetchlet") else {}
    values = {
        "folder": section.get("folder", ""),
        "user": section.get("user", ""),
        "password": section.get("password", ""),
        "allow_prune": str(section.get("allow_prune", "no")).strip().lower()
        in ("1", "yes", "true", "on"),
    }
    for key, value in (base or {}).items():
        if value not in (None, ""):
            values[key] = value
    return Config(**values)


class MemoryState:
    """The compression each client address asked for last, while the server runs."""

    def __init__(self):
        self.flags = {}

    def gzip(self, address):
        return self.flags.get(address, True)

    def remember(self, address, gzip):
        if len(self.flags) > 1000:
            self.flags.clear()
        self.flags[address] = gzip


class FileState(MemoryState):
    """The same for CGI, where every request is a new process: kept in a small file."""

    def __init__(self, path):
        super().__init__()
        self.path = path
        try:
            with open(path) as f:
                self.flags = {str(k): bool(v) for k, v in json.load(f).items()}
        except (OSError, ValueError, AttributeError):
            self.flags = {}

    def remember(self, address, gzip):
        super().remember(address, gzip)
        try:
            fd, temporary = tempfile.mkstemp(dir=os.path.dirname(self.path), prefix=".fetchlet")
            with os.fdopen(fd, "w") as f:
                json.dump(self.flags, f)
            os.replace(temporary, self.path)
        except OSError:
            pass


class Refused(Exception):
    """A request for something outside the folder: 403."""


def decode(part):
    """One query part, percent-decoded once, as a file-system name."""
    raw = unquote_to_bytes(part)
    if b"\0" in raw:
        raise Refused()
    return os.fsdecode(raw)


def inside(root, path):
    return path == root or path.startswith(root.rstrip(os.sep) + os.sep)


def resolve_folder(config, path):
    """The real folder PATH names inside the configured folder."""
    components = re.split(r"[/\\]+", path)
    if ".." in components or re.match(r"^[A-Za-z]:", path):
        raise Refused()
    relative = os.path.join(*[c for c in components if c not in ("", ".")] or ["."])
    folder = os.path.realpath(os.path.join(config.folder, relative))
    if not inside(config.folder, folder):
        raise Refused()
    return folder


def resolve_file(config, folder, name):
    """The real file NAME of `folder`: a plain name, never leading out of the configured folder."""
    if not name or name in (".", "..") or "/" in name or "\\" in name or re.match(r"^[A-Za-z]:", name):
        raise Refused()
    path = os.path.realpath(os.path.join(folder, name))
    if not inside(config.folder, path):
        raise Refused()
    return path


def listable(name):
    # A name with '&' could not be asked for again; control bytes would garble the list.
    return not name.startswith(".") and "&" not in name and not re.search(r"[\x00-\x1f\x7f]", name)


def log_files(config, folder):
    """(name, mtime) of the folder's plain files that stay inside the configured folder, newest
    first."""
    files = []
    with os.scandir(folder) as entries:
        for entry in entries:
            if not listable(entry.name):
                continue
            try:
                real = os.path.realpath(entry.path)
                info = os.stat(real)
            except OSError:
                continue
            if inside(config.folder, real) and stat.S_ISREG(info.st_mode):
                files.append((entry.name, info.st_mtime))
    files.sort(key=lambda f: (-f[1], f[0]))
    return files


def prune(folder, files, keep):
    """Deletes the files past the newest `keep`; returns those kept."""
    for name, _ in files[keep:]:
        try:
            os.remove(os.path.join(folder, name))
        except OSError:
            pass
    return files[:keep]


def already_compressed(head):
    return head[:2] == b"\x1f\x8b" or (head[:3] == b"BZh" and head[3:4].isdigit())


def file_chunks(path, gzip):
    """The file's bytes, compressed as asked unless they already are."""
    with open(path, "rb") as f:
        head = f.read(4)
        f.seek(0)
        if already_compressed(head):
            compressor = None
        elif gzip:
            compressor = zlib.compressobj(9, zlib.DEFLATED, 31)  # 31: gzip framing
        else:
            compressor = bz2.BZ2Compressor(9)
        while True:
            block = f.read(CHUNK)
            if not block:
                break
            out = compressor.compress(block) if compressor else block
            if out:
                yield out
        if compressor:
            yield compressor.flush()


def authorised(config, environ):
    if not config.user:
        return True
    header = environ.get("HTTP_AUTHORIZATION", "")
    if not header[:6].lower() == "basic ":
        return False
    try:
        user, _, password = base64.b64decode(header[6:].strip(), validate=True).partition(b":")
    except (binascii.Error, ValueError):
        return False
    return hmac.compare_digest(user, config.user.encode()) & hmac.compare_digest(
        password, config.password.encode()
    )


def text_reply(start_response, status, text, extra=()):
    body = (text + "\n").encode()
    start_response(
        status,
        [
            ("Content-Type", "text/plain; charset=utf-8"),
            ("Content-Length", str(len(body))),
            ("Cache-Control", "no-store"),
        ]
        + list(extra),
    )
    return [body]


def make_app(config, state=None):
    state = state or MemoryState()

    def app(environ, start_response):
        if environ.get("REQUEST_METHOD", "GET") != "GET":
            return text_reply(start_response, "405 Method Not Allowed", "Error: only GET")
        if not authorised(config, environ):
            return text_reply(
                start_response,
                "401 Unauthorized",
                "Error: authorization required",
                [("WWW-Authenticate", 'Basic realm="Fetchlet"')],
            )
        parts = environ.get("QUERY_STRING", "").split("&")
        try:
            if parts[0] == "dir" and len(parts) >= 4:
                return list_request(start_response, parts, environ.get("REMOTE_ADDR", ""))
            if parts[0] == "get" and len(parts) >= 3:
                return get_request(start_response, parts, environ.get("REMOTE_ADDR", ""))
        except Refused:
            return text_reply(start_response, "403 Forbidden", "Error: outside the log folder")
        return text_reply(start_response, "400 Bad Request", "Error: not a Fetchlet request")

    def list_request(start_response, parts, address):
        folder = resolve_folder(config, decode("&".join(parts[3:])))
        try:
            keep = int(parts[1])
        except ValueError:
            keep = 0
        if not 1 <= keep <= 9999 or parts[2] not in ("0", "1"):
            return text_reply(start_response, "200 OK", "Error: bad request %s" % "&".join(parts[:3]))
        state.remember(address, parts[2] == "1")
        if not os.path.isdir(folder):
            return text_reply(start_response, "200 OK", "Error: there is no such log folder")
        try:
            files = log_files(config, folder)
        except OSError as error:
            return text_reply(start_response, "200 OK", "Error: cannot read the log folder (%s)" % error.strerror)
        if config.allow_prune:
            files = prune(folder, files, keep)
        body = b"OK\n" + b"".join(os.fsencode(name) + b"\n" for name, _ in files)
        start_response(
            "200 OK",
            [
                ("Content-Type", "text/plain"),
                ("Content-Length", str(len(body))),
                ("Cache-Control", "no-store"),
            ],
        )
        return [body]

    def get_request(start_response, parts, address):
        folder = resolve_folder(config, decode("&".join(parts[2:])))
        path = resolve_file(config, folder, decode(parts[1]))
        if not os.path.isfile(path) or not listable(os.path.basename(path)):
            return text_reply(start_response, "404 Not Found", "Error: no such log file")
        try:
            chunks = file_chunks(path, state.gzip(address))
            first = next(chunks, b"")
        except OSError:
            return text_reply(start_response, "404 Not Found", "Error: the log file cannot be read")
        start_response(
            "200 OK", [("Content-Type", "application/octet-stream"), ("Cache-Control", "no-store")]
        )

        def body():
            yield first
            yield from chunks

        return body()

    return app


def serve(config, host, port, app=None):
    from wsgiref.simple_server import WSGIRequestHandler, make_server

    class QuietHandler(WSGIRequestHandler):
        def log_message(self, *args):
            pass

    server = make_server(host, port, app or make_app(config), handler_class=QuietHandler)
    print(
        "fetchlet: serving %s on port %d" % (config.folder, server.server_port),
        file=sys.stderr,
        flush=True,
    )
    server.serve_forever()


def config_from_arguments(argv):
    parser = argparse.ArgumentParser(description="Hands a folder's log files to Velmora.")
    parser.add_argument("--config", help="an INI file with a [fetchlet] section")
    parser.add_argument("--folder", help="the folder whose log files are served")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--user", help="the user every request must name (HTTP Basic)")
    parser.add_argument("--password", help="that user's password")
    parser.add_argument("--allow-prune", action="store_true", default=None,
                        help="delete files past the newest KEEP when listing")
    args = parser.parse_args(argv)
    config = read_config(args.config, {
        "folder": args.folder, "user": args.user, "password": args.password,
        "allow_prune": args.allow_prune,
    })
    if not config.folder or not os.path.isdir(config.folder):
        parser.error("--folder (or folder in the configuration) must name a folder")
    return config, args


def main(argv):
    if os.environ.get("GATEWAY_INTERFACE") and not argv:
        from wsgiref.handlers import CGIHandler
        here = os.path.dirname(os.path.abspath(__file__))
        config = read_config(os.environ.get("FETCHLET_CONFIG") or os.path.join(here, "fetchlet.conf"))
        if not config.folder or not os.path.isdir(config.folder):
            CGIHandler().run(lambda e, s: text_reply(s, "200 OK", "Error: Fetchlet has no log folder configured"))
            return
        state = FileState(os.path.join(tempfile.gettempdir(), "fetchlet-%d.state" % os.getuid()))
        CGIHandler().run(make_app(config, state))
        return
    config, args = config_from_arguments(argv)
    serve(config, args.host, args.port)


if __name__ == "__main__":
    main(sys.argv[1:])
