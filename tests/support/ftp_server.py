#!/usr/bin/python3
"""A local FTP server for the tests: serves ROOT on 127.0.0.1 on a free port and writes
"port N" to standard error once it listens. User "alice" (password "secret") may read and
delete; anonymous may only read. With --silent it accepts connections and never answers, like a
server that has stopped; with --slow ROOT it sends files at 64 KiB a second."""
import socket
import sys
import time


def silent():
    sock = socket.socket()
    sock.bind(("127.0.0.1", 0))
    sock.listen(8)
    print("port %d" % sock.getsockname()[1], file=sys.stderr, flush=True)
    held = []
    while True:
        conn, _ = sock.accept()
        held.append(conn)


def serve(root, slow):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    authorizer.add_user("alice", "secret", root, perm="elradfmw")
    authorizer.add_anonymous(root)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.permit_foreign_addresses = False
    handler.auth_failed_timeout = 0.1
    if slow:
        ThrottledDTPHandler.write_limit = 64 * 1024
        handler.dtp_handler = ThrottledDTPHandler
    server = FTPServer(("127.0.0.1", 0), handler)
    print("port %d" % server.socket.getsockname()[1], file=sys.stderr, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    if sys.argv[1] == "--silent":
        silent()
    elif sys.argv[1] == "--slow":
        serve(sys.argv[2], True)
    else:
        serve(sys.argv[1], False)
