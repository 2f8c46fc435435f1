#!/usr/bin/python3
"""The Fetchlet companion with a twist for the tests, which no real companion has:

  fetchlet_variant.py FETCHLET_PY [--slow] [--lower-case-ok] [--phantom NAME] -- COMPANION OPTIONS

--slow sends every body at 64 KiB a second; --lower-case-ok answers "ok" in place of "OK";
--phantom lists NAME too, although the folder has no such file."""
import importlib.util
import sys
import time


def load(path):
    spec = importlib.util.spec_from_file_location("fetchlet", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def main(argv):
    split = argv.index("--")
    own, companion_options = argv[:split], argv[split + 1:]
    fetchlet = load(own[0])
    slow = "--slow" in own
    lower = "--lower-case-ok" in own
    phantom = own[own.index("--phantom") + 1].encode() if "--phantom" in own else b""
    config, args = fetchlet.config_from_arguments(companion_options)
    app = fetchlet.make_app(config)

    def variant(environ, start_response):
        def without_length(status, headers, *rest):
            # The body changes length, or its length would let a slow body be read ahead.
            headers = [(k, v) for k, v in headers if k.lower() != "content-length"]
            return start_response(status, headers, *rest)

        chunks = app(environ, without_length)
        listing = environ.get("QUERY_STRING", "").startswith("dir&")
        for chunk in chunks:
            if listing and chunk.startswith(b"OK\n"):
                if lower:
                    chunk = b"ok" + chunk[2:]
                if phantom:
                    chunk += phantom + b"\n"
            if not slow:
                yield chunk
                continue
            for at in range(0, len(chunk), 8192):
                yield chunk[at:at + 8192]
                time.sleep(8192 / (64 * 1024))

    fetchlet.serve(config, args.host, args.port, variant)


if __name__ == "__main__":
    main(sys.argv[1:])
